#!/usr/bin/env python3
"""Follows README on a clean clone: its package line, then its two commands, word for word.

README's command-mode lines (`vrel -f -c ...`) then run as printed with the shell it built.
The commands are taken from README itself, so that they cannot drift from what is tested. The
first must build the shell alone and leave the user at a prompt (checked through a
pseudo-terminal: the prompt shows, a line runs, `exit` leaves); the second must build and pass
every test. The clone of HEAD is made in DIR (default build/ci-readme, kept for the next
stages and for reading after a failure).

    tests/packaging/test_readme.py [--clone DIR] [--start-only]
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
sys.path.insert(0, os.path.join(ROOT, "tests", "docs"))
import check_start_lines  # noqa: E402
import terminal  # noqa: E402
# Building is slow on a loaded machine; only a hang this long is a fault.
BUILD_LIMIT = 1800.0


def fail(text):
    sys.exit("test_readme: FAIL: " + text)


def readme_commands(text):
    """The package names and the two commands, each from the first sh block under its heading."""
    sections = dict(re.findall(r"^## (.+?)\n(.*?)(?=^## |\Z)", text, re.M | re.S))
    blocks = {name: re.findall(r"```sh\n(.*?)```", body, re.S) for name, body in sections.items()}
    start = blocks.get("Build and start", [])
    tests = blocks.get("Build and run every test", [])
    installs = [i for i, b in enumerate(start) if "apt-get install" in b]
    commands = [i for i, b in enumerate(start) if "apt-get" not in b]
    if not installs or not commands or not tests:
        fail("README lacks the package line, the start command or the test command")
    if installs[0] > commands[0]:
        fail("README gives the package line after the start command")
    packages = start[installs[0]].split("apt-get install", 1)[1].split()
    return [p for p in packages if not p.startswith("-")], start[commands[0]].strip(), \
        tests[0].strip()


def clean_env():
    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": os.environ.get("HOME", "/"),
           "TERM": "xterm", "LANG": "C.UTF-8"}
    # A compiler cache the caller set up speeds the build without changing the commands.
    for name, value in os.environ.items():
        if name.startswith("CCACHE_") or name.endswith("_COMPILER_LAUNCHER"):
            env[name] = value
    return env


def check_start(command, clone):
    """Runs the start command on a terminal: the prompt shows, a line runs, exit leaves."""
    prompt = clone + "> "
    began = time.monotonic()
    shell = terminal.Terminal(["/bin/sh", "-c", command], clean_env(), clone)
    try:
        row = shell.wait_prompt(prompt, -1, BUILD_LIMIT)
        print("test_readme: a prompt after %.0f s of building" % (time.monotonic() - began))
        shell.type("echo hello from vrel\r")
        row = shell.wait_prompt(prompt, row) - shell.screen.scrolled
        if shell.rows()[row - 1] != "hello from vrel":
            raise AssertionError("the line's output is not shown:\n" + shell.dump())
        shell.type("exit\r")
        code = shell.wait_end()
    except AssertionError as error:
        fail(str(error))
    finally:
        shell.close()
    if code != 0:
        fail("the start command ended with %d" % code)
    # The shell alone: no test was built, so GoogleTest was not needed.
    if os.path.exists(os.path.join(clone, "build", "release", "tests")):
        fail("the start command configured the tests too")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--clone", default=os.path.join(ROOT, "build", "ci-readme"))
    parser.add_argument("--start-only", action="store_true", help="skip the test command")
    options = parser.parse_args()
    with open(os.path.join(ROOT, "README.md"), encoding="utf-8") as f:
        packages, start, tests = readme_commands(f.read())
    missing = [p for p in packages
               if subprocess.run(["dpkg", "-s", p], capture_output=True).returncode != 0]
    if missing:
        fail("README's packages not installed here: " + " ".join(missing))
    clone = os.path.abspath(options.clone)
    shutil.rmtree(clone, ignore_errors=True)
    subprocess.run(["git", "clone", "-q", ROOT, clone], check=True)
    check_start(start, clone)
    # README's command-mode lines, as printed, with the shell just built.
    passed, failed = check_start_lines.check(os.path.join(clone, "build", "release", "vrel"),
                                             [os.path.join(clone, "README.md")])
    if failed or not passed:
        fail("README's command-mode lines: %d passed, %d failed" % (passed, failed))
    if not options.start_only:
        print("test_readme: " + tests, flush=True)
        if subprocess.run(["/bin/sh", "-c", tests], cwd=clone, env=clean_env()).returncode:
            fail("the test command failed (the clone is kept in %s)" % clone)
    print("test_readme: 1 passed, 0 failed")


if __name__ == "__main__":
    main()
