#!/usr/bin/env python3
"""The Windows build at a console under wine (a pseudo-terminal around it):
text typed there reaches the program as UTF-8 and its answers show whole, at
the console or in a file; Ctrl-C gives the memory a last try, and says so
when it is still unsaved. Usage: windows_console.py WINE PROGRAM HOLDER"""
import fcntl, os, pty, re, select, struct, subprocess, sys, tempfile, termios, time

wine, program, holder = sys.argv[1:4]
os.chdir(tempfile.mkdtemp())
os.environ.update(LANG='C.UTF-8', LC_ALL='C.UTF-8', WINEDEBUG='-all')
TYPED = 'café 日本 Ωmega'


def fail(what, seen=b''):
    sys.exit(f'FAIL windows console: {what}: {seen!r}')


class Console:
    def __init__(self, command):
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack('HHHH', 50, 250, 0, 0))  # no line wraps
            os.execvp('sh', ['sh', '-c', command])
        self.seen = b''

    def expect(self, text, seconds=30):
        deadline = time.monotonic() + seconds
        while text.encode() not in re.sub(rb'\x1b\[[?0-9;]*[a-zA-Z]', b'', self.seen):
            if time.monotonic() > deadline:
                fail(f'no {text!r}', self.seen)
            if select.select([self.fd], [], [], 0.2)[0]:
                try:
                    self.seen += os.read(self.fd, 4096)
                except OSError:
                    fail(f'ended before {text!r}', self.seen)

    def ready(self, prompt='Gorvandel>'):
        """Waits for the prompt and for wine to take the terminal out of line mode."""
        self.expect(prompt)
        deadline = time.monotonic() + 30
        while termios.tcgetattr(self.fd)[3] & termios.ICANON:
            if time.monotonic() > deadline:
                fail('the terminal stayed in line mode', self.seen)
            time.sleep(0.1)

    def type(self, line, answer):
        os.write(self.fd, line.encode() + b'\r')
        self.expect(answer)

    def status(self):
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline:
            pid, status = os.waitpid(self.pid, os.WNOHANG)
            if pid:
                return os.waitstatus_to_exitcode(status)
            time.sleep(0.1)
        fail('never ended', self.seen)


def hold(name):
    held = subprocess.Popen([wine, holder, name], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    if held.stdout.readline().strip() != b'held':
        fail(f'could not hold {name}')
    return held


# Typed and answered at the console; then Ctrl-C while another program holds the memory.
console = Console(f"exec '{wine}' '{program}' -m m")
console.ready()
console.type(f'do something with {TYPED}', f'"{TYPED}"')
console.type('reward', 'Gorvandel>')
held = hold('m')
console.type('do something', 'Gorvandel>')
console.type('reward', 'gorvandel: cannot save memory file m yet: another program has it open')
os.write(console.fd, b'\x03')
console.expect('gorvandel: cannot save memory file m: another program has it open')
if console.status() != 1:
    fail('status after Ctrl-C with the memory unsaved', console.seen)
held.stdin.close()
held.wait()

# Typed at the console, answered into a file as UTF-8; Ctrl-C once the memory is free saves it.
def learned():
    with open('m') as memory:
        return sum(int(word) for line in memory.read().split('\n')[1:3] for word in line.split()[1:])


before = learned()
console = Console(f"exec '{wine}' '{program}' -m m >out")
console.ready('')
held = hold('m')
for line in (f'do something with {TYPED}', 'reward', 'do something', 'reward'):
    os.write(console.fd, line.encode() + b'\r')
console.expect('gorvandel: cannot save memory file m yet')
held.stdin.close()
held.wait()
os.write(console.fd, b'\x03')
if console.status() == 1 or b'cannot save memory file m:' in console.seen:
    fail('Ctrl-C with the memory free', console.seen)
with open('out', 'rb') as out:
    if f'"{TYPED}"'.encode() not in out.read() or learned() != before + 2:
        fail('answers in a file, or what was learned', open('out', 'rb').read() + open('m', 'rb').read())
print('ok windows console')
