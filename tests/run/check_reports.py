#!/usr/bin/env python3
"""Grades a class with every kind of submission a teacher meets (wrong
programs, endless loops, files that are empty, not UTF-8, missing, links, a
named pipe, a folder, paths through linked folders, names that are not UTF-8
or hold control characters, line separators or direction controls)
with korvane-run --test, once in one call and once per FILE under prove, and
reads every report with a real consumer of its format: prove and Perl's
TAP::Parser and node-tap's tap-parser for TAP, Python's csv and json modules,
and junitparser for JUnit XML. Checks that each format tells every FILE's result and counts as the class
data below expects, that all four agree, and that nothing of a file that was
not handed in shows anywhere.

Usage: check_reports.py KORVANE_RUN PROVE PERL NODE READ_TAP_SCRIPT
"""

import csv
import io
import json
import os
import re
import subprocess
import sys
import tempfile

import junitparser

KORVANE_RUN, PROVE, PERL, NODE, READ_TAP = sys.argv[1:6]

CASES = b"""# adds two numbers
3 4 => 7   # the sum

0 0 => 0
-5 5 => 0
2147483647 1 => -2147483648
"""
CASE_LINES = [(2, "3 4 => 7"), (4, "0 0 => 0"), (5, "-5 5 => 0"),
              (6, "2147483647 1 => -2147483648")]
CASE_COUNT = len(CASE_LINES)

ADD = b"INP\nSTA a\nINP\nADD a\nOUT\nHLT\na DAT\n"
# Text that a link may lead to; none of it may show in any report or message.
SECRET = b"SECRET-LINE-42 DAT 7\n"

ALL = {1: "error", 2: "error", 3: "error", 4: "error"}

# The class. name (bytes) -> (what the file is, result, cases passed, the YAML
# key of each failing case (error, stopped, input; None for a wrong output),
# why it is not graded). What the file is: its contents, None for a missing
# file, or ("link", target), ("fifo",), ("folder",), ("made",) for a path to
# what FOLDER_LINKS or another FILE makes. {name} in a reason
# stands for the name as reports show it.
CLASS = {
    b"good.txt": (ADD, "pass", 4, {}, None),
    b"crlf, windows.txt": (ADD.replace(b"\n", b"\r\n"), "pass", 4, {}, None),
    b"bom.txt": (b"\xef\xbb\xbf" + ADD, "pass", 4, {}, None),
    # spreadsheets would take them for formulas
    b"=1+1.txt": (ADD, "pass", 4, {}, None),
    b"@sum.txt": (ADD, "pass", 4, {}, None),
    b"-dash.txt": (ADD, "pass", 4, {}, None),
    # names that are not UTF-8, or hold a backslash or control characters
    b"caf\xe9.txt": (ADD, "pass", 4, {}, None),
    b"back\\slash.txt": (ADD, "pass", 4, {}, None),
    b"esc\x1b[31mred\t.txt": (ADD, "pass", 4, {}, None),
    # a warning: the data value is not a whole number
    b"warned.txt": (ADD + b"b DAT 1.5\n", "pass", 4, {}, None),
    # second minus first: right only for 0 0
    b"sub.txt": (ADD.replace(b"ADD", b"SUB"), "fail", 1, {1: None, 3: None, 4: None}, None),
    # no output when the sum is 0; a name a shell, CSV, TAP and XML must all keep
    b'odd, "q" <&> # TODO.txt': (b"INP\nSTA a\nINP\nADD a\nBRZ end\nOUT\nend HLT\na DAT\n",
                                 "fail", 2, {2: None, 3: None}, None),
    b"loop.txt": (b"l OUT\nBRA l\n", "fail", 0,
                  {1: "stopped", 2: "stopped", 3: "stopped", 4: "stopped"}, None),
    b"greedy.txt": (b"INP\nINP\nINP\nOUT\nHLT\n", "fail", 0,
                    {1: "input", 2: "input", 3: "input", 4: "input"}, None),
    b"runerror.txt": (b"INP\nINP\nbad DAT 9999\n", "fail", 0, ALL, None),
    b"empty.txt": (b"", "error", 0, {}, "{name}: the file is empty."),
    b"blank.txt": (b" \t\r\n\n", "error", 0, {}, "{name}: the file is empty."),
    # an error with a note: two lines
    b"colon.txt": (b"loop: INP\nBRA loop\n", "error", 0, {}, None),
    # quotes, a backslash, YAML's and TAP's special characters, a control character
    b"nasty.txt": (b'OUT "a\\b#c:[d]\x01\n', "error", 0, {}, None),
    b"latin1.txt": (b"INP\n\xe9t\xe9\nHLT\n", "error", 0, {}, "'{name}' is not UTF-8 text (byte 0xE9 at line 2 column 1)."),
    b"absent.txt": (None, "error", 0, {},
                    "Cannot read '{name}': No such file or directory."),
    b"passwd.txt": (("link", "/etc/passwd"), "error", 0, {},
                    "'{name}' is not a regular file (a symbolic link)."),
    b"secret.txt": (("link", "../secret"), "error", 0, {},
                    "'{name}' is not a regular file (a symbolic link)."),
    b"cases-link.txt": (("link", "class.cases"), "error", 0, {},
                        "'{name}' is not a regular file (a symbolic link)."),
    b"fifo.txt": (("fifo",), "error", 0, {}, "'{name}' is not a regular file (a named pipe)."),
    b"folder": (("folder",), "error", 0, {}, "'{name}' is not a regular file (a directory)."),
    # a folder on the path is a link: to /etc, to the folder above, to another student's
    b"eve/passwd": (("made",), "error", 0, {},
                    "'{name}' is not a regular file (its folder 'eve' is a symbolic link)."),
    b"up/secret": (("made",), "error", 0, {},
                   "'{name}' is not a regular file (its folder 'up' is a symbolic link)."),
    b"ana/../mallory/prog.txt": (("made",), "error", 0, {}, "'{name}' is not a regular file "
                                 "(its folder 'ana/../mallory' is a symbolic link)."),
    b"ana/prog.txt": (ADD, "pass", 4, {}, None),
    b"ana/../good.txt": (("made",), "pass", 4, {}, None),
    # names that would end a TAP line, turn a name around, or read like another
    b"line\xe2\x80\xa8sep.txt": (ADD, "pass", 4, {}, None),
    b"rlo\xe2\x80\xaetxt.exe": (ADD, "pass", 4, {}, None),
    b"lit\\x0a.txt": (ADD, "pass", 4, {}, None),
    b"lit\n.txt": (ADD.replace(b"ADD", b"SUB"), "fail", 1, {1: None, 3: None, 4: None}, None),
}
FOLDER_LINKS = {b"eve": "/etc", b"up": "..", b"mallory": "ana"}
# Added with the class's folder: a path through a link above the current
# folder, as /tmp is on some systems.
ABSOLUTE = b"{top}/alias/class/good.txt"
FORMATS = ["tap", "csv", "json", "junit"]
TURNING = "\u2028\u2029\u061c\u200e\u200f\u202a\u202b\u202c\u202d\u202e\u2066\u2067\u2068\u2069"


