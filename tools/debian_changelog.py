#!/usr/bin/env python3
"""Writes the Debian package's changelog.gz from CHANGELOG.md.

  debian_changelog.py CHANGELOG.md PACKAGE MAINTAINER OUTPUT

CHANGELOG.md holds one "## VERSION - YYYY-MM-DD" section per release, newest first, each a list
of "- " items (continued on lines indented by two spaces). Every release becomes one Debian
changelog entry dated at midnight UTC of its day, so the output depends on nothing but the
inputs. Debian's tools want each entry later than the one before, so releases made on the same
day are a minute apart, oldest first. The build compresses OUTPUT with `gzip -9n`.
"""
import datetime
import email.utils
import re
import sys
import textwrap

HEADING = re.compile(r"## (\d+\.\d+\.\d+) - (\d{4}-\d{2}-\d{2})")
# Debian's tools want changelog lines shorter than 80 columns.
WIDTH = 78


class ChangelogError(Exception):
    pass


def read_releases(path):
    """Returns [(version, date, [item, ...]), ...] in the file's order."""
    releases = []
    with open(path, encoding="utf-8") as markdown:
        for number, line in enumerate(markdown, 1):
            line = line.rstrip()
            heading = HEADING.fullmatch(line)
            if heading:
                date = datetime.date.fromisoformat(heading.group(2))
                releases.append((heading.group(1), date, []))
            elif not releases or not line:
                continue  # the title and introduction, and blank lines
            elif line.startswith("- "):
                releases[-1][2].append(line[2:])
            elif line.startswith("  ") and releases[-1][2]:
                releases[-1][2][-1] += " " + line.strip()
            else:
                raise ChangelogError(f"{path}:{number}: expected a '- ' item: {line}")
    if not releases or not all(items for _, _, items in releases):
        raise ChangelogError(f"{path}: every release needs at least one item")
    return releases


def debian_entry(package, version, when, items, maintainer):
    lines = [f"{package} ({version}) unstable; urgency=medium", ""]
    for item in items:
        # Markdown's code marks mean nothing in a plain-text changelog.
        text = item.replace("`", "")
        lines += textwrap.wrap(text, WIDTH, initial_indent="  * ", subsequent_indent="    ",
                               break_on_hyphens=False)
    lines += ["", f" -- {maintainer}  {email.utils.format_datetime(when)}"]
    return "\n".join(lines) + "\n"


def main(argv):
    if len(argv) != 5:
        print(__doc__, file=sys.stderr)
        return 2
    source, package, maintainer, output = argv[1:]
    try:
        releases = read_releases(source)
    except (ChangelogError, ValueError) as error:
        print(error, file=sys.stderr)
        return 1
    entries = []
    for number, (version, date, items) in enumerate(releases):
        same_day_before = sum(1 for _, older, _ in releases[number + 1:] if older == date)
        when = datetime.datetime.combine(date, datetime.time(0, same_day_before),
                                         datetime.timezone.utc)
        entries.append(debian_entry(package, version, when, items, maintainer))
    with open(output, "w", encoding="utf-8") as out:
        out.write("\n".join(entries))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
