#pragma once

#include "failure.h"
#include "operating_system.h"

#include <functional>
#include <istream>
#include <string>
#include <system_error>

namespace gorvandel {

enum class ReadResult {
    Line,
    EndOfInput,
    ReadFailed,   // standard input could not be read
    WriteFailed,  // the prompt could not be written
};

// Shows the prompt and reads one command line, without its line end. For
// ReadFailed, error holds the system's reason when there is one; for
// WriteFailed, errno does.
using LineReader = std::function<ReadResult(std::string& line, std::error_code& error)>;

// Runs after every command; a failure ends the loop with it.
using AfterCommand = std::function<Outcome(const OperatingSystem& persona)>;

// The plain reader: the prompt on std::cout, flushed, then one line from
// input, without its newline and without one carriage return before that
// newline; a last line without a newline still counts. Running out of
// memory is not caught here.
ReadResult readPromptedLine(std::istream& input, std::string& line, std::error_code& error);

// Reads and runs commands until "exit", the end of input or a failure,
// which it gives back. Everything the program says is written to std::cout.
Outcome runCommandLoop(const LineReader& read, OperatingSystem& persona, const AfterCommand& afterCommand = {});

}  // namespace gorvandel