def shown(name, backslash="\\"):
    """A name as messages show it: each byte that is not UTF-8 text and each
    control character as \\xNN, each separator and direction control as
    \\uNNNN, and each backslash as `backslash`."""
    text = name.decode("utf-8", "surrogateescape")
    return "".join(f"\\x{ord(c) & 0xff:02x}"
                   if ord(c) < 0x20 or 0x7f <= ord(c) <= 0x9f or 0xdc80 <= ord(c) <= 0xdcff
                   else f"\\u{ord(c):04x}" if c in TURNING
                   else backslash if c == "\\" else c for c in text)


def listed(name):
    """A name as TAP, CSV and JUnit list the FILEs: a backslash doubled too."""
    return shown(name, "\\\\")


def set_names():
    global NAMES, SHOWN, BY_SHOWN, LISTED, BY_LISTED
    NAMES = list(CLASS)
    SHOWN, LISTED = [shown(n) for n in NAMES], [listed(n) for n in NAMES]
    BY_SHOWN, BY_LISTED = dict(zip(SHOWN, NAMES)), dict(zip(LISTED, NAMES))


set_names()


def reason(name):
    template = CLASS[name][4]
    return template.format(name=shown(name)) if template else None


# The warnings of warned.txt, as each report gives them.
NO_HLT = ("warning: the program has no HLT, so a run never halts: it stops with an error or "
          "at the step limit")
WARNINGS = {b"warned.txt": ["8:7: warning: data value '1.5' is not a whole number from "
                            "-2147483648 to 2147483647; the cell holds 0"],
            b"loop.txt": [NO_HLT], b"runerror.txt": [NO_HLT]}

