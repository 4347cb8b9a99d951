#!/usr/bin/env python3
# The Windows build at a console (a pseudo-terminal around wine): typed text arrives as UTF-8, answers show whole
# there or in a file; Ctrl-C gives the memory a last try. Usage: windows_console.py WINE PROGRAM HOLD_OPEN
import fcntl, os, pty, re, select, struct, subprocess, sys, tempfile, termios, time

wine, program, holder = sys.argv[1:4]
os.chdir(tempfile.mkdtemp())
os.environ.update(LANG='C.UTF-8', LC_ALL='C.UTF-8', WINEDEBUG='-all')
TYPED = 'do something with café 日本 Ωmega'


def fail(what, seen=b''):
    sys.exit(f'FAIL windows console: {what}: {seen!r}')


def start(redirect=''):
    global child, fd, seen
    child, fd = pty.fork()
    if child == 0:
        fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack('HHHH', 50, 250, 0, 0))  # no line wraps
        os.execvp('sh', ['sh', '-c', f"exec '{wine}' '{program}' -m m {redirect}"])
    seen, deadline = b'', time.monotonic() + 30
    while termios.tcgetattr(fd)[3] & termios.ICANON:  # typed before wine takes the terminal, a line is lost
        time.sleep(0.1) if time.monotonic() < deadline else fail('wine kept the terminal in line mode')


def type(*lines, answer):
    """Types lines, and waits for answer to come after them."""
    global seen
    mark, deadline = len(seen), time.monotonic() + 30
    os.write(fd, ''.join(line + '\r' for line in lines).encode())
    while answer.encode() not in re.sub(rb'\x1b\[[?0-9;]*[a-zA-Z]', b'', seen[mark:]):
        if time.monotonic() > deadline:
            fail(f'no {answer!r}', seen)
        if select.select([fd], [], [], 0.2)[0]:
            seen += os.read(fd, 4096)


def status():
    for _ in range(300):
        if (ended := os.waitpid(child, os.WNOHANG))[0]:
            return os.waitstatus_to_exitcode(ended[1])
        time.sleep(0.1)
    fail('never ended', seen)


def hold():
    held = subprocess.Popen([wine, holder, 'm'], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    return held if held.stdout.readline().strip() == b'held' else fail('could not hold m')


start()
type(TYPED, answer=f'"{TYPED[18:]}"')
type('reward', answer='Gorvandel>')
held = hold()
type('do something', 'reward', answer='gorvandel: cannot save memory file m yet: another program has it open')
os.write(fd, b'\x03')
type(answer='gorvandel: cannot save memory file m: another program has it open')
if status() != 1:
    fail('status after Ctrl-C with the memory unsaved', seen)
held.stdin.close(), held.wait()
before = open('m').read()
start('>out')
held = hold()
type(TYPED, 'reward', 'do something', 'reward', answer='gorvandel: cannot save memory file m yet')
held.stdin.close(), held.wait()
os.write(fd, b'\x03')
if status() == 1 or open('m').read() == before or f'"{TYPED[18:]}"'.encode() not in open('out', 'rb').read():
    fail('Ctrl-C once the memory is free: answers in a file, or what was learned', seen + open('m', 'rb').read())
print('ok windows console')
