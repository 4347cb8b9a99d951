#pragma once

#include <string_view>

namespace gorvandel {

// Exit statuses: 0 after "exit" or the end of input; 1 when reading,
// writing or keeping what was learned fails while the program runs; 2 when
// the command line or the memory file forbids a start.
constexpr int EXIT_STATUS_FAILURE = 1;
constexpr int EXIT_STATUS_USAGE = 2;

// Writes "gorvandel: WHAT" as one line on standard error, control
// characters shown as '?'. Allocates nothing unless there are some, so it
// also serves when memory has run out.
void reportFailure(std::string_view what);

// Reports that standard output could not be written, with the system's
// reason when errno holds one: callers clear errno before they write.
void reportOutputFailure();

}  // namespace gorvandel
