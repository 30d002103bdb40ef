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

import json
import os
import re
import shutil
import sys
import tempfile
import urllib.parse

from gradingcheck import (check, check_prove, check_student_view, csv_rows, files_under, finish,
                          junit_suites, korvane, read_tap, subtests)

CLASS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "classes", "scores")


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


def failed(name, c):
    return c["line"] in FAILED[name]


def score(name):
    return sum(c["points"] for c in CHECKS if not failed(name, c))


def hinted(name, c):
    """A case's hint shows where a program that assembled failed it."""
    return bool(c["hint"]) and failed(name, c) and name not in UNGRADED


def student_name(c):
    """A check as JUnit for students and Gradescope name it: a hidden case only by its line."""
    return f"line {c['line']} (hidden)" if c["hidden"] else f"line {c['line']}: {c['text']}"


# What may not show where students read: the values of hidden cases, but for
# a value as short as "4", which shows in any report for other reasons.
SECRET = [t for c in CHECKS if c["hidden"]
          for t in [c["text"], *map(str.strip, c["text"].split("=>"))] if len(t) >= 5]


def check_student_reports(folder):
    """TAP and JUnit for students: a hidden case only as its line, whether it
    passed and, when a program that assembled failed it, its hint."""
    tap, _ = korvane(folder, ["--student-view", "--", *FILES], 5)
    junit, _ = korvane(folder, ["--student-view", "--report", "junit", "--", *FILES], 5)
    check_student_view({"--student-view TAP": tap, "--student-view JUnit": junit}, SECRET)
    found = [read_tap(subtest)[0] for subtest in subtests(tap)]
    check(len(found) == len(FILES), f"--student-view TAP: {len(found)} subtests")
    for name, points in zip(FILES, found):
        expected = [[f"- line {c['line']} (hidden)" if c["hidden"] else f"- {c['text']}",
                     "0" if failed(name, c) else "1", c["hint"] if hinted(name, c) else ""]
                    for c in CHECKS]
        check(points == expected, f"--student-view TAP {name}: {points}")
    suites = junit_suites(junit)
    check([(s.name, [c.name for c in s]) for s in suites] ==
          [(name, [student_name(c) for c in CHECKS]) for name in FILES],
          "--student-view JUnit: names")
    for suite in suites:
        for case, c in zip(suite, CHECKS):
            if c["hidden"] and case.result and suite.name not in UNGRADED:
                check((case.result[0].message, case.result[0].text) == ("failed", c["hint"]),
                      f"--student-view JUnit {suite.name}: {case.name}")


def check_reports(folder):
    reports = {f: korvane(folder, ["--report", f, "--summary", "summary.csv", "--", *FILES], 5)[0]
               for f in ("tap", "csv", "json", "junit")}

    # TAP: "# score S/M" after each FILE's plan, in the order given.
    found = [c for sub in subtests(reports["tap"]) for c in read_tap(sub)[1] if "score" in c]
    check(found == [f"score {score(n)}/{MAX}" for n in FILES], f"TAP scores {found}")
    check_prove(folder, reports["tap"], sum(1 for n in FILES if FAILED[n]), len(FILES))

    # CSV: score, maximum and the failed lines of each FILE.
    rows = csv_rows(reports["csv"])
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
              "passed": sum(not failed(n, c) for n in FILES),
              "failed": sum(failed(n, c) for n in FILES), "total": len(FILES),
              "ungraded": len(UNGRADED)}
             for c in CHECKS]
    check(document["summary"] == tally, f"JSON summary {document['summary']}")
    with open(os.path.join(folder, "summary.csv"), newline="") as file:
        tally_text = file.read()
    summary = [{k: int(v) if k != "case" else v for k, v in row.items()}
               for row in csv_rows(tally_text)]
    check(summary == tally, f"summary.csv {summary}")
    # /dev/stdout leads to the pipe the report goes to: written in place, after it.
    report, _ = korvane(folder, ["--report", "csv", "--", *FILES], 5)
    both, _ = korvane(folder, ["--report", "csv", "--summary", "/dev/stdout", "--", *FILES], 5)
    check(both == report + tally_text, f"--summary /dev/stdout: {both}")

    # JUnit: the score and maximum as each suite's properties.
    for suite in junit_suites(reports["junit"]):
        properties = {p.name: p.value for p in suite.properties()}
        check(properties == {"score": str(score(suite.name)), "max_score": str(MAX)},
              f"JUnit {suite.name}: properties {properties}")
        check([c.name for c in suite] == [f"line {c['line']}: {c['text']}" for c in CHECKS],
              f"JUnit {suite.name}: names")


def check_gradescope(folder):
    """Gradescope's results.json, one FILE at a time."""
    for name in FILES:
        text, _ = korvane(folder, ["--report", "gradescope", name], 0 if not FAILED[name] else 5)
        results = json.loads(text)
        check((results["score"], results["max_score"]) == (score(name), MAX),
              f"Gradescope {name}: score")
        tests = results["tests"]
        check([t["name"] for t in tests] == [student_name(c) for c in CHECKS],
              f"Gradescope {name}: names {[t['name'] for t in tests]}")
        for test, c in zip(tests, CHECKS):
            lost = failed(name, c)
            check(test["status"] == ("failed" if lost else "passed") and
                  test["score"] == (0 if lost else c["points"]) and
                  test["max_score"] == c["points"], f"Gradescope {name}: {test}")
            check(test["visibility"] == ("after_published" if c["hidden"] else "visible"),
                  f"Gradescope {name}: visibility {test}")
            # a hint, and all that a hidden case shows
            hint = f"hint:     {c['hint']}"
            check(("output" in test) == (lost and (not c["hidden"] or hinted(name, c))) and
                  (hint in test.get("output", "")) == hinted(name, c) and
                  (not c["hidden"] or test.get("output", hint) == hint),
                  f"Gradescope {name}: output {test}")
        check_student_view({f"Gradescope {name}": text}, SECRET)
    korvane(folder, ["--report", "gradescope", *FILES], 64)


