"""What the checks of korvane-run --test grading share, for scripts called as
SCRIPT KORVANE_RUN PROVE PERL: the failures found, korvane-run run in a
folder, and its reports read by real consumers (TAP::Parser, prove, Python's
csv, junitparser)."""

import csv
import io
import os
import re
import subprocess
import sys

import junitparser

KORVANE_RUN, PROVE, PERL = sys.argv[1:4]
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
    return condition


def finish(success):
    """Every failure, then the exit status of the script."""
    for failure in failures:
        print("FAIL:", failure)
    print(f"{len(failures)} check(s) failed" if failures else success)
    return 1 if failures else 0


def korvane(folder, arguments, status, cases="class.cases", warnings=False, input=b""):
    """korvane-run --test CASES ARGUMENTS run in `folder`: its exit status
    checked, its standard output and error."""
    run = subprocess.run([KORVANE_RUN, *([] if warnings else ["-w"]), "--test", cases, *arguments],
                         cwd=folder, capture_output=True, input=input)
    check(run.returncode == status, f"{arguments}: exit status {run.returncode}, not {status}\n"
          f"{run.stderr.decode()}")
    return run.stdout.decode(), run.stderr.decode()


def csv_rows(text):
    return list(csv.DictReader(io.StringIO(text, newline="")))


def junit_suites(text):
    return list(junitparser.JUnitXml.fromstring(text.encode()))


# Each test point of a TAP text (description, 1 or 0, its YAML's hint) and
# each comment, as TAP::Parser reads them.
READ_TAP = r"""
use strict; use warnings; use TAP::Parser;
local $/; my $parser = TAP::Parser->new({tap => scalar <STDIN>});
my (@points, @comments);
while (my $result = $parser->next) {
    push @points, [$result->description, $result->is_ok ? 1 : 0, ""] if $result->is_test;
    $points[-1][2] = $result->data->{hint} // "" if $result->is_yaml && @points;
    push @comments, $result->comment if $result->is_comment;
}
print join("\t", "point", @$_), "\n" for @points;
print "comment\t$_\n" for @comments;
"""


def read_tap(text):
    """The test points, each [description, "1" or "0", hint], and the comments."""
    lines = subprocess.run([PERL, "-e", READ_TAP], input=text.encode(), capture_output=True,
                           check=True).stdout.decode().splitlines()
    return ([line.split("\t")[1:] for line in lines if line.startswith("point\t")],
            [line[8:].strip() for line in lines if line.startswith("comment\t")])


def subtests(text):
    """Each FILE's subtest, four blanks taken off, as TAP of its own."""
    return ["TAP version 13\n" + "".join(line[4:] + "\n" for line in subtest.splitlines()
                                         if line.startswith("    "))
            for subtest in re.split(r"^# Subtest: .*\n", text, flags=re.M)[1:]]


def check_prove(folder, tap, failed, total):
    """prove reads the TAP from a file and counts the failed test points."""
    path = os.path.join(folder, "class.tap")
    with open(path, "w") as file:
        file.write(tap)
    proved = subprocess.run([PROVE, "-e", "cat", path], capture_output=True, text=True)
    check(f"Failed {failed}/{total} subtests" in proved.stdout + proved.stderr,
          f"prove:\n{proved.stdout}{proved.stderr}")


def files_under(top):
    """Every file under `top`, by its path there, with its text."""
    found = {}
    for at, _, names in os.walk(top):
        for name in names:
            with open(os.path.join(at, name), encoding="utf-8", newline="") as file:
                found[os.path.relpath(os.path.join(at, name), top)] = file.read()
    return found


def check_student_view(texts, private, whole_words=False):
    """None of the `private` values shows in what students read, `texts` by
    where each is read."""
    for where, text in texts.items():
        for value in private:
            pattern = rf"\b{re.escape(value)}\b" if whole_words else re.escape(value)
            check(not re.search(pattern, text), f"{where} shows {value!r}")
