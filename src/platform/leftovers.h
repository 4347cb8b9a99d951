#pragma once

// What files.cpp needs of each system to recover leftovers (rule 6 of files.h).

#include "file_rules.h"
#include "files.h"

#include <cstdint>
#include <system_error>
#include <vector>

namespace gorvandel {

struct Leftover {
    FilePlace place;
    std::int64_t modified = 0;  // when it was last written, in the system's units
    TemporaryForm form = TemporaryForm::None;
    std::string bytes;  // read only where its contents decide
};

// The files beside file named as its temporary files, on POSIX owned by
// whom its saves give it to.
std::vector<Leftover> leftoversBeside(const FilePlace& file);

// Renames from over to, in one step.
std::error_code moveOver(const FilePlace& from, const FilePlace& to);

// Removes the file at place, if there is one.
void removeFile(const FilePlace& place);

// Takes step again while it gives busy (another program holds the file),
// for up to patience; then gives busy.
std::error_code retrying(std::chrono::milliseconds patience, FileRefusal busy,
                         const std::function<std::error_code()>& step);

}  // namespace gorvandel
