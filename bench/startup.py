#!/usr/bin/env python3
"""Start-up benchmark: how long the program takes from being started to its window being
mapped, and its peak memory, beside the same figures for two floors built by the same build:
the same controls built the plainest way the toolkit offers, and an empty window of the same
size. Runs on its own Xvfb server, the three programs interleaved; prints each round with the
load average, the medians, and the program's ratios to each floor: the median of the rounds'
ratios (each round's programs ran side by side, so a slower moment of the machine hits them
alike) and the ratio of the medians. The goal is judged only on a quiet machine.

  bench/startup.py [--runs N] [--linux-build DIR] [--windows-build DIR] [--no-linux]
                   [--no-windows]

The Linux figures compare `tilewright` with bench/plain_gtk_window and bench/empty_gtk_window;
the Windows figures compare Tilewright.exe with bench/plain_win32_window.exe and
bench/empty_win32_window.exe under Wine (one wineserver kept running for
all runs, after one warm-up start of each, so each run measures one program start).
"""
import argparse
import ctypes
import os
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

MAP_NOTIFY = 19
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
# The window counts as shown when a top-level window at least this large is mapped: toolkits
# map small helper windows too (Wine's 1x1 IME window, for one).
MIN_SIDE = 100
TIMEOUT = 60.0
# The goal: start-up, CPU until shown and peak memory each at most this many times the plain
# window's, judged over at least GOAL_RUNS rounds while the 1-minute load average stays at most
# QUIET_LOAD (on a busier machine the programs wait for the CPU, and the figures say little).
GOAL_RATIO = 1.05
GOAL_RUNS = 21
QUIET_LOAD = 1.0
METRICS = ("start-up", "CPU", "peak RSS")


class X11:
    """Just enough of Xlib, through ctypes, to wait for a window being mapped."""

    def __init__(self, display_name):
        self.lib = ctypes.CDLL("libX11.so.6")
        self.lib.XOpenDisplay.restype = ctypes.c_void_p
        self.lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        for name in ("XDefaultRootWindow", "XPending", "XConnectionNumber", "XFlush", "XSync"):
            getattr(self.lib, name).argtypes = [ctypes.c_void_p] + (
                [ctypes.c_int] if name == "XSync" else [])
        self.lib.XDefaultRootWindow.restype = ctypes.c_ulong
        self.lib.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        self.lib.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        self.lib.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                                  ctypes.c_void_p]
        self.display = self.lib.XOpenDisplay(display_name.encode())
        if not self.display:
            raise RuntimeError(f"cannot open display {display_name}")
        root = self.lib.XDefaultRootWindow(self.display)
        self.lib.XSelectInput(self.display, root, SUBSTRUCTURE_NOTIFY_MASK)
        self.lib.XSync(self.display, 0)
        self.fd = self.lib.XConnectionNumber(self.display)

    def drain(self):
        event = ctypes.create_string_buffer(192)
        while self.lib.XPending(self.display):
            self.lib.XNextEvent(self.display, event)

    def wait_for_map(self, deadline):
        """Time (perf_counter) at which a large top-level window was mapped, or None."""
        event = ctypes.create_string_buffer(192)
        attributes = ctypes.create_string_buffer(256)
        while True:
            while self.lib.XPending(self.display):
                self.lib.XNextEvent(self.display, event)
                now = time.perf_counter()
                kind = int.from_bytes(event.raw[0:4], "little")
                # XMapEvent: type, serial, send_event, display, event, window, override_redirect
                window = int.from_bytes(event.raw[40:48], "little")
                override_redirect = int.from_bytes(event.raw[48:52], "little")
                if kind != MAP_NOTIFY or override_redirect:
                    continue
                if not self.lib.XGetWindowAttributes(self.display, window, attributes):
                    continue
                width = int.from_bytes(attributes.raw[8:12], "little")
                height = int.from_bytes(attributes.raw[12:16], "little")
                if width >= MIN_SIDE and height >= MIN_SIDE:
                    return now
            remaining = deadline - time.perf_counter()
            if remaining <= 0:
                return None
            select.select([self.fd], [], [], remaining)


