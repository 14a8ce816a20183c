#!/usr/bin/env python3
"""Checks the manual page: it renders without a warning, and it documents every command.

  check_manual.py MANUAL BUILTINS_CPP CMAKELISTS

- `groff -man -ww -z MANUAL` (every warning on) writes nothing to standard error, and neither
  does `man -l MANUAL` when man is installed;
- the page has the conventional sections, and its title line names the version that the
  project() line of CMAKELISTS gives;
- every name of the keyword table and the built-in table in BUILTINS_CPP is the tag of an
  entry (.TP or .TQ) of the page, so a command added to the tables without its manual entry
  fails here.

Prints what is wrong and the line "N passed, N failed"; exits 1 when a check failed.
"""
import os
import re
import shlex
import shutil
import subprocess
import sys

SECTIONS = ["NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "ENVIRONMENT", "FILES", "EXIT STATUS",
            "EXAMPLES"]


def render_warnings(manual):
    """Standard error of each renderer, by command."""
    results = {}
    if not shutil.which("groff"):
        return {"groff": "groff is not installed (Debian package groff-base)"}
    run = subprocess.run(["groff", "-man", "-ww", "-z", manual], capture_output=True, text=True)
    results["groff -man -ww -z"] = run.stderr + ("" if run.returncode == 0 else
                                                 "exit code %d" % run.returncode)
    if shutil.which("man"):
        env = dict(os.environ, MANWIDTH="80", MANPAGER="cat", PAGER="cat", LC_ALL="C.UTF-8")
        run = subprocess.run(["man", "-l", manual], capture_output=True, text=True, env=env)
        results["man -l"] = run.stderr + ("" if run.returncode == 0 else
                                          "exit code %d" % run.returncode)
    return results


def table_names(builtins_cpp):
    """The command names of the keyword and built-in tables."""
    with open(builtins_cpp, encoding="utf-8") as f:
        text = f.read()
    return re.findall(r'\{"([^"]+)",\s*builtin_\w+\}', text)


def unescape(word):
    return word.replace("\\-", "-").replace("\\e", "\\").replace("\\&", "")


def tagged_names(manual):
    """Every command name that a .TP or .TQ entry of the page has as its tag."""
    with open(manual, encoding="utf-8") as f:
        lines = f.read().split("\n")
    names = set()
    for before, line in zip(lines, lines[1:]):
        if before not in (".TP", ".TQ") or not line.startswith((".B ", ".BI ", ".BR ")):
            continue
        args = shlex.split(line.split(" ", 1)[1].replace("\\", "\\\\"))
        names.add(unescape(args[0]))
        # ".BR set , export": a list of names in one tag.
        names.update(unescape(a) for prev, a in zip(args, args[1:]) if prev.strip() == ",")
    return names


def version_problem(manual, cmakelists):
    with open(cmakelists, encoding="utf-8") as f:
        project = re.search(r"^project\(vrel VERSION ([0-9.]+)", f.read(), re.M)
    with open(manual, encoding="utf-8") as f:
        title = re.search(r'^\.TH VREL 1 \S+ "vrel ([0-9.]+)"', f.read(), re.M)
    if not project or not title:
        return "no version in the project() line or the .TH line"
    if project.group(1) != title.group(1):
        return "the page says version %s, the project %s" % (title.group(1), project.group(1))
    return None


def main():
    manual, builtins_cpp, cmakelists = sys.argv[1], sys.argv[2], sys.argv[3]
    problems = []
    version = version_problem(manual, cmakelists)
    if version:
        problems.append(version)
    for renderer, err in render_warnings(manual).items():
        if err.strip():
            problems.append("%s reports:\n  %s" % (renderer, err.strip().replace("\n", "\n  ")))
    with open(manual, encoding="utf-8") as f:
        headings = re.findall(r'^\.SH "?([^"\n]+)"?$', f.read(), re.M)
    for section in SECTIONS:
        if section not in headings:
            problems.append("no section %s" % section)
    names = table_names(builtins_cpp)
    if len(names) != 41:
        problems.append("expected the 41 names of the two tables, found %d" % len(names))
    documented = tagged_names(manual)
    for name in names:
        if name not in documented:
            problems.append("no entry for the command %r" % name)
    for problem in problems:
        print("FAIL " + problem)
    checks = 4 + len(names)
    print("manual: %d passed, %d failed" % (checks - len(problems), len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
