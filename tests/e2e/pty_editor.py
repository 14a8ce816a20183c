#!/usr/bin/env python3
"""Drives the prompt's line editor and the $< input of `vrel -f` through a pseudo-terminal.

Each scene starts the shell in a scratch directory with a prompt from PS1, types keys once the
prompt is on the screen and compares the exact bytes the terminal receives up to the next
prompt. The terminal turns each line feed the shell writes into CR LF. Run as
`python3 pty_editor.py --shell PATH`; POSIX only.
"""
import argparse
import os
import pty
import select
import shutil
import signal
import sys
import tempfile
import termios
import time

PROMPT = b"vrel> "
TIMEOUT = 60.0  # only a hang is a fault: a loaded machine may take seconds to answer
UP, DOWN, LEFT = b"\x1b[A", b"\x1b[B", b"\x1b[D"
F1 = b"\x1bOP"
ENTER, TAB, CTRL_U, CTRL_T, CTRL_C = b"\r", b"\t", b"\x15", b"\x14", b"\x03"


def erased(cells):
    return b"\b \b" * cells


def typed(text):
    """What typing text into an empty line shows."""
    return b"".join(erased(i) + text[: i + 1] for i in range(len(text)))


class Shell:
    def __init__(self, shell_path, directory, prompt=b'"vrel> "'):
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": directory,
               "LANG": "C.UTF-8", "PS1": prompt.decode(), "TERM": "dumb"}
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            os.chdir(directory)
            # No echo from the terminal while the shell runs a command: only its own bytes show.
            mode = termios.tcgetattr(0)
            mode[3] &= ~termios.ECHO
            termios.tcsetattr(0, termios.TCSANOW, mode)
            try:
                os.execve(shell_path, [shell_path, "-f"], env)
            finally:
                os._exit(127)
        self.pending = b""

    def read_until(self, marker):
        """The bytes up to and including marker."""
        deadline = time.monotonic() + TIMEOUT
        while marker not in self.pending:
            left = deadline - time.monotonic()
            if left <= 0:
                raise AssertionError("timed out waiting for %r; got %r" % (marker, self.pending))
            ready, _, _ = select.select([self.fd], [], [], left)
            if ready:
                try:
                    chunk = os.read(self.fd, 4096)
                except OSError:
                    chunk = b""
                if not chunk:
                    raise AssertionError("shell ended; got %r" % self.pending)
                self.pending += chunk
        end = self.pending.index(marker) + len(marker)
        out, self.pending = self.pending[:end], self.pending[end:]
        return out

    def wait_mode(self, canonical):
        """Waits until the shell has put the terminal into (or out of) line mode."""
        deadline = time.monotonic() + TIMEOUT
        while bool(termios.tcgetattr(self.fd)[3] & termios.ICANON) != canonical:
            if time.monotonic() > deadline:
                raise AssertionError("the terminal never left line mode; got %r" % self.pending)
            time.sleep(0.01)

    def send(self, keys):
        # Keys typed before the shell waits for them in raw mode would meet the line discipline.
        self.wait_mode(False)
        os.write(self.fd, keys)

    def line(self, keys, prompt=PROMPT):
        """Types keys at a prompt; the bytes shown up to the next prompt."""
        self.send(keys)
        return self.read_until(prompt)

    def close(self):
        try:
            os.kill(self.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        os.waitpid(self.pid, 0)
        os.close(self.fd)


def scene_insert_in_the_middle(shell):
    out = shell.line(b"echo abc" + LEFT + LEFT + b"x" + ENTER)
    expect = (typed(b"echo abc") + b"\b\b" + b"  " + erased(8) + b"echo axbc\b\b" +
              b"\r\n" + b"axbc\r\n" + PROMPT)
    return out, expect


def scene_history_prefix_search(shell):
    for command in (b"echo a", b": b", b"echo c"):
        shell.line(command + ENTER)
    out = shell.line(b"echo" + UP + UP + UP + DOWN + CTRL_U + ENTER)
    expect = (typed(b"echo") + erased(4) + b"echo c" + erased(6) + b"echo a" + erased(6) +
              b"echo" + erased(4) + b"echo" + erased(4) + b"\r\n" + PROMPT)
    return out, expect


def scene_tab_cycles_through_matches(shell):
    out = shell.line(b"cat no" + TAB + TAB + TAB + CTRL_U + ENTER)
    expect = (typed(b"cat no") + erased(6) + b"cat note.txt" + erased(12) + b"cat notice.txt" +
              erased(14) + b"cat note.txt" + erased(12) + b"\r\n" + PROMPT)
    return out, expect


def scene_tab_keeps_a_colon_inside_a_name(shell):
    shell.line(b"cp note.txt 12:30.log" + ENTER)
    out = shell.line(b"cat 12:3" + TAB + CTRL_U + ENTER)
    expect = typed(b"cat 12:3") + erased(8) + b"cat 12:30.log" + erased(13) + b"\r\n" + PROMPT
    return out, expect


def scene_function_key_inserts_its_scan_code(shell):
    out = shell.line(b"echo x" + F1 + ENTER)
    expect = typed(b"echo x;") + b"\r\nx\r\n" + PROMPT  # F1 is 0 then 59, and 59 is ';'
    return out, expect


def scene_utf8_characters_move_and_rub_out_whole(shell):
    e_acute, wide = "\u00e9".encode(), "\u65e5".encode()  # one column and two columns
    out = shell.line(b"echo " + e_acute + wide + LEFT + b"\x7f" + ENTER)
    expect = (typed(b"echo ") + erased(5) + b"echo " + e_acute + erased(6) + b"echo " + e_acute +
              wide + b"\b\b" + b"  " + erased(8) + b"echo " + wide + b"\b\b" + b"\r\n" + wide +
              b"\r\n" + PROMPT)
    return out, expect


def scene_ctrl_t_runs_a_bound_function(shell):
    shell.line(b"function c20 'echo [$1]'" + ENTER)
    shell.line(b"ctrlkey 20 128" + ENTER)
    shell.send(b"echo $<" + ENTER)
    shell.read_until(b"\r\n")
    out = shell.line(b"abc" + CTRL_T + b"d" + ENTER)
    expect = b"abc" + b"[abc]\r\n" + b"d" + b"\r\n" + b"abcd\r\n" + PROMPT
    return out, expect


def scene_ctrl_c_at_the_prompt_shows_nothing(shell):
    out = shell.line(b"ab" + CTRL_C + b"c" + ENTER)
    expect = typed(b"abc") + b"\r\n" + b"abc:command error(2)\r\n" + PROMPT
    return out, expect


def scene_ctrl_c_during_a_program(shell):
    shell.send(b"sleep 2" + ENTER)
    shell.read_until(b"sleep 2\r\n")
    shell.wait_mode(True)
    time.sleep(0.2)  # and the program has had a moment to start
    os.write(shell.fd, CTRL_C)  # the terminal is cooked while the program runs
    out = shell.read_until(PROMPT)
    # The notice's own CR reaches the terminal as written, which adds one before the LF.
    return out.replace(b"\r\r\n", b"\r\n"), b"^C\r\n" + PROMPT


def long_prompt_scene(shell_path, directory):
    prompt = b"p" * 69 + b" "
    shell = Shell(shell_path, directory, b'"' + prompt + b'"')
    try:
        shell.read_until(prompt)
        out = shell.line(b"0123456789A" + CTRL_U + ENTER, prompt)
    finally:
        shell.close()
    expect = (typed(b"0123456789") + erased(10) + b"\r\n" + b"0123456789A" + erased(11) +
              b"\r\n" + prompt)
    return out, expect


SCENES = [
    scene_insert_in_the_middle,
    scene_history_prefix_search,
    scene_tab_cycles_through_matches,
    scene_tab_keeps_a_colon_inside_a_name,
    scene_function_key_inserts_its_scan_code,
    scene_utf8_characters_move_and_rub_out_whole,
    scene_ctrl_t_runs_a_bound_function,
    scene_ctrl_c_at_the_prompt_shows_nothing,
    scene_ctrl_c_during_a_program,
]


def run_scene(shell_path, scene):
    directory = tempfile.mkdtemp(prefix="vrel_pty_")
    try:
        for name in ("note.txt", "notice.txt"):
            with open(os.path.join(directory, name), "w") as f:
                f.write("n\n")
        if scene is long_prompt_scene:
            return scene(shell_path, directory)
        shell = Shell(shell_path, directory)
        try:
            shell.read_until(PROMPT)
            return scene(shell)
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
    for scene in SCENES + [long_prompt_scene]:
        try:
            out, expect = run_scene(shell_path, scene)
            ok = out == expect
        except AssertionError as error:
            out, expect, ok = str(error), b"", False
        print("%s %s" % ("ok  " if ok else "FAIL", scene.__name__))
        if not ok:
            failures += 1
            print("  expected %r" % (expect,))
            print("  actual   %r" % (out,))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
