#pragma once

#include "outcome.h"

#include <string>
#include <string_view>
#include <system_error>

namespace gorvandel {

// Exit statuses: 0 after "exit" or the end of input; 1 when reading,
// writing or keeping what was learned fails while the program runs; 2 when
// the command line or the memory file forbids a start.
constexpr int EXIT_STATUS_FAILURE = 1;
constexpr int EXIT_STATUS_USAGE = 2;

// "cannot write to standard output", with the system's reason.
Outcome outputFailure(const std::error_code& reason);

// Writes "gorvandel: WHAT" as one line on standard error, WHAT shown
// safely (shown_text.h): a file name may hold a line end, an escape sequence
// or a mark that turns the line around. What waits for standard output goes
// first, so that the two keep their order where they meet (a terminal, or
// one file for both). Allocates nothing for a short message in printable
// ASCII, so it also serves when memory has run out.
void reportFailure(std::string_view what);

}  // namespace gorvandel
