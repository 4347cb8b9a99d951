#!/usr/bin/env python3
# The Windows build at a console (a pseudo-terminal around wine): typed text arrives as UTF-8, answers show
# whole there or in a file; Ctrl-C gives the memory a last try; Ctrl-Z then Enter ends the input.
# Usage: windows_console.py WINE PROGRAM
import fcntl, os, pty, re, signal, struct, subprocess, sys, tempfile, termios, time

wine, program = sys.argv[1:3]
os.chdir(tempfile.mkdtemp())
os.environ.update(LANG='C.UTF-8', LC_ALL='C.UTF-8', WINEDEBUG='-all')
TYPED, ANSWERED = 'do something with café 日本 Ωmega', '"café 日本 Ωmega"'


def fail(what):
    sys.exit(f'FAIL windows console: {what}: {seen!r}')


seen = b''
signal.signal(signal.SIGALRM, lambda *_: fail('no answer in time'))
signal.alarm(150)


def start(redirect=''):
    global child, fd, seen
    child, fd = pty.fork()
    if child == 0:
        fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack('HHHH', 50, 250, 0, 0))  # no line wraps
        os.execvp('sh', ['sh', '-c', f"exec '{wine}' '{program}' -m m {redirect}"])
    seen = b''
    while termios.tcgetattr(fd)[3] & termios.ICANON:  # typed before wine takes the terminal, a line is lost
        time.sleep(0.1)


def type(keys, answer):  # and waits for answer to come after them
    global seen
    mark = len(seen)
    os.write(fd, keys.encode())
    while answer.encode() not in re.sub(rb'\x1b\[[?0-9;]*[a-zA-Z]', b'', seen[mark:]):
        try:
            seen += os.read(fd, 4096)
        except OSError:  # the program ended
            fail(f'no {answer!r}')


def ends():
    return os.waitstatus_to_exitcode(os.waitpid(child, 0)[1])


def hold():  # cmd holds m for its redirection, its removal not shared, until more's input ends
    held = subprocess.Popen([wine, 'cmd', '/c', 'echo held& more >> m'], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    return held if held.stdout.readline().strip() == b'held' else fail('could not hold m')


start()
type(TYPED + '\r', ANSWERED)
type('reward\r', 'Gorvandel>')
held = hold()
type('do something\rreward\r', 'gorvandel: cannot save memory file m yet: another program has it open')
type('\x03', 'gorvandel: cannot save memory file m: another program has it open')
if ends() != 1:
    fail('status after Ctrl-C with the memory unsaved')
held.stdin.close(), held.wait()
before, held = open('m').read(), start('>out') or hold()
type(TYPED + '\rreward\rdo something\rreward\r', 'gorvandel: cannot save memory file m yet')
held.stdin.close(), held.wait()
os.write(fd, b'\x03')
if ends() == 1 or open('m').read() == before or ANSWERED.encode() not in open('out', 'rb').read():
    fail('Ctrl-C once the memory is free: answers in a file, or what was learned')
start()  # Ctrl-Z then Enter ends the input, once wine's terminal sends it as a key, not as SIGTSTP
termios.tcsetattr(fd, termios.TCSANOW, (lambda mode: mode[:3] + [mode[3] & ~termios.ISIG] + mode[4:])(termios.tcgetattr(fd)))
type('\x1a\r', 'Bye Gorvandel')
print('ok windows console' if ends() == 0 else fail('status after Ctrl-Z then Enter'))
