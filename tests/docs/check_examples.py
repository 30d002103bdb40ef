#!/usr/bin/env python3
"""Runs the examples of the manual and compares what they print with what
the manual shows, so that the docs cannot drift from the programs.

In each Markdown file:
- a fenced block marked `console` holds commands, each on a line starting
  with "$ " (a line ending in a backslash goes on), and after each the exact
  text it prints, standard output and standard error together; a line "..."
  stands for any number of lines. Each command runs in bash, in a scratch
  folder of its own file, with korvane-run, korvane-dap and korvane-lsp on
  PATH (a line end CR LF is read as LF, and blank lines at the end are
  left out);
- a fenced block after the line <!-- file NAME --> is written to NAME in
  that folder before the commands after it run;
- every relative link names a file of the source tree.

    check_examples.py SOURCE_DIR BIN_DIR... -- FILE.md...
"""
import os
import re
import subprocess
import sys
import tempfile

failures = 0


def fail(where, what, detail=""):
    global failures
    failures += 1
    print(f"{where}: FAIL: {what}{detail}")


def blocks(lines):
    """(line number, marker, info, body lines) of each fenced block."""
    marker = None
    index = 0
    while index < len(lines):
        match = re.match(r"^(`{3,})\s*(\S*)", lines[index])
        if not match:
            found = re.match(r"^<!-- file (\S+) -->$", lines[index])
            if found:
                marker = found.group(1)
            index += 1
            continue
        fence, info, start = match.group(1), match.group(2), index + 1
        index = start
        while index < len(lines) and not lines[index].startswith(fence):
            index += 1
        yield start, marker, info, lines[start:index]
        marker = None
        index += 1


def commands(body):
    """(command, expected lines) of a console block."""
    result = []
    index = 0
    while index < len(body):
        if not body[index].startswith("$ "):
            index += 1
            continue
        command = body[index][2:]
        while command.endswith("\\") and index + 1 < len(body):
            index += 1
            command += "\n" + body[index]
        index += 1
        expected = []
        while index < len(body) and not body[index].startswith("$ "):
            expected.append(body[index])
            index += 1
        result.append((command, expected))
    return result


def matches(expected, actual):
    """Whether the lines match, "..." standing for any run of lines."""
    if not expected:
        return not actual
    if expected[0] == "...":
        return any(matches(expected[1:], actual[skip:]) for skip in range(len(actual) + 1))
    return bool(actual) and expected[0] == actual[0] and matches(expected[1:], actual[1:])


def check_links(path, text, root):
    # What a fenced block shows, such as a program's output, links nothing.
    prose = re.sub(r"^(```+).*?^\1", "", text, flags=re.M | re.S)
    for target in re.findall(r"\]\(([^)\s]+)\)", prose):
        if re.match(r"^[a-z]+:", target) or target.startswith("#"):
            continue
        file = os.path.normpath(os.path.join(os.path.dirname(path), target.split("#")[0]))
        if not os.path.exists(file) or not file.startswith(root):
            fail(path, f"the link {target} names no file of the source tree")


def check_file(path, environment, root):
    text = open(path, encoding="utf-8").read()
    check_links(path, text, root)
    ran = 0
    with tempfile.TemporaryDirectory() as scratch:
        for line, marker, info, body in blocks(text.split("\n")):
            if marker:
                with open(os.path.join(scratch, marker), "w", encoding="utf-8") as out:
                    out.write("\n".join(body) + "\n")
            if info != "console":
                continue
            if not commands(body):
                fail(f"{path}:{line}", "a console block without a command ($ ...)")
            for command, expected in commands(body):
                ran += 1
                where = f"{path}:{line}"
                try:
                    done = subprocess.run(["bash", "-c", command], cwd=scratch, env=environment,
                                          stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                          stderr=subprocess.STDOUT, timeout=60)
                except subprocess.TimeoutExpired:
                    fail(where, f"$ {command} did not end within 60 s")
                    continue
                # A page cannot show a carriage return: CSV's line ends read as line feeds.
                actual = done.stdout.decode("utf-8", "replace").replace("\r\n", "\n").split("\n")
                while actual and actual[-1] == "":
                    actual.pop()
                while expected and expected[-1] == "":
                    expected.pop()
                if not matches(expected, actual):
                    fail(where, f"$ {command}",
                         "\n  shown:\n    " + "\n    ".join(expected)
                         + "\n  printed:\n    " + "\n    ".join(actual))
    print(f"{path}: {ran} commands")


def main():
    split = sys.argv.index("--")
    root = os.path.abspath(sys.argv[1])
    folders = [os.path.abspath(folder) for folder in sys.argv[2:split]]
    files = sys.argv[split + 1:]
    environment = dict(os.environ)
    environment.pop("NO_COLOR", None)
    environment["PATH"] = os.pathsep.join(folders + [environment.get("PATH", "/usr/bin:/bin")])
    for path in files:
        check_file(os.path.abspath(path), environment, root)
    print(f"{failures} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
