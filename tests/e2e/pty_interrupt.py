#!/usr/bin/env python3
"""Ctrl-C through a pseudo-terminal: it stops silent loops, and a second one is one more interrupt.

Run as `python3 pty_interrupt.py --shell PATH`; POSIX only. Uses the shell driver of
pty_editor.py; every wait has a deadline of several seconds, so a loaded machine only slows it.
"""
import argparse
import os
import shutil
import sys
import tempfile
import time

from pty_editor import CTRL_C, ENTER, PROMPT, Shell

# A loop that ignores the interrupt would never bring the prompt back; this is the limit.
STOP_DEADLINE = 5.0


def start_silent(shell, command):
    """Runs `echo started; command`; returns once the command runs with the terminal cooked."""
    shell.send(b"echo started; " + command + ENTER)
    shell.read_until(b"started\r\n")
    time.sleep(0.3)  # let the loop get going


def stop_time(shell, keys):
    started = time.monotonic()
    os.write(shell.fd, keys)
    out = shell.read_until(PROMPT)
    return out, time.monotonic() - started


def scene_ctrl_c_stops_lwhile(shell):
    start_silent(shell, b"lwhile true")
    out, took = stop_time(shell, CTRL_C)
    return out.replace(b"\r\r\n", b"\r\n") == b"^C\r\n" + PROMPT and took < STOP_DEADLINE


def scene_ctrl_c_stops_repeat(shell):
    start_silent(shell, b"repeat 4000000000 :")
    out, took = stop_time(shell, CTRL_C)
    return out.replace(b"\r\r\n", b"\r\n") == b"^C\r\n" + PROMPT and took < STOP_DEADLINE


def scene_two_ctrl_c_leave_the_shell_at_its_prompt(shell):
    start_silent(shell, b"lwhile true")
    out, took = stop_time(shell, CTRL_C + CTRL_C)
    time.sleep(0.5)  # a second notice and prompt may follow the first
    shell.send(b"echo alive" + ENTER)
    return b"^C" in out and took < STOP_DEADLINE and b"alive\r\n" in shell.read_until(
        b"alive\r\n" + PROMPT)


SCENES = [
    scene_ctrl_c_stops_lwhile,
    scene_ctrl_c_stops_repeat,
    scene_two_ctrl_c_leave_the_shell_at_its_prompt,
]


def run_scene(shell_path, scene):
    directory = tempfile.mkdtemp(prefix="vrel_pty_")
    try:
        shell = Shell(shell_path, directory)
        try:
            shell.read_until(PROMPT)
            return scene(shell), ""
        except AssertionError as error:
            return False, str(error)
        finally:
            shell.close()
    finally:
        shutil.rmtree(directory, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--shell", required=True)
    args = parser.parse_args()
    shell_path = os.path.abspath(args.shell)
    failures = 0
    for scene in SCENES:
        ok, why = run_scene(shell_path, scene)
        print("%s %s %s" % ("ok  " if ok else "FAIL", scene.__name__, why))
        failures += 0 if ok else 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
