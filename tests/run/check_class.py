#!/usr/bin/env python3
"""Grades the class in classes/folders as a learning platform hands it out
(a folder per student holding other files too, a file beside the folders,
a folder name stored decomposed, a roster whose names may be decomposed,
a missing student, folders not on the roster, two students whose folded
names collide, a student with two candidate files, a linked folder and a
linked file) with korvane-run --test --class, the class folder itself
reached through a link. Reads every report with a real consumer: Python's
csv and json, TAP::Parser and prove, junitparser; checks each student's
row against the table below, and that no id nor email shows where students
read (TAP, JUnit, feedback) and no linked file's text shows anywhere.

Usage: check_class.py KORVANE_RUN PROVE PERL
"""

import json
import os
import shutil
import sys
import tempfile
import unicodedata

from gradingcheck import (check, check_prove, check_student_view, csv_rows, files_under, finish,
                          junit_suites, korvane, read_tap)

DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "classes", "folders")
SECRET = "SECRET-ANSWER-77"
DEFAULT = "'*.kasm' or '*.txt'"
CHLOE = unicodedata.normalize("NFD", "Chloé Martin")
BOB = "ray_bob_1002_assignsubmission_file"
BOTH_ZOE = "no submission of their own; the folder 'ZOE SMITH' may be theirs."

# Each row, in order: student, folder/file graded (None: none), result,
# score of 4, message (None when graded), id, on_roster.
ROWS = [
    ("Ann Lee", "Ann Lee/prog.txt", "pass", 4, None, "1001", "yes"),
    ("Chloé Martin", CHLOE + "/prog.txt", "pass", 4, None, "1003", "yes"),
    ("Eve Park", None, "error", 0,
     f"2 files match {DEFAULT}: 'prog copy.txt', 'prog.txt'; choose one with --pick.", "1008",
     "yes"),
    ("Fay Lin", None, "error", 0,
     "the folder 'class/Fay Lin' is a symbolic link; nothing in it is graded.", "1010", "yes"),
    ("Guest Visitor", "Guest Visitor/prog.kasm", "pass", 4, None, "", "no"),
    ("Hal Ng", None, "error", 0, f"no file matches {DEFAULT}; found 'notes.pdf'.", "1009", "yes"),
    ("Ivy Kim", "Ivy Kim/prog.txt", "error", 0,
     "'class/Ivy Kim/prog.txt' is not a regular file (a symbolic link).", "", "no"),
    ("Renée Roy", "Renée Roy/adder.txt", "fail", 1, None, "1005", "yes"),
    # holds Ann's id 1001 only within a longer number
    ("Sam Poe_10010", "Sam Poe_10010/prog.txt", "pass", 4, None, "", "no"),
    ("ZOE SMITH", None, "error", 0,
     "the folder matches several students of the roster: 'Zoë Smith', 'Zoe Smith'.", "", "ambiguous"),
    ("Bob Ray", BOB + "/adder.kasm", "fail", 1, None, "1002", "yes"),
    ("Dan Ode", None, "error", 0, "no submission", "1004", "yes"),
    ("Zoë Smith", None, "error", 0, BOTH_ZOE, "1006", "yes"),
    ("Zoe Smith", None, "error", 0, BOTH_ZOE, "1007", "yes"),
]
IDS = [f"10{n:02}" for n in range(1, 11)]
EMAILS = ["@school.example"]

def make_class(top):
    """The class copied, a folder and a file linked to text that was not
    handed in, and the class folder reached through a link."""
    download = os.path.join(top, "download")
    shutil.copytree(os.path.join(DATA, "download"), download)
    shutil.copy(os.path.join(DATA, "class.cases"), top)
    shutil.copy(os.path.join(DATA, "roster.csv"), top)
    os.makedirs(os.path.join(top, "elsewhere"))
    with open(os.path.join(top, "elsewhere", "prog.txt"), "w") as file:
        file.write(f"INP\nOUT\nHLT\n{SECRET} DAT 1\n")
    os.symlink("../elsewhere", os.path.join(download, "Fay Lin"))
    os.makedirs(os.path.join(download, "Ivy Kim"))
    os.symlink("../../elsewhere/prog.txt", os.path.join(download, "Ivy Kim", "prog.txt"))
    os.symlink("download", os.path.join(top, "class"))


def check_rows(reports, stderr):
    rows = csv_rows(reports["csv"])
    check([r["student"] for r in rows] == [r[0] for r in ROWS],
          f"CSV students {[r['student'] for r in rows]}")
    entries = json.loads(reports["json"])["files"]
    check(len(entries) == len(ROWS), f"JSON has {len(entries)} entries")
    for row, entry, expected in zip(rows, entries, ROWS):
        student, file, result, score, message, ident, on_roster = expected
        path = "class/" + file if file else None
        check((row["file"] or None, row["result"], int(row["score"]), row["message"] or None,
               row["id"], row["on_roster"]) == (path, result, score, message, ident, on_roster),
              f"CSV row {row}")
        check(row["email"].endswith("@school.example") == bool(ident), f"CSV email {row}")
        check((entry["student"], entry["path"], entry["result"], entry["score"], entry["message"],
               entry["id"], entry["on_roster"]) ==
              (student, path, result, score, message, ident, on_roster), f"JSON entry {entry}")
    check("'class/index.html' is in no student's folder; not graded." in stderr,
          f"the file beside the folders is not reported:\n{stderr}")
    for extra in ("Guest Visitor", "Ivy Kim", "Sam Poe_10010"):
        check(f"'class/{extra}' is on no line of the roster" in stderr, f"{extra} not flagged")
    check("korvane-run: Dan Ode: no submission" in stderr, f"Dan Ode not told:\n{stderr}")


