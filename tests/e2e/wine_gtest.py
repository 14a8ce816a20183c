#!/usr/bin/env python3
"""Runs a GoogleTest program under Wine: wine_gtest.py WINE PROGRAM [ARGS...]

A loaded machine can make Wine fail before the program has run at all; Wine, told to be
quiet, then says nothing. A run whose output never shows GoogleTest starting is tried again,
twice; any run that started is the verdict, its output and exit code passed on as they are.
"""
import subprocess
import sys
import time

STARTED = b"[==========] Running"


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    for attempt in range(3):
        result = subprocess.run(sys.argv[1:], stdout=subprocess.PIPE)
        if STARTED in result.stdout or attempt == 2:
            break
        print("note: Wine did not run %s (exit code %d); trying again"
              % (sys.argv[2], result.returncode), flush=True)
        time.sleep(1)
    sys.stdout.buffer.write(result.stdout)
    return result.returncode


if __name__ == "__main__":
    sys.exit(main())
