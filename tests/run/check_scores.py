#!/usr/bin/env python3
"""Grades the class in classes/scores (a cases file with rules, points,
hidden cases and step limits of its own, and five submissions) and checks
every report against scores worked out here from the cases file and the
failures listed by hand in expected.json: TAP read by TAP::Parser and prove,
CSV and the summary by Python's csv, JSON and Gradescope's results.json by
json, JUnit by junitparser, and the feedback files as text. No feedback file
and no results.json may hold anything of a hidden case but its line.

Usage: check_scores.py KORVANE_RUN PROVE PERL
"""

import csv
import io
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import urllib.parse

import junitparser

KORVANE_RUN, PROVE, PERL = sys.argv[1:4]
CLASS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "classes", "scores")

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
    return condition


def read_checks():
    """Each rule and case of class.cases, read here on its own: line number,
    text, points, hidden; the rules first, as the reports give them."""
    rules, cases = [], []
    with open(os.path.join(CLASS, "class.cases")) as file:
        for number, line in enumerate(file, 1):
            line = line.split("#")[0].strip()
            if not line:
                continue
            attributes = re.match(r"\[([^\]]*)\]\s*", line)
            words = attributes.group(1).split() if attributes else []
            text = line[attributes.end():] if attributes else line
            points = next((int(w[7:]) for w in words if w.startswith("points=")), 1)
            hint = re.search(r'hint="([^"]*)"', attributes.group(1)) if attributes else None
            check_ = {"line": number, "text": text, "points": points, "hidden": "hidden" in words,
                      "hint": hint.group(1) if hint else None}
            (rules if re.match(r"(forbid|max-words):", text) else cases).append(check_)
    return rules + cases


CHECKS = read_checks()
MAX = sum(c["points"] for c in CHECKS)
with open(os.path.join(CLASS, "expected.json")) as file:
    EXPECTED = json.load(file)
FAILED, UNGRADED = EXPECTED["failed"], EXPECTED["ungraded"]
FILES = list(FAILED)


def score(name):
    return sum(c["points"] for c in CHECKS if c["line"] not in FAILED[name])


def hidden_texts():
    """What may not show where students read: the values of hidden cases."""
    texts = []
    for c in CHECKS:
        if c["hidden"]:
            typed, expected = c["text"].split("=>")
            texts += [c["text"], typed.strip(), expected.strip()]
    # a value as short as "4" shows in any report for other reasons
    return [t for t in texts if len(t) >= 5]


def korvane(folder, arguments, status):
    run = subprocess.run([KORVANE_RUN, "-w", "--test", "class.cases", *arguments], cwd=folder,
                         capture_output=True)
    check(run.returncode == status, f"{arguments}: exit status {run.returncode}, not {status}\n"
          f"{run.stderr.decode()}")
    return run.stdout


TAP_SCORES = r"""
use strict; use warnings; use TAP::Parser;
local $/; my $tap = <STDIN>;
my $parser = TAP::Parser->new({tap => $tap});
while (my $result = $parser->next) {
    print $result->comment, "\n" if $result->is_comment && $result->comment =~ /score/;
}
"""


# Each test point: its description, whether it passed, and its YAML's hint.
TAP_POINTS = r"""
use strict; use warnings; use TAP::Parser;
local $/; my $tap = <STDIN>;
my $parser = TAP::Parser->new({tap => $tap});
my @points;
while (my $result = $parser->next) {
    push @points, [$result->description, $result->is_ok ? 1 : 0, ""] if $result->is_test;
    $points[-1][2] = $result->data->{hint} // "" if $result->is_yaml && @points;
}
print join("\t", @$_), "\n" for @points;
"""


def check_student_view(folder):
    """TAP and JUnit for students: a hidden case only as its line, whether it
    passed and, when a program that assembled failed it, its hint."""
    secret = hidden_texts()
    tap = korvane(folder, ["--student-view", "--", *FILES], 5)
    junit = korvane(folder, ["--student-view", "--report", "junit", "--", *FILES], 5)
    for value in secret:
        check(value not in tap.decode() and value not in junit.decode(),
              f"--student-view shows {value!r}")
    titles = [f"line {c['line']} (hidden)" if c["hidden"] else c["text"] for c in CHECKS]
    for name, subtest in zip(FILES, re.split(r"^# Subtest: .*\n", tap.decode(), flags=re.M)[1:]):
        lines = [line[4:] for line in subtest.splitlines() if line.startswith("    ")]
        run = subprocess.run([PERL, "-e", TAP_POINTS],
                             input=("TAP version 13\n" + "\n".join(lines) + "\n").encode(),
                             capture_output=True, check=True)
        points = [line.split("\t") for line in run.stdout.decode().splitlines()]
        expected = [[f"- {title}", "0" if c["line"] in FAILED[name] else "1",
                     c["hint"] if c["hint"] and c["line"] in FAILED[name] and
                     name != "eve.txt" else ""] for title, c in zip(titles, CHECKS)]
        check(points == expected, f"--student-view TAP {name}: {points}")
    for suite in junitparser.JUnitXml.fromstring(junit):
        check([c.name for c in suite] ==
              [f"line {c['line']}: {t}" if not c["hidden"] else t for t, c in zip(titles, CHECKS)],
              f"--student-view JUnit {suite.name}: names")
        for case, c in zip(suite, CHECKS):
            if c["hidden"] and case.result and suite.name != "eve.txt":
                check((case.result[0].message, case.result[0].text) == ("failed", c["hint"]),
                      f"--student-view JUnit {suite.name}: {case.name}")


