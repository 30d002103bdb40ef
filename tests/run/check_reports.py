#!/usr/bin/env python3
"""Grades a small class with korvane-run --test and reads every report with a
real consumer of its format: prove and Perl's TAP::Parser for TAP, Python's
csv, json and xml.etree modules for CSV, JSON and JUnit XML. Checks that each
format tells every FILE's result and counts as expected, and that all four
agree on them.

Usage: check_reports.py KORVANE_RUN PROVE PERL
"""

import csv
import io
import json
import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

KORVANE_RUN, PROVE, PERL = sys.argv[1:4]

CASES = b"""# adds two numbers
3 4 => 7   # the sum

0 0 => 0
-5 5 => 0
2147483647 1 => -2147483648
"""
CASE_LINES = [(2, "3 4 => 7"), (4, "0 0 => 0"), (5, "-5 5 => 0"),
              (6, "2147483647 1 => -2147483648")]

ADD = b"INP\nSTA a\nINP\nADD a\nOUT\nHLT\na DAT\n"

# name: (file contents or None for a missing file, result, cases passed,
#        the YAML key of each failing case: error, stopped, input or None)
CLASS = {
    "good.txt": (ADD, "pass", 4, {}),
    "crlf, windows.txt": (ADD.replace(b"\n", b"\r\n"), "pass", 4, {}),
    # a spreadsheet would take it for a formula
    "=1+1.txt": (ADD, "pass", 4, {}),
    # second minus first: right only for 0 0
    "sub.txt": (ADD.replace(b"ADD", b"SUB"), "fail", 1, {1: None, 3: None, 4: None}),
    # no output when the sum is 0; a name a shell, CSV, TAP and XML must all keep
    'odd, "q" <&> # TODO.txt': (b"INP\nSTA a\nINP\nADD a\nBRZ end\nOUT\nend HLT\na DAT\n",
                                "fail", 2, {2: None, 3: None}),
    "loop.txt": (b"l OUT\nBRA l\n", "fail", 0, {1: "stopped", 2: "stopped",
                                                 3: "stopped", 4: "stopped"}),
    "greedy.txt": (b"INP\nINP\nINP\nOUT\nHLT\n", "fail", 0, {1: "input", 2: "input",
                                                           3: "input", 4: "input"}),
    "runerror.txt": (b"INP\nBRA bad\nbad DAT 9999\n", "fail", 0,
                     {1: "error", 2: "error", 3: "error", 4: "error"}),
    "empty.txt": (b"", "fail", 0, {1: "error", 2: "error", 3: "error", 4: "error"}),
    # an error with a note: two lines
    "colon.txt": (b"loop: INP\nBRA loop\n", "error", 0, {}),
    # quotes, a backslash, YAML's and TAP's special characters, a control character
    "nasty.txt": (b'OUT "a\\b#c:[d]\x01\n', "error", 0, {}),
    "latin1.txt": (b"INP\n\xe9t\xe9\nHLT\n", "error", 0, {}),
    "absent.txt": (None, "error", 0, {}),
}
NAMES = list(CLASS)
FORMATS = ["tap", "csv", "json", "junit"]

# Dumps what TAP::Parser reads, as JSON: the plan, each test point with the
# YAML block that follows it directly, and the parse errors.
TAP_DUMP = r"""
use strict; use warnings; use TAP::Parser; use JSON::PP;
local $/; my $tap = <STDIN>;
my $parser = TAP::Parser->new({tap => $tap});
my (@tests, $bailout);
while (my $result = $parser->next) {
    if ($result->is_test) {
        push @tests, {number => $result->number + 0, ok => $result->is_ok ? 1 : 0,
                      todo => $result->has_todo ? 1 : 0, description => $result->description};
    } elsif ($result->is_yaml && $result->raw =~ /^  ---/ && @tests) {
        $tests[-1]{yaml} = $result->data;
    } elsif ($result->is_bailout) {
        $bailout = $result->explanation;
    }
}
print JSON::PP->new->encode({planned => $parser->tests_planned, tests => \@tests,
                             bailout => $bailout, errors => [$parser->parse_errors]});
"""

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
    return condition


