#!/usr/bin/env python3
"""Makes the Debian package and checks it, one group of checks per command.

  check_package.py build CPACK BUILD_DIR WORK_DIR ROOT   make the .deb, unpack it into ROOT
  check_package.py PART ROOT VERSION                     check one part of the unpacked tree
  check_package.py zip CPACK BUILD_DIR WORK_DIR NAME...  make the Windows .zip, check it holds
                                                         exactly the files NAME...

PART is control, program, desktop, icons, metainfo, readme, manpages, changelog or lintian.
Exit status 0: passed, 1: failed, 77: the tool a check needs is not installed.
"""
import email.utils
import gzip
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree
import zipfile

SKIP = 77
APPLICATIONS = "usr/share/applications"
HICOLOR = "usr/share/icons/hicolor"
METAINFO = "usr/share/metainfo"


class Failure(Exception):
    pass


def require(condition, message):
    if not condition:
        raise Failure(message)


def run(*command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, **kwargs)


def make_package(cpack, generator, build_dir, work_dir):
    out = os.path.join(work_dir, "out")
    shutil.rmtree(out, ignore_errors=True)
    made = run(cpack, "-G", generator, "-B", out, "--config",
               os.path.join(build_dir, "CPackConfig.cmake"), cwd=build_dir)
    print(made.stdout, made.stderr)
    require(made.returncode == 0, "cpack failed")
    suffix = {"DEB": ".deb", "ZIP": ".zip"}[generator]
    made = [name for name in os.listdir(out) if name.endswith(suffix)]
    require(len(made) == 1, f"expected one {suffix}, found {made}")
    return os.path.join(out, made[0])


def build(cpack, build_dir, work_dir, root):
    shutil.rmtree(root, ignore_errors=True)
    deb = make_package(cpack, "DEB", build_dir, work_dir)
    require(run("dpkg-deb", "-x", deb, root).returncode == 0, "dpkg-deb -x failed")
    fields = run("dpkg-deb", "-f", deb)
    require(fields.returncode == 0, "dpkg-deb -f failed")
    with open(os.path.join(root, "..", "control"), "w") as control:
        control.write(fields.stdout)
    # The checks find the package itself through this file, wherever cpack put it.
    with open(os.path.join(root, "..", "deb-name"), "w") as name:
        name.write(deb)
    print(f"unpacked {deb} into {root}")


def check_zip(cpack, build_dir, work_dir, *expected):
    archive = make_package(cpack, "ZIP", build_dir, work_dir)
    with zipfile.ZipFile(archive) as made:
        names = [info.filename for info in made.infolist() if not info.is_dir()]
    # CPack puts everything in one folder named like the zip.
    top = os.path.basename(archive)[:-len(".zip")] + "/"
    require(all(name.startswith(top) for name in names), f"not all in {top}: {names}")
    names = sorted(name[len(top):] for name in names)
    require(names == sorted(expected), f"the zip holds {names}, expected {sorted(expected)}")


def read_control(root):
    fields = {}
    with open(os.path.join(root, "..", "control")) as control:
        for line in control:
            match = re.match(r"([A-Za-z-]+):\s*(.*)", line)
            if match:
                fields[match.group(1)] = match.group(2).strip()
    return fields


def check_control(root, version):
    fields = read_control(root)
    require(fields.get("Package") == "tilewright", f"Package is {fields.get('Package')}")
    require(fields.get("Version") == version,
            f"Version is {fields.get('Version')}, the project's is {version}")
    architecture = run("dpkg", "--print-architecture").stdout.strip()
    require(fields.get("Architecture") == architecture,
            f"Architecture is {fields.get('Architecture')}, this machine's is {architecture}")
    require(fields.get("Maintainer"), "no Maintainer")
    depends = [d.strip().split()[0] for d in fields.get("Depends", "").split(",") if d.strip()]
    for needed in ("libgtk-3-0", "libc6", "libstdc++6"):
        require(needed in depends, f"Depends lacks {needed}: {depends}")
    for stray in ("libasan", "libubsan", "libgtest"):
        require(not any(d.startswith(stray) for d in depends), f"Depends holds {stray}")
    with open(os.path.join(root, "..", "deb-name")) as name:
        deb = os.path.basename(name.read())
    require(deb == f"tilewright_{version}_{architecture}.deb", f"package file is {deb}")