# Dumps what TAP::Parser reads, as JSON: the plan, each test point with the
# YAML block that follows it directly, comments, and the parse errors.
TAP_DUMP = r"""
use strict; use warnings; use TAP::Parser; use JSON::PP;
local $/; my $tap = <STDIN>;
my $parser = TAP::Parser->new({tap => $tap});
my (@tests, @comments, $bailout);
while (my $result = $parser->next) {
    if ($result->is_test) {
        push @tests, {number => $result->number + 0, ok => $result->is_ok ? 1 : 0,
                      todo => $result->has_todo ? 1 : 0, description => $result->description};
    } elsif ($result->is_yaml && $result->raw =~ /^  ---/ && @tests) {
        $tests[-1]{yaml} = $result->data;
    } elsif ($result->is_comment) {
        push @comments, $result->comment;
    } elsif ($result->is_bailout) {
        $bailout = $result->explanation;
    }
}
print JSON::PP->new->encode({planned => $parser->tests_planned, tests => \@tests,
                             comments => \@comments, bailout => $bailout,
                             errors => [$parser->parse_errors]});
"""

failures = []
every_output = []  # every byte korvane-run wrote, searched for leaked text


def check(condition, what):
    if not condition:
        failures.append(what)
    return condition


def korvane(folder, arguments, expected_status, timeout=None):
    run = subprocess.run([KORVANE_RUN, *arguments], cwd=folder, capture_output=True,
                         timeout=timeout)
    every_output.extend([run.stdout, run.stderr])
    check(run.returncode == expected_status,
          f"{arguments}: exit status {run.returncode}, not {expected_status}")
    return run


def grade(folder, names, report, expected_status, warnings=True):
    arguments = ([] if warnings else ["-w"]) + ["--max-steps", "500", "--test", "class.cases",
                                                "--report", report, "--", *names]
    return korvane(folder, arguments, expected_status)


def read_tap(text):
    run = subprocess.run([PERL, "-e", TAP_DUMP], input=text, capture_output=True, check=True)
    return json.loads(run.stdout)


def unescape(text):
    """TAP's escapes of # and \\ undone."""
    return re.sub(r"\\(.)", r"\1", text)


def description(test):
    return unescape(re.sub(r"^- ", "", test["description"]))


def subtests(text):
    """Each FILE's subtest: the lines after "# Subtest: ", four spaces taken
    off, as TAP of the version of the whole."""
    found, current = {}, None
    for line in text.decode().split("\n"):
        if line.startswith("# Subtest: "):
            current = unescape(line[len("# Subtest: "):])
            found[current] = []
        elif current is not None and line.startswith("    "):
            found[current].append(line[4:])
        else:
            current = None
    return {name: ("TAP version 13\n" + "\n".join(lines) + "\n").encode()
            for name, lines in found.items()}


def prove_summary(run):
    summary = run.stdout + run.stderr
    files = re.search(r"Files=(\d+), Tests=(\d+)", summary)
    failed = re.search(r"Failed (\d+)/(\d+) subtests", summary)
    result = re.search(r"Result: (PASS|FAIL)", summary)
    return {"files": int(files.group(1)) if files else None,
            "tests": int(files.group(2)) if files else None,
            "failed": int(failed.group(1)) if failed else 0,
            "result": result.group(1) if result else None,
            "parse errors": "Parse errors" in summary, "text": summary}


def prove(folder, tap, name):
    """prove's summary of a report."""
    path = os.path.join(folder, name)
    with open(path, "wb") as file:
        file.write(tap)
    return prove_summary(subprocess.run([PROVE, "-e", "cat", path], capture_output=True,
                                        text=True))


def check_cases_tap(where, tap, name, message):
    """A FILE's own TAP: a point per case, passing and failing as expected,
    each failing one with its YAML block; for a FILE not graded, every case
    fails with the reason. Returns the points that passed."""
    _, result, passed, failing, _ = CLASS[name]
    if result == "error":
        failing = {number: "error" for number in range(1, CASE_COUNT + 1)}
    read = read_tap(tap)
    check(not read["errors"] and read["bailout"] is None, f"{where}: TAP {read}")
    check(read["planned"] == CASE_COUNT, f"{where}: plan {read['planned']}")
    check([description(t) for t in read["tests"]] == [line for _, line in CASE_LINES],
          f"{where}: test points {[t['description'] for t in read['tests']]}")
    check(sum(t["ok"] for t in read["tests"]) == passed, f"{where}: passed points")
    for test in read["tests"]:
        number, yaml = test["number"], test.get("yaml")
        if test["ok"]:
            check(yaml is None, f"{where}: case {number} passed with a YAML block")
            continue
        if not check(yaml is not None, f"{where}: case {number} without a YAML block"):
            continue
        check(number in failing, f"{where}: case {number} failed")
        keys = {"error", "stopped", "input"} & set(yaml)
        check(keys == ({failing.get(number)} - {None}), f"{where}: case {number} keys {keys}")
        expected = re.findall(r"-?\d+", CASE_LINES[number - 1][1].split("=>")[1])
        check(yaml.get("expected") == expected, f"{where}: case {number} expected")
        if result == "error":
            check(yaml.get("error") == message, f"{where}: case {number} reason {yaml}")
            continue
        check(isinstance(yaml.get("output"), list), f"{where}: case {number} output")
        if failing.get(number) == "stopped":
            # 500 steps of OUT and BRA: 250 values, 21 kept
            check(len(yaml["output"]) == 21 and yaml.get("output_left_out") == "229",
                  f"{where}: case {number} output kept {yaml}")
        if failing.get(number) in ("stopped", "error"):
            check(len(yaml.get("notes", "").splitlines()) == 1,
                  f"{where}: case {number} notes {yaml}")
    return sum(t["ok"] for t in read["tests"]), read


