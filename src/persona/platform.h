#pragma once

// The few services that differ between Windows and other systems: a
// millisecond tick counter for the random seed, the runtime's calendar time
// with its one-line text form, and how standard input and output are set up.
// platform_windows.cpp and platform_posix.cpp each provide all of them.

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

// Standard input and output as the program was started with them.
struct StandardStreams {
    bool inputOpen = true;
    bool outputOpen = true;
};

// Prepares standard input and output before anything is read or written:
// input is read as the bytes that were sent (no line-end translation), and
// a standard stream the program was started without is put on the null
// device, so that no file opened later can take its place.
StandardStreams prepareStandardStreams();

}  // namespace gorvandel