def check_reports(folder):
    reports = {f: korvane(folder, ["--report", f, "--summary", "summary.csv", "--", *FILES], 5)
               for f in ("tap", "csv", "json", "junit")}

    # TAP: "# score S/M" after each FILE's plan, in the order given; each
    # FILE's subtest, four blanks taken off, read as TAP of its own.
    subtests = re.split(r"^# Subtest: .*\n", reports["tap"].decode(), flags=re.M)[1:]
    found = []
    for subtest in subtests:
        lines = [line[4:] for line in subtest.splitlines() if line.startswith("    ")]
        run = subprocess.run([PERL, "-e", TAP_SCORES], input="\n".join(lines).encode(),
                             capture_output=True, check=True)
        found += [line.strip() for line in run.stdout.decode().splitlines()]
    check(found == [f"score {score(n)}/{MAX}" for n in FILES], f"TAP scores {found}")
    path = os.path.join(folder, "class.tap")
    with open(path, "wb") as file:
        file.write(reports["tap"])
    proved = subprocess.run([PROVE, "-e", "cat", path], capture_output=True, text=True)
    check(re.search(rf"Failed {sum(1 for n in FILES if FAILED[n])}/{len(FILES)} subtests",
                    proved.stdout + proved.stderr), f"prove:\n{proved.stdout}{proved.stderr}")

    # CSV: score, maximum and the failed lines of each FILE.
    rows = list(csv.DictReader(io.StringIO(reports["csv"].decode(), newline="")))
    check([r["file"] for r in rows] == FILES, "CSV files")
    for row in rows:
        name = row["file"]
        check((int(row["score"]), int(row["max_score"])) == (score(name), MAX),
              f"CSV {name}: score {row['score']}/{row['max_score']}")
        check([int(n) for n in row["failed_cases"].split()] == FAILED[name],
              f"CSV {name}: failed_cases {row['failed_cases']}")
        check(int(row["total"]) == len(CHECKS), f"CSV {name}: rules and cases")

    # JSON: the same, each case's points, and the summary.
    document = json.loads(reports["json"])
    for entry in document["files"]:
        name = entry["file"]
        check((entry["score"], entry["max_score"]) == (score(name), MAX), f"JSON {name}: score")
        check([(c["line"], c["points"], c["hidden"]) for c in entry["cases"]] ==
              [(c["line"], c["points"], c["hidden"]) for c in CHECKS], f"JSON {name}: points")
        check([c["line"] for c in entry["cases"] if not c["passed"]] == FAILED[name],
              f"JSON {name}: failed")
        check(all(c["reason"] for c in entry["cases"] if not c["passed"]), f"JSON {name}: reasons")
    tally = [{"line": c["line"], "case": c["text"],
              "passed": sum(c["line"] not in FAILED[n] for n in FILES),
              "failed": sum(c["line"] in FAILED[n] for n in FILES), "total": len(FILES),
              "ungraded": len(UNGRADED)}
             for c in CHECKS]
    check(document["summary"] == tally, f"JSON summary {document['summary']}")
    with open(os.path.join(folder, "summary.csv"), newline="") as file:
        summary = [{k: int(v) if k != "case" else v for k, v in row.items()}
                   for row in csv.DictReader(file)]
    check(summary == tally, f"summary.csv {summary}")

    # JUnit: the score and maximum as each suite's properties.
    for suite in junitparser.JUnitXml.fromstring(reports["junit"]):
        properties = {p.name: p.value for p in suite.properties()}
        check(properties == {"score": str(score(suite.name)), "max_score": str(MAX)},
              f"JUnit {suite.name}: properties {properties}")
        check([c.name for c in suite] == [f"line {c['line']}: {c['text']}" for c in CHECKS],
              f"JUnit {suite.name}: names")


