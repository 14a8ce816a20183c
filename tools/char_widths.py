#!/usr/bin/python3
"""Writes console/char_widths.cpp, the screen columns of every character, from the Unicode
Character Database (Debian's unicode-data package: /usr/share/unicode).

Zero columns: nonspacing and enclosing marks (Mn, Me), format characters (Cf) but the soft
hyphen and the number signs written before digits (Prepended_Concatenation_Mark), and the
conjoining Hangul vowels and finals. Two columns: East Asian Wide and
Fullwidth, which take in the emoji shown as pictures. Everything else takes one.
Run: tools/char_widths.py [UCD-FOLDER] >console/char_widths.cpp
"""
import os
import re
import sys

UCD = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/unicode"


def ranges_of(path, keep):
    """(first, last, field) from a file of `code[..code]; field` lines, for fields kept."""
    with open(os.path.join(UCD, path), encoding="utf-8") as f:
        for line in f:
            line = line.split("#")[0].strip()
            if ";" not in line:
                continue
            codes, field = [part.strip() for part in line.split(";")[:2]]
            first, _, last = codes.partition("..")
            if keep(field):
                yield int(first, 16), int(last or first, 16)


def categories():
    """(first, last) of the zero-width general categories in UnicodeData.txt."""
    with open(os.path.join(UCD, "UnicodeData.txt"), encoding="utf-8") as f:
        for line in f:
            fields = line.split(";")
            code, category = int(fields[0], 16), fields[2]
            if category in ("Mn", "Me") or (category == "Cf" and code != 0xAD):
                yield code, code


def merged(pairs):
    out = []
    for first, last in sorted(pairs):
        if out and first <= out[-1][1] + 1:
            out[-1][1] = max(out[-1][1], last)
        else:
            out.append([first, last])
    return out


def table(name, pairs):
    cells = ["{0x%X, 0x%X}" % (a, b) for a, b in pairs]
    rows = [", ".join(cells[i:i + 4]) for i in range(0, len(cells), 4)]
    return "static const CodeRange %s[] = {\n    %s,\n};\n" % (name, ",\n    ".join(rows))


def main():
    shown = {code for first, last in ranges_of(
        "PropList.txt", lambda field: field == "Prepended_Concatenation_Mark")
        for code in range(first, last + 1)}
    zero = merged([pair for pair in categories() if pair[0] not in shown] +
                  [(0x1160, 0x11FF), (0xD7B0, 0xD7FF), (0x200B, 0x200B)])
    wide = merged(ranges_of("EastAsianWidth.txt", lambda field: field in ("W", "F")))
    with open(os.path.join(UCD, "ReadMe.txt"), encoding="utf-8") as f:
        version = re.search(r"Version ([0-9.]+[0-9])", f.read()).group(1)
    sys.stdout.write(
        "// char_widths.cpp: screen columns of each character, made by tools/char_widths.py\n"
        "// from the Unicode Character Database %s. Do not edit by hand.\n"
        "#include \"console/char_widths.h\"\n\n"
        "struct CodeRange {\n    uint32_t first, last;\n};\n\n" % version
        + "// clang-format off\n" + table("zero_width", zero) + table("double_width", wide)
        + "// clang-format on\n\n"
        "template <size_t N> static bool in_ranges(const CodeRange (&ranges)[N], uint32_t c)\n"
        "{\n"
        "    size_t low = 0, high = N;\n"
        "    while (low < high) {\n"
        "        size_t middle = (low + high) / 2;\n"
        "        if (c > ranges[middle].last)\n"
        "            low = middle + 1;\n"
        "        else if (c < ranges[middle].first)\n"
        "            high = middle;\n"
        "        else\n"
        "            return true;\n"
        "    }\n"
        "    return false;\n"
        "}\n\n"
        "int char_columns(uint32_t c)\n"
        "{\n"
        "    if (c < 0x300)\n"
        "        return c == 0 ? 0 : 1; // the common case stays out of the tables\n"
        "    if (in_ranges(zero_width, c))\n"
        "        return 0;\n"
        "    return in_ranges(double_width, c) ? 2 : 1;\n"
        "}\n")


if __name__ == "__main__":
    main()
