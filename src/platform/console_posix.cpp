#include "console.h"

#include <cerrno>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string_view>

#include <fcntl.h>
#include <langinfo.h>
#include <unistd.h>

namespace gorvandel {

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
    if (text == nullptr) {
        return std::nullopt;
    }
    return std::string(text);
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
    for (;;) {
        const ssize_t count = ::read(STDIN_FILENO, buffer, size);
        if (count >= 0 || errno != EINTR) {
            if (count < 0) {
                error = std::error_code(errno, std::generic_category());
            }
            return count;
        }
    }
}

std::error_code writeStandardOutput(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
        } else if (written == 0) {
            // No error and no progress: no reason from the system, and no use in trying again.
            return std::make_error_code(std::errc::io_error);
        } else if (errno != EINTR) {
            return {errno, std::generic_category()};
        }
    }
    return {};
}

void writeToStandardError(std::string_view text)
{
    // Standard error is unbuffered: one call, one write.
    std::fwrite(text.data(), 1, text.size(), stderr);
}

bool talkingToTerminal()
{
    return isatty(STDIN_FILENO) == 1 && isatty(STDOUT_FILENO) == 1;
}

bool outputTakesUtf8()
{
    return std::setlocale(LC_CTYPE, "") != nullptr && std::string_view(nl_langinfo(CODESET)) == "UTF-8";
}

bool outputShowsColour()
{
    const char* terminal = std::getenv("TERM");
    return isatty(STDOUT_FILENO) == 1 && terminal != nullptr && std::string_view(terminal) != "dumb";
}

}  // namespace gorvandel
