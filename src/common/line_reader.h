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
    WriteFailed,  // the prompt could not be written
};

// Shows the prompt and reads one command line, without its line end. For
// ReadFailed, error holds the system's reason when there is one; for
// WriteFailed, outputError() does (standard_output.h).
using LineReader = std::function<ReadResult(std::string& line, std::error_code& error)>;

}  // namespace gorvandel
