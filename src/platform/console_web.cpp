#include "console.h"
#include "locale_characters.h"

#include "page.h"

#include <ctime>

namespace gorvandel {

// Of console.h, what the persona, the command loop and completion use: the
// page gives the seed, and reads no standard input.

std::int64_t currentCalendarTime()
{
    return std::time(nullptr);
}

std::optional<std::string> calendarTimeText(std::int64_t seconds)
{
    const std::time_t local = seconds + std::int64_t{pageLocalOffset(static_cast<double>(seconds))} * 60;
    std::tm parts{};
    if (gmtime_r(&local, &parts) == nullptr || parts.tm_year > 9999 - 1900) {
        return std::nullopt;
    }
    // The C runtime's ctime form, which asctime writes.
    return std::string(std::asctime(&parts));
}

std::error_code writeStandardOutput(std::string_view first, std::string_view second)
{
    pageWriteOutput(first.data(), first.size(), 0);
    if (!second.empty()) {
        pageWriteOutput(second.data(), second.size(), 0);
    }
    return {};
}

void writeToStandardError(std::string_view text)
{
    pageWriteOutput(text.data(), text.size(), 1);
}

ShownCharacter readShownCharacter(std::string_view text)
{
    takeUpCharacters("C.UTF-8");  // the page shows UTF-8; "C" reads ASCII only
    return readLocaleCharacter(text);
}

bool outputTakesUtf8()
{
    return true;
}

bool outputShowsColour()
{
    return false;
}

}  // namespace gorvandel
