#!/usr/bin/python3
"""Types at the prompt of vrel.exe in Wine's console, on a pseudo-terminal.

Wine's console reads the terminal's keys and draws its screen there with escape sequences; a
terminal-screen model (pyte) turns that drawing into rows of text, which each scene checks
along with the files the shell wrote and that the shell is still alive. Every wait has a
deadline: Wine is slow to start on a loaded machine. Run as
`/usr/bin/python3 wine_console.py --wine WINE --shell vrel.exe --code-page utf-8|cp1252`.
"""
import argparse
import fcntl
import os
import select
import shutil
import signal
import struct
import sys
import tempfile
import termios
import time

import pyte
from wcwidth import wcswidth

ROWS, COLUMNS = 40, 80
PROMPT = "vrel> "
START_DEADLINE, DEADLINE = 60.0, 20.0
UP, LEFT, HOME = "\x1b[A", "\x1b[D", "\x1b[H"
F1 = "\x1bOP"
ENTER, TAB, BACKSPACE = "\r", "\t", "\x7f"
CTRL_C, CTRL_D, CTRL_T, CTRL_U = "\x03", "\x04", "\x14", "\x15"


class Console:
    def __init__(self, options, directory, prompt=PROMPT):
        self.prompt = prompt
        env = {"PATH": "/usr/bin:/bin", "LANG": "C.UTF-8", "TERM": "xterm", "HOME": directory,
               "PS1": '"%s"' % prompt, "WINEDEBUG": "-all",
               "WINEPREFIX": os.path.join(os.path.expanduser("~"), ".wine")}
        for name, value in os.environ.items():
            if name.startswith("WINE") or name in ("DISPLAY", "XDG_RUNTIME_DIR"):
                env[name] = value
        env["WINEDLLOVERRIDES"] = "winemenubuilder.exe=d"
        self.fd, self.terminal = os.openpty()
        fcntl.ioctl(self.terminal, termios.TIOCSWINSZ, struct.pack("HHHH", ROWS, COLUMNS, 0, 0))
        # Wine's console leaves the terminal's modes alone: keys must reach it as they are
        # typed, unechoed, and Ctrl-C as a key rather than a signal to Wine.
        mode = termios.tcgetattr(self.terminal)
        mode[3] &= ~(termios.ECHO | termios.ICANON | termios.ISIG)
        termios.tcsetattr(self.terminal, termios.TCSANOW, mode)
        self.pid = os.fork()
        if self.pid == 0:
            try:
                os.setsid()
                fcntl.ioctl(self.terminal, termios.TIOCSCTTY, 0)
                for stream in (0, 1, 2):
                    os.dup2(self.terminal, stream)
                os.chdir(directory)
                os.execve(options.wine, [options.wine, options.shell, "-f"], env)
            finally:
                os._exit(127)
        self.screen = pyte.Screen(COLUMNS, ROWS)
        self.stream = pyte.ByteStream(self.screen)
        try:
            self.prompt_row = self.wait_for_prompt(-1, START_DEADLINE)
        except AssertionError:
            self.close()
            raise

    def rows(self):
        # The cell after a wide character holds nothing (pyte's own rendering trips on the
        # cells that Wine's drawing of wide characters leaves).
        buffer = self.screen.buffer
        return ["".join(buffer[y][x].data for x in range(COLUMNS)).rstrip() for y in range(ROWS)]

    def pump(self, timeout):
        ready, _, _ = select.select([self.fd], [], [], timeout)
        if ready:
            self.stream.feed(os.read(self.fd, 65536))
        elif os.waitpid(self.pid, os.WNOHANG)[0] == self.pid:
            self.pid = None
            raise AssertionError("the shell ended; screen:\n" + self.dump())

    def signal_keys(self, on):
        mode = termios.tcgetattr(self.terminal)
        mode[3] = mode[3] | termios.ISIG if on else mode[3] & ~termios.ISIG
        termios.tcsetattr(self.terminal, termios.TCSANOW, mode)

    def pump_quietly(self):
        ready, _, _ = select.select([self.fd], [], [], 0.1)
        if ready:
            os.read(self.fd, 65536)

    def waiting_keys(self):
        return struct.unpack("i", fcntl.ioctl(self.terminal, termios.FIONREAD, b"\0" * 4))[0]

    def send(self, keys):
        """Types keys and waits until the console has taken them: Wine drops what follows a
        Ctrl-C within one read of the terminal."""
        os.write(self.fd, keys.encode())
        self.wait(lambda: self.waiting_keys() == 0, "the console to take the keys")
        if keys.endswith(CTRL_C):
            time.sleep(0.3)  # and keys that come at once after a Ctrl-C are lost as well

    def wait(self, condition, what, deadline=DEADLINE):
        end = time.monotonic() + deadline
        while not condition():
            left = end - time.monotonic()
            if left <= 0:
                raise AssertionError("timed out waiting for %s; screen:\n%s" % (what, self.dump()))
            self.pump(min(left, 0.2))

    def dump(self):
        cursor = self.screen.cursor
        return "\n".join("|" + row for row in self.rows()) + "\n(cursor %d,%d)" % (cursor.y, cursor.x)

    def wait_for_prompt(self, after, deadline=DEADLINE):
        """The row of the first empty prompt below row `after`, with the cursor behind it."""
        found = []

        def prompt_shown():
            cursor = self.screen.cursor
            rows = self.rows()
            if cursor.y > after and cursor.x == len(self.prompt) and \
                    rows[cursor.y] == self.prompt.rstrip():
                found.append(cursor.y)
            return bool(found)

        self.wait(prompt_shown, "a new prompt", deadline)
        return found[0]

    def type(self, keys, shows, column=None):
        """Types keys; waits until the prompt's row shows `shows`, the cursor before its
        character number `column` (at the end by default)."""
        self.send(keys)
        want = self.prompt + shows
        x = wcswidth(self.prompt + shows[:column])

        def shown():
            cursor = self.screen.cursor
            return self.rows()[self.prompt_row] == want.rstrip() and cursor.x == x

        self.wait(shown, "the line %r, cursor at %d" % (want, x))

    def enter(self, keys=""):
        """Types keys and Enter; the rows shown before the next prompt."""
        self.send(keys + ENTER)
        start = self.prompt_row
        self.prompt_row = self.wait_for_prompt(start)
        return self.rows()[start + 1:self.prompt_row]

    def close(self):
        if self.pid is not None:
            # An orderly exit leaves Wine's session ready for the next scene's start.
            os.write(self.fd, (CTRL_U + "exit" + ENTER).encode())
            end = time.monotonic() + DEADLINE
            ended = False
            while not ended and time.monotonic() < end:
                self.pump_quietly()
                ended = os.waitpid(self.pid, os.WNOHANG)[0] == self.pid
            if not ended:
                os.kill(self.pid, signal.SIGKILL)
                os.waitpid(self.pid, 0)
        os.close(self.fd)
        os.close(self.terminal)


