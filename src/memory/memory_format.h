#pragma once

// The memory file's text: what the persona has learned, as a person can
// read and edit it:
//
//     gorvandel memory 1
//     plain 0 0 1 0 0 0 0 0
//     argument 0 0 0 0 0 5 0 0 0 0
//
// The first line names the format and its version; then come the weights of
// each table in table order.

#include "operating_system.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace gorvandel {

constexpr int MEMORY_FORMAT_VERSION = 1;

struct MemoryText {
    Learning learned;
    // The first thing wrong and its line (counted from 1); empty when none.
    std::string problem;
    std::size_t problemLine = 0;
};

// Reads a memory file's text. A UTF-8 byte-order mark, blanks between and
// around the fields, a plus sign before a weight, CR LF line ends, blank
// lines at the end and a missing last newline are allowed; nothing else is.
MemoryText parseMemory(std::string_view text);

// The memory file's text for these weights.
std::string formatMemory(const std::vector<Weight>& plain, const std::vector<Weight>& argument);

}  // namespace gorvandel