def check_program(root, version):
    program = os.path.join(root, "usr/bin/tilewright")
    require(os.path.isfile(program), "no usr/bin/tilewright")
    require(os.access(program, os.X_OK), "usr/bin/tilewright is not executable")
    with open(program, "rb") as f:
        require(f.read(4) == b"\x7fELF", "usr/bin/tilewright is not an ELF program")
    libraries = run("ldd", program).stdout
    require("not found" not in libraries, f"libraries missing:\n{libraries}")
    # Without a display it must say so and fail cleanly: the libraries load and it starts.
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    started = run(program, env=env, timeout=30)
    require(started.returncode == 1,
            f"without a display it ended with {started.returncode}: {started.stderr}")
    require(started.stderr.strip(), "without a display it said nothing")
    # The command-line program beside it, which runs anywhere.
    cli = os.path.join(root, "usr/bin/tilewright-cli")
    require(os.access(cli, os.X_OK), "no executable usr/bin/tilewright-cli")
    stated = run(cli, "--version", timeout=30)
    require(stated.returncode == 0 and stated.stdout == f"tilewright-cli {version}\n",
            f"tilewright-cli --version said {stated.stdout!r} {stated.stderr!r}")
    leftovers = [os.path.relpath(os.path.join(d, f), root)
                 for d, _, files in os.walk(root) for f in files
                 if f.endswith((".a", ".h", ".cmake")) or "test" in f.lower()]
    require(not leftovers, f"build or test files in the package: {leftovers}")
    require(os.path.isfile(os.path.join(root, "usr/share/doc/tilewright/copyright")),
            "no usr/share/doc/tilewright/copyright")


def desktop_entry(root):
    path = os.path.join(root, APPLICATIONS, "tilewright.desktop")
    require(os.path.isfile(path), f"no {APPLICATIONS}/tilewright.desktop")
    entry = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            key, sep, value = line.strip().partition("=")
            if sep and key not in entry:
                entry[key] = value
    return path, entry


def check_desktop(root, version):
    path, entry = desktop_entry(root)
    if shutil.which("desktop-file-validate") is None:
        print("desktop-file-validate is not installed")
        sys.exit(SKIP)
    validated = run("desktop-file-validate", path)
    require(validated.returncode == 0 and not validated.stdout.strip(),
            f"desktop-file-validate: {validated.stdout}{validated.stderr}")
    program = entry.get("Exec", "").split()[0] if entry.get("Exec") else ""
    require(program and "/" not in program, f"Exec is {entry.get('Exec')}")
    require(os.path.isfile(os.path.join(root, "usr/bin", program)),
            f"Exec names {program}, which the package does not hold in usr/bin")
    require(entry.get("Type") == "Application", "not an Application entry")


def png_size(path):
    with open(path, "rb") as f:
        header = f.read(24)
    require(header[:8] == b"\x89PNG\r\n\x1a\n" and header[12:16] == b"IHDR", f"{path} is no PNG")
    return struct.unpack(">II", header[16:24])


def check_icons(root, version):
    _, entry = desktop_entry(root)
    icon = entry.get("Icon", "")
    require(icon and "/" not in icon, f"Icon is {icon!r}, not a theme icon name")
    found = []
    for size in sorted(os.listdir(os.path.join(root, HICOLOR))):
        folder = os.path.join(root, HICOLOR, size, "apps")
        match = re.fullmatch(r"(\d+)x(\d+)", size)
        if match:
            path = os.path.join(folder, icon + ".png")
            require(os.path.isfile(path), f"{HICOLOR}/{size}/apps holds no {icon}.png")
            width, height = png_size(path)
            require((width, height) == (int(match.group(1)), int(match.group(2))),
                    f"{size}/apps/{icon}.png is {width}x{height}")
            found.append(int(match.group(1)))
        elif size == "scalable":
            svg = ElementTree.parse(os.path.join(folder, icon + ".svg")).getroot()
            require(svg.tag.endswith("svg"), "the scalable icon is no SVG")
    # The icon theme rules make 48x48 the size every theme must have.
    for needed in (16, 32, 48, 128):
        require(needed in found, f"no {needed}x{needed} icon; have {found}")


def check_metainfo(root, version):
    path = os.path.join(root, METAINFO, "tilewright.metainfo.xml")
    require(os.path.isfile(path), f"no {METAINFO}/tilewright.metainfo.xml")
    component = ElementTree.parse(path).getroot()
    require(component.get("type") == "desktop-application", "not a desktop-application")
    launchable = component.findtext("launchable")
    require(os.path.isfile(os.path.join(root, APPLICATIONS, launchable or "-")),
            f"launchable {launchable} is not in {APPLICATIONS}")
    require(component.findtext("id") + ".desktop" == launchable,
            f"id {component.findtext('id')} does not match {launchable}")
    binary = component.findtext("provides/binary")
    require(binary and os.path.isfile(os.path.join(root, "usr/bin", binary)),
            f"provides binary {binary}, which the package does not hold")
    releases = [r.get("version") for r in component.findall("releases/release")]
    require(releases and releases[0] == version,
            f"newest release is {releases[:1]}, the project's version is {version}")
    if shutil.which("appstreamcli") is None:
        print("appstreamcli is not installed")
        sys.exit(SKIP)
    # The id is the .desktop file's name, which has no reverse-DNS form: that is a hint here.
    validated = run("appstreamcli", "validate", "--no-net",
                    "--override=cid-desktopapp-is-not-rdns=info", path)
    print(validated.stdout, validated.stderr)
    require(validated.returncode == 0, "appstreamcli validate failed")