def grade(folder, names, report, expected_status):
    arguments = [KORVANE_RUN, "-w", "--max-steps", "500", "--test", "class.cases",
                 "--report", report, *names]
    run = subprocess.run(arguments, cwd=folder, capture_output=True)
    check(run.returncode == expected_status,
          f"{report} {names}: exit status {run.returncode}, not {expected_status}")
    return run.stdout


def read_tap(text):
    run = subprocess.run([PERL, "-e", TAP_DUMP], input=text, capture_output=True, check=True)
    return json.loads(run.stdout)


def description(test):
    """A test point's description as written, its TAP escapes undone."""
    return re.sub(r"\\(.)", r"\1", re.sub(r"^- ", "", test["description"]))


def subtests(text):
    """Each FILE's subtest: the lines after "# Subtest: ", four spaces taken
    off, as TAP of the version of the whole."""
    found, current = {}, None
    for line in text.decode().splitlines():
        if line.startswith("# Subtest: "):
            current = re.sub(r"\\(.)", r"\1", line[len("# Subtest: "):])
            found[current] = []
        elif current is not None and line.startswith("    "):
            found[current].append(line[4:])
        else:
            current = None
    return {name: ("TAP version 13\n" + "\n".join(lines) + "\n").encode()
            for name, lines in found.items()}


def prove(folder, tap, name):
    """prove's summary of the report: tests run, those that failed, and its result."""
    path = os.path.join(folder, name)
    with open(path, "wb") as file:
        file.write(tap)
    run = subprocess.run([PROVE, "-e", "cat", path], capture_output=True, text=True)
    summary = run.stdout + run.stderr
    tests = re.search(r"Files=1, Tests=(\d+)", summary)
    failed = re.search(r"Failed (\d+)/(\d+) subtests", summary)
    result = re.search(r"Result: (PASS|FAIL)", summary)
    return {"tests": int(tests.group(1)) if tests else None,
            "failed": int(failed.group(1)) if failed else 0,
            "result": result.group(1) if result else None,
            "parse errors": "Parse errors" in summary, "text": summary}


def check_cases_tap(where, tap, name):
    """A FILE's own TAP: a point per case, passing and failing as expected,
    each failing one with its YAML block."""
    _, result, passed, failing = CLASS[name]
    read = read_tap(tap)
    check(not read["errors"], f"{where}: TAP parse errors {read['errors']}")
    check(read["planned"] == len(CASE_LINES), f"{where}: plan {read['planned']}")
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
        check(isinstance(yaml.get("output"), list), f"{where}: case {number} output")
        if failing.get(number) == "stopped":
            # 500 steps of OUT and BRA: 250 values, 21 kept
            check(len(yaml["output"]) == 21 and yaml.get("output_left_out") == "229",
                  f"{where}: case {number} output kept {yaml}")
    return read


