#pragma once

// How the command loop gets its lines: the plain reader, the line editor at
// a terminal, or a test's script.

#include <functional>
#include <string>
#include <system_error>

namespace gorvandel {

enum class ReadResult {
    Line,
    EndOfInput,
    ReadFailed,   // standard input could not be read
    WriteFailed,  // the prompt, or what waited before it, could not be written
};

// What a read gave, with the system's reason for a failure where it has one.
struct LineRead {
    ReadResult result;
    std::error_code failure = {};
};

// Shows the prompt and reads one command line into line, without its line end.
using LineReader = std::function<LineRead(std::string& line)>;

}  // namespace gorvandel
