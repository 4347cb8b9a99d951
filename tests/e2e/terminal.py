#!/usr/bin/env python3
"""Gorvandel at a pseudo-terminal, typed as a person types: editing and other keys, the history,
Tab completion, keys typed ahead, Ctrl-D and Ctrl-C. Usage: terminal.py PATH_TO_GORVANDEL"""

import fcntl, os, re, select, signal, stat, struct, sys, tempfile, termios, time, unittest

PROGRAM = os.path.abspath(sys.argv.pop(1))
TEXTS = os.path.join(os.path.dirname(__file__), "..", "expected_texts.txt")
UP, LEFT = "\x1b[A", "\x1b[D"
CTRL_LEFT, CTRL_END, ALT_LEFT, CTRL_DELETE, ALT_BACKSPACE = "\x1b[1;5D", "\x1b[1;5F", "\x1b[1;3D", "\x1b[3;5~", "\x1b\x7f"
# PageUp, PageDown, Insert, F5, F12, F1 of xterm, the Linux console and the VT220, Shift-Up, Ctrl-Down,
# Meta-Up, Ctrl-PageUp, Alt-X and Alt-Shift-X (libedit's own command prompt).
NOTHING = "\x1b[5~\x1b[6~\x1b[2~\x1b[15~\x1b[24~\x1bOP\x1b[[A\x1bO5P\x1b[1;2A\x1b[1;5B\x1b[1;10A\x1b[5;5~\x1bx\x1bX"


def text(name):
    """The texts of that name in expected_texts.txt, one per line."""
    with open(TEXTS) as texts:
        return "\n".join(line[line.index('"') + 1 : line.rindex('"')] for line in texts if line.startswith(name + ' "'))


class Terminal:
    """One run of the program with a pseudo-terminal as its terminal."""

    def __init__(self, folder, state, output=None, history=None, interrupt=signal.SIG_DFL, cwd=None, arguments=(),
                 environment=(), change_mode=None, wrapper=()):
        self.fd, self.terminal = os.openpty()
        if change_mode:
            mode = termios.tcgetattr(self.terminal)
            change_mode(mode)
            termios.tcsetattr(self.terminal, termios.TCSANOW, mode)
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
                os.chdir(cwd or folder)
                signal.signal(signal.SIGINT, interrupt)
                variables = {"TERM": "xterm", "HOME": folder, "XDG_STATE_HOME": state, **dict(environment)}
                variables.update({"GORVANDEL_HISTORY": history} if history else {})
                command = [*wrapper, PROGRAM, *arguments]
                os.execve(command[0], command, variables)
            finally:
                os._exit(127)
        self.seen = b""

    def type(self, keys, then=None):
        """Types once the editor has the terminal, as a person would: keys that come earlier meet the
        terminal's own line discipline, which echoes and keeps them. Given then, expects it and returns the match."""
        deadline = time.monotonic() + 5
        while termios.tcgetattr(self.fd)[3] & termios.ICANON and time.monotonic() < deadline:
            time.sleep(0.001)
        os.write(self.fd, keys.encode())
        return then and self.expect(then)

    def expect(self, pattern):
        """Reads until the output since the last match matches; returns the match."""
        deadline = time.monotonic() + 10
        pattern = pattern if isinstance(pattern, bytes) else pattern.encode()
        while not (match := re.search(pattern, self.seen, re.DOTALL)):
            if not select.select([self.fd], [], [], max(0, deadline - time.monotonic()))[0]:
                raise AssertionError(f"no {pattern!r} in {self.seen!r}")
            self.seen += os.read(self.fd, 4096)
        self.seen = self.seen[match.end() :]
        return match

    def drain(self):
        """Reads what the program writes until it is quiet for a moment."""
        while select.select([self.fd], [], [], 0.3)[0]:
            self.seen += os.read(self.fd, 65536)

    def answer(self, line):
        """Types a line and returns the one line (or none) the program answers before its next prompt.
        The editor may draw the prompt again while the line is typed, but never after a line end."""
        self.type(line + "\r")
        return (self.expect(r"\r\n([^\n]*\r\n)?" + re.escape(text("prompt"))).group(1) or b"").decode().strip()

    def status(self):
        """Waits for the program to end, 10 seconds at most; returns how it ended."""
        for _ in range(1000):
            if (ended := os.waitpid(self.pid, os.WNOHANG))[0]:
                return ended[1]
            time.sleep(0.01)
        os.kill(self.pid, signal.SIGKILL)
        raise AssertionError(f"the program did not end within 10 seconds; it wrote {self.seen[-200:]!r}")

