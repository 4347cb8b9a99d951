#pragma once

// What the recovery of leftover temporary files (rule 6 of files.h) needs
// of each system; files.cpp decides with it.

#include "files.h"

#include <cstdint>
#include <system_error>
#include <vector>

namespace gorvandel {

// The last lines lines of text (a last line without a newline counts), and
// whether it has more. When text is the end of a longer file (cut), what
// comes before its first newline may be the end of a line, and is left out.
std::string lastLines(const std::string& text, std::size_t lines, bool cut, bool& more);

struct Leftover {
    FilePlace place;
    std::int64_t modified = 0;  // when it was last written, in the system's units
};

// The temporary files beside file that a save of it made: named after it,
// and on POSIX owned by whom its saves give it to. None when its name is too
// long to be kept whole in theirs, where another file's might look alike.
std::vector<Leftover> leftoversBeside(const FilePlace& file);

// Renames from over to, in one step.
std::error_code moveOver(const FilePlace& from, const FilePlace& to);

// Removes the file at place, if there is one.
void removeFile(const FilePlace& place);

}  // namespace gorvandel
