#!/usr/bin/env python3
"""Runs programs with korvane-run --trace twice, as text and as JSON, and
checks them against each other step by step: every JSON line is read by
Python's json module, every text line is cut at the columns its header names.

For each program (the six samples, then random programs made here from a
fixed seed) it checks that
- both runs give the same output, exit status and messages, in the same
  places among the steps;
- the text's columns line up under the header, whatever the step limit, the
  length of the labels or the number of the lines;
- each JSON object has the documented fields, in order, with their types,
  and says what its text line says;
- the source line and the label of each step are those the listing names;
- each branch is taken exactly when its condition holds, and an arithmetic
  result is marked wrapped exactly when the true result lies outside 32 bits
  (the values worked out here with Python's unbounded integers).

Usage: check_trace.py KORVANE_RUN [RANDOM_PROGRAMS]
"""

import json
import os
import random
import re
import subprocess
import sys
import tempfile

KORVANE_RUN = sys.argv[1]
RANDOM_PROGRAMS = int(sys.argv[2]) if len(sys.argv) > 2 else 160

OPCODES = {"HLT": 0, "ADD": 1, "SUB": 2, "MUL": 3, "DIV": 4, "STA": 5, "LDA": 6, "BRA": 7,
           "BRZ": 8, "BRP": 9, "BRN": 10, "BRG": 11, "INP": 1201, "OUT": 1202}
MNEMONICS = set(OPCODES) | {"DAT"}
WITH_OPERAND = {"ADD", "SUB", "MUL", "DIV", "STA", "LDA", "BRA", "BRZ", "BRP", "BRN", "BRG"}
ARITHMETIC = {"ADD": lambda a, b: a + b, "SUB": lambda a, b: a - b,
              "MUL": lambda a, b: a * b, "DIV": lambda a, b: divide(a, b)}
BRANCHES = {"BRA": lambda acc, flags: True, "BRZ": lambda acc, flags: acc == 0,
            "BRP": lambda acc, flags: acc > 0, "BRN": lambda acc, flags: acc < 0,
            "BRG": lambda acc, flags: flags == 1}
FIELDS = ["step", "line", "address", "word", "opcode", "operand", "accumulator", "flags",
          "effect"]
EXTRA = {None: [], "jump": [], "not taken": [], "flags": [], "store": ["cell", "value"],
         "input": ["input"], "output": ["output"]}
INT32 = (-2**31, 2**31 - 1)

failures = []
# How often each kind of step was seen, so that a run that checked little shows.
seen = {"programs": 0, "steps": 0, "wrapped": 0, "not taken": 0, "jump": 0, "store": 0,
        "flags": 0, "wide lines": 0, "long labels": 0}


def fail(where, text):
    failures.append(f"{where}: {text}")


def run(arguments, stdin):
    result = subprocess.run([KORVANE_RUN] + arguments, input=stdin.encode(),
                            capture_output=True, timeout=120)
    return result.returncode, result.stdout.decode(), result.stderr.decode()


def divide(a, b):
    """Quotient truncated toward zero, exact for any size."""
    quotient = abs(a) // abs(b)
    return quotient if (a < 0) == (b < 0) else -quotient


def wrap(value):
    return (value + 2**31) % 2**32 - 2**31


def value_of(word):
    """A cell's number as an operand reads it: the leading decimal digits."""
    match = re.match(r"[ \t\n\v\f\r]*([+-]?\d+)", word)
    if not match:
        return None
    value = int(match.group(1))
    return value if INT32[0] <= value <= INT32[1] else None


def listing_of(arguments):
    """address -> (word, line of the text, label defined there) from --listing."""
    status, out, _ = run(["--listing", "-w"] + arguments, "")
    assert status == 0, f"--listing {arguments} gave {status}"
    cells = {}
    for number, line in enumerate(out.split("\n")[:-1], 1):
        match = re.match(r"(\d\d) (\S+) +(.*)$", line)
        if not match:
            continue
        fields = match.group(3).split()
        label = fields[0] if len(fields) > 1 and fields[0].upper() not in MNEMONICS else None
        cells[int(match.group(1))] = (match.group(2), number, label)
    return cells