def one_line(diagnostic):
    """A diagnostic object of the JSON report as the other formats write it."""
    place = (f"{diagnostic['line']}:{diagnostic['column']}: " if diagnostic["line"] else "")
    return f"{place}{diagnostic['severity']}: {diagnostic['message']}"


def read_class(reports):
    """What each format says of each FILE: (result, cases passed, cases), the
    reason it was not graded, its warnings, and each case's notes."""
    seen = {report: {} for report in FORMATS}
    messages = {report: {} for report in FORMATS}
    warnings = {report: {} for report in ("tap", "json", "junit")}
    notes = {report: {} for report in ("tap", "json", "junit")}

    # TAP: a point per FILE, each after its cases as a subtest.
    tap = read_tap(reports["tap"])
    check(not tap["errors"] and tap["bailout"] is None, f"class TAP {tap}")
    check(tap["planned"] == len(NAMES), f"class TAP plan {tap['planned']}")
    check([description(t) for t in tap["tests"]] == LISTED,
          f"class TAP points {[t['description'] for t in tap['tests']]}")
    check(not any(t["todo"] for t in tap["tests"]), "a FILE's name made a TODO")
    nested = subtests(reports["tap"])
    for test in tap["tests"]:
        name = BY_LISTED.get(description(test), b"?")
        yaml = test.get("yaml") or {}
        messages["tap"][name] = yaml.get("error")
        # literal blocks: a line each
        warnings["tap"][name] = yaml.get("warnings", "").splitlines()
        if not check(description(test) in nested, f"TAP: {description(test)} has no subtest"):
            continue
        passed, read = check_cases_tap(f"subtest {description(test)}", nested[description(test)],
                                       name, yaml.get("error"))
        result = "pass" if test["ok"] else "error" if "error" in yaml else "fail"
        seen["tap"][name] = (result, passed, read["planned"])
        notes["tap"][name] = [(t.get("yaml") or {}).get("notes", "").splitlines()
                              for t in read["tests"]]
    summary = prove(folder_of_reports, reports["tap"], "class.tap")
    check(not summary["parse errors"] and summary["tests"] == len(NAMES) and
          summary["failed"] == sum(1 for n in NAMES if CLASS[n][1] != "pass") and
          summary["result"] == "FAIL", f"prove over the class:\n{summary['text']}")

    # CSV: RFC 4180, CRLF line ends, a row per FILE in order, no control character.
    text = reports["csv"].decode()
    check(text.endswith("\r\n") and "\n" not in text.replace("\r\n", ""),
          "CSV lines do not all end in CRLF")
    check(not re.search(r"[\x00-\x09\x0b\x0c\x0e-\x1f\x7f-\x9f]", text),
          "CSV holds a control character")
    rows = list(csv.reader(io.StringIO(text, newline="")))
    check(rows[0] == ["file", "passed", "failed", "total", "result", "message", "score",
                      "max_score", "failed_cases"], f"CSV header {rows[0]}")
    # A name that a spreadsheet would run as a formula starts with ' instead.
    check([row[0] for row in rows[1:]] == [re.sub(r"^([=+@-])", r"'\1", n) for n in LISTED],
          f"CSV files {[row[0] for row in rows[1:]]}")
    for row in rows[1:]:
        name, passed, failed, total, result, message, score, max_score, failed_lines = row
        name = BY_LISTED.get(re.sub(r"^'([=+@-])", r"\1", name), b"?")
        check(int(passed) + int(failed) == int(total), f"CSV {name}: counts")
        # every case is worth a point here
        check((int(score), int(max_score)) == (int(passed), CASE_COUNT), f"CSV {name}: score")
        failing = (CLASS[name][3] if result != "error" else dict.fromkeys(range(1, 5)))
        check(failed_lines.split() == [str(CASE_LINES[k - 1][0]) for k in sorted(failing)],
              f"CSV {name}: failed_cases {failed_lines!r}")
        check((message != "") == (result == "error"), f"CSV {name}: message {message!r}")
        seen["csv"][name] = (result, int(passed), int(total))
        messages["csv"][name] = message or None

    # JSON: one document; FILEs counted at the top, and cases.
    document = json.loads(reports["json"])
    check(document["total"] == len(NAMES), "JSON total")
    check(document["passed"] == sum(1 for n in NAMES if CLASS[n][1] == "pass"), "JSON passed")
    check(document["cases_total"] == CASE_COUNT * len(NAMES), "JSON cases_total")
    check(document["cases_passed"] == sum(CLASS[n][2] for n in NAMES), "JSON cases_passed")
    check([f["file"] for f in document["files"]] == SHOWN, "JSON files")
    for entry in document["files"]:
        # the exact name, as Python reads a name that is not UTF-8
        name, cases = entry["path"].encode("utf-8", "surrogateescape"), entry["cases"]
        check(entry["file"] == shown(name), f"JSON {name}: file {entry['file']!r}")
        check([(c["line"], c["case"]) for c in cases] == CASE_LINES, f"JSON {name}: cases")
        check(entry["passed"] == sum(c["passed"] for c in cases), f"JSON {name}: passed")
        check((entry["message"] is None) == (entry["result"] != "error"),
              f"JSON {name}: message")
        for number, case in enumerate(cases, 1):
            check((case["reason"] is None) == case["passed"], f"JSON {name}: reason")
            left_out = case["output_left_out"]
            if entry["result"] == "error":
                check(case["reason"] == entry["message"] and case["output"] == [],
                      f"JSON {name}: case {number} of a FILE not graded")
            elif not case["passed"] and CLASS[name][3].get(number) is None:
                check(case["reason"] == "wrong output", f"JSON {name}: case {number}")
            check(left_out == (229 if CLASS[name][3].get(number) == "stopped" else 0),
                  f"JSON {name}: case {number} output_left_out {left_out}")
        seen["json"][name] = (entry["result"], entry["passed"], entry["total"])
        messages["json"][name] = entry["message"]
        # diagnostics as objects, each with the fields every other format
        # writes on one line, and a kind
        check(all(d["kind"] and d["severity"] == "warning" for d in entry["warnings"]),
              f"JSON {name}: warnings {entry['warnings']}")
        check(all(d["severity"] == "error" for d in entry["errors"][:1]) and
              bool(entry["errors"]) == (name in (b"colon.txt", b"nasty.txt")),
              f"JSON {name}: errors {entry['errors']}")
        warnings["json"][name] = [one_line(d) for d in entry["warnings"]]
        notes["json"][name] = [[one_line(d) for d in c["notes"]] for c in cases]

    # JUnit XML, read by junitparser: a suite per FILE, a test case per case.
    xml = junitparser.JUnitXml.fromstring(reports["junit"])
    suites = list(xml)
    check([s.name for s in suites] == LISTED, "JUnit suites")
    check(xml.tests == CASE_COUNT * len(NAMES), f"JUnit tests {xml.tests}")
    check(xml.failures == sum(len(CLASS[n][3]) for n in NAMES), f"JUnit failures {xml.failures}")
    check(xml.errors == CASE_COUNT * sum(1 for n in NAMES if CLASS[n][1] == "error"),
          f"JUnit errors {xml.errors}")
    for suite in suites:
        name, cases = BY_LISTED.get(suite.name, b"?"), list(suite)
        check(all(c.classname == suite.name for c in cases), f"JUnit {name}: classnames")
        check(suite.tests == len(cases) == CASE_COUNT, f"JUnit {name}: tests")
        # Repeated cases stay apart: each name starts with its line.
        check([c.name for c in cases] == [f"line {n}: {line}" for n, line in CASE_LINES],
              f"JUnit {name}: test case names {[c.name for c in cases]}")
        outcomes = [c.result[0] if c.result else None for c in cases]
        failed = [o for o in outcomes if isinstance(o, junitparser.Failure)]
        errors = [o for o in outcomes if isinstance(o, junitparser.Error)]
        check(suite.failures == len(failed) and suite.errors == len(errors),
              f"JUnit {name}: counts")
        # junitparser 2.8 reads <system-err> of test cases only
        err = suite._elem.find("system-err")
        warnings["junit"][name] = err.text.split("\n") if err is not None else []
        if errors:
            check(len(errors) == CASE_COUNT, f"JUnit {name}: a FILE not graded errs in each case")
            check(len({(e.message, e.text) for e in errors}) == 1, f"JUnit {name}: errors differ")
            check(errors[0].message == errors[0].text.split("\n")[0],
                  f"JUnit {name}: error message")
            seen["junit"][name] = ("error", 0, CASE_COUNT)
            messages["junit"][name] = errors[0].text
            continue
        notes["junit"][name] = []
        for number, outcome in enumerate(outcomes, 1):
            if not isinstance(outcome, junitparser.Failure):
                notes["junit"][name].append([])
                continue
            lines = outcome.text.split("\n")
            ending = CLASS[name][3].get(number)
            check(lines[0].startswith("expected: ") and lines[1].startswith("output:   "),
                  f"JUnit {name}: failure text {outcome.text!r}")
            check(outcome.message == "wrong output" if ending is None else
                  bool(outcome.message) and outcome.message in outcome.text,
                  f"JUnit {name}: failure message {outcome.message!r}")
            # "(N values in all)" only where values were left out
            check("values in all)" not in lines[0] and
                  ("values in all)" in lines[1]) == (ending == "stopped"),
                  f"JUnit {name}: output line {lines[1]!r}")
            if ending is not None:
                # the reason lined up with the values, after "ending:"
                check(re.match(rf"{ending}: +\S", lines[2]) and lines[2][10] != " " and
                      lines[2][9] == " ", f"JUnit {name}: reason line {lines[2]!r}")
            notes["junit"][name].append(lines[3:] if ending is not None else [])
        seen["junit"][name] = ("fail" if failed else "pass", len(cases) - len(failed),
                               len(cases))
        messages["junit"][name] = None
    return seen, messages, warnings, notes