def check_feedback(folder):
    """A file per FILE, named apart though two FILEs share a name; pages of
    an earlier run are gone after this one."""
    feedback = os.path.join(folder, "feedback")
    for stale in ["dee.txt.replays/line-99.html", "ann%2Fprog.txt.replays/line-4.html"]:
        os.makedirs(os.path.dirname(os.path.join(feedback, stale)), exist_ok=True)
        with open(os.path.join(feedback, stale), "w") as file:
            file.write("stale")
    korvane(folder, ["--report", "csv", "--feedback", "feedback", "--", *FILES], 5)
    written = sorted(n for n in os.listdir(feedback) if not n.endswith(".replays"))
    check(len(written) == len(FILES) and all(n.endswith(".md") for n in written),
          f"feedback files {written}")
    for name in FILES:
        path = os.path.join(feedback, name.replace("/", "%2F") + ".md")
        if not check(os.path.exists(path), f"no feedback for {name} in {written}"):
            continue
        with open(path) as file:
            text = file.read()
        check(f"Score: **{score(name)}** of {MAX} points." in text, f"feedback {name}: score")
        for c in CHECKS:
            shown = f"line {c['line']} (hidden)" if c["hidden"] else f"line {c['line']}: "
            check(shown in text, f"feedback {name}: {shown}")
        check_replays(folder, name, text)
        check(re.findall(r"^Hint: (.*)$", text, re.M) == [c["hint"] for c in CHECKS
                                                          if hinted(name, c)],
              f"feedback {name}: hints\n{text}")
    pages = files_under(feedback)
    korvane(folder, ["--report", "csv", "--feedback", "feedback", "--", *FILES], 5)
    check(files_under(feedback) == pages, "the replay pages differ from one run to the next")
    check_student_view(pages, SECRET)
    korvane(folder, ["--feedback", "feedback", "--no-replays", "--", *FILES], 5)
    check(not [p for p in files_under(feedback) if ".replays/" in p], "--no-replays left pages")

    # the replay pages of one FILE, whose folder a refused run may not empty
    korvane(folder, ["--feedback", "feedback", "--", "dee.txt"], 5)


def check_replays(folder, name, text):
    """A page per failing case shown to the student, linked under the case
    and opening at the end of the run it holds; none for another check; the
    details of each such case but for a FILE that could not be graded."""
    base = name.replace("/", "%2F")
    replays = os.path.join(folder, "feedback", base + ".replays")
    wanted = [c for c in CHECKS if failed(name, c) and "=>" in c["text"] and
              not c["hidden"] and name not in UNGRADED]
    check(text.count("reason:") == len(wanted) or name in UNGRADED,
          f"feedback {name}: the failing cases' details\n{text}")
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


def check_refused(folder):
    """A summary or feedback that would replace a file graded or the cases
    file (also through a hard link), a summary through a link but to a device
    or a pipe, and what cannot be created stop everything before the grading
    with 73: no report, no file changed, no temporary file left."""
    kept = os.path.join("feedback", "dee.txt.replays", "line-4.html")
    os.link(os.path.join(folder, "class.cases"), os.path.join(folder, "cases.csv"))
    os.symlink("expected.json", os.path.join(folder, "link.csv"))
    with open(os.path.join(folder, "plain"), "w") as file:
        file.write("x")

    def contents():
        return {n: open(os.path.join(folder, n), "rb").read()
                for n in FILES + ["class.cases", kept]}
    before = contents()
    for arguments, reason in [
            (["--summary", "dee.txt"], "would replace the file graded 'dee.txt'"),
            (["--summary", "cases.csv"], "would replace the cases file 'class.cases'"),
            (["--summary", "link.csv"], "is a symbolic link"),
            (["--summary", "nowhere/s.csv"], ""), (["--feedback", "plain/feedback"], ""),
            (["--feedback", "feedback", "--", "dee.txt", kept], "")]:
        out, err = korvane(folder, arguments if "--" in arguments else
                           [*arguments, "--", *FILES], 73)
        check(out == "" and reason in err, f"{arguments}: {out[:40]} {err}")
    check(contents() == before and os.readlink(os.path.join(folder, "link.csv")) ==
          "expected.json", "a refused run changed a file")
    check(not [n for n in os.listdir(folder) if n.startswith(".")],
          f"temporary files left: {os.listdir(folder)}")


def check_jobs(folder):
    """Graded two FILEs at once, each report, the summary, the feedback files
    and standard error are byte for byte those of one FILE at a time."""
    for report in ("tap", "csv", "json", "junit"):
        seen = []
        for jobs in ("1", "2"):
            out = os.path.join(os.path.dirname(folder), f"jobs-{report}-{jobs}")
            run = korvane(folder, ["--jobs", jobs, "--report", report, "--feedback", out,
                                   "--summary", out + ".csv", "--", *FILES], 5, warnings=True)
            with open(out + ".csv", "rb") as file:
                seen.append((run, files_under(out), file.read()))
        check(seen[0] == seen[1], f"--jobs 1 and 2: {report} differs")


def main():
    with tempfile.TemporaryDirectory() as top:
        folder = os.path.join(top, "class")
        shutil.copytree(CLASS, folder)
        check_reports(folder)
        check_jobs(folder)
        check_student_reports(folder)
        check_gradescope(folder)
        check_feedback(folder)
        check_refused(folder)
    return finish("every score reads as expected")


if __name__ == "__main__":
    sys.exit(main())
