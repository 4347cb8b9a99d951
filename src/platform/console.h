#pragma once

// The console and the clock, as each system gives them: console_posix.cpp
// and console_windows.cpp each define all of it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace gorvandel {

// A Windows user's habits at the console: tools there show their help for
// "/?", and the console, which edits lines itself, ends the input at Ctrl-Z
// then Enter. False elsewhere, where "/?" is a name like any other.
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

// Prepares the process before anything is read or written: standard input
// is read as the bytes that were sent, and on POSIX no file opened later
// can take the place of a standard stream the program was started without.
StandardStreams prepareProcess();

// The program's arguments as UTF-8: on Windows argv holds them in the ANSI
// code page.
std::vector<std::string> commandLineArguments(int argc, char* argv[]);

// Reads at most size bytes of standard input into buffer, as they were sent:
// gives how many, 0 at the end of input, or -1 with the system's reason in
// error. A signal that interrupts the read does not end it. On Windows a
// console's lines are read as UTF-16 and given as UTF-8; Ctrl-Z then Enter
// at the start of a line ends the input there.
std::ptrdiff_t readStandardInput(char* buffer, std::size_t size, std::error_code& error);

// Writes all of first, then all of second, to standard output, or gives the
// system's reason why it could not. On Windows a console is written as the
// UTF-16 it shows, anything else in the runtime's text mode (LF as CR LF).
std::error_code writeStandardOutput(std::string_view first, std::string_view second = {});

// Writes text to standard error: at a Windows console as the UTF-16 it shows.
void writeToStandardError(std::string_view text);

// One character of text the program shows, read as the system reads that
// text: on POSIX by the user's locale; on Windows as UTF-8.
struct ShownCharacter {
    std::size_t length = 1;   // its bytes; 1 for a byte that starts no character
    bool valid = false;       // false for such a byte
    char32_t code = 0;        // the character, when valid
    std::size_t columns = 1;  // on a terminal; 1 where the system cannot tell
};
ShownCharacter readShownCharacter(std::string_view text);

// What the program does when the console stops it (Ctrl-C, Ctrl-Break, its
// window closing), on Windows: run on a thread of the console's, at a
// moment when the program waits for input, never in the middle of a command
// or a save; it gives the status to end with, or nothing to end as the
// system would have. An empty one, at the end of a session, makes a stop
// wait for the program's own end. On POSIX the terminal's signals end the
// program as they always did, and this does nothing.
using LastWord = std::function<std::optional<int>()>;
void onConsoleStop(LastWord lastWord);

// True when both standard input and standard output are terminals.
bool talkingToTerminal();

// Whether what goes to standard output is read as UTF-8.
bool outputTakesUtf8();

// Whether standard output is a terminal that shows ANSI colours: never on
// Windows, whose console does so only in a mode its shell owns.
bool outputShowsColour();

// The columns of the terminal standard output shows; 0 where none.
std::size_t terminalColumns();

}  // namespace gorvandel