def main():
    with tempfile.TemporaryDirectory() as folder:
        with open(os.path.join(folder, "class.cases"), "wb") as file:
            file.write(CASES)
        for name, (contents, *_) in CLASS.items():
            if contents is not None:
                with open(os.path.join(folder, name), "wb") as file:
                    file.write(contents)

        reports = {report: grade(folder, NAMES, report, 5) for report in FORMATS}
        # Per FILE and format: (result, cases passed, cases in all) and the reason not graded.
        seen = {report: {} for report in FORMATS}
        messages = {report: {} for report in FORMATS}

        # TAP: a point per FILE; the cases of each graded one as a subtest.
        tap = read_tap(reports["tap"])
        check(not tap["errors"], f"multi-FILE TAP parse errors {tap['errors']}")
        check(tap["planned"] == len(NAMES), f"multi-FILE TAP plan {tap['planned']}")
        check([description(t) for t in tap["tests"]] == NAMES, "multi-FILE TAP points")
        check(not any(t["todo"] for t in tap["tests"]), "a FILE's name made a TODO")
        nested = subtests(reports["tap"])
        for test in tap["tests"]:
            name = description(test)
            if name in nested:
                cases = check_cases_tap(f"subtest {name}", nested[name], name)
                passed = sum(t["ok"] for t in cases["tests"])
                result = "pass" if test["ok"] else "fail"
                check(test.get("yaml") is None, f"TAP: {name} graded, with a YAML block")
                seen["tap"][name] = (result, passed, len(cases["tests"]))
            else:
                check(not test["ok"], f"TAP: {name} passed without a subtest")
                messages["tap"][name] = (test.get("yaml") or {}).get("error")
                seen["tap"][name] = ("error", 0, len(CASE_LINES))
        summary = prove(folder, reports["tap"], "class.tap")
        expected_failed = sum(1 for n in NAMES if CLASS[n][1] != "pass")
        check(not summary["parse errors"] and summary["tests"] == len(NAMES) and
              summary["failed"] == expected_failed and summary["result"] == "FAIL",
              f"prove over the class:\n{summary['text']}")

        # CSV: RFC 4180, CRLF line ends, a row per FILE in order.
        text = reports["csv"].decode()
        check(text.endswith("\r\n") and "\n" not in text.replace("\r\n", ""),
              "CSV lines do not all end in CRLF")
        rows = list(csv.reader(io.StringIO(text, newline="")))
        check(rows[0] == ["file", "passed", "failed", "total", "result", "message"], "CSV header")
        # A name that a spreadsheet would run as a formula starts with ' instead.
        check([row[0] for row in rows[1:]] == [re.sub(r"^([=+@-])", r"'\1", n) for n in NAMES],
              f"CSV files {[row[0] for row in rows[1:]]}")
        for name, passed, failed, total, result, message in rows[1:]:
            name = name.removeprefix("'")
            check(int(passed) + int(failed) == int(total), f"CSV {name}: counts")
            check((message != "") == (result == "error"), f"CSV {name}: message {message!r}")
            seen["csv"][name] = (result, int(passed), int(total))
            messages["csv"][name] = message or None

        # JSON: one document.
        document = json.loads(reports["json"])
        check(document["total"] == len(NAMES), "JSON total")
        check(document["passed"] == sum(1 for n in NAMES if CLASS[n][1] == "pass"), "JSON passed")
        check([f["file"] for f in document["files"]] == NAMES, "JSON files")
        for entry in document["files"]:
            name, cases = entry["file"], entry["cases"]
            check([(c["line"], c["case"]) for c in cases] == CASE_LINES, f"JSON {name}: cases")
            check(entry["passed"] == sum(c["passed"] for c in cases), f"JSON {name}: passed")
            check((entry["message"] is None) == (entry["result"] != "error"),
                  f"JSON {name}: message")
            for number, case in enumerate(cases, 1):
                check((case["reason"] is None) == case["passed"], f"JSON {name}: reason")
                if entry["result"] == "error":
                    check(case["reason"] == entry["message"] and case["output"] == [],
                          f"JSON {name}: case {number} of a FILE not graded")
                elif not case["passed"] and CLASS[name][3].get(number) is None:
                    check(case["reason"] == "wrong output", f"JSON {name}: case {number}")
            seen["json"][name] = (entry["result"], entry["passed"], entry["total"])
            messages["json"][name] = entry["message"]

        # JUnit XML: a suite per FILE, a test case per case.
        root = ET.fromstring(reports["junit"])
        suites = root.findall("testsuite")
        check([s.get("name") for s in suites] == NAMES, "JUnit suites")
        for attribute in ("tests", "failures", "errors"):
            check(int(root.get(attribute)) == sum(int(s.get(attribute)) for s in suites),
                  f"JUnit testsuites {attribute}")
        for suite in suites:
            name, cases = suite.get("name"), suite.findall("testcase")
            check(all(c.get("classname") == name for c in cases), f"JUnit {name}: classnames")
            check(int(suite.get("tests")) == len(cases), f"JUnit {name}: tests")
            failed = [c for c in cases if c.find("failure") is not None]
            errors = [c.find("error") for c in cases if c.find("error") is not None]
            check(int(suite.get("failures")) == len(failed), f"JUnit {name}: failures")
            check(int(suite.get("errors")) == len(errors), f"JUnit {name}: errors")
            if errors:
                check(len(cases) == 1, f"JUnit {name}: a FILE not graded has one test case")
                seen["junit"][name] = ("error", 0, len(CASE_LINES))
                messages["junit"][name] = errors[0].text
                check(errors[0].get("message") == errors[0].text.split("\n")[0],
                      f"JUnit {name}: error message")
            else:
                check([c.get("name") for c in cases] == [line for _, line in CASE_LINES],
                      f"JUnit {name}: test case names")
                for case in failed:
                    text = case.find("failure").text
                    check(text.startswith("expected: ") and "\noutput:   " in text,
                          f"JUnit {name}: failure text {text!r}")
                seen["junit"][name] = ("fail" if failed else "pass", len(cases) - len(failed),
                                       len(cases))
                messages["junit"][name] = None

        # Every format tells every FILE's result and counts as expected.
        for name in NAMES:
            _, result, passed, _ = CLASS[name]
            expected = (result, passed, len(CASE_LINES))
            for report in FORMATS:
                check(seen[report].get(name) == expected,
                      f"{report} {name}: {seen[report].get(name)}, not {expected}")
            # The reason a FILE was not graded, through each format's escaping.
            full = messages["json"][name]
            check(messages["tap"].get(name) == full, f"TAP {name}: error {messages['tap'].get(name)!r}")
            if full is not None:
                first = full.split("\n")[0]
                check(messages["csv"][name] == first, f"CSV {name}: message")
                check(messages["junit"][name] == full.replace("\x01", "\ufffd"),
                      f"JUnit {name}: error text")
        # The control character is named by its code point, as every invisible one is.
        check('"' in messages["json"]["nasty.txt"] and "\\" in messages["json"]["nasty.txt"] and
              "#c:[d]<U+0001>" in messages["json"]["nasty.txt"],
              "nasty.txt: message lost a character")
        check(messages["json"]["colon.txt"].count("\n") == 1, "colon.txt: message and note")

        # One FILE: its own cases at the top level, or a bail-out; the usual statuses.
        for name, status in [("good.txt", 0), ("sub.txt", 5), ("loop.txt", 5),
                             ("colon.txt", 5), ("latin1.txt", 5), ("absent.txt", 5)]:
            single = {report: grade(folder, [name], report, status) for report in FORMATS}
            summary = prove(folder, single["tap"], "single.tap")
            if CLASS[name][1] == "error":
                read = read_tap(single["tap"])
                check(read["bailout"] == messages["csv"][name], f"single {name}: bail-out")
                check(summary["result"] == "FAIL", f"prove single {name}:\n{summary['text']}")
            else:
                check_cases_tap(f"single {name}", single["tap"], name)
                failing = len(CASE_LINES) - CLASS[name][2]
                check(not summary["parse errors"] and summary["tests"] == len(CASE_LINES) and
                      summary["failed"] == failing and
                      summary["result"] == ("FAIL" if failing else "PASS"),
                      f"prove single {name}:\n{summary['text']}")
            rows = list(csv.reader(io.StringIO(single["csv"].decode(), newline="")))
            document = json.loads(single["json"])
            suites = ET.fromstring(single["junit"]).findall("testsuite")
            check(len(rows) == 2 and rows[1][0] == name and rows[1][4] == CLASS[name][1],
                  f"single {name}: CSV {rows}")
            check(document["total"] == 1 and document["files"][0]["result"] == CLASS[name][1],
                  f"single {name}: JSON")
            check(len(suites) == 1 and suites[0].get("name") == name, f"single {name}: JUnit")

        # A class that passes exits with 0, and prove agrees.
        passing = ["good.txt", "crlf, windows.txt"]
        summary = prove(folder, grade(folder, passing, "tap", 0), "passing.tap")
        check(summary["tests"] == 2 and summary["result"] == "PASS",
              f"prove over a passing class:\n{summary['text']}")

    for failure in failures:
        print("FAIL:", failure)
    print(f"{len(failures)} check(s) failed" if failures else "every report reads as expected")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