def check_student_reports(top, reports):
    """TAP and JUnit name the students, and with the feedback hold no id
    nor email; nothing anywhere holds the linked file's text."""
    names = [point[0] for point in read_tap(reports["tap"])[0]]
    check(names == [f"- {r[0]}" for r in ROWS], f"TAP names {names}")
    check_prove(top, reports["tap"], sum(1 for r in ROWS if r[2] != "pass"), len(ROWS))
    suites = [s.name for s in junit_suites(reports["junit"])]
    check(suites == [r[0] for r in ROWS], f"JUnit suites {suites}")
    texts = {name: text for name, text in files_under(os.path.join(top, "feedback")).items()
             if name.endswith(".md")}
    folders = [r for r in ROWS if r[4] not in ("no submission", BOTH_ZOE)]
    check(len(texts) == len(folders), f"feedback files {sorted(texts)}")
    for student in ("Ann Lee", "Chloé Martin", "Bob Ray", "ZOE SMITH"):
        check(any(student in text for text in texts.values()), f"no feedback names {student}")
    check_student_view({"TAP": reports["tap"], "JUnit": reports["junit"], **texts},
                       IDS + EMAILS, whole_words=True)
    check_student_view(reports, [SECRET])


def check_picks(top):
    """--pick, and a cases file's pick: line, choose the file; without a
    roster the folders are the students, with no roster columns."""
    out, _ = korvane(top, ["--class", "class", "--pick", "prog.txt", "--report", "json"], 5)
    found = {e["student"]: (e["result"], e["path"]) for e in json.loads(out)["files"]}
    check(found["Eve Park"] == ("pass", "class/Eve Park/prog.txt"), f"--pick: {found['Eve Park']}")
    check(found["Hal Ng"][0] == "error" and "id" not in json.loads(out)["files"][0],
          f"--pick: {found}")
    check(found["Chloé Martin"][1] == f"class/{CHLOE}/prog.txt" and "Bob Ray" not in found,
          f"without a roster: {found}")
    # The cases through a pipe, which can be read only once.
    out, _ = korvane(top, ["--class", "class", "--report", "csv"], 5, cases="/dev/stdin",
                     warnings=True, input=b"pick: *copy*\n3 4 => 7\n")
    rows = {r["student"]: r for r in csv_rows(out)}
    check(rows["Eve Park"]["file"] == "class/Eve Park/prog copy.txt" and
          rows["Eve Park"]["result"] == "fail" and "on_roster" not in rows["Eve Park"],
          f"pick: line {rows.get('Eve Park')}")
    # A roster of a name per line: no id, no email.
    with open(os.path.join(top, "names.txt"), "w") as file:
        file.write("Ann Lee\n\nzoe smith\n")
    out, _ = korvane(top, ["--class", "class", "--roster", "names.txt", "--report", "csv"], 5)
    rows = {r["student"]: r for r in csv_rows(out)}
    check({n: (r["on_roster"], r["id"], r["email"]) for n, r in rows.items()} ==
          {n: ("yes" if n in ("Ann Lee", "zoe smith") else "no", "", "")
           for n in ["Ann Lee", "zoe smith"] + [r[0] for r in ROWS[1:10] if r[0] != "ZOE SMITH"] +
           [BOB]} and rows["zoe smith"]["result"] == "pass", f"a name per line: {rows}")
    for arguments in (["--class", "class", "--report", "gradescope"],
                      ["--pick", "*.txt", "class/Ann Lee/prog.txt"],
                      ["--class", "class", "class/Ann Lee/prog.txt"]):
        korvane(top, arguments, 64)
    korvane(top, ["--class", "nowhere"], 66)


def main():
    with tempfile.TemporaryDirectory() as top:
        make_class(top)
        reports, stderr = {}, ""
        for form in ("csv", "json", "tap", "junit"):
            extra = ["--feedback", "feedback", "--summary", "summary.csv"] if form == "csv" else []
            reports[form], stderr = korvane(
                top, ["--class", "class", "--roster", "roster.csv", "--report", form, *extra], 5)
        with open(os.path.join(top, "summary.csv"), newline="") as file:
            summary = csv_rows(file.read())
        check([(int(r["total"]), int(r["ungraded"])) for r in summary] ==
              [(len(ROWS), sum(1 for r in ROWS if r[4]))] * 3, f"summary {summary}")
        check_rows(reports, stderr)
        check_student_reports(top, reports)
        check_picks(top)
    return finish("every student reads as expected")


if __name__ == "__main__":
    sys.exit(main())