def start_xvfb():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-noreset",
         "-nolisten", "tcp"], pass_fds=(write_end,), stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_end, 16)
        if not chunk:
            raise RuntimeError("Xvfb did not start")
        number += chunk
    os.close(read_end)
    return server, ":" + number.decode().strip()


def peak_rss_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    raise RuntimeError(f"no VmHWM for {pid}")


def cpu_ms(pid):
    """CPU time the process's threads have used so far, in ms (from the scheduler's counts,
    which a busy machine disturbs far less than the time on the clock)."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as stat:
                total += int(stat.read().split()[0])
        except OSError:
            pass
    return total / 1e6


def load_average():
    """The 1-minute load average."""
    with open("/proc/loadavg") as loadavg:
        return float(loadavg.read().split()[0])


def measure_once(x11, command, env):
    """Start-up time in ms, CPU time used until then in ms, and peak RSS in KiB of one start
    of the command."""
    x11.drain()
    started = time.perf_counter()
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        mapped = x11.wait_for_map(started + TIMEOUT)
        if mapped is None:
            raise RuntimeError(f"{command[-1]} showed no window within {TIMEOUT} s")
        cpu = cpu_ms(process.pid)
        # Let it draw and settle before reading its peak memory.
        time.sleep(0.5)
        rss = peak_rss_kib(process.pid)
        return (mapped - started) * 1000.0, cpu, rss
    finally:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def paired_ratio(program, floor):
    """The median of the per-round ratios of two series measured side by side."""
    return statistics.median(p / f for p, f in zip(program, floor))


def goal_verdict(ratios, runs, max_load):
    """The line that judges the goal from the program's paired ratios to the plain window, one
    per metric: met only over enough rounds on a quiet machine."""
    if max_load > QUIET_LOAD:
        return (f"goal not judged: the load average reached {max_load:.2f} (above {QUIET_LOAD:g});"
                " run it again on a quiet machine")
    if runs < GOAL_RUNS:
        return f"goal not judged: {runs} rounds, it takes {GOAL_RUNS}"
    over = [f"{name} {ratio:.2f}x" for name, ratio in zip(METRICS, ratios) if ratio > GOAL_RATIO]
    if over:
        return f"goal not met: {', '.join(over)} (goal: {GOAL_RATIO:.2f}x or less)"
    return f"goal met: each at most {GOAL_RATIO:.2f}x the plain window, load at most {max_load:.2f}"


def compare(x11, label, program, floors, env, runs):
    """Runs the program and its floors in turn, each round in another order, and prints each
    round, the medians, the program's ratios to each floor and whether the goal is met against
    the first floor."""
    commands = [program] + floors
    names = [os.path.basename(command[-1]) for command in commands]
    results = {name: ([], [], []) for name in names}
    loads = []
    print(f"\n{label}, {runs} rounds, interleaved (start-up / CPU until shown, ms):")
    for run in range(runs):
        loads.append(load_average())
        # Rotate the order so that drift in the machine's speed hits every program alike.
        shift = run % len(commands)
        for command in commands[shift:] + commands[:shift]:
            for series, value in zip(results[os.path.basename(command[-1])],
                                     measure_once(x11, command, env)):
                series.append(value)
        cells = "  ".join(f"{name} {results[name][0][-1]:.0f}/{results[name][1][-1]:.0f}"
                          for name in names)
        print(f"  {run + 1:3}  load {loads[-1]:5.2f}  {cells}")
    loads.append(load_average())
    print("  median (min-max):")
    for name in names:
        times, cpu, rss = results[name]
        print(f"  {name:24} start-up {statistics.median(times):6.1f} ms"
              f" ({min(times):.0f}-{max(times):.0f})  CPU {statistics.median(cpu):6.1f} ms"
              f" ({min(cpu):.0f}-{max(cpu):.0f})  peak RSS {statistics.median(rss) / 1024:5.1f} MiB"
              f" ({min(rss) / 1024:.1f}-{max(rss) / 1024:.1f})")
    print("  ratios, median of the rounds' (of the medians):")
    paired = {}
    for name in names[1:]:
        paired[name] = [paired_ratio(p, f) for p, f in zip(results[names[0]], results[name])]
        of_medians = [statistics.median(p) / statistics.median(f)
                      for p, f in zip(results[names[0]], results[name])]
        print(f"  to {name:21}" + "".join(
            f" {metric} {ratio:.2f}x ({whole:.2f}x)"
            for metric, ratio, whole in zip(METRICS, paired[name], of_medians)))
    print(f"  load average (1 minute) at each round and after: {min(loads):.2f}-{max(loads):.2f}")
    print(f"  {goal_verdict(paired[names[1]], runs, max(loads))}")


def size_line(path, strip_tool):
    size = os.path.getsize(path)
    stripped = size
    if shutil.which(strip_tool):
        with tempfile.TemporaryDirectory() as scratch:
            copy = os.path.join(scratch, os.path.basename(path))
            subprocess.run([strip_tool, "-o", copy, path], check=True)
            stripped = os.path.getsize(copy)
    return (f"  {os.path.basename(path):24} {size / 1024:8.0f} KiB as built,"
            f" {stripped / 1024:6.0f} KiB stripped")


def require(path):
    if not os.path.isfile(path):
        sys.exit(f"{path} is missing: build it first (see the README)")
    return path


def main():
    source = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=GOAL_RUNS)
    parser.add_argument("--linux-build", default=os.path.join(source, "build/release"))
    parser.add_argument("--windows-build", default=os.path.join(source, "build/windows"))
    parser.add_argument("--no-linux", action="store_true")
    parser.add_argument("--no-windows", action="store_true")
    options = parser.parse_args()
    options.linux_build = os.path.abspath(options.linux_build)
    options.windows_build = os.path.abspath(options.windows_build)
    if options.runs < 10:
        sys.exit("use at least 10 runs")

    server, display = start_xvfb()
    wine_env = None
    try:
        x11 = X11(display)
        env = dict(os.environ, DISPLAY=display)
        env.pop("WAYLAND_DISPLAY", None)
        print(f"Xvfb on {display}; {os.cpu_count()} CPUs; {options.runs} runs per program;"
              f" load average {load_average():.2f}")
        sizes = []

        if not options.no_linux:
            build = options.linux_build
            program = require(os.path.join(build, "tilewright"))
            floors = [[require(os.path.join(build, "bench", name))]
                      for name in ("plain_gtk_window", "empty_gtk_window")]
            for command in [[program]] + floors:  # warm the file cache
                measure_once(x11, command, env)
            compare(x11, "GTK 3", [program], floors, env, options.runs)
            sizes += [size_line(program, "strip")] + [size_line(f[0], "strip") for f in floors]

        if not options.no_windows:
            build = options.windows_build
            program = require(os.path.join(build, "ui/win32/Tilewright.exe"))
            floors = [["wine", require(os.path.join(build, "bench", name))]
                      for name in ("plain_win32_window.exe", "empty_win32_window.exe")]
            wine_env = dict(env, WINEPREFIX=os.path.join(build, "bench-wineprefix"),
                            WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
            subprocess.run(["wineboot", "-i"], env=wine_env, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            for command in [["wine", program]] + floors:
                measure_once(x11, command, wine_env)
            compare(x11, "Win32 under Wine", ["wine", program], floors, wine_env, options.runs)
            sizes += [size_line(program, "x86_64-w64-mingw32-strip")] + [
                size_line(f[1], "x86_64-w64-mingw32-strip") for f in floors]
            imports = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", program],
                                     capture_output=True, text=True).stdout
            dlls = sorted({line.split(":", 1)[1].strip() for line in imports.splitlines()
                           if "DLL Name:" in line}, key=str.lower)
            sizes.append(f"  Tilewright.exe imports: {', '.join(dlls)}")

        print("\nBinary sizes:")
        print("\n".join(sizes))
    finally:
        if wine_env is not None:
            subprocess.run(["wineserver", "-k"], env=wine_env)
        server.terminate()
        server.wait()


if __name__ == "__main__":
    main()
