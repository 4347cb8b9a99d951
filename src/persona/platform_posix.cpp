#include "platform.h"

#include <cerrno>
#include <chrono>
#include <ctime>
#include <limits>

#include <fcntl.h>
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

StandardStreams prepareStandardStreams()
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
    return {open[0], open[1]};
}

}  // namespace gorvandel
