#!/usr/bin/env python3
"""Writes seed inputs for one fuzz target, taken from the end-to-end cases and unit tests."""
import glob
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def case_lines():
    for path in glob.glob(os.path.join(ROOT, "tests", "e2e", "*.cases")):
        with open(path, encoding="utf-8", errors="surrogateescape") as f:
            for line in f:
                if line.startswith("run: "):
                    yield line[5:].rstrip("\n")


def seeds_for(target):
    lines = list(case_lines())
    if target in ("run_line",):
        return [l.encode("utf-8", "surrogateescape") for l in lines]
    if target == "echo_redirect":
        words = []
        for l in lines:
            for m in re.findall(r"echo ([^;>|&]*)", l):
                words.append(b"\0".join(w.encode("utf-8", "surrogateescape") for w in m.split()))
        return words + [b"a b\0\0it's\0$HOME\0`x`\0a;b\0x\ny\0\\",
                        b">victim\0|\0;x\0<3 love\0&\0>>e\0<>"]
    if target == "read_word":
        # A backquoted loop that only the interrupt of the work budget ends: `~` expands to the
        # empty home of the jail and makes `lwh~ile du ...` an `lwhile`.
        endless = bytes.fromhex("16606c77687e696c65206475202d206fd9d6d6d6d6d6d4d6d6d6d6d6d6d6f6d6"
                                "d6d6d633 7d20247b76242f".replace(" ", ""))
        return [endless] + [bytes([i % 64]) + l.encode("utf-8", "surrogateescape")
                            for i, l in enumerate(lines)]
    if target == "expand":
        names = set()
        for l in lines:
            names.update(re.findall(r"\$\{([^}]*)\}", l))
        return [n.encode() for n in sorted(names)] or [b"a:nfu"]
    if target == "eval_expr":
        exprs = set()
        for l in lines:
            exprs.update(re.findall(r"@ '?[A-Za-z_]+=([^' ;]*)", l))
        return [e.encode() for e in sorted(exprs)] + [b"(1+2)*3", b"7/0", b"1>=2|3"]
    if target == "test":
        words = []
        for l in lines:
            for m in re.findall(r"(?:test|\[) ([^;]*)", l):
                words.append(b"\0".join(w.encode() for w in m.split()))
        return words or [b"-f\0x"]
    if target == "reader_line":
        out = []
        for i, path in enumerate(sorted(glob.glob(os.path.join(ROOT, "tests", "e2e", "*.cases")))):
            with open(path, "rb") as f:
                out.append(bytes([i]) + f.read(4000))
        return out
    if target == "edit_line":
        # Lines typed and accepted, then browsed, searched, edited and completed: the
        # extended keys are 224 and a scan code (up 72, down 80, left 75, right 77, home 71,
        # end 79, delete 83, F1 59).
        keys = [b"\xe0H", b"\xe0P", b"\xe0K", b"\xe0M", b"\xe0G", b"\xe0O", b"\xe0S",
                b"\x00;", b"\t", b"\x08", b"\x1b", b"\x14"]
        out = []
        for i, l in enumerate(lines[:200]):
            typed = l.encode("utf-8", "surrogateescape")[:300]
            edits = b"".join(keys[(i + k) % len(keys)] for k in range(4))
            out.append(bytes([i % 256, 20, 0x80 if i % 3 == 0 else 1]) + typed + b"\r" +
                       typed[:3] + edits + b"x\r")
        return out
    raise SystemExit("unknown target " + target)


def main():
    target, folder = sys.argv[1], sys.argv[2]
    os.makedirs(folder, exist_ok=True)
    for i, seed in enumerate(seeds_for(target)):
        with open(os.path.join(folder, "seed%04d" % i), "wb") as f:
            f.write(seed)


if __name__ == "__main__":
    main()
