#pragma once

#include "operating_system.h"

#include <functional>
#include <istream>
#include <string>
#include <string_view>

namespace gorvandel {

constexpr std::string_view PROMPT = "Gorvandel> ";

// The command words, matched exactly; the argument follows the prefix.
constexpr std::string_view EXIT_COMMAND = "exit";
constexpr std::string_view REWARD_COMMAND = "reward";
constexpr std::string_view PUNISH_COMMAND = "punish";
constexpr std::string_view PLAIN_COMMAND = "do something";
constexpr std::string_view ARGUMENT_PREFIX = "do something with ";

enum class LoopEnd {
    Exit,        // the user typed "exit"
    EndOfInput,  // standard input ended without "exit"
    Failed       // reading, writing or keeping what was learned failed; reported on standard error
};

enum class ReadResult { Line, EndOfInput, Failed };

// Shows the prompt and reads one command line. A failure has been reported
// on standard error by the time it returns Failed.
using LineReader = std::function<ReadResult(std::string& line)>;

// Runs after every command; false stops the loop as failed, once the
// failure has been reported on standard error.
using AfterCommand = std::function<bool(const OperatingSystem& persona)>;

// Removes one carriage return at the end of a line whose newline is gone:
// input with Windows line ends means the same as without.
void removeCarriageReturn(std::string& line);

// The plain reader: the prompt on std::cout, flushed, then one line from
// input, without its newline and without one carriage return before that
// newline; a last line without a newline still counts. A read error is
// reported on standard error, with the system's reason when the stream
// throws for badbit. Running out of memory is not caught here.
ReadResult readPromptedLine(std::istream& input, std::string& line);

// Reads and runs commands until "exit", the end of input or a failure.
// Everything the program says is written to std::cout.
LoopEnd runCommandLoop(const LineReader& read, OperatingSystem& persona, const AfterCommand& afterCommand = {});

}  // namespace gorvandel
