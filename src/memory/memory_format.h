#pragma once

// The memory file's text: what the persona has learned, as a person can
// read and edit it:
//
//     gorvandel memory 2
//     plain hello 0
//     plain upload 3
//     ...
//     argument send-ubisoft -2
//     end
//
// The first line names the format and its version; then, in any order, one
// line per action: its table, its name (actions.h) and its weight; the last
// line is "end", so that a copy cut off anywhere is told from a whole one.
// An action the file does not name has weight 0. A line that names no action
// of this version (a newer version's action, or a typo) is kept as it
// stands and written back by every save, so that a newer version's learning
// outlives a run of an older one.
//
// Version 1, which 1.3.0 and earlier write and which is still read, held
// each table's weights by position on one line: "plain 0 0 1 0 0 0 0 0",
// the weights of 1.3.0's actions in its order.

#include "operating_system.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace gorvandel {

constexpr int MEMORY_FORMAT_VERSION = 2;

// How many weights of each table the first format holds: one for each of
// 1.3.0's actions, whatever the tables hold now.
constexpr std::size_t FIRST_FORMAT_PLAIN_COUNT = 8;
constexpr std::size_t FIRST_FORMAT_ARGUMENT_COUNT = 10;

// A line of the file naming no action this version knows.
struct UnknownLine {
    std::size_t number;  // counted from 1
    std::string name;    // its first two fields, the table and name it gives
    std::string text;    // as it stands, without its line end
};

struct MemoryText {
    Learning learned;
    std::vector<UnknownLine> unknown;
    // Whether the file held nothing but blanks: a memory that has learned nothing yet.
    bool empty = false;
    // The first thing wrong and its line (counted from 1); empty when none.
    std::string problem;
    std::size_t problemLine = 0;
};

// Reads a memory file's text. A UTF-8 or UTF-16 byte-order mark, blanks
// between and around the fields, a plus sign before a weight, CR LF line
// ends, blank lines and a missing last newline are allowed; nothing else is.
MemoryText parseMemory(std::string_view text);

// The memory file's text for these weights, with the unknown lines kept
// from the file read, in their order, before the end mark.
std::string formatMemory(const Learning& learned, const std::vector<std::string>& unknownLines = {});

// What is said of a line that names no action this version knows, from its
// line number on, wherever the memory is read.
std::string unknownLineNotice(const UnknownLine& line);

// The unknown lines as they stand, which every save keeps.
std::vector<std::string> keptLines(const std::vector<UnknownLine>& unknown);

}  // namespace gorvandel
