#include "platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <ctime>

#include <fcntl.h>
#include <io.h>

namespace gorvandel {

std::uint32_t millisecondTicks()
{
    return static_cast<std::uint32_t>(GetTickCount());
}

std::int64_t currentCalendarTime()
{
    return _time64(nullptr);
}

std::optional<std::string> calendarTimeText(std::int64_t seconds)
{
    // _ctime64's text, built the way Microsoft's runtime wants it: _ctime64
    // itself is deprecated there, and Wine's _ctime64_s crashes on a time it
    // cannot represent instead of failing.
    const __time64_t time = seconds;
    std::tm local{};
    char text[26];  // 24 characters, a newline and the terminator
    if (_localtime64_s(&local, &time) != 0 || asctime_s(text, sizeof text, &local) != 0) {
        return std::nullopt;
    }
    return std::string(text);
}

namespace {

bool isUsable(HANDLE handle)
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

}  // namespace

StandardStreams prepareStandardStreams()
{
    const bool inputOpen = isUsable(GetStdHandle(STD_INPUT_HANDLE));
    // In text mode the runtime would turn CR LF into LF before the command
    // loop sees the line, and the loop would then remove a carriage return
    // the user really typed. Output stays in text mode: LF becomes CR LF, as
    // every Windows console program writes it.
    if (inputOpen) {
        _setmode(_fileno(stdin), _O_BINARY);
    }
    return {inputOpen, isUsable(GetStdHandle(STD_OUTPUT_HANDLE))};
}

}  // namespace gorvandel