def check_class(reports, with_warnings):
    seen, messages, warnings, notes = read_class(reports)
    for name in NAMES:
        _, result, passed, _, _ = CLASS[name]
        expected = (result, passed, CASE_COUNT)
        for report in FORMATS:
            check(seen[report].get(name) == expected,
                  f"{report} {name}: {seen[report].get(name)}, not {expected}")
        # The reason a FILE was not graded, through each format's escaping.
        full = messages["json"][name]
        check(messages["tap"].get(name) == full, f"TAP {name}: error {messages['tap'].get(name)!r}")
        check((full is None) == (result != "error"), f"{name}: reason {full!r}")
        if full is not None:
            check(not full.endswith("\n"), f"{name}: the reason ends in a line feed")
            if reason(name):
                check(full == reason(name), f"{name}: reason {full!r}, not {reason(name)!r}")
            first = full.split("\n")[0]
            check(messages["csv"][name] == first.replace("\x01", "\\x01"), f"CSV {name}: message")
            check(messages["junit"][name] == full.replace("\x01", "\ufffd"),
                  f"JUnit {name}: error text")
        # The warnings and the notes after a run error, the same in every format.
        expected_warnings = WARNINGS.get(name, []) if with_warnings else []
        for report in warnings:
            check(warnings[report].get(name, []) == expected_warnings,
                  f"{report} {name}: warnings {warnings[report].get(name)}")
        if result != "error":
            check(notes["tap"].get(name) == notes["json"].get(name) == notes["junit"].get(name),
                  f"{name}: notes {notes['tap'].get(name)} {notes['json'].get(name)} "
                  f"{notes['junit'].get(name)}")
    # The control character is named by its code point, as every invisible one is.
    check('"' in messages["json"][b"nasty.txt"] and "\\" in messages["json"][b"nasty.txt"] and
          "#c:[d]<U+0001>" in messages["json"][b"nasty.txt"], "nasty.txt: message lost a character")
    check(messages["json"][b"colon.txt"].count("\n") == 1, "colon.txt: message and note")
    check(notes["json"][b"runerror.txt"][0][0].startswith("3:1: note: the run reached cell 02"),
          f"runerror.txt: notes {notes['json'][b'runerror.txt']}")


