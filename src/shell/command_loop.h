#pragma once

#include "failure.h"
#include "operating_system.h"

#include <functional>
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
// WriteFailed, outputError() does (standard_output.h).
using LineReader = std::function<ReadResult(std::string& line, std::error_code& error)>;

// Runs after every command; a failure ends the loop with it.
using AfterCommand = std::function<Outcome(const OperatingSystem& persona)>;

// Reads and runs commands until "exit", the end of input or a failure,
// which it gives back. Everything the program says goes to standard output
// (standard_output.h), each answer line flushed as it ends.
Outcome runCommandLoop(const LineReader& read, OperatingSystem& persona, const AfterCommand& afterCommand = {});

}  // namespace gorvandel
