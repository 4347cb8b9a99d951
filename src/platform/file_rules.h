#pragma once

// The rules of the file model (files.h) as pure functions, apart from the
// system calls that find the facts and act on the answer.

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

// Rule 3: a lock file found is used only when this user, root or the owner
// of the file's saves owns it: anyone else could hold or remove it.
constexpr bool mayUseLock(UserId lockOwner, UserId me, UserId fileOwner)
{
    return lockOwner == me || lockOwner == ROOT || lockOwner == fileOwner;
}

// What the system says of the regular file that stands where a kept file is.
struct FileFacts {
    UserId owner = ROOT;
    std::uint64_t links = 1;
    bool ownerMayWrite = true;
    bool unchangeable = false;  // append-only or immutable
    bool mountPoint = false;    // mounted on its own, which a rename cannot replace
};

// Rule 2: why a save may not replace this file, if it may not.
std::error_code judgeFile(const FileFacts& file, UserId me);

// Rule 5: what root makes in a folder another user owns is that user's.
constexpr UserId ownerOfNewFile(UserId me, UserId folderOwner)
{
    return me == ROOT ? folderOwner : me;
}

// Windows: whether the last name of path names a device (CON, PRN, AUX, NUL,
// COM0-COM9, LPT0-LPT9 and their superscript forms, CONIN$, CONOUT$), in any
// case, with any extension, trailing dots, spaces or colon.
bool namesDevice(std::string_view path);

// The start of a file's temporary names: the name and ".tmp-"; a name with
// no room for that and the suffix in longest bytes is cut short (never in a
// UTF-8 character) and marked with a digest of all of it.
std::string temporaryPrefix(const std::string& name, std::size_t longest);

// The random letters and digits that end a temporary file's name.
constexpr std::size_t SUFFIX_LENGTH = 12;
constexpr std::string_view SUFFIX_CHARACTERS = "0123456789abcdefghijklmnopqrstuvwxyz";

// SUFFIX_LENGTH of SUFFIX_CHARACTERS, at random.
std::string temporarySuffix();

// Seeds temporarySuffix, so that a test may know which names come next.
void restartTemporarySuffixes(std::uint64_t seed);

// The form of name beside a file whose temporary names start with prefix:
// this version's random suffix (Current), 1.2.0's digits (Older), or none.
enum class TemporaryForm { None, Current, Older };
TemporaryForm temporaryForm(std::string_view name, std::string_view prefix);

}  // namespace gorvandel
