#pragma once

// The memory file: what the persona has learned, kept between runs as a
// small text that a person can read and edit:
//
//     gorvandel memory 1
//     plain 0 0 1 0 0 0 0 0
//     argument 0 0 0 0 0 5 0 0 0 0
//
// The first line names the format and its version; then come the weights of
// each table in table order.

#include "operating_system.h"

#include <cstddef>
#include <optional>
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

// Reads a memory file's text. Blanks between and around the fields, CR LF
// line ends, blank lines at the end and a missing last newline are allowed;
// nothing else is.
MemoryText parseMemory(std::string_view text);

// The memory file's text for these weights.
std::string formatMemory(const std::vector<Weight>& plain, const std::vector<Weight>& argument);

// A memory file this run holds.
struct MemoryFile {
    std::string name;  // as the user gave it, for messages
    std::string path;  // the file itself, symbolic links followed
    std::string temporaryPath;
    // What the file holds: all zero while it does not exist.
    Learning saved;
};

// Takes up the memory file before the first prompt: checks it, locks it for
// this run (FILE.lock beside it), loads it when it exists, and makes sure
// that it can be saved there. Anything wrong is reported on standard error
// and gives nothing; the file is then left exactly as it was.
std::optional<MemoryFile> openMemoryFile(const std::string& name);

// Saves the persona's weights when they differ from what the file holds,
// replacing the file whole. False, once reported on standard error, when
// that fails; the file then holds what it held.
bool keepLearning(MemoryFile& memory, const OperatingSystem& persona);

}  // namespace gorvandel
