#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks a program's manual page against the program.

    check_man_page.py PROGRAM PAGE

PROGRAM --help and --version must work without a display and exit 0, --version
must name the program, and the page (rendered by man -l) must show every option
that --help mentions, every command and every exit code that --help lists.
Used on the build tree by ctest and on the installed package by
scripts/deb-check.sh.
"""
import os
import re
import subprocess
import sys

OPTION = re.compile(r"(?<![\w-])--?[A-Za-z][\w-]*")
HEADING = re.compile(r"^\S.*:\s*$")


def run(args, env):
    done = subprocess.run(args, env=env, capture_output=True, timeout=60)
    if done.returncode != 0:
        sys.exit(f"{' '.join(args)}: exit {done.returncode}\n{done.stderr.decode(errors='replace')}")
    return done.stdout.decode()


def listed_under(help_text, heading_word):
    """First words of the entries under the heading that contains heading_word."""
    entries, inside = [], False
    for line in help_text.splitlines():
        if HEADING.match(line):
            inside = heading_word in line
        elif inside and re.match(r"^  \S", line):
            entries.append(line.split()[0])
    return entries


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    program, page = sys.argv[1:]
    name = os.path.basename(program)
    # No display of any kind: --help and --version must not need one.
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    env["LC_ALL"] = "C.UTF-8"
    help_text = run([program, "--help"], env)
    version = run([program, "--version"], env).splitlines()
    if not version or not re.fullmatch(re.escape(name) + r" \d+\.\d+\.\d+", version[0]):
        sys.exit(f"{name} --version: the first line is not '{name} <version>': {version[:1]}")

    # Wide enough that no line is broken, so no option is hyphenated.
    env["MANWIDTH"] = "1000"
    rendered = run(["man", "-l", page], env)
    rendered = rendered.replace("\u2010", "-").replace("\u2212", "-")
    if not rendered.strip():
        sys.exit(f"{page}: renders empty")

    options = sorted(set(OPTION.findall(help_text)))
    commands = listed_under(help_text, "Commands")
    codes = listed_under(help_text, "Exit codes")
    missing = []
    for option in options:
        if not re.search(r"(?<![\w-])" + re.escape(option) + r"(?![\w-])", rendered):
            missing.append(f"option {option}")
    # Commands and exit codes each head an entry of their own.
    for command in commands:
        if not re.search(r"^ +" + re.escape(command) + r"\b", rendered, re.M):
            missing.append(f"command {command}")
    for code in codes:
        if not re.search(r"^ +" + re.escape(code) + r" ", rendered, re.M):
            missing.append(f"exit code {code}")
    if missing:
        sys.exit(f"{page} lacks what {name} --help lists: " + ", ".join(missing))
    print(f"{page}: shows the {len(options)} options, {len(commands)} commands and "
          f"{len(codes)} exit codes of {name} --help")


if __name__ == "__main__":
    main()
