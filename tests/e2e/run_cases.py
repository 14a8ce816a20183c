#!/usr/bin/env python3
"""Runs end-to-end cases against the built shell and compares the exact bytes.

A case file holds cases, each opened by a line "=== name". Directives, one per line:

  platform: posix | windows   run the case only there
  encoding: NAME...           run the case only when the shell's text is in one of these
                              encodings (Python codec names, see --encoding)
  setup: SH-COMMAND           run with /bin/sh in the case's own scratch directory first
  env: NAME=VALUE             add to the case's environment (PATH, HOME and LANG are preset:
                              HOME is the scratch directory)
  unset: NAME                 remove a preset variable
  stdin: TEXT                 standard input (escapes \\n \\t \\r \\\\ \\xNN); default empty
  run: LINE                   command line tail "-f -c LINE" (the shell skips no start-up)
  name: TEXT                  the shell's own name at the head of its command line (default
                              vrel; on POSIX argv[0], without the quotes)
  shell: FOLDER               run a copy of the shell placed in this folder of the scratch
                              directory
  args: TAIL                  the exact command line tail instead (may be empty)
  out:                        expected standard output: the lines that follow, each ending
                              in a line feed, up to the next directive
  out-raw: TEXT               expected standard output as one escaped text
  err: / err-raw: TEXT        the same for standard error (default: empty)
  exit: N                     expected exit code (default 0)
  after: SH-COMMAND           run after the shell; its standard output is compared with
  after-out: / after-raw:     this block
  timeout: SECONDS            default 60 (180 under Wine): only a hang is a fault, a loaded
                              machine may take seconds

Under Wine the shell is started through the launcher, which hands vrel.exe the exact command
line, as a Windows console would; carriage returns before line feeds are removed from output.
The Wine prefix is made quietly on first use (wine.py) and one Wine session serves all cases.
Setup commands find the shell's own path in $VREL.
With --encoding (the shell's code page, a Python codec: utf-8, cp1252, cp932) the expected
texts (out, err, after-out) and stdin, written in UTF-8 in the case file, are compared and
fed in that encoding; the command line and environment reach the shell in Unicode through
the launcher, as from a console, and file names on the POSIX side stay UTF-8 (setup, after).
--locale sets LC_ALL for Wine, which takes its code page from it (ja_JP.UTF-8 gives 932); a
locale the system lacks is made with localedef into a scratch folder first.
Text "$CASEDIR" in any directive value is replaced by the scratch directory's path (on Windows
as the Z: path with backslashes, in `run`/`args`/`env` only).
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

import wine

DIRECTIVES = ("platform", "encoding", "setup", "env", "unset", "stdin", "run", "args", "name", "shell",
              "out", "out-raw",
              "err", "err-raw", "exit", "after", "after-out", "after-raw", "timeout")
BLOCKS = ("out", "err", "after-out")
DIRECTIVE_RE = re.compile(r"^(%s):(?: (.*))?$" % "|".join(re.escape(d) for d in DIRECTIVES))


def unescape(text):
    out = bytearray()
    i = 0
    raw = text.encode("utf-8", "surrogateescape")
    while i < len(raw):
        c = raw[i]
        if c == 0x5C and i + 1 < len(raw):
            n = chr(raw[i + 1])
            if n == "n":
                out.append(10)
            elif n == "t":
                out.append(9)
            elif n == "r":
                out.append(13)
            elif n == "e":
                out.append(27)
            elif n == "b":
                out.append(8)
            elif n == "x":
                out.append(int(raw[i + 2:i + 4], 16))
                i += 2
            else:
                out.append(raw[i + 1])
            i += 2
            continue
        out.append(c)
        i += 1
    return bytes(out)


class Case:
    def __init__(self, name, origin):
        self.name = name
        self.origin = origin
        self.platform = None
        self.encodings = None
        self.setup = []
        self.env = {}
        self.unset = []
        self.stdin = b""
        self.args = None
        self.program_name = None
        self.shell_folder = None
        self.out = b""
        self.err = b""
        self.exit = 0
        self.after = []
        self.after_out = b""
        self.timeout = None
        self.blocks = set()  # expected texts given as blocks of lines


def parse_cases(path):
    cases = []
    case = None
    block = None
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        lines = f.read().split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    for number, line in enumerate(lines, 1):
        if line.startswith("=== "):
            case = Case(line[4:].strip(), "%s:%d" % (path, number))
            cases.append(case)
            block = None
            continue
        m = DIRECTIVE_RE.match(line)
        if case is None:
            if line.strip() and not line.startswith("#"):
                raise SystemExit("%s:%d: text before the first case" % (path, number))
            continue
        if m:
            key, value = m.group(1), m.group(2) or ""
            block = None
            if key in BLOCKS:
                block = key.replace("-", "_")
                setattr(case, block, b"")
                case.blocks.add(block)
                if value:
                    raise SystemExit("%s:%d: '%s:' takes the lines below it" % (path, number, key))
            elif key == "platform":
                case.platform = value.strip()
            elif key == "encoding":
                case.encodings = value.split()
            elif key == "setup":
                case.setup.append(value)
            elif key == "after":
                case.after.append(value)
            elif key == "env":
                name, _, val = value.partition("=")
                case.env[name] = val
            elif key == "unset":
                case.unset.append(value.strip())
            elif key == "stdin":
                case.stdin = unescape(value)
            elif key == "run":
                case.args = "-f -c " + value
            elif key == "args":
                case.args = value
            elif key == "name":
                case.program_name = value
            elif key == "shell":
                case.shell_folder = value
            elif key == "out-raw":
                case.out = unescape(value)
                case.blocks.discard("out")
            elif key == "err-raw":
                case.err = unescape(value)
                case.blocks.discard("err")
            elif key == "after-raw":
                case.after_out = unescape(value)
                case.blocks.discard("after_out")
            elif key == "exit":
                case.exit = int(value)
            elif key == "timeout":
                case.timeout = float(value)
            continue
        if block is not None:
            data = getattr(case, block)
            setattr(case, block, data + line.encode("utf-8", "surrogateescape") + b"\n")
        elif line.strip() and not line.startswith("#"):
            raise SystemExit("%s:%d: unknown line in case %r: %r" % (path, number, case.name, line))
    for case in cases:
        # Blank lines that separate cases are not part of an expected block; an output that
        # ends in an empty line is written with out-raw.
        for attr in case.blocks:
            data = getattr(case, attr)
            while data.endswith(b"\n\n"):
                data = data[:-1]
            if data == b"\n":
                data = b""
            setattr(case, attr, data)
    return cases


def recode(data, encoding):
    """UTF-8 bytes of a case file in the shell's encoding; \\xNN bytes that are no UTF-8 stay."""
    return data.decode("utf-8", "surrogateescape").encode(encoding, "surrogateescape")


