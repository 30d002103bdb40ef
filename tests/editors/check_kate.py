#!/usr/bin/env python3
"""Highlights Korvane programs with KSyntaxHighlighting's own command,
kate-syntax-highlighter, and checks the format of every word: each mnemonic,
in any case, Mnemonic (DAT: Directive); the label a line starts with Data
Label before DAT, Code Label otherwise; numbers Number; other operands Operand.
What each word is comes from cutting the line at blanks and tabs, as the
assembler does, not from the definition.

    check_kate.py kate-syntax-highlighter DEFINITION PROGRAM...
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

from words import words_of

ANSI = re.compile(r"\x1b\[[0-9;]*[mK]")
MARKERS = re.compile(r"^[ |]*\|[ |]*$")


def utf16_length(text):
    return len(text.encode("utf-16-le")) // 2


# The format of each kind of word (words.py).
FORMATS = {"mnemonic": "Mnemonic", "directive": "Directive", "data label": "Data Label",
           "code label": "Code Label", "number": "Number", "operand": "Operand"}


def expected_formats(line):
    """(column in UTF-16 code units, as the highlighter counts, word, format)."""
    return [(utf16_length(line[:start]), word, FORMATS[kind]) for start, word, kind in words_of(line)]


def traced_formats(output, lines):
    """For each source line, {column: format} read from the format trace:
    the highlighted line, then pairs of a line of '|' markers and a line
    with the format's name under the first of them."""
    rows = [ANSI.sub("", row.replace("\x1b[7m", "<<")) for row in output.split("\n")]
    formats = []
    at = 0
    for line in lines:
        if at >= len(rows) or rows[at] != line:
            sys.exit(f"unexpected highlighter output at line {len(formats) + 1}: {rows[at:at + 1]}")
        at += 1
        found = {}
        while at + 1 < len(rows) and MARKERS.match(rows[at]) and "<<" in rows[at + 1]:
            # A row may hold several names, and markers of later formats.
            # (each "<<" stands for an escape sequence and takes no column)
            for shown, name in enumerate(re.finditer(r"<<([^<|]*)", rows[at + 1])):
                found[name.start() - 2 * shown] = name.group(1).strip()
            at += 2
        formats.append(found)
    return formats


def main():
    highlighter, definition, programs = sys.argv[1], sys.argv[2], sys.argv[3:]
    # The definition is installed where KSyntaxHighlighting looks for a
    # user's definitions, in a data folder of this run alone.
    data = tempfile.mkdtemp(prefix="korvane-kate-")
    try:
        folder = os.path.join(data, "org.kde.syntax-highlighting", "syntax")
        os.makedirs(folder)
        shutil.copy(definition, folder)
        env = dict(os.environ, XDG_DATA_HOME=data, QT_QPA_PLATFORM="offscreen")
        checked = failures = 0
        for program in programs:
            with open(program, encoding="utf-8") as f:
                lines = f.read().split("\n")
            run = subprocess.run([highlighter, "-f", "ansi", "--syntax-trace=format",
                                  "-s", "Korvane", program],
                                 env=env, capture_output=True, text=True, timeout=60)
            if run.returncode != 0:
                sys.exit(f"{program}: {highlighter} failed: {run.stderr.strip()}")
            if "Korvane" not in subprocess.run([highlighter, "--list"], env=env,
                                               capture_output=True, text=True).stdout:
                sys.exit("the Korvane definition was not loaded")
            for number, (line, found) in enumerate(zip(lines, traced_formats(run.stdout, lines)), 1):
                for column, word, kind in expected_formats(line):
                    checked += 1
                    # The format that starts at the word must not change inside it.
                    inside = [c for c in found if column < c < column + utf16_length(word)]
                    if found.get(column) != kind or inside:
                        failures += 1
                        print(f"{program}:{number}:{column + 1}: '{word}' should be {kind}, "
                              f"is {found.get(column)}{' (cut)' if inside else ''}",
                              file=sys.stderr)
        print(f"{checked} words checked, {failures} wrong")
        return 0 if failures == 0 and checked > 0 else 1
    finally:
        shutil.rmtree(data)


if __name__ == "__main__":
    sys.exit(main())
