#!/usr/bin/env python3
"""korvane-run --assemble --diagnostics-format json|sarif over the six
samples, the language server's test programs and broken files made here
(characters outside ASCII and outside the Basic Multilingual Plane, a
duplicate label, Windows line ends, no line feed at the end, a file that is not UTF-8, one over
1 MiB, a missing one), all in one call per format. The JSON is read with
Python's json, the SARIF checked against the SARIF 2.1.0 schema by Ajv.
Checks that both tell the same diagnostics in the same order, that each
SARIF column is the UTF-16 column of the JSON's byte column as worked out
here from the file's bytes, that every fix applied to the file in either
form gives the same text, that the terminal's one-line messages agree,
and that the exit status is the greatest of the FILEs' own.

Usage: check_diagnostics_formats.py KORVANE_RUN NODE VALIDATE_SARIF PROGRAM...
"""

import json
import os
import subprocess
import sys
import tempfile
import urllib.parse

KORVANE_RUN, NODE, VALIDATE = sys.argv[1:4]
PROGRAMS = [os.path.abspath(p) for p in sys.argv[4:]]

BROKEN = {
    "accents.txt": "INP\nSTA café\nLDA 😀x\nOUT 😀\nHLT\ncafe DAT\n".encode(),
    "spaces.txt": "x\u00a0DAT 1\nINP\nOUTT\nHLT".encode(),
    "duplicate.txt": b"INP\nOUT\nHLT\nx DAT 1\nx DAT 2\n",
    "windows.txt": b"INP\r\nOUTT\r\nHLT\r\n",
    # the fix that defines 'y' adds a line after the last, which has no line feed
    "unended.txt": b"LDA y\nOUT\nHLT",
    "latin1.txt": "INP\nét".encode() + b"\xe9\nHLT\n",
    "large.txt": b"HLT\n" * 300000,
}
MISSING = "missing.txt"


def run(arguments):
    return subprocess.run([KORVANE_RUN] + arguments, capture_output=True)


def fail(message):
    print(message)
    sys.exit(1)


def check(condition, message):
    if not condition:
        fail(message)


def lines_of(data):
    return data.split(b"\n")


def utf16_column(line_bytes, byte_column):
    """The UTF-16 column of a 1-based byte column of the line: a character
    cut short, or a byte that is not UTF-8, counts as one U+FFFD."""
    text = line_bytes[:byte_column - 1].decode("utf-8", errors="replace")
    return len(text.encode("utf-16-le")) // 2 + 1


def apply_json_fix(data, fix):
    """Applies the edits (byte columns) of a JSON fix; an edit on a line past
    the last one appends."""
    lines = lines_of(data)
    edits = sorted(fix["edits"], key=lambda e: (e["line"], e["column"]), reverse=True)
    for edit in edits:
        while edit["line"] > len(lines):
            lines.append(b"")
        line = lines[edit["line"] - 1]
        lines[edit["line"] - 1] = (line[:edit["column"] - 1] + edit["replacement"].encode()
                                   + line[edit["end_column"] - 1:])
    return b"\n".join(lines)


def apply_sarif_fix(data, fix, uri):
    """Applies the replacements of a SARIF fix, its regions in UTF-16 columns."""
    (change,) = fix["artifactChanges"]
    check(change["artifactLocation"]["uri"] == uri, f"fix of another file: {change}")
    lines = [line.decode("utf-8").encode("utf-16-le") for line in lines_of(data)]
    replacements = sorted(change["replacements"], reverse=True,
                          key=lambda r: (r["deletedRegion"]["startLine"],
                                         r["deletedRegion"]["startColumn"]))
    for replacement in replacements:
        region = replacement["deletedRegion"]
        check(region.get("endLine", region["startLine"]) == region["startLine"],
              f"region over several lines: {region}")
        line = lines[region["startLine"] - 1]
        inserted = replacement["insertedContent"]["text"].encode("utf-16-le")
        lines[region["startLine"] - 1] = (line[:2 * (region["startColumn"] - 1)] + inserted
                                          + line[2 * (region["endColumn"] - 1):])
    return "\n".join(line.decode("utf-16-le") for line in lines).encode()


def place(line):
    return f"{line['line']}:{line['column']}: " if line["line"] > 0 else ""