def text_columns(header):
    """Where each column of the text trace lies, from the header's names."""
    names = header.split()
    if names != ["step", "line", "address", "word", "instruction", "accumulator", "flags",
                 "effect"]:
        raise ValueError(f"header {header!r}")
    at = {name: header.index(" " + name + " ") + 1 if name != "step" else header.index("step")
          for name in names[:-1]}
    at["effect"] = header.rindex("effect")
    end = {name: at[name] + len(name) for name in names}
    # Numbers end under their names; texts start under theirs.
    return [("step", 0, end["step"]), ("line", end["step"] + 1, end["line"]),
            ("address", at["address"], at["word"] - 1), ("word", at["word"], at["instruction"] - 1),
            ("instruction", at["instruction"], end["accumulator"] - 11 - 1),
            ("accumulator", end["accumulator"] - 11, end["accumulator"]),
            ("flags", end["accumulator"] + 1, end["flags"])], at["effect"]


def cut(where, line, columns, effect_at):
    """The fields of a text trace line; each must fit its column."""
    fields = {}
    for name, start, stop in columns:
        if stop < len(line) and line[stop] != " ":
            fail(where, f"column {name} overflows in {line!r}")
        cell = line[start:stop]
        right_aligned = name in ("step", "line", "accumulator", "flags")
        if (cell.startswith(" ") and not right_aligned) or (cell.endswith(" ") and right_aligned
                                                            and cell.strip()):
            fail(where, f"column {name} out of line in {line!r}")
        fields[name] = cell.strip()
    fields["effect"] = line[effect_at:] if len(line) > effect_at else ""
    if len(line) > effect_at - 1 and line[effect_at - 1] != " ":
        fail(where, f"effect out of line in {line!r}")
    return fields


def read_json(where, line):
    pairs = json.loads(line, object_pairs_hook=list)
    keys = [key for key, _ in pairs]
    step = dict(pairs)
    if len(keys) != len(step):
        fail(where, f"a field twice in {line}")
    expected = FIELDS + EXTRA.get(step.get("effect"), []) + (["wrapped"] if "wrapped" in step
                                                             else [])
    if keys != expected:
        fail(where, f"fields {keys}, expected {expected}")
    for key, value in pairs:
        wanted = (str if key == "word" else bool if key == "wrapped"
                  else (str, type(None)) if key == "effect"
                  else (int, type(None)) if key == "line" else int)
        if not isinstance(value, wanted) or (wanted is int and isinstance(value, bool)):
            fail(where, f"{key} is {value!r}")
    if step.get("wrapped") is False:
        fail(where, "wrapped is written only when true")
    return step


def effect_text(step):
    """What the text trace's effect column says for this JSON step."""
    effect = step["effect"]
    text = {None: "", "jump": f"jump to {step['operand']:02d}", "not taken": "not taken",
            "flags": f"flags = {step['flags']}"}.get(effect)
    if effect == "store":
        text = f"[{step['cell']:02d}] = {step['value']}"
    elif effect == "input":
        text = f"in {step['input']}"
    elif effect == "output":
        text = f"out {step['output']}"
    if step.get("wrapped"):
        text = (text + " wrapped").strip()
    return text


def check_semantics(where, step, memory, before):
    """The effect and the wrap flag of a step, from the memory and the accumulator before it."""
    mnemonic = next((m for m, code in OPCODES.items() if code == step["opcode"]), None)
    acc, flags = step["accumulator"], step["flags"]
    if mnemonic in BRANCHES:
        taken = BRANCHES[mnemonic](acc, flags)
        if step["effect"] != ("jump" if taken else "not taken"):
            fail(where, f"{mnemonic} with accumulator {acc}, flags {flags}: {step['effect']}")
    elif mnemonic in ARITHMETIC:
        operand = value_of(memory.get(step["operand"], ""))
        if operand is None or (mnemonic == "DIV" and operand == 0):
            wrapped = False
            expected = before
        else:
            exact = ARITHMETIC[mnemonic](before, operand)
            wrapped = not INT32[0] <= exact <= INT32[1]
            expected = wrap(exact)
        if expected != acc:
            fail(where, f"{before} {mnemonic} {operand} gave {acc}")
        if step.get("wrapped", False) != wrapped:
            fail(where, f"{before} {mnemonic} {operand}: wrapped is "
                        f"{step.get('wrapped', False)}")
        if mnemonic == "DIV" and operand == 0 and step["effect"] != "flags":
            fail(where, "a division by zero does not say flags")
    elif step.get("wrapped") or step["effect"] not in {
            "STA": ("store",), "INP": ("input",), "OUT": ("output",)}.get(mnemonic, (None,)):
        fail(where, f"{mnemonic} says {step['effect']}, wrapped {step.get('wrapped')}")
    if step["effect"] == "store":
        memory[step["cell"]] = str(step["value"])


