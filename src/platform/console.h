#pragma once

// The console and the clock, as each system gives them (console_posix.cpp,
// console_windows.cpp; console_web.cpp defines what the page uses).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace gorvandel {

// Windows habits: "/?" asks for help, and Ctrl-Z then Enter ends the input.
extern const bool WINDOWS_CONSOLE_HABITS;

// Milliseconds since some fixed point, for a seed.
std::uint32_t millisecondTicks();

std::int64_t currentCalendarTime();

// The runtime's one-line text for a calendar time in local time, newline
// included ("Sun Dec  6 19:26:12 2026\n"); nothing for a time it cannot show.
std::optional<std::string> calendarTimeText(std::int64_t seconds);

struct StandardStreams {
    bool inputOpen = true;
    bool outputOpen = true;
};

// Run first: standard input is read as the bytes sent, and on POSIX no file
// opened later takes the place of a standard stream the program lacked.
StandardStreams prepareProcess();

// The arguments as UTF-8 (on Windows argv holds the ANSI code page's).
std::vector<std::string> commandLineArguments(int argc, char* argv[]);

// Reads up to size bytes of standard input: how many, 0 at its end, or -1
// with the reason in error; a signal does not end it. A Windows console's
// lines are read as UTF-16 and given as UTF-8, Ctrl-Z at a line's start ending it.
std::ptrdiff_t readStandardInput(char* buffer, std::size_t size, std::error_code& error);

// Writes all of first, then second, to standard output. A Windows console
// gets UTF-16, anything else there the runtime's text mode (LF as CR LF).
std::error_code writeStandardOutput(std::string_view first, std::string_view second = {});

// Writes text to standard error: at a Windows console as the UTF-16 it shows.
void writeToStandardError(std::string_view text);

// One character of shown text, read as the system shows it: by the user's
// locale on POSIX, as UTF-8 on Windows.
struct ShownCharacter {
    std::size_t length = 1;   // its bytes; 1 for a byte that starts no character
    bool valid = false;       // false for such a byte
    char32_t code = 0;        // the character, when valid
    std::size_t columns = 1;  // on a terminal; 1 where the system cannot tell
};
ShownCharacter readShownCharacter(std::string_view text);

// On Windows, what a console stop (Ctrl-C, Ctrl-Break, its window closed)
// does: run on the console's thread only while the program waits for input,
// never inside a command or a save; it gives the status to end with, or
// nothing to end as the system would. An empty one makes a stop wait for the
// program's own end. On POSIX the terminal's signals act as they always did.
using LastWord = std::function<std::optional<int>()>;
void onConsoleStop(LastWord lastWord);

// True when both standard input and standard output are terminals.
bool talkingToTerminal();

// Whether what goes to standard output is read as UTF-8.
bool outputTakesUtf8();

// Whether standard output shows ANSI colours: never on Windows, whose
// console does so only in a mode its shell owns.
bool outputShowsColour();

// The columns of the terminal standard output shows; 0 where none.
std::size_t terminalColumns();

}  // namespace gorvandel
