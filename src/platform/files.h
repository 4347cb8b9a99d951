#pragma once

// The files that keep what was learned and what was typed: read whole,
// replaced whole, locked. files_posix.cpp and files_windows.cpp each define
// every function declared here; files.cpp holds what is the same on both.
//
// A function that can fail returns a std::error_code: the system's own
// (its message is the system's reason, "Permission denied"), or one of the
// program's refusals below.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <vector>

namespace gorvandel {

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
    LockGone,       // the lock file was removed or replaced while held
};
std::error_code make_error_code(FileRefusal refusal);

// Where a file is, found by following its path once (findFile). On POSIX
// the folder that holds it stays open and every use names the file in that
// folder, so that nothing done to the path later (a folder on the way
// swapped for a symbolic link) changes which file is meant. On Windows it
// is the file's whole path.
struct FilePlace {
    std::shared_ptr<const int> folder;  // POSIX: the folder, open while a place names it
    std::string name;                   // POSIX: the file's name in the folder; Windows: its path
    std::string path;                   // the path that leads to it, for messages
};

// Follows path to the file it names (a file yet to be made too) and holds
// its place. On POSIX every symbolic link on the way is followed by the
// program, a dangling one too, but, as Linux's fs.protected_symlinks has it
// whatever the machine's setting, not one in a folder that every user may
// write and only owners may delete from (sticky, like /tmp) unless it
// belongs to this user or to the folder's owner: FileRefusal::ForeignLink.
// A folder on the way that is missing gives no_such_file_or_directory, or
// with MissingFolders::Make is made: on POSIX for its owner only, and one
// that root makes in another user's folder is that user's. On Windows the
// place is the file's final path, through any symbolic link or junction
// (one that leads to no file is refused: LinkToNothing), or the whole path
// of a file yet to be made.
enum class MissingFolders { Refuse, Make };
std::error_code findFile(const std::string& path, FilePlace& place, MissingFolders missing = MissingFolders::Refuse);

// The place of the file beside file whose name is file's with suffix.
FilePlace placeBeside(const FilePlace& file, const std::string& suffix);

// The place of file's temporary file, FILE.tmp-IDENTITY, identity being its
// lock's: the name of file cut short (never inside a UTF-8 character) where
// the whole would be longer than the folder allows. The identity keeps it
// apart from any other file's temporary file.
FilePlace temporaryBeside(const FilePlace& file, const std::string& identity);

// A file read whole, and what a save of it would have to respect.
struct FileContents {
    std::string bytes;
    // Whether it may be written (this user may, and it was not made
    // read-only), and how many names it has.
    bool writable = true;
    std::size_t links = 1;
};

// Reads the regular file at place whole (a symbolic link there is refused).
// A missing file gives std::errc::no_such_file_or_directory; anything else
// there (a folder, a device) fails, and so does a file longer than limit
// bytes.
std::error_code readFile(const FilePlace& file, std::size_t limit, FileContents& contents);

// Whether a file that was read may be replaced by a new one: not when it
// was made read-only, nor when it has other names.
std::error_code checkReplaceable(const FileContents& file);

// Replaces file with contents so that it is, at every moment, either the
// complete old file or the complete new one: the new one is written to
// temporary (beside it, made anew, so that an existing file there fails the
// call rather than being lost), flushed to disk and renamed over file; on
// POSIX the folder itself is flushed, on Windows a new name is written
// through. A new file is readable and writable by its owner only. A replaced one keeps what the platform keeps of a
// file: on POSIX its permission bits, and its owner and group where the program may give them (root may; a user may
// give only a group of theirs); on Windows its attributes and access control list, through ReplaceFileW. On failure the
// temporary file is gone and file as it was, but for the folder failing to flush after the rename (an I/O error): the
// new file then stands, and may not yet be on disk.
std::error_code replaceFile(const FilePlace& file, const std::string& contents, const FilePlace& temporary);

// Makes a new file at place and removes it again, and opens its folder as a
// save does: whether a file can be saved there. An existing file fails it.
std::error_code checkCanCreate(const FilePlace& place);

// Removes the file at place, if there is one.
void removeFile(const FilePlace& place);

// Whether anything stands at place (a symbolic link is not followed).
bool exists(const FilePlace& place);

// A lock held for the rest of the run, or why there is none.
struct RunLock {
    std::error_code error;  // FileRefusal::InUse while another program holds it
    // The lock file's number on its device, which no other file there has
    // while it exists.
    std::string identity;
    bool made = false;  // whether the lock file was made for it
    explicit operator bool() const { return !error; }
};

// Locks the file at place for the rest of the run. The lock file is created
// empty when missing and then made readable by all, so that whoever may use
// the file beside it may lock it, whatever the umask; it is never opened
// through a symbolic link (FileRefusal::LinkedLock), and anything but a
// regular file there is refused. The system lets go of the lock when the
// program ends, however it ends, so a crash never leaves it held.
RunLock lockForThisRun(const FilePlace& place);

// Whether the lock file at place is still the one of that identity: one
// that was removed or replaced no longer keeps other programs away.
bool stillLocks(const FilePlace& place, const std::string& identity);

// Runs work while holding the lock at place, as lockForThisRun takes it,
// waiting up to patience for another program to let go of it; work gets
// the lock's identity. The lock is let go when work returns.
std::error_code whileLocked(const FilePlace& place, std::chrono::milliseconds patience,
                            const std::function<void(const std::string& identity)>& work);

}  // namespace gorvandel

namespace std {
template <> struct is_error_code_enum<gorvandel::FileRefusal> : true_type {
};
}  // namespace std
