#!/usr/bin/env python3
"""Runs every example of the user guide with the built shell and compares its output.

An example is a fenced block whose opening fence is ```vrel. In it, a line that begins with
"$ " is a command line as typed at the prompt, and the lines after it, up to the next "$ "
line or the end of the block, are exactly what the shell prints for it (standard output and
standard error together). Trailing blanks of a line are not compared, since the guide cannot
show them (the short format of `ls` pads its columns).

Each block gets a scratch directory of its own, which is the current directory and HOME for
the whole block. In the shell's output the scratch directory's path reads as /home/ada, the
home of the guide's user, so examples can show where they are.

By default each command line runs as `vrel -f -c LINE`: the files a command makes persist for
the rest of the block, but variables, functions and the current directory do not. A block
that needs them to carry over is a session: one `vrel -f` reads all the block's lines from its
standard input, as a script would, and a line that begins with "> " continues the command
above it (the lines of a function definition). A session compares the whole block's output.

Directives stand in an HTML comment right before the block (invisible in the rendered guide),
one per line:

  <!-- check
  session                 the block is one session (see above)
  env: NAME=VALUE         adds to the environment ($DIR is the scratch directory)
  setup: SH-COMMAND       runs with /bin/sh in the scratch directory before the block
  stdin: TEXT             standard input of each command (escapes \\n and \\t)
  keys: KEYS              what is typed, for a ```vrel-screen block
  -->

The environment is otherwise PATH=/usr/local/bin:/usr/bin:/bin, HOME, LANG=C.UTF-8 and TZ=UTC.

A block whose fence is ```vrel-screen shows a terminal instead: `vrel -f` runs on a
pseudo-terminal of 80 columns and 24 rows (tests/e2e/terminal.py) with the prompt "$ ", the
keys of its `keys:` directive are typed, and the block is the screen afterwards, row by row (after a last <Enter>, the prompt waiting for the
next line is left out).
Keys are text and names in angle brackets: <Enter>, <Tab>, <Up>, <Down>, <Left>, <Right>,
<Home>, <End>, <Backspace>, <Ctrl-X> for a letter X. Each key is typed once the shell has gone
quiet after the one before.

Prints one FAIL report per wrong example and the line "N passed, N failed"; exits 1 when any
example failed.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import terminal  # noqa: E402

SHOWN_HOME = "/home/ada"
TIMEOUT = 60  # only a hang is a fault: a loaded machine may take seconds to answer
LAST_QUIET = 2.0  # after the last key nothing later can pick up a late rest of the output
NAMED_KEYS = {"Enter": b"\r", "Tab": b"\t", "Up": b"\x1b[A", "Down": b"\x1b[B",
              "Right": b"\x1b[C", "Left": b"\x1b[D", "Home": b"\x1b[H", "End": b"\x1b[F",
              "Backspace": b"\x7f"}
# A key name in angle brackets, or typed text; a '<' that opens no key name is typed as it is
# (as in `echo $<`).
KEY_NAME = r"[A-Za-z]+(?:-[A-Za-z])?"
KEY_RE = re.compile(r"<(%s)>|((?:[^<]|<(?!%s>))+)" % (KEY_NAME, KEY_NAME))


class Example:
    def __init__(self, line, command):
        self.line = line          # line number in the guide of the "$ " line
        self.command = command    # list of input lines: the command and its continuations
        self.expected = []        # expected output lines


class Block:
    def __init__(self, line, directives, screen=False):
        self.line = line
        self.screen = screen
        self.keys = None
        self.session = False
        self.env = {}
        self.setup = []
        self.stdin = b""
        self.examples = []
        for directive in directives:
            self.apply(directive)

    def apply(self, directive):
        key, _, value = directive.partition(":")
        key, value = key.strip(), value.strip()
        if key == "session" and not value:
            self.session = True
        elif key == "env":
            name, _, val = value.partition("=")
            self.env[name] = val
        elif key == "setup":
            self.setup.append(value)
        elif key == "keys":
            self.keys = value
        elif key == "stdin":
            self.stdin = value.replace("\\n", "\n").replace("\\t", "\t").encode()
        else:
            raise SystemExit("guide line %d: unknown directive %r" % (self.line, directive))


def parse_guide(path):
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    blocks = []
    directives = []
    comment = None
    block = None
    for number, line in enumerate(lines, 1):
        if block is not None:
            if line.startswith("```"):
                blocks.append(block)
                block = None
            elif block.screen:
                block.examples[0].expected.append(line)
            elif line.startswith("$ "):
                block.examples.append(Example(number, [line[2:]]))
            elif line.startswith("> ") and block.session and block.examples:
                block.examples[-1].command.append(line[2:])
            elif not block.examples:
                raise SystemExit("%s:%d: output before the first command" % (path, number))
            else:
                block.examples[-1].expected.append(line)
            continue
        if comment is not None:
            if line.strip() == "-->":
                directives = comment
                comment = None
            elif line.strip():
                comment.append(line.strip())
            continue
        if line.strip() == "<!-- check":
            comment = []
        elif line.startswith("<!-- check:") and line.endswith("-->"):
            directives = [line[len("<!-- check:"):-3].strip()]
        elif line.strip() == "```vrel":
            block = Block(number, directives)
            directives = []
        elif line.strip() == "```vrel-screen":
            block = Block(number, directives, screen=True)
            if block.keys is None:
                raise SystemExit("%s:%d: a screen block needs keys:" % (path, number))
            block.examples.append(Example(number, [block.keys]))
            directives = []
        elif line.strip():
            directives = []
    return blocks


def normalise(data, scratch):
    text = data.decode("utf-8", "replace").replace(scratch, SHOWN_HOME)
    return [line.rstrip(" ") for line in text.split("\n")]


def expected_lines(lines):
    return [line.rstrip(" ") for line in lines] + [""]


def environment(block, scratch):
    env = {"PATH": "/usr/local/bin:/usr/bin:/bin", "HOME": scratch, "LANG": "C.UTF-8",
           "TZ": "UTC"}
    for name, value in block.env.items():
        env[name] = value.replace("$DIR", scratch)
    return env


def run_shell(args, block, scratch, stdin):
    try:
        result = subprocess.run(args, cwd=scratch, env=environment(block, scratch), input=stdin,
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        return ["(timed out after %d s)" % TIMEOUT]
    return normalise(result.stdout, scratch)


def parse_keys(text):
    """The keys of a keys: directive, one byte string per key (typed text is one key)."""
    keys = []
    for name, plain in KEY_RE.findall(text):
        if plain:
            keys.append(plain.encode())
        elif name in NAMED_KEYS:
            keys.append(NAMED_KEYS[name])
        elif name.startswith("Ctrl-"):
            keys.append(bytes([ord(name[5].upper()) & 0x1F]))
        else:
            raise SystemExit("unknown key <%s>" % name)
    return keys


def run_screen(block, shell, scratch):
    env = environment(block, scratch)
    env.update(PS1='"\\$ "', TERM="dumb")
    screen = terminal.Terminal([shell, "-f"], env, scratch)
    try:
        screen.wait(lambda: screen.log, "the first prompt")
        keys = parse_keys(block.keys)
        for number, key in enumerate(keys, 1):
            # Each key once the shell has answered the one before and gone quiet.
            written = len(screen.log)
            screen.type(key)
            screen.wait(lambda: len(screen.log) > written, "an answer to %r" % key,
                        quiet=LAST_QUIET if number == len(keys) else terminal.QUIET)
    except AssertionError as error:
        return ["(%s)" % error]
    finally:
        screen.close()
    lines = [row.replace(scratch, SHOWN_HOME) for row in screen.rows()]
    while lines and not lines[-1]:
        lines.pop()
    if block.keys.endswith("<Enter>") and lines:
        lines.pop()  # the prompt of the next line
    return lines


def report(path, example, expected, actual):
    print("FAIL %s:%d: $ %s" % (path, example.line, " / ".join(example.command)))
    print("  expected: %r" % "\n".join(expected))
    print("  actual:   %r" % "\n".join(actual))


def check_block(block, shell, path):
    """Runs one block; returns (passed, failed)."""
    scratch = os.path.realpath(tempfile.mkdtemp(prefix="vrel-guide-"))
    try:
        for command in block.setup:
            subprocess.run(["/bin/sh", "-c", command], cwd=scratch, check=True,
                           env=dict(os.environ, DIR=scratch, TZ="UTC"))
        if block.screen:
            actual = run_screen(block, shell, scratch)
            expected = [line.rstrip(" ") for line in block.examples[0].expected]
            if actual == expected:
                return 1, 0
            report(path, block.examples[0], expected, actual)
            return 0, 1
        if block.session:
            text = "".join(line + "\n" for e in block.examples for line in e.command)
            actual = run_shell([shell, "-f"], block, scratch, text.encode())
            expected = expected_lines([line for e in block.examples for line in e.expected])
            if actual == expected:
                return 1, 0
            report(path, block.examples[0], expected, actual)
            return 0, 1
        passed = failed = 0
        for example in block.examples:
            # The POSIX command line is the arguments joined by blanks: hand the line over as
            # one argument and the shell sees it exactly.
            actual = run_shell([shell, "-f", "-c", example.command[0]], block, scratch,
                               block.stdin)
            expected = expected_lines(example.expected)
            if actual == expected:
                passed += 1
            else:
                failed += 1
                report(path, example, expected, actual)
        return passed, failed
    finally:
        subprocess.run(["chmod", "-R", "u+rwX", scratch], capture_output=True)
        shutil.rmtree(scratch, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--shell", required=True)
    parser.add_argument("guide")
    options = parser.parse_args()
    shell = os.path.abspath(options.shell)
    blocks = parse_guide(options.guide)
    if not blocks:
        raise SystemExit("%s: no ```vrel examples" % options.guide)
    passed = failed = 0
    for block in blocks:
        p, f = check_block(block, shell, options.guide)
        passed += p
        failed += f
    print("guide: %d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