def start_console(options, directory, prompt=PROMPT):
    """A console with the shell at its first prompt. A loaded machine can make Wine fail to
    start the shell at all: before any key is typed that is tried again, twice."""
    for attempt in range(3):
        try:
            return Console(options, directory, prompt)
        except AssertionError as error:
            if attempt == 2:
                raise
            print("note: the shell did not reach its first prompt; trying again:\n  "
                  + str(error).replace("\n", "\n  "), flush=True)


def check(actual, expect, what):
    if actual != expect:
        raise AssertionError("%s: expected %r, got %r" % (what, expect, actual))


def scene_insert_in_the_middle(console, _):
    console.type("echo abc", "echo abc")
    console.type(LEFT + LEFT + "x", "echo axbc", 7)
    check(console.enter(), ["axbc"], "output")


def scene_history_prefix_search(console, _):
    for command in ("echo a", ": b", "echo c"):
        console.enter(command)
    console.type("echo", "echo")
    console.type(UP, "echo c")
    console.type(UP, "echo a")
    check(console.enter(), ["a"], "the recalled line's output")


def scene_tab_cycles_through_matches(console, _):
    console.type("cat no", "cat no")
    console.type(TAB, "cat note.txt")
    console.type(TAB, "cat notice.txt")
    console.type(TAB, "cat note.txt")
    console.type(CTRL_U, "")
    check(console.enter(), [], "output of an empty line")


def scene_function_key_inserts_its_scan_code(console, _):
    console.type("echo x" + F1, "echo x;")  # F1 is 0 then 59, and 59 is ';'
    check(console.enter(), ["x"], "output")


def scene_ctrl_t_runs_a_bound_function(console, _):
    console.enter("function c20 'echo [$1]'")
    console.enter("ctrlkey 20 128")
    console.send("echo $<" + ENTER + "abc" + CTRL_T + "d")
    row = console.prompt_row
    console.wait(lambda: console.rows()[row + 1:row + 3] == ["abc[abc]", "d"], "the bound key")
    check(console.enter(), ["abc[abc]", "d", "abcd"], "output")


def scene_ctrl_c_at_the_prompt_and_during_work(console, _):
    console.type("ab", "ab")
    console.send(CTRL_C)
    console.type("c", "abc")
    console.type(CTRL_U, "")
    # The loop writes, so the shell sees the interrupt at its next string; the screen scrolls.
    console.send("repeat 60000 eval 'echo $/'" + ENTER)
    console.wait(lambda: "100" in console.rows(), "the loop to get under way")
    console.signal_keys(True)  # Wine makes an interrupt of Ctrl-C only through the terminal
    console.send(CTRL_C)
    # The notice may cut a number's line short.
    console.wait(lambda: console.rows()[console.screen.cursor.y - 1].endswith("^C") and
                 console.rows()[console.screen.cursor.y] == PROMPT.rstrip() and
                 console.screen.cursor.x == len(PROMPT), "the notice and a new prompt")
    console.send("echo alive" + ENTER)
    console.wait(lambda: console.rows()[console.screen.cursor.y - 1:console.screen.cursor.y + 1]
                 == ["alive", PROMPT.rstrip()], "a line run after the interrupt")
    return "scrolled"


