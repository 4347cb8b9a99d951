#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace gorvandel {

// Exit statuses: 0 after "exit" or the end of input; 1 when reading,
// writing or keeping what was learned fails while the program runs; 2 when
// the command line or the memory file forbids a start.
constexpr int EXIT_STATUS_FAILURE = 1;
constexpr int EXIT_STATUS_USAGE = 2;

// What a step that can fail gives back, up to the entry: true when it
// worked, else the one line that says what failed.
struct Outcome {
    std::string failure;
    explicit operator bool() const { return failure.empty(); }
};

// "cannot write to standard output", with the system's reason.
Outcome outputFailure(const std::error_code& reason);

// The text with what a terminal would act on shown as '?' (a file name may
// hold a line end, or an escape sequence); with asciiOnly, every byte
// outside ASCII too.
std::string printable(std::string_view text, bool asciiOnly = false);

// Writes "gorvandel: WHAT" as one line on standard error, printable, after
// what waits for standard output, so that the two keep their order where
// they meet (a terminal, or one file for both). Allocates nothing for a
// short message without a control character, so it also serves when memory
// has run out.
void reportFailure(std::string_view what);

}  // namespace gorvandel
