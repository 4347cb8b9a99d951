#pragma once

// The services that differ between Windows and other systems: a millisecond
// tick counter for the random seed, the runtime's calendar time with its
// one-line text form, how standard input and output are set up, and the
// files that keep what was learned (read whole, replaced whole, locked).
// platform_windows.cpp and platform_posix.cpp each provide them, but for
// the few that only line editing needs, which exists on POSIX alone;
// platform.cpp holds what is the same on both.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace gorvandel {

// Milliseconds since some fixed point (system start where the platform
// knows it); wraps around, which does not matter for a seed.
std::uint32_t millisecondTicks();

// Seconds since the epoch as the runtime counts them.
std::int64_t currentCalendarTime();

// The runtime's fixed one-line text for a calendar time in local time,
// newline included ("Sun Dec  6 19:26:12 2026\n"), or nothing when the
// runtime cannot represent that time.
std::optional<std::string> calendarTimeText(std::int64_t seconds);

// Standard input and output as the program was started with them.
struct StandardStreams {
    bool inputOpen = true;
    bool outputOpen = true;
};

// Prepares standard input and output before anything is read or written:
// input is read as the bytes that were sent (no line-end translation), and
// on POSIX a standard stream the program was started without is put on the
// null device, so that no file opened later can take its place.
StandardStreams prepareStandardStreams();

// Files. A failure comes back as the system's reason ("Permission denied").

enum class FileState { Read, Missing, Failed };

struct FileContents {
    FileState state = FileState::Failed;
    std::string bytes;
    std::string reason;  // for Failed
    // For Read: whether it may be written (this user may, and it was not
    // made read-only), and how many names it has.
    bool writable = true;
    std::size_t links = 1;
};

// Reads the regular file at path whole, if it exists. Anything else there
// (a folder, a device) fails, and so does a file longer than limit bytes.
FileContents readFile(const std::string& path, std::size_t limit);

// Replaces the file at path with contents so that path holds, at every
// moment, either the complete old file or the complete new one: the new
// one is written to temporaryPath (in the same folder, made anew, so that
// an existing file there fails the call rather than being lost), flushed to
// disk and renamed over path, and the folder itself is flushed. A new file
// is readable and writable by its owner only; a replaced one keeps its
// permissions. On failure the temporary file is gone and path as it was,
// but for the folder failing to flush after the rename (an I/O error): the
// new file then stands, and may not yet be on disk.
std::optional<std::string> replaceFile(const std::string& path, const std::string& contents,
                                       const std::string& temporaryPath);

// Makes a new file at path and removes it again, and opens its folder as a
// save does: whether the file can be saved in that folder. An existing file
// at path fails it.
std::optional<std::string> checkCanCreate(const std::string& path);

// The file a path leads to, through symbolic links (a dangling one too), so
// that a save replaces that file rather than the link.
std::string followedPath(const std::string& path);

enum class LockState { Locked, InUse, Failed };

struct RunLock {
    LockState state = LockState::Failed;
    std::string reason;  // for Failed
    // For Locked: the lock file's number on its device, which no other file
    // there has while it exists.
    std::string identity;
};

// Locks the file at path (created empty when missing) for the rest of the
// run. The system lets go of the lock when the program ends, however it
// ends, so a crash never leaves it held.
RunLock lockForThisRun(const std::string& path);

// Line editing only (POSIX).

// This process's number, unique among the programs running now.
std::uint32_t processId();

// True when both standard input and standard output are terminals.
bool talkingToTerminal();

// Makes the missing folders on the way to path, each for its owner only.
std::optional<std::string> makeParentFolders(const std::string& path);

}  // namespace gorvandel