def locale_environment(name):
    """LC_ALL for the locale, with LOCPATH pointing at a copy made here when the system lacks it."""
    listed = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.split()
    normal = name.lower().replace("utf-8", "utf8")
    if normal in (entry.lower() for entry in listed):
        return {"LC_ALL": name}
    folder = os.path.join(tempfile.gettempdir(), "vrel-e2e-locales")
    target = os.path.join(folder, name)
    if not os.path.isdir(target):
        language, _, charset = name.partition(".")
        os.makedirs(folder, exist_ok=True)
        # Made aside and renamed, so that runs at the same time never see half a locale.
        scratch = tempfile.mkdtemp(dir=folder)
        subprocess.run(["localedef", "-i", language, "-f", charset or "UTF-8",
                        os.path.join(scratch, name)], check=True, capture_output=True)
        try:
            os.rename(os.path.join(scratch, name), target)
        except OSError:
            pass  # another run made it first
        shutil.rmtree(scratch, ignore_errors=True)
    return {"LC_ALL": name, "LOCPATH": folder}


def run_case(case, options):
    work = tempfile.mkdtemp(prefix="vrel-e2e-")
    try:
        env = {"PATH": "/usr/local/bin:/usr/bin:/bin", "HOME": work, "LANG": "C.UTF-8"}
        env.update(options.locale_env)
        if options.platform == "windows":
            wine.wine_env(env)
        casedir = wine.windows_path(work) if options.platform == "windows" else work
        for name in case.unset:
            env.pop(name, None)
        for name, value in case.env.items():
            env[name] = value.replace("$CASEDIR", casedir)
        shell_env = dict(env)
        for command in case.setup:
            subprocess.run(["/bin/sh", "-c", command], cwd=work, check=True,
                           env=dict(os.environ, CASEDIR=work, HOME=work,
                                    VREL=options.shell_file))
        tail = (case.args if case.args is not None else "").replace("$CASEDIR", casedir)
        shell = options.shell
        if case.shell_folder:
            folder = os.path.join(work, case.shell_folder)
            os.makedirs(folder, exist_ok=True)
            shell = os.path.join(folder, os.path.basename(options.shell_file))
            shutil.copy2(options.shell_file, shell)
            if options.platform == "windows":
                shell = wine.windows_path(shell)
        timeout = case.timeout or (180 if options.platform == "windows" else 60)
        report = None
        executable = None
        if options.platform == "windows":
            report = os.path.join(tempfile.mkdtemp(prefix="vrel-launch-"), "report")
            shell_env["VREL_LAUNCH_LINE"] = tail
            shell_env["VREL_LAUNCH_REPORT"] = wine.windows_path(report)
            if case.program_name is not None:
                shell_env["VREL_LAUNCH_NAME"] = case.program_name
            command = [options.wine, options.launcher, shell]
        else:
            # The POSIX command line is argv joined with single blanks: hand the tail over as
            # one argument per blank-separated piece, so that the joined line is exact.
            name = case.program_name
            name = shell if name is None or options.wrapper else name.strip('"')
            command = options.wrapper + [name] + (tail.split(" ") if tail else [])
            executable = None if options.wrapper else shell

        def start():
            result = subprocess.run(command, cwd=work, env=shell_env, executable=executable,
                                    input=recode(case.stdin, options.encoding),
                                    capture_output=True, timeout=timeout)
            # The launcher leaves its report once the shell ran.
            if report and not os.path.exists(report):
                raise wine.NotStarted("exit code %d, %r" % (result.returncode,
                                                            result.stderr[:200]))
            return result

        try:
            result = wine.started_again(start, "the shell for " + case.name)
        except subprocess.TimeoutExpired:
            return ["timed out after %s s" % timeout]
        finally:
            if report:
                shutil.rmtree(os.path.dirname(report), ignore_errors=True)
        out, err = result.stdout, result.stderr
        code = result.returncode
        if options.platform == "windows":
            out = out.replace(b"\r\n", b"\n")
            err = err.replace(b"\r\n", b"\n")
        else:
            if code < 0:
                code = 128 - code
        problems = []
        expected_out = recode(case.out, options.encoding)
        expected_err = recode(case.err, options.encoding)
        if out != expected_out:
            problems.append("stdout:\n  expected %r\n  actual   %r" % (expected_out, out))
        if err != expected_err:
            problems.append("stderr:\n  expected %r\n  actual   %r" % (expected_err, err))
        if (code & 0xFFFFFFFF) != (case.exit & 0xFFFFFFFF) and (code & 0xFF) != (case.exit & 0xFF):
            problems.append("exit code: expected %d, actual %d" % (case.exit, code))
        if case.after:
            after = b""
            for command in case.after:
                after += subprocess.run(["/bin/sh", "-c", command], cwd=work,
                                        env=dict(os.environ, CASEDIR=work), capture_output=True,
                                        timeout=timeout).stdout
            expected_after = recode(case.after_out, options.encoding)
            if after != expected_after:
                problems.append("after:\n  expected %r\n  actual   %r" % (expected_after, after))
        return problems
    finally:
        subprocess.run(["chmod", "-R", "u+rwX", work], capture_output=True)
        shutil.rmtree(work, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--shell")
    parser.add_argument("--platform", choices=("posix", "windows"), default="posix")
    parser.add_argument("--launcher")
    parser.add_argument("--wine", default=wine.default_wine())
    parser.add_argument("--encoding", default="utf-8",
                        help="the code page of the shell's text, as a Python codec name")
    parser.add_argument("--locale", help="the locale Wine runs the shell in (LC_ALL)")
    parser.add_argument("--only", help="run only cases whose name contains this text")
    parser.add_argument("--valgrind", action="store_true",
                        help="run the shell (and its child shells) under valgrind memcheck")
    parser.add_argument("files", nargs="*")
    options = parser.parse_args()
    if options.platform == "windows":
        wine.prepare(options.wine)
    if not options.shell or not options.files:
        parser.error("--shell and at least one case file are needed")
    options.shell_file = os.path.abspath(options.shell)
    if options.platform == "windows":
        options.shell = wine.windows_path(os.path.abspath(options.shell))
        options.launcher = os.path.abspath(options.launcher)
    options.locale_env = locale_environment(options.locale) if options.locale else {}
    options.wrapper = []
    logs = None
    if options.valgrind:
        with open(options.shell, "rb") as f:
            # A program without a dynamic loader keeps its allocations from memcheck.
            if b"/ld-linux" not in f.read(4096):
                parser.error("--valgrind needs a dynamically linked shell (the preset valgrind)")
        logs = tempfile.mkdtemp(prefix="vrel-valgrind-")
        options.wrapper = ["valgrind", "-q", "--leak-check=full", "--errors-for-leak-kinds=all",
                           "--show-leak-kinds=definite,indirect,possible",
                           "--trace-children=yes", "--trace-children-skip=/bin/*,/usr/*",
                           "--log-file=" + os.path.join(logs, "vg.%p")]
    failed = 0
    total = 0
    for path in options.files:
        for case in parse_cases(path):
            if case.platform and case.platform != options.platform:
                continue
            if case.encodings and options.encoding not in case.encodings:
                continue
            if options.only and options.only not in case.name:
                continue
            total += 1
            problems = run_case(case, options)
            if problems:
                failed += 1
                print("FAIL %s (%s)" % (case.name, case.origin))
                for p in problems:
                    print("  " + p.replace("\n", "\n  "))
    print("%d of %d cases passed" % (total - failed, total))
    if logs:
        reports = [os.path.join(logs, n) for n in sorted(os.listdir(logs))
                   if os.path.getsize(os.path.join(logs, n)) > 0]
        for report in reports:
            with open(report, errors="replace") as f:
                print("valgrind:", f.read())
        shutil.rmtree(logs, ignore_errors=True)
        if reports:
            print("%d valgrind reports" % len(reports))
            return 1
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