class AtATerminal(unittest.TestCase):
    def setUp(self):
        work = tempfile.TemporaryDirectory()
        self.addCleanup(work.cleanup)
        self.folder, self.state = work.name, os.path.join(work.name, "state")
        self.make("report.txt")

    def make(self, *names, content=""):
        """Makes each file in the folder (names and content as text or bytes); returns the last one's path."""
        for name in names:
            with open(path := os.path.join(os.fsencode(self.folder), os.fsencode(name)), "wb") as file:
                file.write(os.fsencode(content))
        return os.fsdecode(path)

    def start(self, **options):
        terminal = Terminal(self.folder, self.state, **options)
        terminal.expect(re.escape(text("prompt")))
        return terminal

    def test_editing_history_and_completion(self):
        terminal = self.start(environment=(("INSIDE_EMACS", "29.1,term:0.96"),))  # Emacs's M-x term: TERM not dumb
        self.assertIn('"first"', terminal.answer("do something with first"))
        self.assertIn('"first"', terminal.answer(UP))
        self.assertIn('"é"', terminal.answer("xdo something with é\x01\x04"))  # C locale; Ctrl-D at the start deletes
        terminal.type("")
        os.write(terminal.fd, b"do something with \xc3x\xe9\xa9y\r")  # bytes that start no character are dropped
        terminal.expect(b'"xy"[^\n]*\r\n' + re.escape(text("prompt")).encode())
        self.assertEqual(terminal.answer("rewrd" + LEFT * 2 + "a"), "")  # judged: nothing to say
        self.assertNotEqual(terminal.answer("do som\t"), text("unknown"))
        self.assertIn('"report.txt"', terminal.answer("do something with rep\t"))
        # Backspace, Ctrl-E to the end, and Ctrl-D deleting the character under the cursor.
        terminal.type("exi" + LEFT + "\x08" + "x" + "\x05" + "tt" + LEFT + "\x04\r")
        terminal.expect(re.escape(text("farewell").replace("\n", "\r\n")))  # as the terminal shows it
        self.assertEqual(terminal.status(), 0)

        history = os.path.join(self.state, "gorvandel", "history")
        self.assertEqual(stat.S_IMODE(os.stat(history).st_mode), 0o600)
        with open(history) as lines:
            self.assertEqual(lines.read().splitlines()[-2:], ["do something with report.txt", "exit"])

        terminal = self.start()
        self.assertIn('"report.txt"', terminal.answer(UP * 2))
        said = "gorvandel: the history is not kept in /dev/null: not a regular file\r\n"  # passed over, saying why
        Terminal(self.folder, self.state, history="/dev/null").expect(re.escape(said + text("prompt")))

    def test_function_and_modifier_keys_and_a_paste_type_nothing_of_their_own(self):
        def kill_by_ctrl_w(mode):
            mode[6][termios.VKILL] = b"\x17"
        terminal = self.start(environment=(("TERM", "vt100"),), change_mode=kill_by_ctrl_w)  # no Home in vt100's terminfo
        # Ctrl-W by the word all the same; Home as the Linux console, rxvt and xterm send it.
        line = "three four\x17" + "\x1b[1~two " + "\x1b[7~one " + "\x1bOHdo something with "
        self.assertIn('"one two three "', terminal.answer(line))
        self.assertIn('"new my file"', terminal.answer("do something with my file" + CTRL_LEFT * 2 + "new "))
        paste = "\x1b[200~four\x1b[201~"
        line = "do something with one two three" + CTRL_LEFT + CTRL_DELETE + NOTHING + CTRL_END + paste
        self.assertIn('"one four"', terminal.answer(line + ALT_LEFT + ALT_BACKSPACE))

    def test_completion_shows_names_safely_and_asks_before_a_long_listing(self):
        self.make("a\x1b[2J\x1b[31mRED", "ab", "a\u202etxt.exe", "line\nbreak")
        os.mkdir(many := os.path.join(self.folder, "many"))
        self.make(*(f"many/{number}" for number in range(100)))
        terminal = self.start()
        terminal.type("do something with a\t")
        self.assertNotIn(b"\x1b[2J", terminal.expect(r"a\?\[2J\?\[31mRED +ab +a\?txt\.exe").group(0))
        self.assertIn('"line"', terminal.answer("\x15do something with line\t"))  # the name with a newline is not offered
        terminal = self.start(cwd=many)
        terminal.type("do something with \t")
        self.assertNotIn(b"Display", terminal.expect(r"(.*) 99\r\n[^\n]*" + re.escape(text("prompt"))).group(1))
        self.assertIn('"x"', terminal.answer("x"))  # 100 names are listed without asking
        self.make("many/100")
        terminal.type("do something with \t", r"Display all 101 possibilities\? \(y or n\)")
        self.assertIn('"x"', terminal.answer("\x1b\x1b[Ax"))  # Esc Up, or rxvt's Alt-Up: no, and types nothing

    def test_completion_by_the_characters_of_a_locale_that_is_not_utf8(self):
        locales = os.path.join(self.folder, "locales")
        os.mkdir(locales)
        if os.system(f"localedef -i en_US -f ISO-8859-1 '{locales}/latin1' 2>/dev/null"):
            self.skipTest("localedef could not make a Latin-1 locale (Debian package locales)")
        self.make(b"a\xb0\xb0", b"a\xb0\xb1")  # a°° and a°±
        terminal = self.start(environment=(("LOCPATH", locales), ("LC_ALL", "latin1")))
        terminal.type("do something with a\t", b"\xb0")
        terminal.type("\t", b"a\xb0\xb0 +a\xb0\xb1\r\n")  # only the shared degree sign was inserted, so both are listed
        os.write(terminal.fd, b"\xb1\r")
        terminal.expect(b'"a\xb0\xb1"')

    def test_keys_typed_while_an_answer_is_written_wait_unechoed(self):
        history = self.make("long", content="do something with " + "x" * 20000 + "\n")
        terminal = self.start(history=history)
        terminal.type(UP)
        terminal.drain()
        os.write(terminal.fd, b"\r")
        time.sleep(0.3)  # the answer fills the terminal, and the program waits to write the rest
        self.assertFalse(termios.tcgetattr(terminal.fd)[3] & termios.ECHO)
        os.write(terminal.fd, UP.encode())
        time.sleep(0.1)
        os.kill(terminal.pid, signal.SIGTERM)  # ending it there leaves the terminal as it was
        terminal.drain()
        status = terminal.status()
        self.assertTrue(os.WIFSIGNALED(status) and os.WTERMSIG(status) == signal.SIGTERM)
        self.assertEqual(termios.tcgetattr(terminal.fd), terminal.mode)
        self.assertNotIn(b"^[[A", terminal.seen)

    def test_plain_lines_when_the_output_is_not_a_terminal_and_an_end_where_the_terminal_takes_no_answer(self):
        read, write = os.pipe()
        terminal = Terminal(self.folder, self.state, output=write)
        os.close(write)
        os.write(terminal.fd, b"exit\r")
        self.assertEqual(terminal.status(), 0)
        with os.fdopen(read, "rb") as output:
            self.assertEqual(output.read().decode(), text("prompt") + text("farewell") + "\n")
        terminal = Terminal(self.folder, self.state, output=os.open(os.ttyname(terminal.terminal), os.O_RDONLY))
        terminal.type("do something\r")  # its answer cannot be written: that ends it, with no line waited for
        terminal.expect(re.escape("gorvandel: cannot write to standard output: Bad file descriptor\r\n"))
        self.assertEqual(terminal.status(), 1 << 8)

    def test_plain_lines_where_the_terminal_shows_what_is_typed_itself_or_libedit_is_missing(self):
        def echo_off(mode):
            mode[3] &= ~termios.ECHO
        broken = os.path.join(self.folder, "lib")
        os.mkdir(broken)
        self.make("lib/libedit.so.2", content="not a library\n")
        dumb, missing = (("TERM", "dumb"),), rb"gorvandel: no line editing: [^\n]*libedit\.so\.2[^\n]*\r\n"
        # Emacs's shell buffer, a dumb terminal with its echo off, and a broken libedit.
        for environment, change_mode, said in (((*dumb, ("INSIDE_EMACS", "29.1,comint")), None, b""),
                                               (dumb, echo_off, b""), ((("LD_LIBRARY_PATH", broken),), None, missing)):
            terminal = Terminal(self.folder, self.state, environment=environment, change_mode=change_mode)
            self.assertRegex(terminal.expect("(.*)" + re.escape(text("prompt"))).group(1), b"^" + said + b"$")
            os.write(terminal.fd, f"do something with x{LEFT}\r".encode())
            shown = terminal.expect(r'(.*)"x\x1b\[D"').group(1)  # Left read as it came
            self.assertEqual(shown.count(b"do something with x"), 0 if change_mode else 1)  # the terminal's echo
            os.write(terminal.fd, b"exit\r")
            self.assertEqual(terminal.status(), 0)

    def test_a_signal_ends_gorvandel_alone_with_the_terminal_as_it_was_and_the_history_kept(self):
        history = os.path.join(self.folder, "history")
        script = 'sh -c \'echo $$; exec "$0"\' "$0"; echo "cleanup $?"'  # says the program's process id
        terminal = Terminal(self.folder, self.state, history=history, wrapper=("/bin/sh", "-c", script))
        program = int(terminal.expect(r"(\d+)\r\n").group(1))
        terminal.expect(re.escape(text("prompt")))
        terminal.answer("do something")
        os.kill(program, signal.SIGTERM)
        terminal.expect(f"cleanup {128 + signal.SIGTERM}")
        self.assertEqual(terminal.status(), 0)
        self.assertEqual(termios.tcgetattr(terminal.fd), terminal.mode)
        with open(history) as lines:
            self.assertEqual(lines.read(), "do something\n")

    def test_date_lines_show_before_the_next_prompt_ctrl_z_with_no_job_control_changes_nothing_and_ctrl_c_ends_it(self):
        terminal = self.start(arguments=("-s", "1"))  # a session of its own, as tmux's "exec gorvandel" has
        date = re.compile(r"[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9]\d \d\d:\d\d:\d\d \d{4}")
        self.assertTrue(any(date.fullmatch(terminal.answer("do something")) for _ in range(100)), "no date line in 100")
        terminal.type("do something with fi", "with fi")
        terminal.type("\x1a")
        time.sleep(0.2)  # taken while the program waits for a key, not with the next one
        self.assertIn('"first"', terminal.answer("rst"))
        terminal.type("do some\x03")  # with the terminal as it was
        status = terminal.status()
        self.assertTrue(os.WIFSIGNALED(status) and os.WTERMSIG(status) == signal.SIGINT)
        self.assertEqual(termios.tcgetattr(terminal.fd), terminal.mode)

    @unittest.skipUnless(os.path.exists("/bin/bash"), "needs bash, for job control")
    def test_ctrl_z_and_fg_give_the_terminal_back_a_new_window_size_is_followed_and_a_signal_ends_it_stopped(self):
        self.make("aaaa1", "aaaa2")
        mode = r"(?:^|\n)([0-9a-f]+(?::[0-9a-f]+){10,})\r\n"  # as stty -g gives it
        stopped = 'kill %1; while kill -0 %1; do sleep 0.01; done 2>&-; echo ended'
        script = f'set -m; stty -g; "$0"; stty -g; fg; echo again; "$0"; {stopped}'
        terminal = Terminal(self.folder, self.state, wrapper=("/bin/bash", "-c", script))
        before = terminal.expect(mode).group(1)
        terminal.type("do something with aaaa", "with aaaa")
        self.assertEqual(terminal.type("\x1a", mode).group(1), before)  # while it is stopped
        terminal.expect(re.escape(text("prompt")) + "do something with aaaa")  # drawn again at fg
        fcntl.ioctl(terminal.fd, termios.TIOCSWINSZ, struct.pack("4H", 24, 10, 0, 0))
        terminal.type("\t", r"\naaaa1 *\r\naaaa2 *\r\n")  # one name to a line in ten columns
        terminal.type("\x15exit\r", "again")
        terminal.type("do some", "do some")
        terminal.type("\x1a", "ended")  # stopped; kill gives the job SIGTERM, then SIGCONT
        self.assertEqual(terminal.status(), 0)

    def test_a_history_line_not_in_the_locales_characters_is_shown_safely_and_recalled_as_its_bytes(self):
        history = self.make("history", content=b"do something with good1\ndo something with caf\xe9\ndo something with good2\n")
        terminal = self.start(history=history)  # whose C locale is read as UTF-8
        self.assertIn('"good1"', terminal.answer(UP * 3))
        terminal.type(UP * 3, r"caf\?")  # past good1 again, and good2; drawn over good2
        terminal.type("\r", b'"caf\xe9"')
        terminal.type("do something with caf?\r", r'"caf\?"')  # typed, not recalled: as typed

    def test_ignored_ctrl_c_gives_a_fresh_prompt_and_keeps_the_line_as_typed(self):
        terminal = self.start(interrupt=signal.SIG_IGN)
        terminal.type("do something with a\x16\x0ac" + LEFT, r"a\^Mc")  # Ctrl-V Ctrl-J: a line end in the line, as ^M
        terminal.type("\x03", re.escape(text("prompt")) + r"do something with a\^Mc")
        os.kill(terminal.pid, signal.SIGINT)  # nor does one sent by kill: the terminal stays in the editor's mode
        time.sleep(0.2)
        self.assertFalse(termios.tcgetattr(terminal.fd)[3] & termios.ICANON)
        terminal.type("b\r")  # where the cursor was
        self.assertNotIn(text("unknown").encode(), terminal.expect(r'"a\rbc"(.*?)' + re.escape(text("prompt"))).group(1))
        terminal.type("exit\r")
        self.assertEqual(terminal.status(), 0)

if __name__ == "__main__":
    unittest.main()