def scene_long_line_moves_to_a_row_of_its_own(options, directory):
    prompt = "p" * 69 + " "
    console = start_console(options, directory, prompt)
    try:
        row = console.prompt_row
        console.send("0123456789")
        console.wait(lambda: console.rows()[row] == prompt + "0123456789", "the typed line")
        console.send("A")
        # The text that filled the prompt's row to its end put the console's cursor on the
        # next row, and its backspace never goes up a row: the line comes one row lower.
        console.wait(lambda: "0123456789A" in console.rows()[row + 1:row + 3],
                     "the line on its own row")
        console.prompt_row = console.rows().index("0123456789A", row + 1)
        console.prompt = ""
        console.type(CTRL_U, "")
    finally:
        console.close()


def file_bytes(console, name):
    try:
        with open(os.path.join(console.directory, name), "rb") as f:
            return f.read()
    except OSError as error:
        raise AssertionError("the file %s: %s" % (name, error))


def encoded(options, text):
    return text.encode(options.code_page)


def scene_accented_line_writes_its_file(console, options):
    console.type("echo café >é.txt", "echo café >é.txt")
    check(console.enter(), [], "output")
    check(file_bytes(console, "é.txt"), encoded(options, "café\r\n"), "the file é.txt")
    check([row.split() for row in console.enter("ls *.txt")], [["note.txt", "notice.txt", "é.txt"]],
          "ls")
    console.type(UP + UP, "echo café >é.txt")
    console.type(CTRL_U, "")
    check(console.enter(), [], "output of an empty line")


def scene_keys_move_over_and_remove_whole_characters(console, _):
    console.type("echo àéxé", "echo àéxé")
    console.type(LEFT + LEFT, "echo àéxé", 7)
    console.type(CTRL_D, "echo àéé", 7)
    console.type(BACKSPACE, "echo àé", 6)
    console.type(HOME + CTRL_D, "cho àé", 0)
    check(console.enter("e"), ["àé"], "output")


def scene_tab_completes_an_accented_name(console, options):
    with open(os.path.join(console.directory, "été.log"), "wb") as f:
        f.write(encoded(options, "soleil\r\n"))
    console.type("cat ét" + TAB, "cat été.log")
    check(console.enter(), ["soleil"], "output")


def scene_wide_characters(console, options):
    if options.code_page != "utf-8":
        # The code page cannot hold them: the keys are dropped and the shell goes on.
        console.type("echo 日x本", "echo x")
        check(console.enter(), ["x"], "output")
        return
    # Wine's console gives a wide character one cell and the terminal two: its drawing of
    # such a line cannot be compared, what the shell did with the keys can.
    check(console.enter("echo 日本 >日本.txt"), [], "output")
    check(file_bytes(console, "日本.txt"), "日本\r\n".encode(), "the file 日本.txt")
    check(console.enter("echo 日本x" + LEFT + LEFT + BACKSPACE), ["本x"], "the edited line")


SCENES = [
    scene_insert_in_the_middle,
    scene_history_prefix_search,
    scene_tab_cycles_through_matches,
    scene_function_key_inserts_its_scan_code,
    scene_ctrl_t_runs_a_bound_function,
    scene_ctrl_c_at_the_prompt_and_during_work,
    scene_accented_line_writes_its_file,
    scene_keys_move_over_and_remove_whole_characters,
    scene_tab_completes_an_accented_name,
    scene_wide_characters,
]


def run_scene(options, scene):
    directory = tempfile.mkdtemp(prefix="vrel_console_")
    try:
        for name in ("note.txt", "notice.txt"):
            with open(os.path.join(directory, name), "w") as f:
                f.write("n\n")
        if scene is scene_long_line_moves_to_a_row_of_its_own:
            return scene(options, directory)
        console = start_console(options, directory)
        console.directory = directory
        try:
            if scene(console, options) != "scrolled":
                check(console.enter("echo still here"), ["still here"], "the shell at the end")
        finally:
            console.close()
    finally:
        shutil.rmtree(directory, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--wine", required=True)
    parser.add_argument("--shell", required=True)
    parser.add_argument("--code-page", default="utf-8", choices=("utf-8", "cp1252"),
                        help="the ANSI code page the shell runs with under Wine")
    parser.add_argument("scenes", nargs="*", help="names of the scenes to run (all by default)")
    options = parser.parse_args()
    options.shell = os.path.abspath(options.shell)
    failures = 0
    for scene in SCENES + [scene_long_line_moves_to_a_row_of_its_own]:
        if options.scenes and scene.__name__ not in options.scenes:
            continue
        try:
            run_scene(options, scene)
            problem = None
        except AssertionError as error:
            problem = str(error)
        print("%s %s" % ("FAIL" if problem else "ok  ", scene.__name__), flush=True)
        if problem:
            failures += 1
            print("  " + problem.replace("\n", "\n  "))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