def main():
    with tempfile.TemporaryDirectory() as folder:
        os.chdir(folder)
        for name, data in BROKEN.items():
            with open(name, "wb") as file:
                file.write(data)
        files = PROGRAMS + list(BROKEN) + [MISSING]

        # Each FILE alone: its exit status, and the terminal's one-line messages.
        statuses, terminal = {}, {}
        for name in files:
            alone = run(["--assemble", "--no-excerpts", "--", name])
            statuses[name] = alone.returncode
            terminal[name] = alone.stderr.decode("utf-8", errors="replace").splitlines()

        answers = {}
        for form in ("json", "sarif"):
            answer = run(["--assemble", "--diagnostics-format", form, "--"] + files)
            check(answer.returncode == max(statuses.values()),
                  f"{form}: status {answer.returncode}, FILEs alone {statuses}")
            check(answer.stderr.decode() == f"korvane-run: Cannot read '{MISSING}': "
                  "No such file or directory.\n", f"{form}: stderr {answer.stderr!r}")
            answers[form] = json.loads(answer.stdout)
            with open(f"log.{form}", "wb") as file:
                file.write(answer.stdout)
        checked = subprocess.run([NODE, VALIDATE, "log.sarif"], capture_output=True, text=True)
        check(checked.returncode == 0, f"SARIF is not valid:\n{checked.stdout}{checked.stderr}")

        report, log = answers["json"], answers["sarif"]
        check(log["version"] == "2.1.0", "SARIF version")
        (sarif_run,) = log["runs"]
        check(sarif_run["columnKind"] == "utf16CodeUnits", "columnKind")
        base = sarif_run["originalUriBaseIds"]["%SRCROOT%"]["uri"]
        check(urllib.parse.unquote(urllib.parse.urlparse(base).path) == os.getcwd() + "/",
              f"base {base}")
        rules = [rule["id"] for rule in sarif_run["tool"]["driver"]["rules"]]
        check(len(rules) == len(set(rules)), f"rules twice: {rules}")
        (invocation,) = sarif_run["invocations"]
        check(not invocation["executionSuccessful"], "a missing FILE is a failed execution")
        (notification,) = invocation["toolExecutionNotifications"]
        check(notification["message"]["text"].startswith(f"Cannot read '{MISSING}'"), notification)

        results = list(sarif_run["results"])
        check(len(report["files"]) == len(files), "a JSON entry per FILE")
        kinds_seen = set()
        for index, (name, entry) in enumerate(zip(files, report["files"])):
            check(entry["path"] == name and entry["file"] == name, f"names of {entry}")
            artifact = sarif_run["artifacts"][index]["location"]
            uri = artifact["uri"]
            path = (urllib.parse.unquote(uri[len("file://"):]) if uri.startswith("file://")
                    else os.path.join(os.getcwd(), urllib.parse.unquote(uri)))
            check(os.path.abspath(path) == os.path.abspath(name), f"{uri} is not {name}")
            if name == MISSING:
                check(entry["message"].startswith("Cannot read") and not entry["errors"], entry)
                continue
            check(entry["message"] is None, f"{name}: {entry['message']}")
            with open(name, "rb") as file:
                data = file.read()
            source = lines_of(data)
            diagnostics = entry["errors"] + entry["warnings"]
            check(entry["assembled"] == (statuses[name] == 0), f"{name}: assembled")
            check(bool(entry["errors"]) == (statuses[name] != 0), f"{name}: errors and status")

            # The terminal's lines, with each related place as a note after its diagnostic.
            if name not in ("large.txt",):
                expected = []
                for d in diagnostics:
                    expected.append(f"{name}:{place(d)}{d['severity']}: {d['message']}")
                    expected += [f"{name}:{place(r)}note: {r['message']}" for r in d["related"]]
                check(terminal[name] == expected,
                      f"{name}: terminal\n{terminal[name]}\nJSON\n{expected}")

            mine = [r for r in results
                    if r["locations"][0]["physicalLocation"]["artifactLocation"]["index"] == index]
            check(len(mine) == len(diagnostics), f"{name}: {len(mine)} results, "
                  f"{len(diagnostics)} diagnostics")
            for d, r in zip(diagnostics, mine):
                what = f"{name}:{d['line']}:{d['column']} {d['kind']}"
                kinds_seen.add(d["kind"])
                check(r["ruleId"] == d["kind"] and rules[r["ruleIndex"]] == d["kind"], what)
                check(r["level"] == d["severity"] and r["message"]["text"] == d["message"], what)

                def region_matches(json_place, physical):
                    check(physical["artifactLocation"]["uri"] == uri, what)
                    if json_place["line"] == 0:
                        check("region" not in physical, what)
                        return
                    region = physical["region"]
                    line = source[json_place["line"] - 1].rstrip(b"\r")
                    check(region["startLine"] == json_place["line"], what)
                    check(region["startColumn"] == utf16_column(line, json_place["column"])
                          and region["endColumn"] == utf16_column(line, json_place["end_column"]),
                          f"{what}: {region} for bytes {json_place}")

                region_matches(d, r["locations"][0]["physicalLocation"])
                related = r.get("relatedLocations", [])
                check(len(related) == len(d["related"]), what)
                for j, s in zip(d["related"], related):
                    check(s["message"]["text"] == j["message"], what)
                    region_matches(j, s["physicalLocation"])
                fixes = r.get("fixes", [])
                check(len(fixes) == len(d["fixes"]), what)
                for j, s in zip(d["fixes"], fixes):
                    check(s["description"]["text"] == j["title"], what)
                    by_bytes = apply_json_fix(data, j)
                    by_units = apply_sarif_fix(data, s, uri)
                    check(by_bytes == by_units,
                          f"{what}: fix '{j['title']}'\n{by_bytes!r}\n{by_units!r}")
            results = [r for r in results if r not in mine]
        check(not results, f"results of no FILE: {results}")

        # What the broken files must show, so that the checks above saw them.
        for kind in ("not-utf-8", "program-too-large", "duplicate-label", "undefined-label",
                     "unusual-space"):
            check(kind in kinds_seen, f"no {kind} among {sorted(kinds_seen)}")
        print(f"{len(files)} FILEs, {len(kinds_seen)} kinds: JSON, SARIF and terminal agree")


main()