def compare(where, arguments, stdin, max_steps):
    limit = ["--max-steps", str(max_steps)]
    text = run(["--trace"] + limit + arguments, stdin)
    js = run(["--trace", "--trace-format", "json"] + limit + arguments, stdin)
    if text[0] != js[0] or text[1] != js[1]:
        fail(where, f"status or output differ: {text[:2]} and {js[:2]}")
    cells = listing_of(arguments)
    memory = {address: word for address, (word, _, _) in cells.items()}
    labels = {address: label for address, (_, _, label) in cells.items()}

    # The header names the columns of the text trace.
    lines = text[2].split("\n")
    header = next((line for line in lines if line.lstrip().startswith("step ")), None)
    if header is None:
        fail(where, "no header")
        return
    width = len(str(max_steps)) if max_steps else 10
    if header.index("step") != max(4, width) - 4:
        fail(where, f"step column {header.index('step') + 4} wide for a limit of {max_steps}")
    columns, effect_at = text_columns(header)
    text_steps, text_messages = [], []
    for line in lines[lines.index(header) + 1:]:
        if re.match(r" *\d+ +(\d+|-) \d\d ", line):
            text_steps.append(line)
            text_messages.append(None)
        else:
            text_messages.append(line)
    js_steps, js_messages = [], []
    for line in js[2].split("\n"):
        if line.startswith("{"):
            js_steps.append(line)
            js_messages.append(None)
        else:
            js_messages.append(line)
    # Messages before the header are warnings about the program.
    before_header = lines[:lines.index(header)]
    if before_header + text_messages != js_messages:
        fail(where, f"messages differ:\n{text[2]}\nand\n{js[2]}")
    if len(text_steps) != len(js_steps):
        fail(where, f"{len(text_steps)} text steps, {len(js_steps)} JSON steps")
        return

    seen["programs"] += 1
    seen["wide lines"] += header.index("line") > header.index("step") + 5
    seen["long labels"] += header.index("accumulator") > header.index("instruction") + 12
    accumulator = 0
    for number, (text_line, json_line) in enumerate(zip(text_steps, js_steps), 1):
        here = f"{where}, step {number}"
        fields = cut(here, text_line, columns, effect_at)
        step = read_json(here, json_line)
        address = step["address"]
        word, source_line, _ = cells.get(address, (None, None, None))
        mnemonic = fields["instruction"].split()[0] if fields["instruction"] else ""
        expected = {
            "step": str(step["step"]),
            "line": "-" if step["line"] is None else str(step["line"]),
            "address": f"{address:02d}",
            "word": step["word"],
            "accumulator": str(step["accumulator"]),
            "flags": str(step["flags"]),
            "effect": effect_text(step),
        }
        for key, value in expected.items():
            if fields[key] != value:
                fail(here, f"text {key} {fields[key]!r}, JSON {value!r}")
        if step["step"] != number:
            fail(here, f"JSON step {step['step']}")
        if step["line"] != source_line:
            fail(here, f"line {step['line']}, the listing says {source_line}")
        if OPCODES.get(mnemonic) != step["opcode"]:
            fail(here, f"{mnemonic} is not opcode {step['opcode']}")
        if mnemonic in WITH_OPERAND:
            operand = fields["instruction"].split()[1:]
            label = labels.get(step["operand"])
            wanted = [f"{step['operand']:02d}"] + ([label] if label else [])
            if operand != wanted:
                fail(here, f"operand {operand}, expected {wanted}")
        if step["word"] != memory.get(address):
            fail(here, f"word {step['word']!r}, the memory holds {memory.get(address)!r}")
        check_semantics(here, step, memory, accumulator)
        seen["steps"] += 1
        seen["wrapped"] += bool(step.get("wrapped"))
        if step["effect"] in seen:
            seen[step["effect"]] += 1
        accumulator = step["accumulator"]


