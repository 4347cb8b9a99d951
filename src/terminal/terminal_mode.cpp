#include "terminal_mode.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <initializer_list>
#include <string_view>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace gorvandel {

namespace {

struct termios terminalMode {};
volatile std::sig_atomic_t continued = 0;
volatile std::sig_atomic_t resized = 0;
// A pipe that a noted signal writes to, so that a wait for a key wakes up
// for it however late before the wait it came.
int wakeUp[2] = {-1, -1};

void wake()
{
    const int savedErrno = errno;
    if (wakeUp[1] >= 0 && ::write(wakeUp[1], "", 1) < 0) {
        // Full: a wake-up is waiting already.
    }
    errno = savedErrno;
}

// Every handler here calls only what is safe in a signal handler.

extern "C" void restoreModeAndEnd(int signal)
{
    // In the background (killed while stopped, say) the mode is the shell's,
    // and setting it would stop the program again.
    if (::tcgetpgrp(STDIN_FILENO) == ::getpgrp()) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &terminalMode);
    }
    // The signal raised again ends the program as it would have. Its action
    // is made the default here, and the signal let through, whatever the
    // handler was entered with: a handler still in place would be entered
    // again at once, for ever (seen after a hang-up of a stopped session).
    struct sigaction ending {};
    ending.sa_handler = SIG_DFL;
    sigemptyset(&ending.sa_mask);
    ::sigaction(signal, &ending, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signal);
}

extern "C" void stopInTerminalMode(int)
{
    const int savedErrno = errno;
    struct termios editing {};
    const bool editingKnown = ::tcgetattr(STDIN_FILENO, &editing) == 0;
    ::tcsetattr(STDIN_FILENO, TCSANOW, &terminalMode);
    // Stopped by the default action, taken while SIGTSTP is unblocked; a
    // stop the system discards (an orphaned process group) returns at once.
    struct sigaction stopping {}, handling {};
    stopping.sa_handler = SIG_DFL;
    sigemptyset(&stopping.sa_mask);
    ::sigaction(SIGTSTP, &stopping, &handling);
    ::raise(SIGTSTP);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTSTP);
    ::sigprocmask(SIG_UNBLOCK, &stop, nullptr);
    ::sigprocmask(SIG_BLOCK, &stop, nullptr);
    ::sigaction(SIGTSTP, &handling, nullptr);
    if (editingKnown) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &editing);
    }
    errno = savedErrno;
}

extern "C" void noteContinued(int)
{
    continued = 1;
    wake();
}

extern "C" void noteResized(int)
{
    resized = 1;
    wake();
}

void makeWakeUpPipe()
{
    if (::pipe(wakeUp) != 0) {
        wakeUp[0] = wakeUp[1] = -1;
        return;
    }
    for (const int end : wakeUp) {
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
        ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
    }
}

bool ignored(int signal)
{
    struct sigaction current {};
    return ::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

void handle(int signal, void (*handler)(int), int flags)
{
    if (ignored(signal)) {
        return;
    }
    struct sigaction handling {};
    handling.sa_handler = handler;
    handling.sa_flags = flags;
    sigemptyset(&handling.sa_mask);
    ::sigaction(signal, &handling, nullptr);
}

bool take(volatile std::sig_atomic_t& noted)
{
    const bool was = noted != 0;
    noted = 0;
    return was;
}

}  // namespace

bool terminalShowsEditing()
{
    const char* terminal = std::getenv("TERM");
    if (terminal == nullptr || std::string_view(terminal) != "dumb") {
        return true;
    }
    struct termios mode {};
    const bool echoOff = ::tcgetattr(STDIN_FILENO, &mode) == 0 && (mode.c_lflag & ECHO) == 0;
    return std::getenv("INSIDE_EMACS") == nullptr && !echoOff;
}

void handleTerminalSignals()
{
    if (::tcgetattr(STDIN_FILENO, &terminalMode) != 0) {
        return;
    }
    for (const int signal : {SIGINT, SIGQUIT, SIGTERM, SIGHUP}) {
        handle(signal, restoreModeAndEnd, static_cast<int>(SA_RESETHAND));
    }
    makeWakeUpPipe();
    handle(SIGTSTP, stopInTerminalMode, SA_RESTART);
    handle(SIGCONT, noteContinued, SA_RESTART);
    handle(SIGWINCH, noteResized, SA_RESTART);
}

int signalWakeUp()
{
    return wakeUp[0];
}

void takeWakeUps()
{
    char bytes[64];
    while (wakeUp[0] >= 0 && ::read(wakeUp[0], bytes, sizeof bytes) > 0) {
    }
}

bool takeContinued()
{
    return take(continued);
}

bool takeResized()
{
    return take(resized);
}

bool interruptIgnored()
{
    return ignored(SIGINT);
}

}  // namespace gorvandel
