#!/usr/bin/python3
"""The terminal driver of every test that types at the shell, and the runner of its scenes.

A Terminal starts a program on a pseudo-terminal of a given size: the POSIX shell, or vrel.exe
under Wine, whose console draws its screen on the pseudo-terminal. Every byte the program
writes goes into a terminal-screen model (pyte), and the checks read that screen: the rows and
the cursor the user sees, so any drawing that shows the same screen passes. Every wait has a
deadline of a minute: only a fault fails, never a slow machine.

Scene form (scenes.py holds them; run them with
`terminal.py --shell vrel [--wine WINE --code-page utf-8|cp1252] [NAME...]`):

    Scene(name, step, ..., prompt="vrel> ", columns=80, rows=24, only=(), files={},
          console_rules=False, ps1=None, env={}, above=[])
    Step(keys, screen=[...] | tail=[...] | output=[...] | shows=TEXT,
         files={}, busy=False, within=None, writes_per_key=None, columns=None, top=False,
         wrote=None)

A scene starts the shell in a scratch directory holding note.txt, notice.txt and `files`
(name: text), with PS1 set to `prompt`, and waits for its first prompt. Each step types its
keys once the shell waits for them (`busy`: while a command runs, so that Ctrl-C interrupts
it), then waits until what it expects is shown and the screen has fallen quiet:
- screen: the rows from the prompt of the line being edited down to the last row shown (or
  the cursor's row, if lower); "█" marks where the cursor stands and takes no cell. The row of
  the last prompt in the list is where the next step's line begins.
- tail: the same for the rows that end at the cursor's row, for a screen that has scrolled.
- output: the rows between the line (as it was before the keys) and the next prompt, which
  the keys (ending in Enter) bring; for screens that Wine draws differently from the
  terminal (Wine 8 gives an East Asian wide character one cell).
- shows: a row showing this text (or pattern), without waiting for quiet (output still
  under way).
A row in screen or tail may be a compiled regular expression instead of a text.
ps1: the value of PS1 when the prompt shown (`prompt`, the last row of it) is not the text of
the value itself, `above` the rows it shows above that one; env: more variables for the shell.
columns: the terminal takes this width before the keys are typed (the window is resized).
top: the screen's rows begin at the top row (the screen was cleared).
wrote: a pattern of bytes that the bytes the shell writes during the step must hold (on POSIX
the terminal's bytes; under Wine the console trace, where ESC reads \\001b).
files: name: text the scratch directory holds after the step, "\\n" ending each line as the
shell does on its platform, in the shell's code page. within: the step must be done in that
many seconds (an interrupt that must stop a loop). writes_per_key: under Wine, the console
writes the shell may make per character of keys, counted from Wine's console trace (a scene
with such a step has the shell's standard error in the trace file, not on the screen; POSIX
skips the count).
Helpers: line_rows() gives the rows of a line that wraps at the margin (long lines, pastes);
Terminal.log holds every byte the shell wrote, for counting.
After the last step every scene checks that the shell still runs a line.
`only` names what the scene needs of the target: "posix", "wine", "utf-8", "cp1252".
console_rules models the Windows console on the POSIX terminal: a row full to its last column
puts the cursor on the next row, a backspace in the first column goes to the end of the row
above, and a wide character never starts in the last column.
"""
import fcntl
import os
import re
import select
import shutil
import signal
import struct
import sys
import tempfile
import termios
import time

try:
    import pyte
    from wcwidth import wcswidth, wcwidth
