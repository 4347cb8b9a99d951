#!/usr/bin/env python3
"""Measures gorvandel side by side with baselines in the same run and reports
ratios: throughput of a piped session against a minimal C program with the
same I/O pattern, peak memory for one very long argument line, and start-up
time against /bin/true. Never fails on a timing: it reports."""

import argparse
import os
import statistics
import subprocess
import tempfile
import time

MiB = 1024 * 1024


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


def run_piped(program, input_path):
    """Seconds for one session: input and output both through pipes."""
    start = time.perf_counter()
    subprocess.run(
        ["bash", "-c", 'cat "$1" | "$2" | cat >/dev/null', "session", input_path, program], check=True
    )
    return time.perf_counter() - start


def throughput(program, floor, commands, rounds, work):
    path = os.path.join(work, "session.txt")
    with open(path, "wb") as f:
        f.write(mixed_session(commands))
    times = {program: [], floor: []}
    for _ in range(rounds):  # alternate, so both see the same machine
        for candidate in (program, floor):
            times[candidate].append(run_piped(candidate, path))
    ours, base = statistics.median(times[program]), statistics.median(times[floor])
    print(f"throughput: {commands} commands, median of {rounds}")
    print(f"  gorvandel   {ours * 1000:9.1f} ms  ({commands / ours:,.0f} commands/s)")
    print(f"  C floor     {base * 1000:9.1f} ms  ({commands / base:,.0f} commands/s)")
    print(f"  ratio       {ours / base:9.2f}x  (goal: at most 1.2x)")


def peak_rss_bytes(peak_rss, program, input_path):
    kilobytes = subprocess.run([peak_rss, input_path, program], check=True, capture_output=True, text=True).stdout
    return int(kilobytes) * 1024


def memory(program, peak_rss, size, work):
    path = os.path.join(work, "long.txt")
    with open(path, "wb") as f:
        f.write(b"do something with ")
        for _ in range(size // MiB):
            f.write(b"x" * MiB)
        f.write(b"x" * (size % MiB) + b"\nexit\n")
    idle = peak_rss_bytes(peak_rss, program, os.path.join(work, "exit.txt"))
    peak = peak_rss_bytes(peak_rss, program, path)
    print(f"memory: one 'do something with' line of {size / MiB:g} MiB")
    print(f"  peak resident {peak / MiB:8.1f} MiB   (idle program: {idle / MiB:.1f} MiB)")
    print(f"  as a multiple of the line: {peak / size:.2f}x  (goal: at most 3x); above idle: {(peak - idle) / size:.2f}x")


def first_output_seconds(command, stdin_path):
    """From spawning to the first byte of output, or to exit if there is none."""
    with open(stdin_path, "rb") as stdin:
        start = time.perf_counter()
        child = subprocess.Popen(command, stdin=stdin, stdout=subprocess.PIPE)
        child.stdout.read(1)
        elapsed = time.perf_counter() - start
        child.stdout.read()
        child.wait()
    return elapsed


def startup(program, starts, work):
    path = os.path.join(work, "exit.txt")
    ours, base = [], []
    for _ in range(starts):
        ours.append(first_output_seconds([program], path))
        base.append(first_output_seconds(["/bin/true"], path))
    ours_ms, base_ms = statistics.median(ours) * 1000, statistics.median(base) * 1000
    print(f"start-up: median of {starts}, spawn to first prompt (to exit for /bin/true)")
    print(f"  gorvandel   {ours_ms:7.3f} ms")
    print(f"  /bin/true   {base_ms:7.3f} ms")
    print(f"  difference  {ours_ms - base_ms:7.3f} ms  (goal: within 1 ms), ratio {ours_ms / base_ms:.2f}x")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--program", required=True, help="the gorvandel to measure")
    parser.add_argument("--floor", required=True, help="the C floor program")
    parser.add_argument("--peak-rss", required=True, help="the helper that measures peak memory")
    parser.add_argument("--smoke", action="store_true", help="tiny sizes, only to show the benchmark still runs")
    args = parser.parse_args()

    commands, rounds, size, starts = (2_000, 1, 1 * MiB, 10) if args.smoke else (200_000, 5, 64 * MiB, 300)
    with tempfile.TemporaryDirectory() as work:
        with open(os.path.join(work, "exit.txt"), "wb") as f:
            f.write(b"exit\n")
        throughput(args.program, args.floor, commands, rounds, work)
        memory(args.program, args.peak_rss, size, work)
        startup(args.program, starts, work)


if __name__ == "__main__":
    main()
