#pragma once

// How the program says what failed, and what a person should know though
// it goes on: every step gives back an Outcome (outcome.h), and only the
// entry hands it to reportOutcome, which writes it on standard error.

#include "outcome.h"

#include <string_view>
#include <system_error>

namespace gorvandel {

// Exit statuses: 0 after "exit" or the end of input; 1 when reading,
// writing or keeping what was learned fails while the program runs; 2 when
// the command line or the memory file forbids a start.
constexpr int EXIT_STATUS_FAILURE = 1;
constexpr int EXIT_STATUS_USAGE = 2;

// What writing standard output came to: nothing for no reason (flushOutput
// gives none while it works), else "cannot write to standard output: REASON".
Outcome outputFailure(const std::error_code& reason);

// "cannot read standard input", with the system's reason where there is one.
Outcome inputFailure(const std::error_code& reason);

// Writes the outcome's notices, then its failure, each as one line
// "gorvandel: WHAT" (see reportFailure).
void reportOutcome(const Outcome& outcome);

// A command line the program cannot take: the problem as reportFailure
// writes it, then a line that says where to learn the usage.
void reportUsageFailure(std::string_view problem);

// Writes "gorvandel: WHAT" as one line on standard error, WHAT shown
// safely (shown_text.h): a file name may hold a line end, an escape sequence
// or a mark that turns the line around. What waits for standard output goes
// first, so that the two keep their order where they meet (a terminal, or
// one file for both). Allocates nothing for a short message in printable
// ASCII, so it also serves when memory has run out.
void reportFailure(std::string_view what);

}  // namespace gorvandel