except ImportError:
    # Debian's python3-pyte is there for the system's own interpreter.
    if sys.executable != "/usr/bin/python3" and os.path.exists("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    sys.exit("terminal.py: needs pyte (apt-get install python3-pyte)")

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import wine  # noqa: E402

DEADLINE = 60.0  # for any one thing to be shown: only a hang is a fault
QUIET = 0.2  # a screen that shows what is expected must stay so this long
CURSOR = "█"
UP, DOWN, LEFT, RIGHT, HOME = "\x1b[A", "\x1b[B", "\x1b[D", "\x1b[C", "\x1b[H"
F1 = "\x1bOP"
ENTER, TAB, BACKSPACE = "\r", "\t", "\x7f"
CTRL_C, CTRL_D, CTRL_T, CTRL_U = "\x03", "\x04", "\x14", "\x15"


class Screen(pyte.Screen):
    """pyte's screen that counts the rows scrolled off its top, and can follow the console's
    rules (see console_rules above)."""

    def __init__(self, columns, lines, console_rules):
        super().__init__(columns, lines)
        self.scrolled = 0
        self.console_rules = console_rules

    def index(self):
        bottom = self.margins.bottom if self.margins else self.lines - 1
        if self.cursor.y == bottom:
            self.scrolled += 1
        super().index()

    def backspace(self):
        if not self.console_rules:
            super().backspace()
        elif self.cursor.x == self.columns:
            self.cursor.x = self.columns - 1
        elif self.cursor.x == 0 and self.cursor.y > 0:
            self.cursor_position(self.cursor.y, self.columns)  # 1-based: the row above, last
        else:
            super().backspace()

    def draw(self, data):
        for ch in data:
            if self.console_rules and wcwidth(ch) == 2 and self.cursor.x == self.columns - 1:
                self.carriage_return()
                self.linefeed()
            super().draw(ch)

    def row(self, y):
        """Row y as shown; under the console's rules a character written over half of a wide
        one removes all of it (Wine's own drawing of wide characters is taken as it comes)."""
        cells, text, x = self.buffer[y], "", 0
        while x < self.columns:
            ch = cells[x].data
            wide = wcwidth(ch) == 2 if ch else False
            whole = not wide or (x + 1 < self.columns and cells[x + 1].data == "")
            if self.console_rules:
                text += ch if ch and whole else " "
                x += 2 if wide and whole else 1
            else:
                text, x = text + ch, x + 1
        return text.rstrip()

    def where(self):
        """The cursor as (row counted from the first row ever shown, column)."""
        y, x = self.cursor.y, self.cursor.x
        if self.console_rules and x == self.columns:
            y, x = y + 1, 0  # the console wraps at once, where pyte waits for the next character
        return y + self.scrolled, x


class Terminal:
    """A program on a pseudo-terminal, its screen modelled; `log` keeps every byte it wrote."""

    def __init__(self, argv, env, cwd, rows=24, columns=80, on_wine=False, console_rules=False,
                 errors=None):
        self.on_wine, self.pid, self.status, self.errors = on_wine, None, None, errors
        self.fd, self.tty = os.openpty()
        fcntl.ioctl(self.tty, termios.TIOCSWINSZ, struct.pack("HHHH", rows, columns, 0, 0))
        # No echo from the terminal: only the program's own bytes show. Wine's console leaves
        # the terminal's modes alone, so its keys must come as typed, Ctrl-C as a key.
        mode = termios.tcgetattr(self.tty)
        mode[3] &= ~(termios.ECHO | termios.ICANON | termios.ISIG if on_wine else termios.ECHO)
        termios.tcsetattr(self.tty, termios.TCSANOW, mode)
        self.screen = Screen(columns, rows, console_rules)
        self.stream = pyte.ByteStream(self.screen)
        self.log = bytearray()
        self.pid = os.fork()
        if self.pid == 0:
            try:
                os.setsid()
                fcntl.ioctl(self.tty, termios.TIOCSCTTY, 0)
                for stream in (0, 1, 2):
                    os.dup2(self.tty, stream)
                if errors is not None:
                    os.dup2(os.open(errors, os.O_WRONLY | os.O_CREAT | os.O_APPEND, 0o600), 2)
                os.chdir(cwd)
                os.execve(argv[0], argv, env)
            finally:
                os._exit(127)

    # Reading the screen

    def rows(self):
        return [self.screen.row(y) for y in range(self.screen.lines)]

    def shown(self, first):
        """Rows from `first` (counted as where() counts) to the last row shown or the cursor's."""
        rows, top = self.rows(), self.screen.scrolled
        last = max([y for y, row in enumerate(rows) if row] + [self.screen.where()[0] - top])
        return rows[max(first - top, 0):last + 1] if first >= top else None

    def dump(self):
        y, x = self.screen.where()
        return "\n".join("|" + row for row in self.rows()) + "\n(cursor row %d column %d)" % (
            y - self.screen.scrolled, x)

    def pump(self, timeout):
        """Feeds what the program writes within timeout to the screen; whether it wrote."""
        if select.select([self.fd], [], [], timeout)[0]:
            try:
                data = os.read(self.fd, 65536)
            except OSError:
                data = b""
            self.log += data
            self.stream.feed(data)
            return bool(data)
        if self.ended():
            raise AssertionError("the program ended; screen:\n" + self.dump())
        return False

    def ended(self):
        pid, status = os.waitpid(self.pid, os.WNOHANG)
        if pid == self.pid:
            self.pid, self.status = None, os.waitstatus_to_exitcode(status)
        return self.pid is None

    def wait_end(self, deadline=DEADLINE):
        """The program's exit code, once it has ended."""
        end = time.monotonic() + deadline
        while self.pid is not None:
            if time.monotonic() > end:
                raise AssertionError("the program did not end; screen:\n" + self.dump())
            try:
                self.pump(0.2)
            except AssertionError:
                pass
        return self.status

    def wait(self, condition, what, deadline=DEADLINE, settle=True, quiet=QUIET):
        """Until condition() holds (and, with settle, still holds once the program has been
        quiet for `quiet` seconds)."""
        end = time.monotonic() + deadline
        while True:
            if condition() and not (settle and self.pump(quiet)):
                return
            left = end - time.monotonic()
            if left <= 0:
                raise AssertionError("timed out waiting for %s; screen:\n%s" % (what, self.dump()))
            self.pump(min(left, 0.2))

    def wait_prompt(self, prompt, below, deadline=DEADLINE):
        """The row (counted as where() counts) of an empty prompt below row `below`, with the
        cursor behind it."""
        def prompt_shown():
            y, x = self.screen.where()
            top = self.screen.scrolled
            return y > below and y - top < self.screen.lines and x == wcswidth(prompt) and \
                self.screen.row(y - top) == prompt.rstrip()

        self.wait(prompt_shown, "a new prompt %r" % prompt, deadline)
        return self.screen.where()[0]

    # Typing

    def line_mode(self):
        return bool(termios.tcgetattr(self.tty)[3] & termios.ICANON)

    def wait_mode(self, canonical):
        self.wait(lambda: self.line_mode() == canonical,
                  "the terminal in %s mode" % ("line" if canonical else "raw"), settle=False)

    def waiting_keys(self):
        return struct.unpack("i", fcntl.ioctl(self.tty, termios.FIONREAD, b"\0" * 4))[0]

    def type(self, keys, busy=False):
        """Types keys once the shell waits for them: keys typed before the POSIX shell reads in
        raw mode would meet the line discipline. busy: while a command runs, when Ctrl-C is an
        interrupt (the POSIX terminal is in line mode then; Wine makes an interrupt of Ctrl-C
        only through the terminal's own signal key)."""
        data = keys.encode() if isinstance(keys, str) else keys
        if self.on_wine:
            if busy:
                mode = termios.tcgetattr(self.tty)
                mode[3] |= termios.ISIG
                termios.tcsetattr(self.tty, termios.TCSANOW, mode)
            os.write(self.fd, data)
            # Wine drops what follows a Ctrl-C within one read of the terminal, and keys that
            # come at once after it: each waits until the console has taken the keys before.
            self.wait(lambda: self.waiting_keys() == 0, "the console to take the keys",
                      settle=False)
            if data.endswith(b"\x03"):
                time.sleep(0.3)
            return
        self.wait_mode(busy)
        if busy:
            time.sleep(0.3)  # and the command has had a moment to get going
        os.write(self.fd, data)

    def resize(self, columns):
        """The window takes a new width; the terminal tells its programs (SIGWINCH)."""
        fcntl.ioctl(self.tty, termios.TIOCSWINSZ,
                    struct.pack("HHHH", self.screen.lines, columns, 0, 0))
        self.screen.resize(self.screen.lines, columns)

    def close(self):
        if self.pid is not None and self.on_wine:
            # An orderly exit leaves Wine's session ready for the next start.
            os.write(self.fd, (CTRL_U + "exit" + ENTER).encode())
            end = time.monotonic() + DEADLINE
            while self.pid is not None and time.monotonic() < end:
                if select.select([self.fd], [], [], 0.1)[0]:
                    os.read(self.fd, 65536)
                else:
                    self.ended()
        if self.pid is not None:
            os.kill(self.pid, signal.SIGKILL)
            os.waitpid(self.pid, 0)
        os.close(self.fd)
        os.close(self.tty)


class Step:
    def __init__(self, keys, screen=None, tail=None, output=None, shows=None, files=None,
                 busy=False, within=None, writes_per_key=None, columns=None, top=False,
                 wrote=None):
        self.keys, self.screen, self.tail = keys, screen, tail
        self.columns, self.top, self.wrote = columns, top, wrote
        self.output, self.shows = output, shows
        self.files, self.busy, self.within = files or {}, busy, within
        self.writes_per_key = writes_per_key


class Scene:
    def __init__(self, name, *steps, prompt="vrel> ", columns=80, rows=24, only=(), files=None,
                 console_rules=False, ps1=None, env=None, above=()):
        self.name, self.steps, self.prompt = name, list(steps), prompt
        self.above = list(above)
        self.ps1, self.env = ps1 or '"%s"' % prompt, env or {}
        self.columns, self.rows, self.only = columns, rows, set(only)
        self.files, self.console_rules = files or {}, console_rules


def line_rows(prompt, line, cursor, columns, own_row=False):
    """The expected rows of a line that wraps at the margin (a wide character that does not fit
    in the last column starts the next row), "█" where the cursor stands: behind the prompt,
    or on a row of its own below it."""
    rows, row, x = ([prompt.rstrip()], "", 0) if own_row else ([], prompt, wcswidth(prompt))
    for i, ch in enumerate(line + " "):
        width = wcwidth(ch)
        if x + width > columns:
            rows, row, x = rows + [row], "", 0
        if i == cursor:
            row += CURSOR
        if i < len(line):
            row, x = row + ch, x + width
    return rows + [row]


def split_cursor(rows):
    """Rows without the cursor mark, and the cursor as (row, column) or None."""
    plain, cursor = [], None
    for i, row in enumerate(rows):
        if isinstance(row, str) and CURSOR in row:
            cursor = (i, wcswidth(row[:row.index(CURSOR)]))
            row = row.replace(CURSOR, "")
        plain.append(row)
    return plain, cursor


def rows_match(actual, expect):
    return actual is not None and len(actual) == len(expect) and all(
        e.fullmatch(a) if isinstance(e, re.Pattern) else a == e.rstrip()
        for a, e in zip(actual, expect))


class Target:
    """What scenes run against: the POSIX shell or vrel.exe under Wine, in a code page."""

    def __init__(self, shell, wine_path=None, code_page="utf-8"):
        self.shell, self.wine, self.code_page = os.path.abspath(shell), wine_path, code_page
        self.tags = {"wine" if wine_path else "posix", code_page}

    def start(self, scene, directory):
        """A terminal with the shell at its first prompt."""
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": directory,
               "LANG": "C.UTF-8", "PS1": scene.ps1, "TERM": "dumb", **scene.env}
        if not self.wine:
            terminal = Terminal([self.shell, "-f"], env, directory, scene.rows, scene.columns,
                                console_rules=scene.console_rules)
            return self.first_prompt(terminal, scene)
        # The history file goes to the scratch directory, as it does under HOME on POSIX, under
        # a hidden name so that no pattern of a scene lists it.
        history = "Z:" + os.path.join(directory, ".history.txt").replace("/", "\\")
        env = wine.wine_env(dict(env, PATH="/usr/bin:/bin", TERM="xterm", VRELHISTORY=history))
        errors = None
        if any(step.writes_per_key is not None or step.wrote for step in scene.steps):
            # Wine's console trace names each console write the shell makes; it goes to the
            # standard error of the shell, which is then a file rather than the console.
            env["WINEDEBUG"] = "-all,trace+console"
            errors = os.path.join(directory, ".wine-trace")

        def start():
            terminal = Terminal([self.wine, self.shell, "-f"], env, directory, scene.rows,
                                scene.columns, on_wine=True, errors=errors)
            try:
                return self.first_prompt(terminal, scene)
            except AssertionError as error:
                terminal.close()
                raise wine.NotStarted(str(error))

        return wine.started_again(start, "the shell at its first prompt")

    @staticmethod
    def first_prompt(terminal, scene):
        terminal.anchor = terminal.wait_prompt(scene.prompt, -1)
        return terminal

    def file_text(self, text):
        return text.replace("\n", "\r\n" if self.wine else "\n").encode(self.code_page)


