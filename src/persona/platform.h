#pragma once

// The few services that differ between Windows and other systems: a
// millisecond tick counter for the random seed and the runtime's calendar
// time with its one-line text form. Everything else is standard C++.

#include <cstdint>
#include <optional>
#include <string>

namespace gorvandel {

// Milliseconds since some fixed point (system start where the platform
// knows it); wraps around, which does not matter for a seed.
std::uint32_t millisecondTicks();

// Seconds since the epoch as the runtime counts them.
std::int64_t currentCalendarTime();

// The runtime's fixed one-line text for a calendar time in local time,
// newline included ("Sun Dec  6 19:26:12 2026\n"), or nothing when the
// runtime cannot represent that time.
std::optional<std::string> calendarTimeText(std::int64_t seconds);

}  // namespace gorvandel
