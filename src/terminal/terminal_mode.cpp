#include "terminal_mode.h"

#include <csignal>
#include <cstdlib>
#include <initializer_list>
#include <string_view>

#include <termios.h>
#include <unistd.h>

namespace gorvandel {

namespace {

struct termios terminalMode {};

extern "C" void restoreModeAndEnd(int signal)
{
    // Both calls are safe in a signal handler; the handler was reset on
    // entry, so the signal then ends the program as it would have.
    ::tcsetattr(STDIN_FILENO, TCSANOW, &terminalMode);
    ::raise(signal);
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

void restoreTerminalModeOnSignals()
{
    if (::tcgetattr(STDIN_FILENO, &terminalMode) != 0) {
        return;
    }
    for (const int signal : {SIGINT, SIGQUIT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) {
            continue;
        }
        struct sigaction restoring {};
        restoring.sa_handler = restoreModeAndEnd;
        restoring.sa_flags = static_cast<int>(SA_RESETHAND);
        sigemptyset(&restoring.sa_mask);
        ::sigaction(signal, &restoring, nullptr);
    }
}

bool keepIgnoredSignalsIgnored()
{
    sigset_t ignored;
    sigemptyset(&ignored);
    for (const int signal : {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGTSTP}) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
            sigaddset(&ignored, signal);
        }
    }
    // Blocked as well as ignored, such a signal never reaches the handler
    // libedit puts in place while it reads.
    ::sigprocmask(SIG_BLOCK, &ignored, nullptr);
    return sigismember(&ignored, SIGINT) == 1;
}

}  // namespace gorvandel
