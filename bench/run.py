#!/usr/bin/env python3
"""Measures gorvandel side by side with baselines in the same run and reports
ratios: start-up against /bin/true, the CPU time of a long piped session
against a minimal C program with the same reads, writes and flushes, and peak
memory for one very long argument line. Each pair of runs alternates, so that
both sides see the same machine. Never fails on a timing: it reports."""

import argparse
import os
import statistics
import subprocess
import tempfile

MiB = 1024 * 1024


class Run:
    """What one run cost, as bench/measure.c reports it."""

    def __init__(self, line):
        wall_ns, user_us, sys_us, rss_kb = (int(field) for field in line.split())
        self.wall = wall_ns / 1e9
        self.cpu = (user_us + sys_us) / 1e6
        self.peak = rss_kb * 1024


def measure(helper, input_path, command, piped=False):
    arguments = [helper] + (["--pipe"] if piped else []) + [input_path] + command
    return Run(subprocess.run(arguments, check=True, capture_output=True, text=True).stdout)


def mixed_session(commands):
    """Both do-commands, judgements and unknown lines, in a fixed rotation."""
    rotation = [
        "do something",
        "reward",
        "do something with report.txt",
        "punish",
        "hello",
        "do something with  two words",
        "reward",
        "do something",
        "punish",
        "",
    ]
    lines = [rotation[i % len(rotation)] for i in range(commands)]
    return ("\n".join(lines) + "\nexit\n").encode()


def startup(helper, programs, pairs):
    """Each program against /bin/true in alternating pairs: the median of the pairs' ratios. Each
    program's pairs run together, so that no other program's run comes between them."""
    print(f"start-up: spawn to exit, median of {pairs} alternating pairs against /bin/true (goal: at most 1.1x)")
    for what, arguments in (("--version", ["--version"]), ("a session from /dev/null", [])):
        for name, program in programs:
            ours, base = [], []
            for _ in range(pairs):
                ours.append(measure(helper, os.devnull, [program] + arguments).wall)
                base.append(measure(helper, os.devnull, ["/bin/true"]).wall)
            ratio = statistics.median(a / b for a, b in zip(ours, base))
            print(
                f"  {what:<25} {name:<24} {statistics.median(ours) * 1000:6.3f} ms"
                f"  /bin/true {statistics.median(base) * 1000:6.3f} ms  ratio {ratio:5.2f}x"
            )


def throughput(helper, programs, floor, commands, rounds, work):
    """Each program's CPU time for a long piped session against the floor's, runs alternating."""
    path = os.path.join(work, "session.txt")
    with open(path, "wb") as f:
        f.write(mixed_session(commands))
    runs = {name: [] for name, _ in programs + [("C floor", floor)]}
    for _ in range(rounds):
        for name, program in programs + [("C floor", floor)]:
            runs[name].append(measure(helper, path, [program], piped=True))
    print(f"throughput: {commands} commands through pipes, CPU time (user+sys), median of {rounds} alternating runs")
    floor_cpu = statistics.median(run.cpu for run in runs["C floor"])
    for name, measured in runs.items():
        cpu, wall = statistics.median(run.cpu for run in measured), statistics.median(run.wall for run in measured)
        ratio = "" if name == "C floor" else f", {cpu / floor_cpu:.2f}x the floor's (goal: at most 1.05x)"
        print(f"  {name:<24} {cpu * 1000:7.1f} ms CPU{ratio}; {wall * 1000:.1f} ms wall, {commands / wall:,.0f} commands/s")


def memory(helper, program, size, work):
    path = os.path.join(work, "long.txt")
    with open(path, "wb") as f:
        f.write(b"do something with ")
        for _ in range(size // MiB):
            f.write(b"x" * MiB)
        f.write(b"x" * (size % MiB) + b"\nexit\n")
    idle = measure(helper, os.path.join(work, "exit.txt"), [program]).peak
    peak = measure(helper, path, [program]).peak
    print(f"memory: one 'do something with' line of {size / MiB:g} MiB")
    print(f"  peak resident {peak / MiB:8.1f} MiB   (idle program: {idle / MiB:.1f} MiB)")
    print(f"  as a multiple of the line: {peak / size:.2f}x  (goal: at most 2.1x); above idle: {(peak - idle) / size:.2f}x")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--program", required=True, help="the gorvandel to measure")
    parser.add_argument("--floor", required=True, help="the C floor program")
    parser.add_argument("--measure", required=True, help="the helper that runs a program and says what it cost")
    parser.add_argument(
        "--also", action="append", default=[], metavar="PROGRAM", help="another build to measure alongside (not for memory)"
    )
    parser.add_argument("--smoke", action="store_true", help="tiny sizes, only to show the benchmark still runs")
    args = parser.parse_args()

    commands, rounds, size, pairs = (2_000, 1, 1 * MiB, 3) if args.smoke else (200_000, 10, 64 * MiB, 60)
    programs = [("gorvandel", args.program)] + [(other, other) for other in args.also]
    with tempfile.TemporaryDirectory() as work:
        with open(os.path.join(work, "exit.txt"), "wb") as f:
            f.write(b"exit\n")
        startup(args.measure, programs, pairs)
        throughput(args.measure, programs, args.floor, commands, rounds, work)
        memory(args.measure, args.program, size, work)


if __name__ == "__main__":
    main()
