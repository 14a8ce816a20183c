#!/usr/bin/env python3
"""The line editor on a 120-column console, with wide characters at the right margin.

The screen is modelled with pyte as the Windows console behaves: rows wrap, and a backspace in
the first column goes to the last column of the row above. Whatever is typed, the screen must
show the line as it is, with the cursor where the editor's cursor is. POSIX only:
`python3 pty_wide_margin.py --shell PATH`.
"""
import argparse
import fcntl
import os
import pty
import select
import signal
import struct
import sys
import termios
import time

try:
    import pyte
except ImportError:
    # Debian's python3-pyte is there for the system's own interpreter.
    if sys.executable != "/usr/bin/python3" and os.path.exists("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    sys.exit("pty_wide_margin: needs pyte (apt-get install python3-pyte)")

COLUMNS, ROWS = 120, 24
PROMPT = "/tmp/w> "
TIMEOUT = 60.0
WIDE = "\u65e5"
LEFT, RIGHT, CTRL_U = b"\x1b[D", b"\x1b[C", b"\x15"


class Console(pyte.Screen):
    def backspace(self):
        # Past the last column the console is already on the next row: back is the last column.
        if self.cursor.x == self.columns:
            self.cursor.x = self.columns - 1
        elif self.cursor.x == 0 and self.cursor.y > 0:
            self.cursor_position(self.cursor.y, self.columns)  # 1-based: the row above, last
        else:
            super().backspace()

    def draw(self, data):
        for ch in data:
            # A wide character does not fit in the last column: the row ends before it.
            if ch == WIDE and self.cursor.x == self.columns - 1:
                self.carriage_return()
                self.linefeed()
            super().draw(ch)

    def rows(self):
        """The rows as shown: a character written over half of a wide one removes all of it."""
        shown = []
        for y in range(self.lines):
            row, cells, x = "", self.buffer[y], 0
            while x < self.columns:
                ch = cells[x].data
                whole = ch != WIDE or (x + 1 < self.columns and cells[x + 1].data == "")
                row += ch if ch and whole else " "
                x += 2 if ch == WIDE and whole else 1
            shown.append(row.rstrip())
        return shown


class Shell:
    def __init__(self, shell_path):
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", ROWS, COLUMNS, 0, 0))
            mode = termios.tcgetattr(0)
            mode[3] &= ~termios.ECHO
            termios.tcsetattr(0, termios.TCSANOW, mode)
            env = {"PATH": "/usr/bin:/bin", "LANG": "C.UTF-8", "PS1": '"%s"' % PROMPT}
            os.execve(shell_path, [shell_path, "-f"], env)
        self.screen = Console(COLUMNS, ROWS)
        self.stream = pyte.ByteStream(self.screen)

    def type(self, keys):
        """Sends keys once the shell waits for them; feeds the screen until it falls quiet."""
        deadline = time.monotonic() + TIMEOUT
        while termios.tcgetattr(self.fd)[3] & termios.ICANON:
            if time.monotonic() > deadline:
                raise AssertionError("the shell never waited for keys")
            time.sleep(0.01)
        os.write(self.fd, keys)
        # Quiet, and back in raw mode: every key has been answered.
        while select.select([self.fd], [], [], 0.3)[0] or \
                termios.tcgetattr(self.fd)[3] & termios.ICANON:
            if time.monotonic() > deadline:
                raise AssertionError("no answer to %r" % keys)
            self.stream.feed(os.read(self.fd, 65536))

    def close(self):
        os.kill(self.pid, signal.SIGKILL)
        os.waitpid(self.pid, 0)
        os.close(self.fd)


def line_screen(line, cursor):
    """Rows and cursor of a line on a row of its own below the prompt, wrapped at the margin."""
    rows, row, x, at = [], "", 0, (1, 0)
    for i, ch in enumerate(line):
        width = 2 if ch == WIDE else 1
        if x + width > COLUMNS:
            rows, row, x = rows + [row], "", 0
        if i == cursor:
            at = (1 + len(rows), x)
        row, x = row + ch, x + width
    if cursor == len(line):
        at = (1 + len(rows), x)
    return [PROMPT.rstrip()] + rows + [row], at


def check(shell, what, line, cursor):
    rows, at = line_screen(line, cursor)
    shown = shell.screen.rows()
    while shown and not shown[-1]:
        shown.pop()
    while rows and not rows[-1]:
        rows.pop()
    got = (shell.screen.cursor.y, shell.screen.cursor.x)
    if got[1] == COLUMNS:  # the console wraps at once, where pyte waits for the next character
        got = (got[0] + 1, 0)
    if shown != rows or got != at:
        return ["%s:\n  expected %r, cursor %s\n  shown    %r, cursor %s" %
                (what, rows, at, shown, got)]
    return []


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--shell", required=True)
    options = parser.parse_args()
    shell = Shell(options.shell)
    line = "echo " + WIDE * 58  # the last character starts in the last column
    problems = []
    try:
        shell.type(b"")
        shell.type(line.encode())
        problems += check(shell, "typed", line, len(line))
        shell.type(CTRL_U)
        problems += check(shell, "after Ctrl-U", "", 0)
        shell.type(line.encode())
        problems += check(shell, "typed again", line, len(line))
        shell.type(LEFT * 3)
        problems += check(shell, "three to the left", line, len(line) - 3)
        shell.type(RIGHT * 2)
        problems += check(shell, "two to the right", line, len(line) - 1)
        # Rubbing out the character before the cursor brings the last one back to the margin.
        shell.type(b"\x7f")
        problems += check(shell, "rubbed out", line[:-1], len(line) - 2)
    finally:
        shell.close()
    for problem in problems:
        print("FAIL " + problem)
    print("pty_wide_margin: %d problems" % len(problems))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