def check_tap_parser(tap):
    """node-tap's parser counts every FILE, and each FILE's cases, by its name."""
    run = subprocess.run([NODE, READ_TAP], input=tap, capture_output=True)
    if not check(run.returncode == 0, f"tap-parser: {run.stderr.decode()}"):
        return
    read = json.loads(run.stdout)
    passing = sum(1 for n in NAMES if CLASS[n][1] == "pass")
    check((read["plan"], read["count"], read["pass"], read["fail"]) ==
          (len(NAMES), len(NAMES), passing, len(NAMES) - passing),
          f"tap-parser: counts {read['plan']} {read['count']} {read['pass']} {read['fail']}")
    check([t["name"] for t in read["tests"]] == LISTED,
          f"tap-parser: names {[t['name'] for t in read['tests']]}")
    check([[p["ok"] for p in t["subtest"]].count(True) for t in read["tests"]] ==
          [CLASS[n][2] for n in NAMES], "tap-parser: cases passed")


def make_class(folder):
    with open(os.path.join(folder, "class.cases"), "wb") as file:
        file.write(CASES)
    with open(os.path.join(os.path.dirname(folder), "secret"), "wb") as file:
        file.write(SECRET)
    for name, target in FOLDER_LINKS.items():
        os.symlink(target, os.path.join(folder.encode(), name))
    os.symlink(".", os.path.join(os.path.dirname(folder), "alias"))
    for name, (what, *_) in CLASS.items():
        path = os.path.join(folder.encode(), name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if isinstance(what, bytes):
            with open(path, "wb") as file:
                file.write(what)
        elif what and what[0] == "link":
            os.symlink(what[1], path)
        elif what and what[0] == "fifo":
            os.mkfifo(path)
        elif what and what[0] == "folder":
            os.mkdir(path)


def check_jobs(folder):
    """Graded one FILE at a time, two or three at once: every report, feedback
    file and line on standard error the same, byte for byte, in the same order."""
    for report in FORMATS:
        seen = []
        for jobs in ("1", "2", "3"):
            feedback = os.path.join(os.path.dirname(folder), f"feedback-{report}-{jobs}")
            run = korvane(folder, ["--jobs", jobs, "--feedback", feedback, "--max-steps", "500",
                                   "--test", "class.cases", "--report", report, "--", *NAMES], 5)
            written = {os.path.relpath(os.path.join(at, n), feedback):
                       open(os.path.join(at, n), "rb").read()
                       for at, _, names in os.walk(feedback) for n in names}
            seen.append((run.stdout, run.stderr, written))
        check(len([n for n in seen[0][2] if n.endswith(".md") and os.sep not in n]) == len(NAMES)
              and seen[0] == seen[1] == seen[2],
              f"--jobs 1, 2 and 3 wrote different {report} reports")
    # A report that cannot be written stops the grading where one job would.
    seen = []
    for jobs in ("1", "2"):
        feedback = os.path.join(os.path.dirname(folder), f"feedback-full-{jobs}")
        with open("/dev/full", "wb") as full:
            run = subprocess.run([KORVANE_RUN, "--jobs", jobs, "--feedback", feedback,
                                  "--max-steps", "500", "--test", "class.cases", "--", *NAMES],
                                 cwd=folder, stdout=full, stderr=subprocess.PIPE, timeout=300)
        seen.append((run.returncode, run.stderr, sorted(os.listdir(feedback))))
    check(seen[0] == seen[1] and seen[0][0] == 74 and len(seen[0][2]) < len(NAMES),
          f"--jobs 1 and 2 to a full device: {seen}")


def check_time_limit(folder):
    """Without a step limit, an endless loop fails each case at its time limit
    and every other FILE is graded as ever."""
    run = korvane(folder, ["--max-steps", "0", "--time-limit", "1", "--jobs", "2", "--test",
                           "class.cases", "--report", "json", "--", *NAMES], 5, timeout=300)
    stopped = "Error: the program took more than 1 s and was stopped (see --time-limit)."
    for entry in json.loads(run.stdout)["files"]:
        name = entry["path"].encode("utf-8", "surrogateescape")
        _, result, passed, failing, _ = CLASS[name]
        check((entry["result"], entry["passed"]) == (result, passed),
              f"--time-limit: {name} {entry['result']} {entry['passed']}")
        if "stopped" in failing.values():
            check([c["reason"] for c in entry["cases"]] == [stopped] * CASE_COUNT and
                  all(c["output_left_out"] > 0 and not c["notes"] for c in entry["cases"]),
                  f"--time-limit: {name} {entry['cases']}")


folder_of_reports = None


def main():
    global folder_of_reports
    with tempfile.TemporaryDirectory() as top:
        folder = folder_of_reports = os.path.join(top, "class")
        os.mkdir(folder)
        CLASS[ABSOLUTE.replace(b"{top}", top.encode())] = (("made",), "pass", 4, {}, None)
        set_names()
        make_class(folder)

        # One call for the whole class, with the warnings and without.
        runs = {report: grade(folder, NAMES, report, 5) for report in FORMATS}
        check_class({report: run.stdout for report, run in runs.items()}, True)
        check_tap_parser(runs["tap"].stdout)
        errors = runs["tap"].stderr.decode("utf-8", "replace")
        check(errors.count("warning:") == 3, f"standard error: warnings\n{errors}")
        for name in NAMES:
            if reason(name):
                check(f"korvane-run: {reason(name)}\n" in errors, f"standard error: {name}")
        quiet = {report: grade(folder, NAMES, report, 5, warnings=False) for report in FORMATS}
        check_class({report: run.stdout for report, run in quiet.items()}, False)
        check(b"warning" not in quiet["tap"].stderr, "-w: warnings on standard error")
        check_jobs(folder)
        check_time_limit(folder)

        # One korvane-run per FILE under prove: no FILE stops the others (prove
        # passes folders by), and the counts are those of the one call.
        command = f"{KORVANE_RUN} -w --max-steps 500 --test class.cases --"
        files = [n for n in NAMES if CLASS[n][0] != ("folder",)]
        # prove reads a name starting with "-" as its own options.
        run = subprocess.run([PROVE, "--exec", command,
                              *[b"./" + n if n.startswith(b"-") else n for n in files]],
                             cwd=folder, capture_output=True)
        every_output.extend([run.stdout, run.stderr])
        text = (run.stdout + run.stderr).decode("utf-8", "replace")
        check("Bail out" not in text, "prove --exec: a bail-out")
        summary = re.search(r"Files=(\d+), Tests=(\d+)", text)
        check(summary and summary.groups() == (str(len(files)), str(CASE_COUNT * len(files))),
              f"prove --exec: {summary and summary.group(0)}\n{text}")
        failed_files = len(re.findall(r"\(Wstat: 1280 \(exited 5\)", text))
        check(failed_files == sum(1 for n in files if CLASS[n][1] != "pass"),
              f"prove --exec: {failed_files} FILEs failed\n{text}")

        # One FILE: its own cases at the top level, warnings as comments,
        # never a bail-out; 0 when it passes every case, 5 otherwise.
        for name in [b"good.txt", b"warned.txt", b"sub.txt", b"loop.txt", b"colon.txt",
                     b"latin1.txt", b"absent.txt", b"passwd.txt", b"fifo.txt", b"empty.txt"]:
            result = CLASS[name][1]
            single = {report: grade(folder, [name], report, 0 if result == "pass" else 5).stdout
                      for report in FORMATS}
            document = json.loads(single["json"])
            message = document["files"][0]["message"]
            _, read = check_cases_tap(f"single {name}", single["tap"], name, message)
            check([c.strip() for c in read["comments"]] ==
                  WARNINGS.get(name, []) + [f"score {CLASS[name][2]}/{CASE_COUNT}"],
                  f"single {name}: comments {read['comments']}")
            summary = prove(folder, single["tap"], "single.tap")
            failing = CASE_COUNT - CLASS[name][2]
            check(not summary["parse errors"] and summary["tests"] == CASE_COUNT and
                  summary["failed"] == failing and
                  summary["result"] == ("FAIL" if failing else "PASS"),
                  f"prove single {name}:\n{summary['text']}")
            rows = list(csv.reader(io.StringIO(single["csv"].decode(), newline="")))
            suites = list(junitparser.JUnitXml.fromstring(single["junit"]))
            check(len(rows) == 2 and rows[1][0] == listed(name) and rows[1][4] == result,
                  f"single {name}: CSV {rows}")
            check(document["total"] == 1 and document["files"][0]["result"] == result,
                  f"single {name}: JSON")
            check(len(suites) == 1 and suites[0].name == listed(name) and
                  suites[0].tests == CASE_COUNT, f"single {name}: JUnit")

        # Several FILEs, all graded, one failing a case: 5. A class that
        # passes: 0, and prove agrees.
        grade(folder, [b"good.txt", b"sub.txt"], "csv", 5)
        summary = prove(folder, grade(folder, [b"good.txt", b"bom.txt"], "tap", 0).stdout,
                        "passing.tap")
        check(summary["tests"] == 2 and summary["result"] == "PASS",
              f"prove over a passing class:\n{summary['text']}")

    # Nothing of a file reached through a link shows anywhere.
    with open("/etc/passwd", "rb") as file:
        first = file.readline().split(b":")[0] + b":"
    for output in every_output:
        check(b"SECRET-LINE" not in output.upper() and first not in output,
              "a linked file's text was shown")

    for failure in failures:
        print("FAIL:", failure)
    print(f"{len(failures)} check(s) failed" if failures else "every report reads as expected")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