def console_trace(terminal):
    if not terminal.errors:
        return b""
    with open(terminal.errors, "rb") as f:
        return f.read()


def console_writes(terminal):
    """The console writes the shell has made (0 where they are not counted)."""
    return len(re.findall(rb":WriteConsole[AW] \(", console_trace(terminal)))


def check_files(target, directory, files):
    for name, text in files.items():
        try:
            with open(os.path.join(directory, name), "rb") as f:
                data = f.read()
        except OSError as error:
            raise AssertionError("the file %s: %s" % (name, error))
        if data != target.file_text(text):
            raise AssertionError("the file %s: expected %r, got %r"
                                 % (name, target.file_text(text), data))


def run_step(terminal, step, prompt, target, directory):
    """Types the step's keys and waits for what it expects; raises AssertionError if not."""
    shown = terminal.shown(terminal.anchor) or []
    line_end = terminal.anchor + len(shown) - 1
    writes = console_writes(terminal)
    written = len(console_trace(terminal) if target.wine else terminal.log)
    if step.columns:
        terminal.resize(step.columns)
    began = time.monotonic()
    terminal.type(step.keys, step.busy)
    expect = step.screen if step.screen is not None else step.tail
    if expect is not None:
        rows, cursor = split_cursor(expect)

        def region():
            if step.top:
                top = terminal.screen.scrolled
                return top, terminal.shown(top)
            if step.screen is not None:
                return terminal.anchor, terminal.shown(terminal.anchor)
            y = terminal.screen.where()[0]
            return y - len(rows) + 1, terminal.shown(y - len(rows) + 1)

        def matches():
            first, actual = region()
            return rows_match(actual, rows) and (
                cursor is None or terminal.screen.where() == (first + cursor[0], cursor[1]))

        terminal.wait(matches, "the rows %r" % expect)
        first = region()[0]
        prompts = [i for i, row in enumerate(rows)
                   if isinstance(row, str) and row.startswith(prompt.rstrip()) and i]
        if prompts:
            terminal.anchor = first + prompts[-1]
    elif step.output is not None:
        new = terminal.wait_prompt(prompt, line_end)
        top = terminal.screen.scrolled
        actual = terminal.rows()[line_end + 1 - top:new - top]
        if actual != step.output:
            raise AssertionError("output: expected %r, got %r; screen:\n%s"
                                 % (step.output, actual, terminal.dump()))
        terminal.anchor = new
    elif step.shows is not None:
        terminal.wait(lambda: any(rows_match([row], [step.shows]) for row in terminal.rows()),
                      "a row %r" % step.shows, settle=False)
    took = time.monotonic() - began
    if step.within is not None and took > step.within:
        raise AssertionError("took %.1f s, more than %.1f s" % (took, step.within))
    check_files(target, directory, step.files)
    if step.wrote is not None:
        def wrote():
            return bytes((console_trace(terminal) if target.wine else terminal.log)[written:])
        terminal.wait(lambda: step.wrote.search(wrote()), "the bytes %r, after %r" % (
            step.wrote.pattern, wrote()), settle=False)
    if step.writes_per_key is not None and target.wine:
        made = console_writes(terminal) - writes
        if made > step.writes_per_key * max(len(step.keys), 1):
            raise AssertionError("%d console writes for %d keys" % (made, len(step.keys)))