def check_student_views(folder):
    secret = hidden_texts()

    # Gradescope's results.json, one FILE at a time.
    for name in FILES:
        text = korvane(folder, ["--report", "gradescope", name], 0 if not FAILED[name] else 5)
        results = json.loads(text)
        check((results["score"], results["max_score"]) == (score(name), MAX),
              f"Gradescope {name}: score")
        tests = results["tests"]
        check([t["name"] for t in tests] ==
              [f"line {c['line']} (hidden)" if c["hidden"] else f"line {c['line']}: {c['text']}"
               for c in CHECKS], f"Gradescope {name}: names {[t['name'] for t in tests]}")
        for test, c in zip(tests, CHECKS):
            failed = c["line"] in FAILED[name]
            check(test["status"] == ("failed" if failed else "passed") and
                  test["score"] == (0 if failed else c["points"]) and
                  test["max_score"] == c["points"], f"Gradescope {name}: {test}")
            check(test["visibility"] == ("after_published" if c["hidden"] else "visible"),
                  f"Gradescope {name}: visibility {test}")
            # a hint only where a program that assembled failed the case, and
            # all that a hidden case shows
            hint, hinted = f"hint:     {c['hint']}", failed and bool(c["hint"]) and name != "eve.txt"
            check(("output" in test) == (failed and (not c["hidden"] or hinted)) and
                  (hint in test.get("output", "")) == hinted and
                  (not c["hidden"] or test.get("output", hint) == hint),
                  f"Gradescope {name}: output {test}")
        for value in secret:
            check(value not in text.decode(), f"Gradescope {name} shows {value!r}")
    korvane(folder, ["--report", "gradescope", *FILES], 64)

    # Feedback: a file per FILE, named apart though two FILEs share a name;
    # pages of an earlier run are gone after this one.
    for stale in ["dee.txt.replays/line-99.html", "ann%2Fprog.txt.replays/line-4.html"]:
        os.makedirs(os.path.dirname(os.path.join(folder, "feedback", stale)), exist_ok=True)
        with open(os.path.join(folder, "feedback", stale), "w") as file:
            file.write("stale")
    korvane(folder, ["--report", "csv", "--feedback", "feedback", "--", *FILES], 5)
    written = sorted(n for n in os.listdir(os.path.join(folder, "feedback"))
                     if not n.endswith(".replays"))
    check(len(written) == len(FILES) and all(n.endswith(".md") for n in written),
          f"feedback files {written}")
    for name in FILES:
        path = os.path.join(folder, "feedback", name.replace("/", "%2F") + ".md")
        if not check(os.path.exists(path), f"no feedback for {name} in {written}"):
            continue
        with open(path) as file:
            text = file.read()
        check(f"Score: **{score(name)}** of {MAX} points." in text, f"feedback {name}: score")
        for c in CHECKS:
            shown = f"line {c['line']} (hidden)" if c["hidden"] else f"line {c['line']}: "
            check(shown in text, f"feedback {name}: {shown}")
        visible_failed = [c for c in CHECKS if c["line"] in FAILED[name] and not c["hidden"]]
        check(text.count("reason:") == sum(1 for c in visible_failed if "=>" in c["text"]) or
              name == "eve.txt", f"feedback {name}: the failing cases' details\n{text}")
        check_replays(folder, name, text)
        hints = [c["hint"] for c in CHECKS if c["hint"] and c["line"] in FAILED[name]]
        check(re.findall(r"^Hint: (.*)$", text, re.M) == (hints if name != "eve.txt" else []),
              f"feedback {name}: hints\n{text}")
    pages = feedback_pages(folder)
    korvane(folder, ["--report", "csv", "--feedback", "feedback", "--", *FILES], 5)
    check(feedback_pages(folder) == pages, "the replay pages differ from one run to the next")
    for path, data in pages.items():
        for value in secret:
            check(value.encode() not in data, f"{path} shows {value!r}")
    korvane(folder, ["--feedback", "feedback", "--no-replays", "--", *FILES], 5)
    check(not [p for p in feedback_pages(folder) if ".replays/" in p], "--no-replays left pages")

    # Emptying the replay pages' folder removes no file graded.
    korvane(folder, ["--feedback", "feedback", "--", "dee.txt"], 5)
    kept = os.path.join("feedback", "dee.txt.replays", "line-4.html")
    output = korvane(folder, ["--feedback", "feedback", "--", "dee.txt", kept], 73)
    check(output == b"" and os.path.exists(os.path.join(folder, kept)), "a FILE graded was removed")

    # What cannot be created stops everything before the grading.
    with open(os.path.join(folder, "plain"), "w") as file:
        file.write("x")
    for option, path in [("--feedback", "plain/feedback"), ("--summary", "nowhere/s.csv")]:
        output = korvane(folder, [option, path, "--", *FILES], 73)
        check(output == b"", f"{option} {path}: a report was written")


