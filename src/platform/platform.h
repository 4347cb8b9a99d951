#pragma once

// What differs between Windows and POSIX systems: a millisecond tick
// counter for the random seed, the runtime's calendar time and its one-line
// text, how standard input and output are set up, and the files that keep
// what was learned (read whole, replaced whole, locked). platform_posix.cpp
// and platform_windows.cpp each define every function declared here;
// platform.cpp holds what is the same on both.
//
// A function that can fail returns a std::error_code: the system's own
// (its message is the system's reason, "Permission denied"), or one of the
// program's refusals below.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <vector>

namespace gorvandel {

// Milliseconds since some fixed point (system start where the platform
// knows it); wraps around, which does not matter for a seed.
std::uint32_t millisecondTicks();

// Seconds since the epoch as the runtime counts them.
std::int64_t currentCalendarTime();

// The runtime's fixed one-line text for a calendar time in local time,
// newline included ("Sun Dec  6 19:26:12 2026\n"); nothing when the runtime
// cannot represent that time.
std::optional<std::string> calendarTimeText(std::int64_t seconds);

// Standard input and output as the program was started with them.
struct StandardStreams {
    bool inputOpen = true;
    bool outputOpen = true;
};

// Prepares the process before anything is read or written: standard input
// is read as the bytes that were sent (no line-end translation); on POSIX a
// standard stream the program was started without is put on the null
// device, so that no file opened later can take its place, and a file size
// limit makes a write fail instead of killing the program.
StandardStreams prepareProcess();

// The program's arguments as UTF-8 on Windows, where argv holds them in the
// ANSI code page; elsewhere argv as it is.
std::vector<std::string> commandLineArguments(int argc, char* argv[]);

// Writes text to standard error: on Windows, at a console, as the UTF-16
// the console shows; otherwise as its bytes.
void writeToStandardError(std::string_view text);

// True when both standard input and standard output are terminals.
bool talkingToTerminal();

// Whether what goes to standard output is read as UTF-8: on POSIX where the
// user's locale (which this takes up for the character type) says so, on
// Windows where the console's output code page is UTF-8.
bool outputTakesUtf8();

// Whether standard output is a terminal that shows ANSI colours: on POSIX
// one whose $TERM is not "dumb". The Windows console does so only in a mode
// that belongs to the shell that owns it, so there never.
bool outputShowsColour();

// Why the program will not use a file, where the system itself had no
// objection.
enum class FileRefusal {
    NotRegularFile = 1,
    ReadOnly,       // a save would not respect it
    OtherNames,     // hard links, which a save would part from it
    InUse,          // another program holds its lock
    LinkedLock,     // a symbolic link stands where a lock file goes
    ForeignLink,    // a symbolic link another user made in a shared folder
    LinkToNothing,  // a symbolic link that leads to no file (Windows)
};
std::error_code make_error_code(FileRefusal refusal);

// A file read whole, and what a save of it would have to respect.
struct FileContents {
    std::string bytes;
    // Whether it may be written (this user may, and it was not made
    // read-only), and how many names it has.
    bool writable = true;
    std::size_t links = 1;
};

// Reads the regular file at path whole (path as followedPath gives it: a
// symbolic link there is refused). A missing file gives
// std::errc::no_such_file_or_directory; anything else there (a folder, a
// device) fails, and so does a file longer than limit bytes.
std::error_code readFile(const std::string& path, std::size_t limit, FileContents& contents);

// Whether a file that was read may be replaced by a new one: not when it
// was made read-only, nor when it has other names.
std::error_code checkReplaceable(const FileContents& file);

// Replaces the file at path with contents so that path holds, at every
// moment, either the complete old file or the complete new one: the new
// one is written to temporaryPath (in the same folder, made anew, so that
// an existing file there fails the call rather than being lost), flushed to
// disk and renamed over path, and the folder itself is flushed. A new file
// is readable and writable by its owner only. A replaced one keeps what the
// platform keeps of a file: on POSIX its permissions, and its owner and
// group where the program may give them (root may; a user may give only a
// group of theirs); on Windows its attributes and access control list,
// through ReplaceFileW. On failure the temporary file is gone and path as it was,
// but for the folder failing to flush after the rename (an I/O error): the
// new file then stands, and may not yet be on disk.
std::error_code replaceFile(const std::string& path, const std::string& contents, const std::string& temporaryPath);

// Makes a new file at path and removes it again, and opens its folder as a
// save does: whether the file can be saved in that folder. An existing file
// at path fails it.
std::error_code checkCanCreate(const std::string& path);

// Removes the file at path, if there is one.
void removeFile(const std::string& path);

// Whether anything stands at path (a symbolic link is not followed).
bool pathExists(const std::string& path);

// A path for a file beside the one at path: path and suffix, the file's
// name cut short (never inside a UTF-8 character) where the two would make
// a name longer than the folder allows. Each suffix is the program's own,
// so what is left of the name keeps it apart from other files'.
std::string pathBeside(const std::string& path, const std::string& suffix);

// The file that path leads to, into followed, so that a save replaces that
// file rather than a link to it. On POSIX every symbolic link on the way is
// followed (a dangling one too), but, as Linux's fs.protected_symlinks has
// it whatever the machine's setting, not one in a folder that every user
// may write and only owners may delete from (sticky, like /tmp) unless it
// belongs to this user or to the folder's owner: FileRefusal::ForeignLink.
// On Windows the path leads to the file the system opens through it (its
// final path), and a symbolic link or junction that leads to no file is
// refused (FileRefusal::LinkToNothing); a missing file is named as given.
std::error_code followLinks(const std::string& path, std::string& followed);

// A lock held for the rest of the run, or why there is none.
struct RunLock {
    std::error_code error;  // FileRefusal::InUse while another program holds it
    // The lock file's number on its device, which no other file there has
    // while it exists.
    std::string identity;
    explicit operator bool() const { return !error; }
};

// Locks the file at path for the rest of the run. The lock file is created
// empty when missing, readable by all so that whoever may use the file
// beside it may lock it, and never through a symbolic link
// (FileRefusal::LinkedLock). The system lets go of the lock when the
// program ends, however it ends, so a crash never leaves it held.
RunLock lockForThisRun(const std::string& path);

// Runs work while holding the lock at path, as lockForThisRun takes it,
// waiting up to patience for another program to let go of it; work gets
// the lock's identity. The lock is let go when work returns.
std::error_code whileLocked(const std::string& path, std::chrono::milliseconds patience,
                            const std::function<void(const std::string& identity)>& work);

// Makes the missing folders on the way to path (on POSIX each for its
// owner only; on Windows with the access its parent folder passes on).
std::error_code makeParentFolders(const std::string& path);

}  // namespace gorvandel

namespace std {
template <> struct is_error_code_enum<gorvandel::FileRefusal> : true_type {
};
}  // namespace std
