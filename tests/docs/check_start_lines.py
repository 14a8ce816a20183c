#!/usr/bin/env python3
"""Runs the command-mode lines of README, the manual and the guide exactly as printed.

  check_start_lines.py --shell VREL [--wine WINE] FILE...

Every `vrel -f -c ...` line of the files (inline code of the Markdown files, example blocks of
the manual page) is started the way its text says: a line in single quotes from /bin/sh, a line
in double quotes from /bin/sh and, with --wine, from Wine's cmd.exe (as a batch file line, so
that cmd hands the shell its line unchanged). Each must end with 0, report no command error, and
print what the same command line gives when the shell gets it without any quotes around it.
Prints what is wrong and the line "N passed, N failed"; exits 1 when a check failed.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                                "e2e"))
import wine  # noqa: E402

LINE_RE = re.compile(r"^vrel -f -c (['\"])(.*)\1$")


def start_lines(path):
    """The command-mode lines of one file, as a reader would copy them."""
    with open(path, encoding="utf-8") as f:
        text = f.read()
    if path.endswith(".1"):
        text = text.replace("\\-", "-").replace("\\(aq", "'").replace("\\(dq", '"')
        # An example line, or the text of a .B or .BR line (its quotes and punctuation aside).
        lines = [m.group(1) or m.group(2) for m in
                 re.finditer(r'^(?:\.BR? )?(?:"(.*)"|(vrel .*?))(?: [.,;:])?$', text, re.M)]
    else:
        lines = re.findall(r"`(vrel [^`]*)`", text)
    return list(dict.fromkeys(line for line in lines if line and LINE_RE.match(line)))


def scratch():
    folder = tempfile.mkdtemp(prefix="vrel-start-lines-")
    with open(os.path.join(folder, "a.txt"), "w") as f:
        f.write("some text\n")
    return folder


def run_posix(shell, line):
    folder = scratch()
    env = dict(os.environ, PATH=os.path.dirname(os.path.abspath(shell)) + ":" +
               os.environ.get("PATH", "/usr/bin:/bin"))
    try:
        given = subprocess.run(["/bin/sh", "-c", line], cwd=folder, env=env,
                               capture_output=True, timeout=60)
        inner = LINE_RE.match(line).group(2)
        plain = subprocess.run([shell, "-f", "-c", inner], cwd=folder, env=env,
                               capture_output=True, timeout=60)
        return given, plain
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def run_cmd(wine_program, shell, line):
    """The line from a batch file run by cmd.exe, with vrel.exe on the PATH, and the same line
    with the quotes taken away; the batch file and the program lie outside the folder the line
    runs in, so both runs see the same files."""
    folder, tools = scratch(), tempfile.mkdtemp(prefix="vrel-start-tools-")
    shutil.copy2(shell, os.path.join(tools, "vrel.exe"))
    batch = os.path.join(tools, "t.bat")
    inner = LINE_RE.match(line).group(2)
    env = wine.wine_env(dict(os.environ, WINEPATH=wine.windows_path(tools)))
    results = []
    try:
        for text in (line, "vrel -f -c " + inner):
            with open(batch, "w", newline="\r\n") as f:
                f.write("@" + text + "\n")

            def start():
                return subprocess.run([wine_program, "cmd", "/c", wine.windows_path(batch)],
                                      cwd=folder, env=env, stdin=subprocess.DEVNULL,
                                      capture_output=True, timeout=180)
            result = wine.started_again(start, "cmd.exe")
            result.stdout = result.stdout.replace(b"\r\n", b"\n")
            results.append(result)
        return results
    finally:
        shutil.rmtree(folder, ignore_errors=True)
        shutil.rmtree(tools, ignore_errors=True)


def problem(given, plain):
    if given.returncode != 0:
        return "exit code %d, output %r" % (given.returncode, given.stdout + given.stderr)
    if b"command error" in given.stdout + given.stderr:
        return "a command error: %r" % given.stdout
    if given.stdout != plain.stdout or not given.stdout:
        return "printed %r, not %r" % (given.stdout, plain.stdout)
    return None


def check(shell, files, wine_program=None):
    """The lines of the files run as printed; returns (passed, failed)."""
    passed = failed = 0
    for path in files:
        for line in start_lines(path):
            if wine_program:
                if '"' not in line:
                    continue
                given, plain = run_cmd(wine_program, shell, line)
                where = "cmd.exe"
            else:
                given, plain = run_posix(shell, line)
                where = "/bin/sh"
            error = problem(given, plain)
            if error:
                print("FAIL %s: %s from %s: %s" % (os.path.basename(path), line, where, error))
                failed += 1
            else:
                passed += 1
    return passed, failed


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--shell", required=True)
    parser.add_argument("--wine")
    parser.add_argument("files", nargs="+")
    options = parser.parse_args()
    passed, failed = check(os.path.abspath(options.shell), options.files, options.wine)
    if passed + failed == 0:
        print("no command-mode line found")
        failed = 1
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
