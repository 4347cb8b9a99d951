#pragma once

// The rules of the file model (files.h) as pure functions: what the program
// decides about a file, apart from the system calls that find out the facts
// and act on the answer.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

namespace gorvandel {

using UserId = std::uint32_t;
constexpr UserId ROOT = 0;

// Rule 1: a symbolic link is followed only when this user or root owns it.
constexpr bool mayFollowLink(UserId linkOwner, UserId me)
{
    return linkOwner == me || linkOwner == ROOT;
}

// What the system says of a file that stands where a kept file is.
struct FileFacts {
    bool directory = false;
    bool regular = true;
    UserId owner = ROOT;
    std::uint64_t links = 1;
    bool ownerMayWrite = true;
    bool unchangeable = false;  // append-only or immutable
};

// Rule 2: why a save may not replace this file, if it may not.
std::error_code judgeFile(const FileFacts& file, UserId me);

// Rule 5: whom a file the program makes belongs to: what root makes in a
// folder another user owns is that user's.
constexpr UserId ownerOfNewFile(UserId me, UserId folderOwner)
{
    return me == ROOT ? folderOwner : me;
}

// Windows: whether the last name of path is one the system takes for a
// device (CON, PRN, AUX, NUL, COM0-COM9, LPT0-LPT9, their superscript forms,
// CONIN$, CONOUT$), in any case, with any extension, trailing dots, spaces
// or colon.
bool namesDevice(std::string_view path);

// The start of the names of a file's temporary files: the name (cut short,
// never inside a UTF-8 character, where a whole one would not fit in longest
// bytes) and ".tmp-". whole tells whether the name was kept whole.
std::string temporaryPrefix(const std::string& name, std::size_t longest, bool& whole);

// Random letters and digits that end a temporary file's name.
std::string temporarySuffix();

// Starts the random letters of temporarySuffix again from seed, so that a
// test may know which names come next.
void restartTemporarySuffixes(std::uint64_t seed);

// Whether name is one of the temporary files whose names start with prefix.
bool isTemporaryName(std::string_view name, std::string_view prefix);

}  // namespace gorvandel
