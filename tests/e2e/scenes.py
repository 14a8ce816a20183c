"""Scenes at the prompt, typed by terminal.py on the POSIX terminal and in Wine's console.

Their form is in terminal.py's docstring. Unless `only` says otherwise a scene runs on both,
and its screen is the same on both.
"""
import re
import unicodedata

from terminal import (BACKSPACE, CTRL_C, CTRL_D, CTRL_T, CTRL_U, DOWN, ENTER, F1, HOME, LEFT,
                      RIGHT, TAB, UP, Scene, Step, line_rows)

P = "vrel> "
LONG_PROMPT = "p" * 69 + " "
END, DELETE, F5 = "\x1b[F", "\x1b[3~", "\x1b[15~"
CTRL_G, CTRL_K, CTRL_R, CTRL_W, CTRL_Y, UNDO = "\x07", "\x0b", "\x12", "\x17", "\x19", "\x1f"
CTRL_LEFT, CTRL_RIGHT = "\x1b[1;5D", "\x1b[1;5C"
ALT_B, ALT_F, ALT_X, ALT_ENTER = "\x1bb", "\x1bf", "\x1bx", "\x1b\r"


def ran(*lines):
    """Rows of lines run one after another from an empty prompt, each with its output."""
    return [row for line in lines for row in [P + line[0]] + list(line[1:])]


def interrupted(command):
    """A silent command started, then stopped by Ctrl-C within five seconds."""
    return [Step("echo started; " + command + ENTER,
                 screen=[P + "echo started; " + command, "started", "█"]),
            Step(CTRL_C, busy=True, within=5.0,
                 screen=[P + "echo started; " + command, "started", "^C", P + "█"])]


WIDE_LINE = "echo " + "日" * 58  # at 120 columns its last character starts in the last column


def wide_margin(keys, line, cursor):
    return Step(keys, screen=line_rows("/tmp/w> ", line, cursor, 120, own_row=True))


def wrapped(text, columns):
    return [text[i:i + columns] for i in range(0, len(text), columns)]


def long_line(columns):
    """A line of two rows and more: typed (it moves to a row of its own), edited across the row
    boundary, run, and recalled (it then wraps from the prompt's row). Under Wine each key
    makes two console writes at most."""
    line = "echo " + "".join(str(i % 10) for i in range(2 * columns + 10))
    edited = line[:columns + 12] + line[columns + 14:]
    at = columns + 12

    def step(keys, text, cursor, own_row=True):
        return Step(keys, screen=line_rows(P, text, cursor, columns, own_row), writes_per_key=2)

    return Scene("long line at %d columns" % columns,
                 step(line, line, len(line)),
                 step(LEFT * (len(line) - at), line, at),
                 step("X", line[:at] + "X" + line[at:], at + 1),
                 step(BACKSPACE, line, at),
                 step(CTRL_D + CTRL_D, edited, at),
                 step(HOME, edited, 0),
                 step(END, edited, len(edited)),
                 Step(ENTER, output=wrapped(edited[5:], columns)),
                 step(UP, edited, len(edited), own_row=False),
                 step(CTRL_U, "", 0, own_row=False),
                 columns=columns)


PASTED = "echo " + "x" * 1000
COLOURED = '"\\c[[32mvrel\\c[[0m> "'  # PS1 with the colour sequences every prompt guide teaches
MARK = re.compile(rb"\x1b\]")  # any operating system command
MARKED_LINE = re.compile(rb'\x1b\]133;C\x1b\\.*hi.*\x1b\]133;D;0\x1b\\\x1b\]9;9;"([^"]+)"\x1b\\'
                         rb"\x1b\]0;\1\x1b\\\x1b\]133;A\x1b\\vrel> \x1b\]133;B\x1b\\", re.S)


TRACED_MARKS = re.compile(rb'133;C.*L"hi".*133;D;0.*9;9;\\"[A-Z]:\\\\tmp.*\\001b\]0;[A-Z]:'
                          rb'.*133;A.*vrel> \\001b\]133;B', re.S)
TWO_ROWS = '"two rows\\cJ' + P + '"'
NO_MARK = re.compile(rb"\A(?!.*(\x1b|\\001b)\])", re.S)  # on the terminal or in the trace
ACCENT, ROCKET, SUN = "e\u0301", "\U0001F680", "\u65e5"  # a combining mark, an emoji, a CJK


