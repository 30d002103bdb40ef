"""What each word of a Korvane line is, found the way the assembler finds it:
the line cut at blanks and tabs, mnemonics compared upper-cased. The
highlighting checks compare their editor's colours with this."""
import re

MNEMONICS = {"ADD", "SUB", "MUL", "DIV", "STA", "LDA", "BRA", "BRZ", "BRP", "BRN",
             "BRG", "INP", "OUT", "HLT", "DAT"}


def words_of(line):
    """(index of the first character, word, kind) for every word of a line;
    the kinds are mnemonic, directive (DAT), data label and code label (the
    first word when it is no mnemonic: before DAT, or before anything else),
    number and operand."""
    words = [(m.start(), m.group()) for m in re.finditer(r"[^ \t\r]+", line)]
    result = []
    for i, (start, word) in enumerate(words):
        if word.upper() == "DAT":
            kind = "directive"
        elif word.upper() in MNEMONICS:
            kind = "mnemonic"
        elif i == 0:
            data = len(words) > 1 and words[1][1].upper() == "DAT"
            kind = "data label" if data else "code label"
        elif re.fullmatch(r"[-+]?[0-9]+", word):
            kind = "number"
        else:
            kind = "operand"
        result.append((start, word, kind))
    return result
