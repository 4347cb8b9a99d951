#include "platform.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <ctime>
#else
#include <chrono>
#include <ctime>
#include <limits>
#endif

namespace gorvandel {

#ifdef _WIN32

std::uint32_t millisecondTicks()
{
    return static_cast<std::uint32_t>(GetTickCount());
}

std::int64_t currentCalendarTime()
{
    return static_cast<std::int64_t>(_time64(nullptr));
}

std::optional<std::string> calendarTimeText(std::int64_t seconds)
{
    const __time64_t time = seconds;
    const char* text = _ctime64(&time);
    if (text == nullptr) {
        return std::nullopt;
    }
    return std::string(text);
}

#else

std::uint32_t millisecondTicks()
{
    // On Linux the steady clock counts from boot, like the Windows tick counter.
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

std::int64_t currentCalendarTime()
{
    return static_cast<std::int64_t>(std::time(nullptr));
}

std::optional<std::string> calendarTimeText(std::int64_t seconds)
{
    if (seconds < std::numeric_limits<std::time_t>::min() || seconds > std::numeric_limits<std::time_t>::max()) {
        return std::nullopt;
    }
    const std::time_t time = static_cast<std::time_t>(seconds);
    const char* text = std::ctime(&time);
    if (text == nullptr) {
        return std::nullopt;
    }
    return std::string(text);
}

#endif

}  // namespace gorvandel
