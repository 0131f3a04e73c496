#!/usr/bin/env python3
"""tilewright-cli run as a script runs it, on Linux or as the .exe under Wine.

Checks the image against one built here from the layout (not by the program's own code),
has srec_cat (package srecord) convert our Intel HEX and S-records back to binary and make
its own from our binary for `show` to read, and passes a non-ASCII name and file name
through the command line.
"""
import argparse
import os
import pathlib
import shutil
import signal
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1]))
from end_to_end_support import expected_image  # noqa: E402

FAILURES = []


def check(condition, what):
    print(("ok      " if condition else "FAILED  ") + what)
    if not condition:
        FAILURES.append(what)


SPACE_RACE = expected_image("SPACE RACE", 3)


def check_standard_output_failures(program, work, env):
    """Output that cannot be written fails the run, whichever command wrote it."""
    def closed_pipe():
        read_end, write_end = os.pipe()
        os.close(read_end)
        return write_end

    def ignore_sigpipe():
        signal.signal(signal.SIGPIPE, signal.SIG_IGN)

    commands = [["create", "ABC", "-o", "-"], ["show", "space.bin"], ["--help"]]
    for command in commands:
        for what, make_stdout, expected in [
                ("/dev/full", lambda: os.open("/dev/full", os.O_WRONLY), "No space left on device"),
                ("a closed standard output", None, "Bad file descriptor"),
                ("a pipe nobody reads", closed_pipe, "Broken pipe")]:
            stdout = make_stdout() if make_stdout else None
            shell = ["sh", "-c", 'exec "$@" >&-', "sh"] if stdout is None else []
            result = subprocess.run(shell + program + command, cwd=work, env=env, stdout=stdout,
                                    stderr=subprocess.PIPE, preexec_fn=ignore_sigpipe)
            if stdout is not None:
                os.close(stdout)
            message = f"tilewright-cli: cannot write standard output: {expected}\n".encode()
            check(result.returncode == 1 and result.stderr.endswith(message),
                  f"{' '.join(command)} to {what} exits 1 {result.returncode} {result.stderr!r}")
        stdout = closed_pipe()
        result = subprocess.run(program + command, cwd=work, env=env, stdout=stdout)
        os.close(stdout)
        check(result.returncode == -signal.SIGPIPE,
              f"{' '.join(command)} to a closed pipe dies of SIGPIPE {result.returncode}")


def check_own_streams_written_in_place(program, work, env):
    """-o naming the program's own standard output writes there, keeping what the file held."""
    image = expected_image("X", 0)
    for target in ["/dev/stdout", "/dev/fd/1", "/proc/self/fd/1", "/proc/$$/fd/1"]:
        log = work / "log"
        log.write_bytes(b"line1\n")
        # The inner shell execs the program, so that $$ is the program's own process id.
        script = (f"(sh -c 'exec \"$@\" create X -o {target} --force' sh \"$@\"; echo after)"
                  " >> log")
        result = subprocess.run(["sh", "-c", script, "sh"] + program, cwd=work, env=env,
                                capture_output=True)
        check(result.returncode == 0 and log.read_bytes() == b"line1\n" + image + b"after\n",
              f"-o {target} appends to the file standard output goes to {result.stderr!r}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--wine-run")
    parser.add_argument("--prefix")
    parser.add_argument("--work", required=True)
    args = parser.parse_args()

    srec_cat = shutil.which("srec_cat")
    if srec_cat is None:
        sys.exit("srec_cat not found: install the Debian package srecord")
    work = pathlib.Path(args.work)
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    program = [os.path.abspath(args.program)]
    if args.wine_run:
        program = [args.wine_run, args.prefix] + program
    # Wine hands the exe its arguments in UTF-16 converted from the locale's encoding.
    env = dict(os.environ, LC_ALL="C.UTF-8")

    def cli(*arguments):
        # Relative paths, so that the same names work for Linux and under Wine.
        return subprocess.run(program + list(arguments), cwd=work, env=env,
                              capture_output=True, timeout=120)

    def srec(*arguments):
        subprocess.run([srec_cat] + list(arguments), cwd=work, check=True, capture_output=True)

    for name in ["space.bin", "space.hex", "space.s19"]:
        result = cli("create", "space race", "--icon", "3", "-o", name)
        check(result.returncode == 0, f"create -o {name} exits 0 {result.stderr!r}")
    check((work / "space.bin").read_bytes() == SPACE_RACE, "the binary is the image")

    srec("space.hex", "-intel", "-o", "from-hex.bin", "-binary")
    srec("space.s19", "-motorola", "-o", "from-s19.bin", "-binary")
    check((work / "from-hex.bin").read_bytes() == SPACE_RACE,
          "srec_cat reads our Intel HEX as the image")
    check((work / "from-s19.bin").read_bytes() == SPACE_RACE,
          "srec_cat reads our S-records as the image")

    srec("space.bin", "-binary", "-o", "by-srec-cat.hex", "-intel")
    srec("space.bin", "-binary", "-o", "by-srec-cat.s19", "-motorola")
    shown = ["space.bin", "space.hex", "space.s19", "by-srec-cat.hex", "by-srec-cat.s19"]
    result = cli("show", *shown)
    check(result.returncode == 0 and result.stdout.count(b'name: "SPACE RACE"') == len(shown)
          and result.stdout.count(b"icon: 3 (3F FD FE 3F)") == len(shown),
          f"show reads all five files {result.stdout!r}")

    (work / "broken.bin").write_bytes(SPACE_RACE[:4096])
    check(cli("show", "broken.bin").returncode == 1, "show exits 1 for a damaged image")
    check(cli("create").returncode == 2, "a usage error exits 2")
    check(cli("create", "space race", "-o", "space.bin").returncode == 1,
          "create exits 1 rather than replace a file")

    unicode_name = "Ünïcødé ☃.hex"
    result = cli("create", "A", "-o", unicode_name)
    check(result.returncode == 0 and (work / unicode_name).is_file(),
          "a non-ASCII file name arrives as it was given")
    result = cli("show", unicode_name)
    check(result.returncode == 0 and unicode_name.encode() in result.stdout,
          "show prints a non-ASCII file name as UTF-8")
    result = cli("create", "café")
    check(result.returncode == 1
          and 'character 4 of the name, "é" (U+00E9), has no tile'.encode() in result.stderr,
          f"a non-ASCII name is refused, naming its character {result.stderr!r}")

    if args.wine_run:
        # No shell expands them there: the program does, as Windows console programs do.
        result = cli("show", "space.*")
        check(result.stdout.count(b'name: "SPACE RACE"') == 3,
              f"show space.* reads the three files {result.stdout!r} {result.stderr!r}")
    else:
        check_standard_output_failures(program, work, env)
        check_own_streams_written_in_place(program, work, env)

    if FAILURES:
        sys.exit(f"{len(FAILURES)} checks failed")


if __name__ == "__main__":
    main()
