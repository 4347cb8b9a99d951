#!/usr/bin/env python3
"""Gorvandel at a pseudo-terminal, typed as a person types: editing keys, the
history within and between runs, Tab completion, Ctrl-D and Ctrl-C.
Usage: terminal.py PATH_TO_GORVANDEL"""

import fcntl
import os
import re
import select
import signal
import stat
import sys
import tempfile
import termios
import time
import unittest

PROGRAM = os.path.abspath(sys.argv.pop(1))
TEXTS = os.path.join(os.path.dirname(__file__), "..", "expected_texts.txt")
UP, LEFT = "\x1b[A", "\x1b[D"


def text(name):
    """The texts of that name in expected_texts.txt, one per line."""
    with open(TEXTS) as texts:
        return "\n".join(line[line.index('"') + 1 : line.rindex('"')] for line in texts if line.startswith(name + ' "'))


def on_screen(name):
    """A text as the terminal shows it, line ends and all, as a pattern."""
    return re.escape(text(name).replace("\n", "\r\n"))


class Terminal:
    """One run of the program with a pseudo-terminal as its terminal."""

    def __init__(self, folder, state, output=None, history=None, interrupt=signal.SIG_DFL):
        self.fd, self.terminal = os.openpty()
        self.mode = termios.tcgetattr(self.terminal)
        self.pid = os.fork()
        if self.pid == 0:
            os.setsid()
            fcntl.ioctl(self.terminal, termios.TIOCSCTTY, 0)
            for standard in (0, 1, 2):
                os.dup2(self.terminal, standard)
            if output is not None:
                os.dup2(output, 1)
            try:
                os.chdir(folder)
                signal.signal(signal.SIGINT, interrupt)
                environment = {"TERM": "xterm", "HOME": folder, "XDG_STATE_HOME": state}
                environment.update({"GORVANDEL_HISTORY": history} if history else {})
                os.execve(PROGRAM, [PROGRAM], environment)
            finally:
                os._exit(127)
        self.seen = b""

    def type(self, keys):
        """Types once the editor has the terminal, as a person would: keys that come
        earlier meet the terminal's own line discipline, which echoes and keeps them."""
        deadline = time.monotonic() + 5
        while termios.tcgetattr(self.fd)[3] & termios.ICANON and time.monotonic() < deadline:
            time.sleep(0.001)
        os.write(self.fd, keys.encode())

    def expect(self, pattern):
        """Reads until the output since the last match matches; returns the match."""
        deadline = time.monotonic() + 5
        while not (match := re.search(pattern.encode(), self.seen, re.DOTALL)):
            if not select.select([self.fd], [], [], max(0, deadline - time.monotonic()))[0]:
                raise AssertionError(f"no {pattern!r} in {self.seen!r}")
            self.seen += os.read(self.fd, 4096)
        self.seen = self.seen[match.end() :]
        return match

    def answer(self, line):
        """Types a line and returns the one line (or none) the program answers before its next prompt.
        The editor may draw the prompt again while the line is typed, but never after a line end."""
        self.type(line + "\r")
        return (self.expect(r"\r\n([^\n]*\r\n)?" + re.escape(text("prompt"))).group(1) or b"").decode().strip()

    def status(self):
        _, status = os.waitpid(self.pid, 0)
        return status

class AtATerminal(unittest.TestCase):
    def setUp(self):
        work = tempfile.TemporaryDirectory()
        self.addCleanup(work.cleanup)
        self.folder, self.state = work.name, os.path.join(work.name, "state")
        open(os.path.join(self.folder, "report.txt"), "w").close()

    def start(self, **options):
        terminal = Terminal(self.folder, self.state, **options)
        terminal.expect(re.escape(text("prompt")))
        return terminal

    def test_editing_history_and_completion(self):
        terminal = self.start()
        self.assertIn('"first"', terminal.answer("do something with first"))
        self.assertIn('"first"', terminal.answer(UP))
        self.assertIn('"é"', terminal.answer("do something with é"))  # in the C locale too
        self.assertEqual(terminal.answer("rewrd" + LEFT * 2 + "a"), "")  # judged: nothing to say
        self.assertNotEqual(terminal.answer("do som\t"), text("unknown"))
        self.assertIn('"report.txt"', terminal.answer("do something with rep\t"))
        # Backspace, Ctrl-E to the end, and Ctrl-D deleting the character under the cursor.
        terminal.type("exi" + LEFT + "\x08" + "x" + "\x05" + "tt" + LEFT + "\x04\r")
        terminal.expect(on_screen("farewell"))
        self.assertEqual(terminal.status(), 0)

        history = os.path.join(self.state, "gorvandel", "history")
        self.assertEqual(stat.S_IMODE(os.stat(history).st_mode), 0o600)
        self.assertEqual(stat.S_IMODE(os.stat(os.path.dirname(history)).st_mode), 0o700)
        with open(history) as lines:
            self.assertEqual(lines.read().splitlines()[-2:], ["do something with report.txt", "exit"])

        terminal = self.start()
        self.assertIn('"report.txt"', terminal.answer(UP * 2))

    def test_plain_lines_when_the_output_is_not_a_terminal(self):
        read, write = os.pipe()
        terminal = Terminal(self.folder, self.state, output=write)
        os.close(write)
        os.write(terminal.fd, b"exit\r")
        self.assertEqual(terminal.status(), 0)
        with os.fdopen(read, "rb") as output:
            self.assertEqual(output.read().decode(), text("prompt") + text("farewell") + "\n")

    def test_history_through_a_link_and_a_read_only_one(self):
        real, link = os.path.join(self.folder, "real"), os.path.join(self.folder, "link")
        with open(real, "w") as history:
            history.write("old\n")
        os.symlink(real, link)
        for mode, lines in ((0o600, "exit\r"), (0o400, "reward\rexit\r")):
            os.chmod(real, mode)
            terminal = self.start(history=link)
            terminal.type(lines)
            self.assertEqual(terminal.status(), 0)
        self.assertTrue(os.path.islink(link))
        with open(real) as history:
            self.assertEqual(history.read(), "old\nexit\n")  # the read-only file was left alone

    def test_ctrl_d_ends_the_line_and_says_goodbye(self):
        terminal = self.start()
        terminal.type("\x04")
        terminal.expect(r"^\r\n" + on_screen("farewell") + r"\r\n$")
        self.assertEqual(terminal.status(), 0)

    def test_ctrl_c_ends_it_with_the_terminal_as_it_was(self):
        terminal = self.start()
        terminal.type("do some")
        terminal.expect("do some")
        terminal.type("\x03")
        status = terminal.status()
        self.assertTrue(os.WIFSIGNALED(status) and os.WTERMSIG(status) == signal.SIGINT)
        self.assertEqual(termios.tcgetattr(terminal.fd), terminal.mode)

    def test_ignored_ctrl_c_keeps_the_line_and_a_history_it_cannot_read(self):
        fifo = os.path.join(self.folder, "fifo")
        os.mkfifo(fifo)
        terminal = self.start(history=fifo, interrupt=signal.SIG_IGN)
        terminal.type("do some")
        terminal.expect("do some")
        terminal.type("\x03")
        terminal.expect(re.escape(text("prompt")))  # the line carries on after a fresh prompt
        self.assertNotIn(text("unknown"), terminal.answer("thing"))
        terminal.type("exit\r")
        self.assertEqual(terminal.status(), 0)
        self.assertTrue(stat.S_ISFIFO(os.stat(fifo).st_mode))


if __name__ == "__main__":
    unittest.main()