def nfc_rows(prompt, line, cursor, columns, own_row=False):
    """line_rows as the terminal shows them: a letter and its mark make one character."""
    rows = [unicodedata.normalize("NFC", row)
            for row in line_rows(prompt, line, cursor, columns, own_row)]
    return rows if rows[-1] else rows[:-1]  # a full last row, the cursor not below it


def at_20(keys, line, cursor=None, own_row=True):
    cursor = len(line) if cursor is None else cursor
    return Step(keys, screen=nfc_rows(P, line, cursor, 20, own_row))


SCENES = [
    Scene("insert in the middle",
          Step("echo abc", screen=[P + "echo abc█"]),
          Step(LEFT + LEFT + "x", screen=[P + "echo ax█bc"]),
          Step(ENTER, screen=ran(("echo axbc", "axbc")) + [P + "█"])),
    Scene("history prefix search",
          Step("echo a" + ENTER, output=["a"]),
          Step(": b" + ENTER, output=[]),
          Step("echo c" + ENTER, output=["c"]),
          Step("echo", screen=[P + "echo█"]),
          Step(UP, screen=[P + "echo c█"]),
          Step(UP, screen=[P + "echo a█"]),
          Step(UP, screen=[P + "echo█"]),
          Step(DOWN, screen=[P + "echo█"]),
          Step(CTRL_U, screen=[P + "█"]),
          Step("echo" + UP + UP, screen=[P + "echo a█"]),
          Step(ENTER, output=["a"])),
    Scene("tab cycles through matches",
          Step("cat no", screen=[P + "cat no█"]),
          Step(TAB, screen=[P + "cat note.txt█"]),
          Step(TAB, screen=[P + "cat notice.txt█"]),
          Step(TAB, screen=[P + "cat note.txt█"]),
          Step(CTRL_U, screen=[P + "█"]),
          Step(ENTER, screen=[P, P + "█"])),
    Scene("tab keeps a colon inside a name",  # no such file name on Windows
          Step("cp note.txt 12:30.log" + ENTER, output=["cp note.txt 12:30.log"]),
          Step("cat 12:3" + TAB, screen=[P + "cat 12:30.log█"]),
          Step(CTRL_U + ENTER, screen=[P, P + "█"]),
          only=["posix"]),
    Scene("function keys do nothing and Delete deletes",
          Step("xecho x" + F1 + F5, screen=[P + "xecho x█"]),
          Step(HOME + DELETE, screen=[P + "█echo x"]),
          Step(ENTER, screen=ran(("echo x", "x")) + [P + "█"])),
    Scene("utf-8 characters move and rub out whole",  # Wine gives the wide one a single cell
          Step("echo é日", screen=[P + "echo é日█"]),
          Step(LEFT, screen=[P + "echo é█日"]),
          Step(BACKSPACE, screen=[P + "echo █日"]),
          Step(ENTER, screen=ran(("echo 日", "日")) + [P + "█"]),
          only=["posix"]),
    Scene("Ctrl-T runs a bound function",
          Step("function c20 'echo [$1]'" + ENTER, output=[]),
          Step("ctrlkey 20 128" + ENTER, output=[]),
          Step("echo $<" + ENTER, screen=[P + "echo $<", "█"]),
          Step("abc" + CTRL_T + "d", screen=[P + "echo $<", "abc[abc]", "d█"]),
          Step(ENTER, screen=[P + "echo $<", "abc[abc]", "d", "abcd", P + "█"])),
    Scene("Ctrl-C at the prompt drops the line",
          Step("ab", screen=[P + "ab█"]),
          Step(CTRL_C, screen=[P + "ab^C", P + "█"]),
          Step(UP, screen=[P + "█"]),  # the dropped line is not in the history
          Step("c", screen=[P + "c█"]),
          Step(ENTER, screen=[P + "c", "c:command error(2)", P + "█"])),
    Scene("the history file reaches the next shell",
          Step("echo one" + ENTER, output=["one"]),
          Step(" echo secret" + ENTER, output=["secret"]),  # a leading blank: not in the file
          Step("vrel -f" + ENTER, screen=[P + "vrel -f", P + "█"]),
          Step(UP, screen=[P + "vrel -f█"]),
          Step(UP, screen=[P + "echo one█"]),
          Step(UP, screen=[P + "█"]),
          Step("exit" + ENTER, output=[])),
    Scene("Ctrl-R searches the history",
          Step("echo one" + ENTER, output=["one"]),
          Step("echo Grep two" + ENTER, output=["Grep two"]),
          Step("echo three", screen=[P + "echo three█"]),
          Step(CTRL_R + "gre", screen=[P + "(search)'gre': echo Grep two█"]),
          Step(CTRL_R, screen=[P + "(not found)'gre': echo Grep two█"]),
          Step(BACKSPACE, screen=[P + "(search)'gr': echo Grep two█"]),
          Step(CTRL_G, screen=[P + "echo three█"]),
          Step(CTRL_R + "o" + CTRL_R, screen=[P + "(search)'o': echo one█"]),
          Step(LEFT, screen=[P + "echo on█e"]),
          Step(CTRL_U + CTRL_R + "on" + ENTER, output=["one"])),
    Scene("word keys, removal, yank and undo",
          Step("echo one two three", screen=[P + "echo one two three█"]),
          Step(CTRL_W, screen=[P + "echo one two █"]),
          Step(CTRL_LEFT + CTRL_LEFT, screen=[P + "echo █one two "]),
          Step(CTRL_K, screen=[P + "echo █"]),
          Step(CTRL_Y + CTRL_Y, screen=[P + "echo one two one two █"]),
          Step(ALT_B + ALT_B + ALT_F, screen=[P + "echo one two one█ two "]),
          Step(CTRL_RIGHT + "x" + ALT_X + ALT_ENTER, screen=[P + "echo one two one twox█ "]),
          Step(UNDO, screen=[P + "echo one two one two█ "]),
          Step(UNDO + UNDO, screen=[P + "echo █"]),
          Step(UNDO + UNDO + UNDO, screen=[P + "█"]),
          Step("echo z" + ENTER, output=["z"])),
    Scene("tab completes functions, built-ins and variables",
          Step("function zzfun 'echo f'" + ENTER, output=[]),
          Step("zz" + TAB, screen=[P + "zzfun█"]),
          Step(ENTER, output=["f"]),
          Step("lwhi" + TAB, screen=[P + "lwhile█"]),
          Step(CTRL_U + "echo x; ech" + TAB, screen=[P + "echo x; echo█"]),
          Step(CTRL_U + "echo ${PS" + TAB, screen=[P + "echo ${PS1█"]),
          Step(CTRL_U + "echo $PS" + TAB + "}", screen=[P + "echo $PS1}█"]),
          Step(CTRL_U + ENTER, output=[])),
    Scene("tab completes a program on PATH",
          Step("mkdir bin; cp /bin/true bin/zzrun; set PATH=bin:$PATH" + ENTER,
               output=["mkdir bin", "cp /bin/true bin/zzrun"]),
          Step("zzr" + TAB, screen=[P + "zzrun█"]),
          Step(ENTER, output=[]),
          only=["posix"]),
    Scene("Ctrl-C during a program",
          Step("sleep 2" + ENTER, screen=[P + "sleep 2", "█"]),
          Step(CTRL_C, busy=True, screen=[P + "sleep 2", "^C", P + "█"]),
          only=["posix"]),
    Scene("Ctrl-C during work that writes",
          # The loop writes, so the shell sees the interrupt at its next string; the screen
          # scrolls, and the notice may cut a number's line short.
          Step("repeat 4000000000 eval 'echo $/'" + ENTER, shows=re.compile(r"[0-9]+")),
          Step(CTRL_C, busy=True, tail=[re.compile(r".*\^C"), P + "█"]),
          Step("echo alive" + ENTER, tail=[P + "echo alive", "alive", P + "█"])),
    Scene("Ctrl-C stops lwhile", *interrupted("lwhile true"), only=["posix"]),
    Scene("Ctrl-C stops repeat", *interrupted("repeat 4000000000 :"), only=["posix"]),
    Scene("two Ctrl-C leave the shell at its prompt",
          interrupted("lwhile true")[0],
          Step(CTRL_C + CTRL_C, busy=True, within=5.0, tail=["^C", P + "█"]),
          only=["posix"]),
    Scene("control bytes of names and values show as ?",
          Step("ls a*" + ENTER, output=["a?]0;T?b?[31mc"]),
          Step("rm x\\c[[7my" + ENTER, output=["x?[7my:not found"]),
          files={"a\x1b]0;T\x07b\x1b[31mc": "x\n"}, only=["posix"]),
    Scene("long line moves to a row of its own",
          Step("0123456789", screen=[LONG_PROMPT + "0123456789", "█"]),
          Step("A", screen=[LONG_PROMPT, "0123456789A█"]),
          Step(CTRL_U, screen=[LONG_PROMPT, "█"]),
          Step(ENTER, screen=[LONG_PROMPT, "", LONG_PROMPT + "█"]),
          prompt=LONG_PROMPT),
    long_line(80),
    long_line(120),
    Scene("paste of 1000 characters",
          Step(PASTED, screen=line_rows(P, PASTED, len(PASTED), 80, own_row=True),
               writes_per_key=2),
          Step(ENTER, output=wrapped("x" * 1000, 80))),
    Scene("a line too long is refused whole",
          Step("echo " + "x" * 1500 + ENTER, tail=["vrel:line too long", P + "█"]),
          Step("echo [$<]" + ENTER, tail=[P + "echo [$<]", "█"]),
          Step("y" * 1030 + ENTER, tail=["vrel:line too long", "[]", P + "█"])),
    Scene("wide characters at the right margin",
          wide_margin(WIDE_LINE, WIDE_LINE, len(WIDE_LINE)),
          wide_margin(CTRL_U, "", 0),
          wide_margin(WIDE_LINE, WIDE_LINE, len(WIDE_LINE)),
          wide_margin(LEFT * 3, WIDE_LINE, len(WIDE_LINE) - 3),
          wide_margin(RIGHT * 2, WIDE_LINE, len(WIDE_LINE) - 1),
          # Rubbing out the character before the cursor brings the last one back to the margin.
          wide_margin(BACKSPACE, WIDE_LINE[:-1], len(WIDE_LINE) - 2),
          prompt="/tmp/w> ", columns=120, console_rules=True, only=["posix"]),
    Scene("accented line writes its file",
          Step("echo café >é.txt", screen=[P + "echo café >é.txt█"]),
          Step(ENTER, output=[], files={"é.txt": "café\n"}),
          Step("ls *.txt" + ENTER, output=["note.txt            notice.txt          é.txt"]),
          Step(UP + UP, screen=[P + "echo café >é.txt█"]),
          Step(CTRL_U, screen=[P + "█"]),
          Step(ENTER, output=[])),
    Scene("keys move over and remove whole characters",
          Step("echo àéxé", screen=[P + "echo àéxé█"]),
          Step(LEFT + LEFT, screen=[P + "echo àé█xé"]),
          Step(CTRL_D, screen=[P + "echo àé█é"]),
          Step(BACKSPACE, screen=[P + "echo à█é"]),
          Step(HOME + CTRL_D, screen=[P + "█cho àé"]),
          Step("e" + ENTER, output=["àé"])),
    Scene("tab completes an accented name",
          Step("cat ét" + TAB, screen=[P + "cat été.log█"]),
          Step(ENTER, output=["soleil"]),
          files={"été.log": "soleil\n"}),
    Scene("a coloured prompt takes its visible columns",
          Step("echo " + "c" * 68, screen=line_rows(P, "echo " + "c" * 68, 73, 80)),
          Step("ccc", screen=line_rows(P, "echo " + "c" * 71, 76, 80, own_row=True)),
          Step(HOME + RIGHT * 5, screen=line_rows(P, "echo " + "c" * 71, 5, 80, own_row=True)),
          Step(ENTER, output=["c" * 71]),
          ps1=COLOURED, only=["posix"]),  # Wine's console takes the colours for text
    Scene("a prompt of two rows counts its last row",
          Step("echo " + "t" * 68, screen=[P + "echo " + "t" * 68 + "█"]),
          Step(HOME, screen=[P + "█echo " + "t" * 68]),
          Step(ENTER, output=["t" * 68, "two rows"]),
          ps1=TWO_ROWS, above=["two rows"]),
    Scene("each width class at the right margin",  # Wine gives the wide ones a single cell
          at_20("echo 1234567" + ACCENT, "echo 1234567" + ACCENT, own_row=False),
          # The cursor moves over a letter and its mark together.
          at_20(LEFT + "x", "echo 1234567x" + ACCENT, 13, own_row=False),
          at_20(END + ROCKET, "echo 1234567x" + ACCENT + ROCKET),
          at_20("abc" + ROCKET, "echo 1234567x" + ACCENT + ROCKET + "abc" + ROCKET),
          at_20(BACKSPACE + ACCENT, "echo 1234567x" + ACCENT + ROCKET + "abc" + ACCENT),
          at_20(CTRL_U + "echo 12345678901234" + SUN, "echo 12345678901234" + SUN),
          columns=20, only=["posix"]),
    Scene("a control byte in the line shows as ^X",
          Step(UP, screen=[P + "cat a^Ab█"]),
          Step(LEFT * 2, screen=[P + "cat a█^Ab"]),
          Step(ENTER, output=["x"]),
          files={"a\x01b": "x\n", "hist": "cat a\x01b\n"}, env={"VRELHISTORY": "hist"},
          only=["posix"]),
    Scene("a resize shows the line once, whole",
          Step("echo " + "r" * 100, screen=line_rows(P, "echo " + "r" * 100, 105, 80, True)),
          Step(LEFT, columns=60, screen=line_rows(P, "echo " + "r" * 100, 104, 60, True)),
          Step("s", columns=100, screen=line_rows(P, "echo " + "r" * 99 + "sr", 105, 100, True)),
          Step(ENTER, output=wrapped("r" * 99 + "sr", 100)),
          only=["posix"]),
    Scene("Ctrl-L draws the prompt and the line at the top",
          Step("echo one" + ENTER, output=["one", "two rows"]),
          Step("echo two" + LEFT + LEFT + "\x0c", top=True, screen=["two rows", P + "echo t█wo"]),
          Step(ENTER, top=True, screen=["two rows", P + "echo two", "two", "two rows", P + "█"]),
          ps1=TWO_ROWS, above=["two rows"]),
    Scene("the prompt marks where the terminal announces them",
          Step("echo hi" + ENTER, output=["hi"], wrote=MARKED_LINE),
          Step("cd /" + ENTER, output=[], wrote=re.compile(rb'9;9;"/"')),
          Step("set VRELTERM=none" + ENTER, output=[]),
          Step("echo hi" + ENTER, output=["hi"], wrote=NO_MARK),
          env={"WT_SESSION": "1"}, only=["posix"]),
    Scene("no marks where no terminal announces them",
          Step("echo hi" + ENTER, output=["hi"], wrote=NO_MARK),
          Step("set VRELTERM=osc" + ENTER, output=[]),
          Step("echo hi" + ENTER, output=["hi"], wrote=MARKED_LINE),
          only=["posix"]),
    Scene("the prompt marks in the console's trace",
          # Wine's console takes the marks for text: only the bytes written are checked.
          Step("set WT_SESSION=1" + ENTER, wrote=re.compile(rb"133;D;0.*133;A.*133;B", re.S)),
          Step("echo hi" + ENTER, wrote=TRACED_MARKS),
          Step("set WT_SESSION=" + ENTER, wrote=re.compile(rb"133;C")),
          Step("echo hi" + ENTER, output=["hi"], wrote=NO_MARK),
          only=["wine"]),
    Scene("wide characters in the console",
          # Wine's console gives a wide character one cell and the terminal two: its drawing of
          # such a line cannot be compared, what the shell did with the keys can.
          Step("echo 日本 >日本.txt" + ENTER, output=[], files={"日本.txt": "日本\n"}),
          Step("echo 日本x" + LEFT + LEFT + BACKSPACE + ENTER, output=["本x"]),
          only=["wine", "utf-8"]),
    Scene("tab never offers a name the code page cannot hold",
          Step("cat ??.l" + TAB, screen=[P + "cat ab.log█"]),
          Step(TAB, screen=[P + "cat ab.log█"]),
          files={"😀.log": "x\n", "ab.log": "b\n"}, only=["cp1252"]),
    Scene("wide characters the code page lacks are dropped",
          Step("echo 日x本", screen=[P + "echo x█"]),
          Step(ENTER, output=["x"]),
          only=["cp1252"]),
]
