#!/usr/bin/env python3
"""Runs the `vrel -f -c '...'` and `vrel -f -c "..."` lines of README, the manual and the guide
as printed: from /bin/sh, or with --wine the double-quoted ones from a batch file of Wine's
cmd.exe (which hands the shell its line unchanged). Each must end with 0 without a command
error and print what the shell prints for the line without its outer quotes.

  check_start_lines.py --shell VREL [--wine WINE] FILE...
"""
import argparse, os, re, shutil, subprocess, sys, tempfile  # noqa: E401

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import wine  # noqa: E402

LINE_RE = re.compile(r"^vrel -f -c (['\"])(.*)\1$")


def start_lines(path):
    text = open(path, encoding="utf-8").read()
    if path.endswith(".1"):  # example lines, and the text of .B and .BR lines
        text = text.replace("\\-", "-").replace("\\(aq", "'").replace("\\(dq", '"')
        lines = [m.group(1) or m.group(2) for m in
                 re.finditer(r'^(?:\.BR? )?(?:"(.*)"|(vrel .*?))(?: [.,;:])?$', text, re.M)]
    else:
        lines = re.findall(r"`(vrel [^`]*)`", text)
    return list(dict.fromkeys(line for line in lines if line and LINE_RE.match(line)))


def run_both(shell, line, wine_program):
    """The line as printed and without its quotes, run in one folder; the tools lie outside."""
    folder, tools = tempfile.mkdtemp(), tempfile.mkdtemp()
    open(os.path.join(folder, "a.txt"), "w").write("text\n")
    env = dict(os.environ, PATH=os.path.dirname(shell) + ":" + os.environ["PATH"])
    inner = LINE_RE.match(line).group(2)
    try:
        if not wine_program:
            return [subprocess.run(command, cwd=folder, env=env, capture_output=True, timeout=60)
                    for command in (["/bin/sh", "-c", line], [shell, "-f", "-c", inner])]
        shutil.copy2(shell, os.path.join(tools, "vrel.exe"))
        env = wine.wine_env(dict(env, WINEPATH=wine.windows_path(tools)))
        batch, results = os.path.join(tools, "t.bat"), []
        for text in (line, "vrel -f -c " + inner):
            open(batch, "w", newline="\r\n").write("@" + text + "\n")
            result = wine.started_again(lambda: subprocess.run(
                [wine_program, "cmd", "/c", wine.windows_path(batch)], cwd=folder, env=env,
                stdin=subprocess.DEVNULL, capture_output=True, timeout=180), "cmd.exe")
            result.stdout = result.stdout.replace(b"\r\n", b"\n")
            results.append(result)
        return results
    finally:
        shutil.rmtree(folder, ignore_errors=True)
        shutil.rmtree(tools, ignore_errors=True)


def check(shell, files, wine_program=None):
    """Runs the lines of the files; returns (passed, failed)."""
    passed = failed = 0
    for path in files:
        for line in start_lines(path):
            if wine_program and '"' not in line:
                continue  # single quotes are for POSIX shells
            given, plain = run_both(os.path.abspath(shell), line, wine_program)
            if given.returncode or b"command error" in given.stdout or not given.stdout or \
                    given.stdout != plain.stdout:
                print("FAIL %s: %s gave %d, %r, not %r" % (path, line, given.returncode,
                                                           given.stdout + given.stderr,
                                                           plain.stdout))
                failed += 1
            else:
                passed += 1
    return passed, failed


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--shell", required=True)
    parser.add_argument("--wine")
    parser.add_argument("files", nargs="+")
    options = parser.parse_args()
    passed, failed = check(options.shell, options.files, options.wine)
    print("%d passed, %d failed" % (passed, failed))
    sys.exit(1 if failed or not passed else 0)
