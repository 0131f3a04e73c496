#!/usr/bin/env python3
"""Makes the Debian package and checks it, one group of checks per command.

  check_package.py build CPACK BUILD_DIR WORK_DIR ROOT   make the .deb, unpack it into ROOT
  check_package.py PART ROOT VERSION                     check one part of the unpacked tree

PART is control, program, desktop, icons, metainfo or readme. Exit status 0: passed,
1: failed, 77: the tool a check needs is not installed.
"""
import os
import re
import shutil
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

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


def build(cpack, build_dir, work_dir, root):
    out = os.path.join(work_dir, "out")
    shutil.rmtree(out, ignore_errors=True)
    shutil.rmtree(root, ignore_errors=True)
    made = run(cpack, "-G", "DEB", "-B", out, "--config",
               os.path.join(build_dir, "CPackConfig.cmake"), cwd=build_dir)
    print(made.stdout, made.stderr)
    require(made.returncode == 0, "cpack failed")
    debs = [name for name in os.listdir(out) if name.endswith(".deb")]
    require(len(debs) == 1, f"expected one .deb, found {debs}")
    deb = os.path.join(out, debs[0])
    require(run("dpkg-deb", "-x", deb, root).returncode == 0, "dpkg-deb -x failed")
    fields = run("dpkg-deb", "-f", deb)
    require(fields.returncode == 0, "dpkg-deb -f failed")
    with open(os.path.join(root, "..", "control"), "w") as control:
        control.write(fields.stdout)
    with open(os.path.join(root, "..", "deb-name"), "w") as name:
        name.write(debs[0])
    print(f"unpacked {debs[0]} into {root}")


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
        deb = name.read()
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


CHECKS = {
    "control": check_control,
    "program": check_program,
    "desktop": check_desktop,
    "icons": check_icons,
    "metainfo": check_metainfo,
    "readme": check_readme,
}


def main(argv):
    try:
        if argv[1] == "build":
            build(*argv[2:6])
        else:
            CHECKS[argv[1]](argv[2], argv[3])
    except Failure as failure:
        print(f"FAILED: {failure}")
        return 1
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
