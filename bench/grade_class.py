#!/usr/bin/env python3
"""Speed of grading a class: 200 generated submissions, 15 cases each, graded
by one korvane-run call and by one korvane-run process per submission, side
by side. Prints the cases graded per second of each and their ratio.

Then the same class where 13 submissions loop without end on 8 cases each
(104 runs stopped at the step limit of 10,000,000), graded by one call with
--jobs 1 and with --jobs 2: the times, their ratio, and the cores and load
it was measured under.

Then what --similar adds to one call: for that class (two images under
many labels) and for 200 programs of 60 words, each a few words from the
others, so that every pair is compared.

Usage: grade_class.py KORVANE_RUN [ROUNDS]   (the best of ROUNDS runs, default 3)
"""

import csv
import io
import json
import os
import random
import resource
import subprocess
import sys
import tempfile
import time

SUBMISSIONS = 200
CASES = [7 * k for k in range(1, 16)]  # n = 105 takes 7 steps per value: under 1,000 steps


LOOPING_EVERY = 15  # in the class with loops, every 15th submission loops on odd n


def submission(index, loops=False):
    """Adds n, n - 1, ..., 1; every fourth adds n, n - 2, ... instead. The
    labels differ from one to the next, as students' do. With `loops`, every
    15th counts down by 2 until n is exactly 0: for an odd n, never."""
    n, total, step = f"n{index}", f"sum{index}", f"step{index}"
    looping = loops and index % LOOPING_EVERY == LOOPING_EVERY - 1
    by = 2 if looping or index % 4 == 3 else 1
    ending = ("        BRZ done\n        BRA loop\ndone    LDA {total}\n" if looping
              else "        BRP loop\n        LDA {total}\n").format(total=total)
    return f"""        INP
        STA {n}
loop    LDA {total}
        ADD {n}
        STA {total}
        LDA {n}
        SUB {step}
        STA {n}
{ending}        OUT
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


def grade_with_jobs(korvane_run, folder, cases, rounds):
    """The class with loops, graded with --jobs 1 and --jobs 2: the same report
    both ways, then the time of each, and of --jobs 1 with a time limit that
    never strikes (the clock read while the loops run)."""
    files = []
    for index in range(SUBMISSIONS):
        files.append(os.path.join(folder, f"looping{index:03}.txt"))
        with open(files[-1], "w") as file:
            file.write(submission(index, loops=True))
    command = [korvane_run, "-w", "--test", cases]
    reports = [subprocess.run([*command, "--jobs", jobs, "--report", "json", *files],
                              capture_output=True) for jobs in ("1", "2")]
    if reports[0].stdout != reports[1].stdout or reports[0].stderr != reports[1].stderr:
        sys.exit("grade_class.py: --jobs 1 and --jobs 2 wrote different reports")
    document = json.loads(reports[0].stdout)
    stopped = sum(1 for entry in document["files"] for case in entry["cases"]
                  if "without halting" in (case["reason"] or ""))
    ways = {"--jobs 1": ["--jobs", "1"], "--jobs 2": ["--jobs", "2"],
            "--jobs 1 --time-limit 60": ["--jobs", "1", "--time-limit", "60"]}
    times, processor = {}, {}
    for way, options in ways.items():
        for _ in range(rounds):
            before = resource.getrusage(resource.RUSAGE_CHILDREN)
            start = time.perf_counter()
            subprocess.run([*command, *options, *files], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
            seconds = time.perf_counter() - start
            after = resource.getrusage(resource.RUSAGE_CHILDREN)
            if seconds < times.get(way, float("inf")):
                times[way] = seconds
                processor[way] = (after.ru_utime + after.ru_stime -
                                   before.ru_utime - before.ru_stime)
    graded = SUBMISSIONS * len(CASES)
    print(f"Grading a class with loops: {SUBMISSIONS} x {len(CASES)} cases, {stopped} runs "
          f"stopped at the step limit, best of {rounds}; {len(os.sched_getaffinity(0))} cores "
          f"usable, load average {os.getloadavg()[0]:.1f} before")
    for way, seconds in times.items():
        print(f"  {way:30} {seconds:8.3f} s {graded / seconds:10.0f} cases/s  "
              f"({processor[way]:.3f} s of processor time)")
    print(f"  --jobs 2 is {times['--jobs 1'] / times['--jobs 2']:.2f} times as fast (target: at "
          f"least 1.6 on two idle cores)")


def close_program(rng, base):
    """`base`, a list of 59 instruction lines, with 3 to 6 lines replaced,
    then HLT and its three data cells: 63 cells."""
    lines = list(base)
    for _ in range(rng.randrange(3, 7)):
        lines[rng.randrange(len(lines))] = f"{rng.choice(['ADD', 'SUB', 'LDA'])} {rng.choice('abc')}"
    return "\n".join(lines + ["HLT", "a DAT 1", "b DAT 2", "c DAT 3"]) + "\n"


def similar_cost(korvane_run, folder, cases, files, rounds):
    """The time of one call with --similar less that of the same call without."""
    rng = random.Random(7)
    base = [f"{rng.choice(['ADD', 'SUB', 'LDA'])} {rng.choice('abc')}" for _ in range(59)]
    close = []
    for index in range(SUBMISSIONS):
        close.append(os.path.join(folder, f"close{index:03}.txt"))
        with open(close[-1], "w") as file:
            file.write(close_program(rng, base))
    quiet = {"stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
    print(f"What --similar adds to one korvane-run --report csv call, best of {rounds}")
    for what, class_files in (("the class above", files),
                              (f"{SUBMISSIONS} programs of 63 cells, all compared", close)):
        command = [korvane_run, "-w", "--jobs", "1", "--test", cases, "--report", "csv"]
        plain = best_time(rounds, lambda: subprocess.run([*command, *class_files], **quiet))
        similar = best_time(rounds, lambda: subprocess.run([*command, "--similar", *class_files],
                                                           **quiet))
        print(f"  {what:42} {plain:7.3f} s, with --similar {similar:7.3f} s: "
              f"{(similar - plain) * 1000:6.1f} ms more (target: under 100)")


def write_class(folder):
    """The cases file and the generated submissions, written into `folder`."""
    cases = os.path.join(folder, "class.cases")
    with open(cases, "w") as file:
        file.writelines(f"{n} => {n * (n + 1) // 2}\n" for n in CASES)
    files = []
    for index in range(SUBMISSIONS):
        files.append(os.path.join(folder, f"student{index:03}.txt"))
        with open(files[-1], "w") as file:
            file.write(submission(index))
    return cases, files


def main():
    korvane_run = os.path.abspath(sys.argv[1])
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    with tempfile.TemporaryDirectory() as folder:
        cases, files = write_class(folder)
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

    with tempfile.TemporaryDirectory() as folder:
        cases, files = write_class(folder)
        similar_cost(korvane_run, folder, cases, files, rounds)

    with tempfile.TemporaryDirectory() as folder:
        cases = os.path.join(folder, "class.cases")
        with open(cases, "w") as file:
            file.writelines(f"{n} => {n * (n + 1) // 2}\n" for n in CASES)
        grade_with_jobs(korvane_run, folder, cases, rounds)


if __name__ == "__main__":
    main()