def label_names(rng, count):
    names = set()
    while len(names) < count:
        length = rng.choice([1, 2, 3, 4, 5, 8, 12, 20])
        name = "".join(rng.choice("abcdefghijklmnopqrstuvwxyzABCXYZ") for _ in range(length))
        if name.upper() not in MNEMONICS and name.upper() not in {n.upper() for n in names}:
            names.add(name)
    return sorted(names)


def random_program(rng, label_every_line):
    """Instructions and data that assemble and run a while, and the values to type."""
    size = rng.randint(3, 40)
    data = rng.randint(1, min(8, size - 1))
    names = label_names(rng, size)
    values = [0, 1, -1, 2, 7, 46341, 65536, 2**31 - 1, -2**31, 2**31 - 2, -2**31 + 1,
              rng.randint(-2**31, 2**31 - 1)]
    # Data lines always have a label; so do the instructions a branch may name.
    named = [label_every_line or index >= size - data or rng.random() < 0.4
             for index in range(size)]
    code_targets = [index for index in range(size - data) if named[index]] or [size - data]
    lines = []
    if rng.random() < 0.1:
        lines += [""] * rng.choice([9, 99, 10000])  # line numbers of up to five digits
    for index in range(size - data):
        mnemonic = rng.choice(list(OPCODES) + ["ADD", "SUB", "MUL", "DIV", "BRZ", "BRP",
                                               "BRN", "BRG", "LDA", "STA"])
        label = names[index] + " " if named[index] else "\t"
        if mnemonic in WITH_OPERAND:
            target = rng.choice(code_targets) if mnemonic in BRANCHES and rng.random() < 0.7 \
                else rng.randrange(size - data, size)
            lines.append(f"{label}{mnemonic} {names[target]}")
        else:
            lines.append(f"{label}{mnemonic}")
        if rng.random() < 0.1:
            lines.append("")
    for index in range(size - data, size):
        kind = rng.random()
        if kind < 0.85:
            lines.append(f"{names[index]} DAT {rng.choice(values)}")
        elif kind < 0.95:
            lines.append(f"{names[index]} DAT")
        else:  # a warning, and a cell that holds 0
            lines.append(f"{names[index]} DAT {rng.choice(['1.5', '12abc', '99999999999'])}")
    typed = " ".join(str(rng.choice(values + [rng.randint(-99, 99)]))
                     for _ in range(rng.randint(0, 12)))
    return "\n".join(lines) + "\n", typed


def main():
    samples = {0: ["3 4"], 1: ["5 9", "9 5", "4 4"], 2: ["5", "0"], 3: ["6 7", "65536 65536"],
               4: [""], 5: ["5", "0", "13"]}
    for sample, inputs in samples.items():
        for typed in inputs:
            compare(f"sample {sample} with {typed!r}", ["--sample", str(sample)], typed, 0)
    compare("sample 0 at a limit of 3", ["--sample", "0"], "3 4", 3)

    rng = random.Random(24)
    with tempfile.TemporaryDirectory() as folder:
        for number in range(RANDOM_PROGRAMS):
            # Half of the programs name every line, so that labels of all lengths show.
            program, typed = random_program(rng, number % 2 == 1)
            path = os.path.join(folder, f"random{number}.txt")
            with open(path, "w") as file:
                file.write(program)
            if run(["--assemble", "-w", path], "")[0] != 0:
                continue
            limit = rng.choice([1, 9, 50, 200, 1000, 10000])
            compare(f"random program {number} (seed 24)", [path], typed, limit)

    print(", ".join(f"{count} {name}" for name, count in seen.items()))
    if min(seen.values()) == 0:
        fail("checked", "a kind of step never showed")
    for failure in failures[:40]:
        print(failure)
    if failures:
        print(f"{len(failures)} failure(s)")
        return 1
    print("the text and JSON traces agree")
    return 0


if __name__ == "__main__":
    sys.exit(main())