def run_scene(scene, target):
    directory = tempfile.mkdtemp(prefix="vrel_terminal_")
    try:
        for name, text in dict({"note.txt": "n\n", "notice.txt": "n\n"}, **scene.files).items():
            with open(os.path.join(directory, name), "wb") as f:
                f.write(target.file_text(text))
        terminal = target.start(scene, directory)
        try:
            for number, step in enumerate(scene.steps, 1):
                try:
                    run_step(terminal, step, scene.prompt, target, directory)
                except AssertionError as error:
                    raise AssertionError("step %d (%r): %s" % (number, step.keys, error))
            # The shell still runs a line.
            run_step(terminal, Step(CTRL_U + "echo still here" + ENTER,
                                    tail=["still here"] + scene.above + [scene.prompt + CURSOR]),
                     scene.prompt, target, directory)
        finally:
            terminal.close()
    finally:
        shutil.rmtree(directory, ignore_errors=True)


def main():
    import argparse
    import scenes
    parser = argparse.ArgumentParser()
    parser.add_argument("--shell", required=True)
    parser.add_argument("--wine", help="run vrel.exe under this Wine loader")
    parser.add_argument("--code-page", default="utf-8", choices=("utf-8", "cp1252"),
                        help="the ANSI code page the shell runs with under Wine")
    parser.add_argument("names", nargs="*", help="the scenes to run (all by default)")
    options = parser.parse_args()
    target = Target(options.shell, options.wine, options.code_page)
    failures = ran = 0
    for scene in scenes.SCENES:
        if (options.names and scene.name not in options.names) or not scene.only <= target.tags:
            continue
        ran += 1
        try:
            run_scene(scene, target)
            problem = None
        except AssertionError as error:
            problem = str(error)
        print("%s %s" % ("FAIL" if problem else "ok  ", scene.name), flush=True)
        if problem:
            failures += 1
            print("  " + problem.replace("\n", "\n  "), flush=True)
    print("%d of %d scenes passed" % (ran - failures, ran))
    return 1 if failures or not ran else 0


if __name__ == "__main__":
    sys.exit(main())
