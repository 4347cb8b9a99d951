#pragma once

#include "operating_system.h"

#include <istream>
#include <string>

namespace gorvandel {

enum class LoopEnd {
    Exit,        // the user typed "exit"
    EndOfInput,  // standard input ended without "exit"
    ReadFailed,  // reading failed for another reason than end of input
    WriteFailed  // standard output could not be written
};

// Reads one line into command, without its newline and without one carriage
// return before that newline. A last line without a newline still counts.
// False when nothing could be read.
bool readCommand(std::istream& input, std::string& command);

// Carries out one command line; true when it was "exit". The line is
// consumed: an argument is handed on without another copy.
bool runCommand(std::string&& command, OperatingSystem& persona);

// Prompts, reads and runs commands until "exit", the end of input or a
// failure. Everything is written to std::cout.
LoopEnd runCommandLoop(std::istream& input, OperatingSystem& persona);

}  // namespace gorvandel
