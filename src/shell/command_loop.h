#pragma once

#include "line_reader.h"
#include "outcome.h"
#include "operating_system.h"

#include <functional>
#include <string>
#include <system_error>

namespace gorvandel {

// Carries out one command line, as typed at the prompt, and says whether
// the session goes on: false after "exit". The line is consumed: an
// argument is handed on without another copy. What it says goes to standard
// output (standard_output.h), each answer line flushed as it ends.
bool runCommandLine(std::string&& line, OperatingSystem& persona);

// Runs after every command; a failure ends the loop with it.
using AfterCommand = std::function<Outcome(const OperatingSystem& persona)>;

// Reads and runs commands until "exit", the end of input or a failure,
// which it gives back. Everything the program says goes to standard output
// (standard_output.h), each answer line flushed as it ends.
Outcome runCommandLoop(const LineReader& read, OperatingSystem& persona, const AfterCommand& afterCommand = {});

}  // namespace gorvandel
