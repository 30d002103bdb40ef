#!/usr/bin/env python3
"""Speed of grading a class: 200 generated submissions, 15 cases each, graded
by one korvane-run call and by one korvane-run process per submission, side
by side. Prints the cases graded per second of each and their ratio.

Usage: grade_class.py KORVANE_RUN [ROUNDS]   (the best of ROUNDS runs, default 3)
"""

import csv
import io
import os
import subprocess
import sys
import tempfile
import time

SUBMISSIONS = 200
CASES = [7 * k for k in range(1, 16)]  # n = 105 takes 7 steps per value: under 1,000 steps


def submission(index):
    """Adds n, n - 1, ..., 1; every fourth adds n, n - 2, ... instead. The
    labels differ from one to the next, as students' do."""
    n, total, step = f"n{index}", f"sum{index}", f"step{index}"
    by = 2 if index % 4 == 3 else 1
    return f"""        INP
        STA {n}
loop    LDA {total}
        ADD {n}
        STA {total}
        LDA {n}
        SUB {step}
        STA {n}
        BRP loop
        LDA {total}
        OUT
        HLT
{n}     DAT
{total} DAT
{step}  DAT {by}
"""


def best_time(rounds, action):
    times = []
    for _ in range(rounds):
        start = time.perf_counter()
        action()
        times.append(time.perf_counter() - start)
    return min(times)


def main():
    korvane_run = os.path.abspath(sys.argv[1])
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    with tempfile.TemporaryDirectory() as folder:
        cases = os.path.join(folder, "class.cases")
        with open(cases, "w") as file:
            file.writelines(f"{n} => {n * (n + 1) // 2}\n" for n in CASES)
        files = []
        for index in range(SUBMISSIONS):
            files.append(os.path.join(folder, f"student{index:03}.txt"))
            with open(files[-1], "w") as file:
                file.write(submission(index))
        command = [korvane_run, "-w", "--test", cases]

        # Both ways must grade alike before their speed means anything.
        quiet = {"stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL, "check": False}
        report = subprocess.run([*command, "--report", "csv", *files], capture_output=True,
                                text=True)
        results = [row["result"]
                   for row in csv.DictReader(io.StringIO(report.stdout, newline=""))]
        passed_each = [subprocess.run([*command, file], **quiet).returncode == 0
                       for file in files]
        if "error" in results or [r == "pass" for r in results] != passed_each:
            sys.exit("grade_class.py: the class was not graded alike both ways:\n" +
                     report.stderr)

        one_call = best_time(rounds, lambda: subprocess.run([*command, *files], **quiet))
        per_file = best_time(
            rounds, lambda: [subprocess.run([*command, file], **quiet) for file in files])

    graded = SUBMISSIONS * len(CASES)
    print(f"Grading a class: {SUBMISSIONS} submissions x {len(CASES)} cases = {graded} cases "
          f"({sum(passed_each)} submissions pass), best of {rounds}")
    print(f"  one korvane-run call           {one_call:8.3f} s {graded / one_call:10.0f} cases/s")
    print(f"  one korvane-run per submission {per_file:8.3f} s {graded / per_file:10.0f} cases/s")
    print(f"  one call is {per_file / one_call:.1f} times as fast (target: at least 10, "
          f"in under 0.2 s)")


if __name__ == "__main__":
    main()
