#!/usr/bin/env python3
"""What every test that starts a program under Wine shares: its environment, the prefix made
once, and one retry for a Wine that never got the program going.

Also a command: `wine.py --prepare WINE` makes the prefix and starts the session the tests
share; `wine.py --gtest WINE PROGRAM [ARGS...]` runs a GoogleTest program, passing its output
and exit code on as they are.
"""
import fcntl
import os
import shutil
import subprocess
import sys
import time

# Wine's menu builder would write .config and .local into HOME, a test's own directory.
NO_MENUS = "winemenubuilder.exe=d"
ATTEMPTS = 3


class NotStarted(Exception):
    """Wine ended, or gave up, before the program it was asked to start had done anything."""


def started_again(start, what):
    """start() once, or again (twice) while it raises NotStarted: a loaded machine can make Wine
    fail before the program has run at all, and Wine, told to be quiet, then says nothing.
    Nothing of the test ran, so it is tried again rather than failed for the machine's sake."""
    for attempt in range(ATTEMPTS):
        try:
            return start()
        except NotStarted as error:
            if attempt == ATTEMPTS - 1:
                raise AssertionError("Wine did not start %s: %s" % (what, error))
            print("note: Wine did not start %s; trying again:\n  %s"
                  % (what, str(error).replace("\n", "\n  ")), flush=True)
            time.sleep(1)


def default_wine():
    # Debian's wine64 package keeps its loader out of PATH.
    for candidate in (shutil.which("wine64"), "/usr/lib/wine/wine64", shutil.which("wine")):
        if candidate and os.access(candidate, os.X_OK):
            return candidate
    return "wine"


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def overrides(env, extra):
    return ";".join(part for part in (env.get("WINEDLLOVERRIDES"), extra) if part)


def wine_env(env, source=None):
    """env with the caller's Wine settings, a quiet Wine and its default prefix."""
    for name, value in (source or os.environ).items():
        if name.startswith("WINE") or name in ("DISPLAY", "XDG_RUNTIME_DIR"):
            env[name] = value
    env.setdefault("WINEPREFIX", os.path.join(os.path.expanduser("~"), ".wine"))
    env.setdefault("WINEDEBUG", "-all")
    env["WINEDLLOVERRIDES"] = overrides(env, NO_MENUS)
    return env


def prepare(wine):
    """Makes the Wine prefix on first use, quietly, and starts one Wine session for the tests."""
    env = wine_env(dict(os.environ))
    quiet = {"stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL,
             "stderr": subprocess.DEVNULL}
    server = os.path.join(os.path.dirname(wine), "wineserver")
    if not os.access(server, os.X_OK):
        server = shutil.which("wineserver") or "wineserver"
    # Another test run beside this one (a second CI, say) may be making the same prefix: one
    # makes it while the other waits.
    with open(env["WINEPREFIX"].rstrip("/") + ".vrel-lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if not os.path.exists(os.path.join(env["WINEPREFIX"], "system.reg")):
            # Wine's first start makes the prefix and says so on standard error, which would
            # spoil the first test; the Mono and Gecko installers are skipped.
            subprocess.run([wine, "wineboot", "-i"],
                           env=dict(env, WINEDLLOVERRIDES=overrides(env, "mscoree,mshtml=")),
                           **quiet)
            subprocess.run([server, "-w"], env=env, **quiet)
    # One server for all tests, kept five minutes after its last program (a slow stretch of a
    # loaded machine must not end it between two tests). Wine's own background programs start
    # with the first program of a session and keep its standard handles: they are started
    # here, so that they hold no pipe of a test (whose run would then wait for them) and do
    # not run in a test's directory.
    subprocess.run([server, "-p300"], env=env, **quiet)
    subprocess.run([wine, "wineboot"], env=env, **quiet)


def run_gtest(command):
    """A GoogleTest program's run whose output shows GoogleTest starting is the verdict."""
    def start():
        result = subprocess.run(command, stdout=subprocess.PIPE)
        if b"[==========] Running" not in result.stdout:
            sys.stdout.buffer.write(result.stdout)
            raise NotStarted("exit code %d" % result.returncode)
        return result

    result = started_again(start, command[1])
    sys.stdout.buffer.write(result.stdout)
    return result.returncode


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--prepare":
        prepare(sys.argv[2])
        sys.exit(0)
    if len(sys.argv) > 3 and sys.argv[1] == "--gtest":
        sys.exit(run_gtest(sys.argv[2:]))
    sys.exit(__doc__)
