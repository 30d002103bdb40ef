#!/usr/bin/env python3
"""Vim's own engine on the files under editors/vim, in `vim -es`:

- a .kasm file gets the korvane filetype, and every word of the programs its
  syntax group: each mnemonic, in any case, korvaneMnemonic (DAT:
  korvaneDirective); the label a line starts with korvaneDataLabel before DAT,
  korvaneCodeLabel otherwise; numbers korvaneNumber; other operands
  korvaneOperand (what each word is comes from cutting the line at blanks and
  tabs, as the assembler does);
- the compiler's errorformat reads what korvane-run writes about the programs
  of vim/, excerpts and all, into the quickfix list at the lines, columns,
  kinds and texts of vim/expected.txt.

    check_vim.py VIM KORVANE-RUN EDITORS-VIM-FOLDER PROGRAM...
"""
import os
import subprocess
import sys
import tempfile

from words import words_of

HERE = os.path.dirname(os.path.abspath(__file__))


# The syntax group of each kind of word (words.py).
GROUPS = {"mnemonic": "korvaneMnemonic", "directive": "korvaneDirective",
          "data label": "korvaneDataLabel", "code label": "korvaneCodeLabel",
          "number": "korvaneNumber", "operand": "korvaneOperand"}


def expected_groups(line):
    """(byte column from 1, as vim counts, word, group)."""
    return [(len(line[:start].encode()) + 1, word, GROUPS[kind])
            for start, word, kind in words_of(line)]


def vim(executable, runtime, commands, work, cwd=None):
    """Runs vim -es with the editor files on its runtime path and returns
    what the commands wrote to the file named by g:out."""
    out = os.path.join(work, "out.txt")
    script = os.path.join(work, "commands.vim")
    with open(script, "w", encoding="utf-8") as f:
        f.write(f"let g:out = '{out}'\n" + commands + "\nqall!\n")
    run = subprocess.run([executable, "-es", "-N", "-u", "NONE", "-i", "NONE",
                          "--cmd", f"set runtimepath^={runtime}",
                          "--cmd", "filetype plugin on", "--cmd", "syntax enable",
                          "-S", script],
                         capture_output=True, text=True, timeout=60, cwd=cwd)
    if not os.path.exists(out):
        sys.exit(f"vim wrote nothing (status {run.returncode}): {run.stdout}{run.stderr}")
    with open(out, encoding="utf-8") as f:
        return f.read().splitlines()


def check_syntax(executable, runtime, programs, work):
    checked = failures = 0
    for program in programs:
        with open(program, encoding="utf-8") as f:
            lines = f.read().split("\n")
        # Opened under a .kasm name, so that the file type is detected.
        opened = os.path.join(work, os.path.splitext(os.path.basename(program))[0] + ".kasm")
        with open(opened, "w", encoding="utf-8") as f:
            f.write("\n".join(lines))
        places = [(n, c, w, g) for n, line in enumerate(lines, 1) for c, w, g in expected_groups(line)]
        # The group at the first and at the last byte of each word.
        probes = " ".join(f"[{n},{c}],[{n},{c + len(w.encode()) - 1}]," for n, c, w, _ in places)
        got = vim(executable, runtime, f"""
edit {opened}
let s:lines = [&filetype]
for [s:l, s:c] in [{probes}]
  call add(s:lines, synIDattr(synID(s:l, s:c, 0), 'name'))
endfor
call writefile(s:lines, g:out)""", work)
        if got[0] != "korvane":
            print(f"{program}: filetype is '{got[0]}', not korvane", file=sys.stderr)
            failures += 1
        for i, (number, column, word, group) in enumerate(places):
            checked += 1
            first, last = got[1 + 2 * i], got[2 + 2 * i]
            if first != group or last != group:
                failures += 1
                print(f"{program}:{number}:{column}: '{word}' should be {group}, is {first}..{last}",
                      file=sys.stderr)
    return checked, failures


def check_errorformat(executable, runtime, korvane_run, work):
    folder = os.path.join(HERE, "vim")
    expected_path = os.path.join(folder, "expected.txt")
    with open(expected_path, encoding="utf-8") as f:
        expected = [line for line in f.read().splitlines() if line and not line.startswith("#")]
    messages = os.path.join(work, "messages.txt")
    with open(messages, "w", encoding="utf-8") as out:
        for name in sorted(os.listdir(folder)):
            if name.endswith(".kasm"):
                # Named as korvane-run names them; with excerpts, as a student sees them.
                subprocess.run([korvane_run, "--assemble", name], cwd=folder, stdout=subprocess.DEVNULL,
                               stderr=out, timeout=60, env=dict(os.environ, NO_COLOR="1"))
    got = vim(executable, runtime, f"""
compiler korvane
cgetfile {messages}
call writefile(map(getqflist(), {{_, e -> bufname(e.bufnr) . ':' . e.lnum . ':' . e.col . ':' . e.type . ': ' . e.text}}), g:out)""", work, folder)
    failures = 0
    if got != expected:
        failures = 1
        print("the quickfix list from korvane-run's messages:", *got, "expected:", *expected,
              sep="\n  ", file=sys.stderr)
    return len(expected), failures


def main():
    executable, programs = sys.argv[1], sys.argv[4:]
    runtime = os.path.abspath(sys.argv[3])
    korvane_run = os.path.abspath(sys.argv[2])
    with tempfile.TemporaryDirectory(prefix="korvane-vim-") as work:
        words, wrong = check_syntax(executable, runtime, programs, work)
        entries, errorformat_wrong = check_errorformat(executable, runtime, korvane_run, work)
    print(f"{words} words checked, {wrong} wrong; {entries} quickfix entries, "
          f"{'wrong' if errorformat_wrong else 'right'}")
    return 0 if wrong == 0 and errorformat_wrong == 0 and words > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