def check_readme(root, version):
    path = os.path.join(root, "usr/share/doc/tilewright/README.md")
    require(os.path.isfile(path), "no usr/share/doc/tilewright/README.md")
    with open(path, encoding="utf-8") as f:
        stated = re.findall(r"^Version (\d+\.\d+\.\d+)\.", f.read(), re.MULTILINE)
    require(stated == [version], f"the README states version {stated}, the project's is {version}")


def gzip_text(path):
    """The text of a file compressed as Debian wants: maximum, with no name or time stamp."""
    with open(path, "rb") as f:
        header = f.read(10)
    require(header[:3] == b"\x1f\x8b\x08", f"{path} is not gzip-compressed")
    require(header[3] & 0x08 == 0 and header[4:8] == b"\0\0\0\0",
            f"{path} carries a file name or time stamp, so builds differ")
    require(header[8] == 2, f"{path} is not compressed with maximum compression")
    with gzip.open(path, "rt", encoding="utf-8") as f:
        return f.read()


def check_manpages(root, version):
    if shutil.which("man") is None:
        print("man is not installed")
        sys.exit(SKIP)
    programs = sorted(os.listdir(os.path.join(root, "usr/bin")))
    require(programs, "no programs in usr/bin")
    for program in programs:
        page = os.path.join(root, "usr/share/man/man1", program + ".1.gz")
        require(os.path.isfile(page), f"{program} has no usr/share/man/man1/{program}.1.gz")
        title = re.search(r"^\.TH .*$", gzip_text(page), re.MULTILINE)
        require(title and version in title.group(0),
                f"{program}'s page does not name version {version}: {title}")
        env = dict(os.environ, MANWIDTH="80", LC_ALL="C.UTF-8")
        shown = run("man", "--warnings", "-E", "UTF-8", "-l", page, env=env)
        require(shown.returncode == 0 and not shown.stderr.strip(),
                f"man -l {program}.1.gz: {shown.returncode}\n{shown.stderr}")
        name = re.search(r"^NAME\n +(\S+) [-\u2010] ", shown.stdout, re.MULTILINE)
        require(name and name.group(1) == program, f"{program}'s page is not about it")
        print(f"{program}.1.gz renders without warnings")


def check_changelog(root, version):
    text = gzip_text(os.path.join(root, "usr/share/doc/tilewright/changelog.gz"))
    with tempfile.NamedTemporaryFile("w", suffix="changelog") as plain:
        plain.write(text)
        plain.flush()
        parsed = run("dpkg-parsechangelog", "-l", plain.name, "--all", "--format", "rfc822")
    require(parsed.returncode == 0, f"dpkg-parsechangelog: {parsed.stderr}")
    entries = re.findall(r"^Version: (\S+)\n(?:.+\n)*?Date: (.+)$", parsed.stdout, re.MULTILINE)
    releases = [(v, email.utils.parsedate_to_datetime(d).date().isoformat()) for v, d in entries]
    require(releases and releases[0][0] == version,
            f"the changelog's newest release is {releases[:1]}, the project's version {version}")
    # The metainfo tells software centres of the same releases.
    component = ElementTree.parse(os.path.join(root, METAINFO, "tilewright.metainfo.xml"))
    listed = [(r.get("version"), r.get("date")) for r in component.findall("releases/release")]
    require(listed == releases, f"the metainfo lists {listed}, the changelog {releases}")


def check_lintian(root, version):
    if shutil.which("lintian") is None:
        print("lintian is not installed")
        sys.exit(SKIP)
    with open(os.path.join(root, "..", "deb-name")) as name:
        deb = name.read()
    checked = run("lintian", "--tag-display-limit", "0", deb)
    print(checked.stdout, checked.stderr)
    complaints = re.findall(r"^[EW]: .*$", checked.stdout, re.MULTILINE)
    require(checked.returncode == 0 and not complaints,
            f"lintian: {checked.returncode}, {len(complaints)} errors and warnings")


CHECKS = {
    "control": check_control,
    "program": check_program,
    "desktop": check_desktop,
    "icons": check_icons,
    "metainfo": check_metainfo,
    "readme": check_readme,
    "manpages": check_manpages,
    "changelog": check_changelog,
    "lintian": check_lintian,
}


def main(argv):
    try:
        if argv[1] == "build":
            build(*argv[2:6])
        elif argv[1] == "zip":
            check_zip(*argv[2:])
        else:
            CHECKS[argv[1]](argv[2], argv[3])
    except Failure as failure:
        print(f"FAILED: {failure}")
        return 1
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