def feedback_pages(folder):
    """Every file under the feedback folder, by its path there, with its bytes."""
    top = os.path.join(folder, "feedback")
    return {os.path.relpath(os.path.join(at, n), top): open(os.path.join(at, n), "rb").read()
            for at, _, names in os.walk(top) for n in names}


def check_replays(folder, name, text):
    """A page per failing case shown to the student, linked under the case
    and opening at the end of the run it holds; none for another check."""
    base = name.replace("/", "%2F")
    replays = os.path.join(folder, "feedback", base + ".replays")
    wanted = [c for c in CHECKS if c["line"] in FAILED[name] and "=>" in c["text"] and
              not c["hidden"] and name not in UNGRADED]
    written = sorted(os.listdir(replays)) if os.path.isdir(replays) else []
    check(written == sorted(f"line-{c['line']}.html" for c in wanted),
          f"replay pages of {name}: {written}")
    sections = {int(re.match(r"line (\d+)", s).group(1)): s for s in text.split("\n### ")[1:]}
    for c in CHECKS:
        link = re.search(r"\[Replay of this run\]\(([^)]*)\)", sections[c["line"]])
        if not check(bool(link) == (c in wanted), f"feedback {name}, line {c['line']}: link"):
            continue
        if link:
            target, steps = link.group(1).split("#step=")
            with open(os.path.join(folder, "feedback", urllib.parse.unquote(target))) as page:
                check(f'"steps":[' in page.read() and int(steps) > 0,
                      f"feedback {name}: {link.group(1)} opens no page")


def check_summary_targets(folder, tally_text):
    """--summary replaces no file graded nor the cases file, also through a
    hard link; follows a link only to a device or a pipe; and leaves no
    temporary file behind."""
    def contents():
        return {n: open(os.path.join(folder, n), "rb").read() for n in FILES + ["class.cases"]}
    before = contents()
    os.link(os.path.join(folder, "class.cases"), os.path.join(folder, "cases.csv"))
    os.symlink("expected.json", os.path.join(folder, "link.csv"))
    for target, reason in [("dee.txt", "would replace the file graded 'dee.txt'"),
                           ("cases.csv", "would replace the cases file 'class.cases'"),
                           ("link.csv", "is a symbolic link")]:
        run = subprocess.run([KORVANE_RUN, "-w", "--test", "class.cases", "--summary", target,
                              "--", *FILES], cwd=folder, capture_output=True)
        check(run.returncode == 73 and run.stdout == b"" and reason in run.stderr.decode(),
              f"--summary {target}: {run.returncode} {run.stdout[:40]} {run.stderr}")
    check(contents() == before and os.readlink(os.path.join(folder, "link.csv")) ==
          "expected.json", "a refused --summary changed a file")
    # /dev/stdout leads to the pipe the report goes to: written in place, after it.
    report = korvane(folder, ["--report", "csv", "--", *FILES], 5)
    both = korvane(folder, ["--report", "csv", "--summary", "/dev/stdout", "--", *FILES], 5)
    check(both == report + tally_text, f"--summary /dev/stdout: {both}")
    check(not [n for n in os.listdir(folder) if n.startswith(".")],
          f"temporary files left: {os.listdir(folder)}")


def check_jobs(folder):
    """Graded two FILEs at once, each report, the summary, the feedback files
    and standard error are byte for byte those of one FILE at a time."""
    for report in ("tap", "csv", "json", "junit"):
        seen = []
        for jobs in ("1", "2"):
            out = os.path.join(os.path.dirname(folder), f"jobs-{report}-{jobs}")
            run = subprocess.run([KORVANE_RUN, "--jobs", jobs, "--test", "class.cases",
                                  "--report", report, "--feedback", out, "--summary",
                                  out + ".csv", "--", *FILES], cwd=folder, capture_output=True)
            files = sorted((os.path.relpath(os.path.join(at, n), out),
                            open(os.path.join(at, n), "rb").read())
                           for at, _, names in os.walk(out) for n in names)
            with open(out + ".csv", "rb") as file:
                seen.append((run.returncode, run.stdout, run.stderr, files, file.read()))
        check(seen[0][0] == 5 and seen[0] == seen[1], f"--jobs 1 and 2: {report} differs")


def main():
    with tempfile.TemporaryDirectory() as top:
        folder = os.path.join(top, "class")
        shutil.copytree(CLASS, folder)
        check_reports(folder)
        check_jobs(folder)
        check_student_view(folder)
        with open(os.path.join(folder, "summary.csv"), "rb") as file:
            check_summary_targets(folder, file.read())
        check_student_views(folder)
    for failure in failures:
        print("FAIL:", failure)
    print(f"{len(failures)} check(s) failed" if failures else "every score reads as expected")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
