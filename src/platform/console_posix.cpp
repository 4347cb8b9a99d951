#include "console.h"
#include "locale_characters.h"
#include "posix_files.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string_view>

#include <fcntl.h>
#include <langinfo.h>
#include <sys/ioctl.h>
#include <sys/uio.h>
#include <unistd.h>

namespace gorvandel {

std::error_code writeAll(int fd, std::string_view first, std::string_view second)
{
    // Both pieces in one call, so that a reader sees them arrive together.
    while (!first.empty() || !second.empty()) {
        struct iovec pieces[] = {{const_cast<char*>(first.data()), first.size()},
                                 {const_cast<char*>(second.data()), second.size()}};
        const ssize_t written = ::writev(fd, pieces, 2);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        // No error and no progress: no reason from the system, and no use in trying again.
        if (written <= 0) {
            return written == 0 ? std::make_error_code(std::errc::io_error) : lastError();
        }
        const auto taken = static_cast<std::size_t>(written);
        second.remove_prefix(taken > first.size() ? taken - first.size() : 0);
        first.remove_prefix(std::min(taken, first.size()));
    }
    return {};
}

const bool WINDOWS_CONSOLE_HABITS = false;

std::uint32_t millisecondTicks()
{
    // On Linux the steady clock counts from boot, like the Windows tick counter.
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

std::int64_t currentCalendarTime()
{
    return std::time(nullptr);
}

std::optional<std::string> calendarTimeText(std::int64_t seconds)
{
    if (seconds < std::numeric_limits<std::time_t>::min() || seconds > std::numeric_limits<std::time_t>::max()) {
        return std::nullopt;
    }
    const std::time_t time = seconds;  // in range, as checked
    const char* text = std::ctime(&time);
    return text != nullptr ? std::optional<std::string>(text) : std::nullopt;
}

StandardStreams prepareProcess()
{
    // open() takes the lowest free descriptor, so filling the gaps in order
    // puts each missing stream on the null device.
    bool open[3] = {true, true, true};
    for (int fd = 0; fd < 3; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            open[fd] = false;
            ::open("/dev/null", O_RDWR);
        }
    }
    // Past a file size limit a write then fails with EFBIG, and a save says
    // so and leaves the old file, where the signal would kill the program
    // halfway through.
    std::signal(SIGXFSZ, SIG_IGN);
    return {open[0], open[1]};
}

std::vector<std::string> commandLineArguments(int argc, char* argv[])
{
    return {argv, argv + argc};
}

std::ptrdiff_t readStandardInput(char* buffer, std::size_t size, std::error_code& error)
{
    ssize_t count = -1;
    while ((count = ::read(STDIN_FILENO, buffer, size)) < 0 && errno == EINTR) {
    }
    error = count < 0 ? lastError() : error;
    return count;
}

std::error_code writeStandardOutput(std::string_view first, std::string_view second)
{
    return writeAll(STDOUT_FILENO, first, second);
}

void writeToStandardError(std::string_view text)
{
    // Standard error is unbuffered: one call, one write.
    std::fwrite(text.data(), 1, text.size(), stderr);
}

ShownCharacter readShownCharacter(std::string_view text)
{
    // The user's character set, taken up when text is first shown, not at every start.
    takeUpCharacters("");
    return readLocaleCharacter(text);
}

void onConsoleStop(LastWord)
{
    // The terminal's signals end the program as they always did.
}

bool talkingToTerminal()
{
    return isatty(STDIN_FILENO) == 1 && isatty(STDOUT_FILENO) == 1;
}

bool outputTakesUtf8()
{
    takeUpCharacters("");
    return std::string_view(nl_langinfo(CODESET)) == "UTF-8";
}

bool outputShowsColour()
{
    const char* terminal = std::getenv("TERM");
    return isatty(STDOUT_FILENO) == 1 && terminal != nullptr && std::string_view(terminal) != "dumb";
}

std::size_t terminalColumns()
{
    struct winsize size {};
    return ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

}  // namespace gorvandel
