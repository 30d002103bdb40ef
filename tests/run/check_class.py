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
With --similar: the copies under other labels, case and spacing, and the
near copies, in CSV, JSON and the summary and nowhere else; and for random
programs, the near ones found are those that Levenshtein's distance finds.

Usage: check_class.py KORVANE_RUN PROVE PERL
"""

import json
import os
import random
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
    ("Ann Lee", "Ann Lee/prog.txt", "fail", 1, None, "1001", "yes"),
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
# The image of each student's program that assembles: Bob's, Ann's under
# other labels, case and spacing; the adders under other labels, a label
# before a line, other case or blank lines, one word from the subtracters;
# Renée's, Bob's with a word more.
IMAGES = {"Ann Lee": "sub", "Chloé Martin": "add", "Guest Visitor": "add", "Renée Roy": "sub+",
          "Sam Poe_10010": "add", "Bob Ray": "sub"}
APART = {("add", "sub"): 1, ("sub", "sub+"): 1, ("add", "sub+"): 2}
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


def likeness(names, apart, most):
    """Each name's likeness to the others as CSV and JSON give it: (identical,
    near as (name, distance) nearest first), in the order of `names`, and
    the groups, linked directly or through others, largest first."""
    found = {}
    for name in names:
        others = [(apart(name, o), o) for o in names if o != name]
        found[name] = ([o for d, o in others if d == 0],
                       [(o, d) for d, o in sorted(others, key=lambda x: x[0]) if 0 < d <= most])
    groups = []
    for name in names:
        if not found[name][0] and not found[name][1]:
            continue
        linked = [g for g in groups if any(o in g for o in found[name][0]) or
                  any(o in g for o, _ in found[name][1])]
        merged = sorted(set().union({name}, *linked), key=names.index)
        groups = [g for g in groups if g not in linked] + [merged]
    groups.sort(key=lambda g: (-len(g), names.index(g[0])))
    return found, groups


def check_similar(reports, tail, zero):
    """The copies in the CSV and JSON reports and the summary's groups, with
    the default distance of 2 and with --similar=0; a FILE that did not
    assemble takes no part."""
    names = [r[0] for r in ROWS if r[0] in IMAGES]
    length = {"sub": 7, "add": 7, "sub+": 8}

    def apart(a, b):
        pair = (IMAGES[a], IMAGES[b])
        return 0 if pair[0] == pair[1] else APART.get(pair) or APART[pair[::-1]]

    for most, document in ((2, json.loads(reports["json"])), (0, json.loads(zero))):
        found, groups = likeness(names, apart, most)
        check([[m["file"] for m in g["files"]] for g in document["similar"]] == groups,
              f"--similar={most}: groups {document['similar']}")
        for entry in document["files"]:
            name = entry["student"]
            identical, near = found.get(name, ([], []))
            group = next((n for n, g in enumerate(groups, 1) if name in g), None)
            check((entry["length"], entry["group"], entry["identical"],
                   [(n["file"], n["distance"]) for n in entry["near"]]) ==
                  (length.get(IMAGES.get(name)), group, identical, near),
                  f"--similar={most}: JSON {name} {entry}")
    found, groups = likeness(names, apart, 2)
    for row in csv_rows(reports["csv"]):
        identical, near = found.get(row["student"], ([], []))
        group = next((str(n) for n, g in enumerate(groups, 1) if row["student"] in g), "")
        check((row["length"], row["group"], row["identical"], row["near"]) ==
              (str(length.get(IMAGES.get(row["student"]), "")), group, "; ".join(identical),
               "; ".join(f"{n} ({d})" for n, d in near)), f"CSV similar {row}")
    rows = csv_rows(tail)
    check([(int(r["group"]), r["file"], int(r["length"])) for r in rows] ==
          [(n, f, length[IMAGES[f]]) for n, g in enumerate(groups, 1) for f in g] and
          all((found[r["file"]][0][:1] or [o for o, _ in found[r["file"]][1][:1]]) ==
              [r["nearest"]] and int(r["distance"]) == apart(r["file"], r["nearest"])
              for r in rows), f"summary groups {rows}")


def check_similar_random(top):
    """Random programs of data words, a few apart: the JSON report's
    identical and near ones are those within Levenshtein's distance 1 or 3."""
    rng = random.Random(47)
    base, programs = [rng.choice("123") for _ in range(8)], {}
    for index in range(40):
        words = list(base)
        for _ in range(rng.randrange(5)):
            at, kind = rng.randrange(len(words)), rng.randrange(3)
            if kind == 0:
                words.insert(at, rng.choice("123"))
            elif kind == 1:
                del words[at]
            else:
                words[at] = rng.choice("123")
        programs[f"p{index:02}.kasm"] = words
        with open(os.path.join(top, f"p{index:02}.kasm"), "w") as file:
            file.write("".join(f"{'X' * (k + 1)} DAT {w}\n" for k, w in enumerate(words)))

    def distance(a, b):
        row = list(range(len(b) + 1))
        for i, x in enumerate(a, 1):
            new = [i]
            for j, y in enumerate(b, 1):
                new.append(min(row[j] + 1, new[j - 1] + 1, row[j - 1] + (x != y)))
            row = new
        return row[-1]

    for most in (1, 3):
        out, _ = korvane(top, [f"--similar={most}", "--report", "json", *programs], 5)
        names = list(programs)
        found, groups = likeness(names, lambda a, b: distance(programs[a], programs[b]), most)
        document = json.loads(out)
        seen = {e["file"]: (e["identical"], [(n["file"], n["distance"]) for n in e["near"]])
                for e in document["files"]}
        check(seen == found and [[m["file"] for m in g["files"]] for g in document["similar"]] ==
              groups, f"random programs, --similar={most}: {seen} {document['similar']}")


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
        # --similar only in CSV, JSON and the summary; the TAP run's feedback
        # is compared with the CSV run's.
        extras = {"csv": ["--feedback", "feedback", "--summary", "summary.csv", "--similar"],
                  "json": ["--similar"], "tap": ["--feedback", "plain"], "junit": []}
        for form in ("csv", "json", "tap", "junit"):
            reports[form], stderr = korvane(
                top, ["--class", "class", "--roster", "roster.csv", "--report", form,
                      *extras[form]], 5)
        with open(os.path.join(top, "summary.csv"), newline="") as file:
            head, tail = file.read().split("\r\n\r\n")
        summary = csv_rows(head)
        check([(int(r["total"]), int(r["ungraded"])) for r in summary] ==
              [(len(ROWS), sum(1 for r in ROWS if r[4]))] * 3, f"summary {summary}")
        zero, _ = korvane(top, ["--class", "class", "--roster", "roster.csv", "--report", "json",
                                "--similar=0"], 5)
        check_similar(reports, tail, zero)
        similar_tap, _ = korvane(top, ["--class", "class", "--roster", "roster.csv", "--similar",
                                       "--summary", "similar.csv"], 5)
        check(similar_tap == reports["tap"] and
              all(open(os.path.join(at, n), "rb").read() ==
                  open(os.path.join(top, "plain", os.path.relpath(at, os.path.join(top, "feedback")), n),
                       "rb").read()
                  for at, _, files in os.walk(os.path.join(top, "feedback")) for n in files),
              "--similar changed the TAP report or the feedback")
        check_similar_random(top)
        check_rows(reports, stderr)
        check_student_reports(top, reports)
        check_picks(top)
    return finish("every student reads as expected")


if __name__ == "__main__":
    sys.exit(main())
