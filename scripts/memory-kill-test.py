#!/usr/bin/env python3
"""Kills gorvandel with SIGKILL at random moments while it learns, and checks
after every kill that its memory file is one that the session really saved.

A reference run takes the session one command at a time and records the
memory file after each prompt: since the program saves before it prompts
again, that is the state after each command. Each killed run then gets the
same seed and input; if it had written p prompts when it died, its file
must hold the state after command p - 1 (the last one it confirmed) or after
command p (saved, but killed before it could prompt), and load again.

A Windows build is killed under wine the same way (--wine LOADER): the
wine process is the program's own, and SIGKILL ends it as TerminateProcess
would, in the middle of whatever call it is in.

Usage: scripts/memory-kill-test.py [--kills N] [--program PATH] [--wine LOADER]"""

import argparse
import glob
import os
import random
import signal
import subprocess
import sys
import tempfile
import time

TEXTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "expected_texts.txt")
with open(TEXTS, "rb") as texts:
    PROMPT = next(line for line in texts if line.startswith(b'prompt "')).split(b'"')[1]
SEED = "20261206"


def session(rounds):
    """Judgements that nearly always change a weight, so nearly every command saves."""
    block = ["do something with x", "reward", "do something with x", "punish",
             "do something", "reward", "do something", "punish"]
    return [line for _ in range(rounds) for line in block]


def read_state(path):
    try:
        with open(path, "rb") as memory:
            return memory.read()
    except FileNotFoundError:
        return None


def reference_states(program, commands, memory, work):
    """The memory file before the first command and after each command."""
    child = subprocess.Popen(program + ["-s", SEED, "-m", os.path.basename(memory)], stdin=subprocess.PIPE,
                             stdout=subprocess.PIPE, cwd=work)
    states = []
    for command in [None] + commands:
        if command is not None:
            child.stdin.write(command.encode() + b"\n")
            child.stdin.flush()
        seen = b""
        while not seen.endswith(PROMPT):
            seen += os.read(child.stdout.fileno(), 4096)
        states.append(read_state(memory))
    child.stdin.close()
    child.wait()
    return states


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--kills", type=int, default=200)
    parser.add_argument("--program", default="build/dev/gorvandel")
    parser.add_argument("--wine", help="the wine loader that runs a Windows build")
    args = parser.parse_args()
    program = ([args.wine] if args.wine else []) + [os.path.abspath(args.program)]

    commands = session(250)  # its input fits in a pipe's buffer
    with tempfile.TemporaryDirectory() as work:
        memory = os.path.join(work, "memory.txt")
        states = reference_states(program, commands, memory, work)
        saves = sum(1 for before, after in zip(states, states[1:]) if before != after)

        session_input = "".join(line + "\n" for line in commands).encode()
        with open(os.path.join(work, "input"), "wb") as stdin:
            stdin.write(session_input)
        start = time.monotonic()
        with open(os.path.join(work, "input"), "rb") as stdin:
            subprocess.run(program + ["-s", SEED, "-m", "timing.txt"], stdin=stdin, stdout=subprocess.DEVNULL,
                           check=True, cwd=work)
        duration = time.monotonic() - start
        print(f"session: {len(commands)} commands, {saves} saves, {duration * 1000:.0f} ms unkilled")

        outcomes = {"before the first save": 0, "at a confirmed state": 0, "one save ahead": 0}
        saves_cut_short = 0
        for kill in range(args.kills):
            if os.path.exists(memory):
                os.remove(memory)
            # Input through a pipe left open, so that a late kill finds it waiting at its last prompt.
            with open(os.path.join(work, "output"), "wb") as out:
                child = subprocess.Popen(program + ["-s", SEED, "-m", "memory.txt"], stdin=subprocess.PIPE, stdout=out,
                                         cwd=work)
                child.stdin.write(session_input)
                child.stdin.flush()
                time.sleep(random.uniform(0, duration * 1.1))
                child.send_signal(signal.SIGKILL)
                child.wait()
                child.stdin.close()
            if child.returncode != -signal.SIGKILL:
                sys.exit(f"kill {kill}: the program ended by itself ({child.returncode})")
            with open(os.path.join(work, "output"), "rb") as out:
                prompts = out.read().count(PROMPT)
            state = read_state(memory)
            if state not in states[max(prompts - 1, 0) : prompts + 1]:
                sys.exit(f"kill {kill}: after {prompts} prompts the file holds {state!r}, "
                         f"which the session did not save there")
            if state is None:
                outcomes["before the first save"] += 1
            else:
                outcomes["at a confirmed state" if state == states[max(prompts - 1, 0)] else "one save ahead"] += 1
            if glob.glob(glob.escape(memory) + ".tmp-*"):
                saves_cut_short += 1
            # The file loads, the killed program left no lock behind, and the next
            # run clears away a temporary file that the kill cut short.
            check = subprocess.run(program + ["-m", "memory.txt"], stdin=subprocess.DEVNULL, capture_output=True,
                                   cwd=work)
            if check.returncode != 0:
                sys.exit(f"kill {kill}: the file does not load: {check.stderr.decode().strip()}")
            if glob.glob(glob.escape(memory) + ".tmp-*"):
                sys.exit(f"kill {kill}: a temporary file outlived the next run: {glob.glob(memory + '.tmp-*')}")
        print(f"{args.kills} kills, every file whole and saved by the session: "
              + ", ".join(f"{count} {outcome}" for outcome, count in outcomes.items())
              + f"; {saves_cut_short} kills cut a save short, and the next run cleared its temporary file")


if __name__ == "__main__":
    main()
