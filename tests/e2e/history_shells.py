#!/usr/bin/python3
"""Four interactive shells append 1,000 lines each to one history file at once, with its size
limit forced small so that it is shortened again and again meanwhile. The file then holds no
torn line and no line twice, and of each shell the lines since the last shortening that
reached them, in order: a run that ends with the shell's last line.

    history_shells.py --shell vrel
"""
import argparse
import os
import re
import shutil
import tempfile
import time

import terminal

SHELLS, LINES = 4, 1000


def drain(t, timeout):
    """Reads what the shell wrote; a shell that has ended leaves its pid None."""
    try:
        while t.pump(timeout):
            pass
    except AssertionError:
        pass  # it ended, as "exit" asks


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--shell", required=True)
    shell = os.path.abspath(parser.parse_args().shell)
    directory = tempfile.mkdtemp(prefix="vrel_history_")
    history = os.path.join(directory, "history")
    env = {"PATH": "/usr/bin:/bin", "HOME": directory, "LANG": "C.UTF-8", "PS1": '"> "',
           "TERM": "dumb", "VRELHISTORY": history, "VRELHISTSIZE": "20000"}
    try:
        shells = [terminal.Terminal([shell, "-f"], env, directory) for _ in range(SHELLS)]
        for t in shells:
            t.wait_mode(False)
        keys = [b"".join(b": shell %d line %04d\r" % (n, i) for i in range(LINES)) + b"exit\r"
                for n in range(SHELLS)]
        while any(keys):
            for n, t in enumerate(shells):
                if keys[n]:
                    written = os.write(t.fd, keys[n][:512])
                    keys[n] = keys[n][written:]
                drain(t, 0)
        for t in shells:
            while t.pid is not None:
                drain(t, 0.1)
        with open(history, "rb") as f:
            lines = f.read().decode().split("\n")
        assert lines[-1] == "", "the file ends in a torn line"
        seen = {}
        for line in lines[:-1]:
            if line == "exit":
                continue
            match = re.fullmatch(r": shell (\d) line (\d{4})", line)
            assert match, "a torn line: %r" % line
            seen.setdefault(int(match.group(1)), []).append(int(match.group(2)))
        for n in range(SHELLS):
            kept = seen.get(n, [])
            assert kept and kept == list(range(kept[0], LINES)), \
                "shell %d: lines lost or doubled: %r" % (n, kept[:20])
        print("history_shells: %d lines kept, none torn, lost or doubled" % (len(lines) - 1))
    finally:
        shutil.rmtree(directory, ignore_errors=True)


if __name__ == "__main__":
    main()
