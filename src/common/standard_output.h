#pragma once

// Everything the program says goes through one buffer for standard output,
// which leaves in one write at each flush. Every answer line ends with a
// flush, so that a reader at the other end of a pipe has it before the
// program waits or saves; the date line carries its own newline and waits
// for the next flush, which the prompt after it makes.

#include <functional>
#include <string_view>
#include <system_error>

namespace gorvandel {

// Adds text to what waits for the next flush. A text of 1 KiB or more (an
// argument line) leaves at once with what waited, in one write where the
// system has one, so that a long line is never copied whole.
void writeOutput(std::string_view text);

// Text, a newline, then a flush: how every answer line ends. Gives what
// the flush gives.
std::error_code writeOutputLine(std::string_view text);

// Sends what waits; gives why standard output failed, now or before, and
// nothing while it works. A failure stays, and what is written after it is
// dropped, so that every later flush gives the first reason.
std::error_code flushOutput();

// Where flushed output goes in place of standard output: for tests and
// fuzzers (an empty function puts standard output back). Starts afresh:
// what waited is dropped and an earlier failure forgotten.
using OutputDestination = std::function<std::error_code(std::string_view bytes)>;
void sendOutputTo(OutputDestination destination);

// What waits for the next flush.
std::string_view outputWaiting();

}  // namespace gorvandel
