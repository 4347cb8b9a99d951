#pragma once

// How the program keeps a file (the memory, the history) and its lock and
// temporary files: every file it writes goes through here, by these rules.
//
// 1. Found. The path is followed name by name from a folder held open; on
//    POSIX a symbolic link is followed only when this user or root owns it,
//    judged on the link held open, and the file is then named in the folder
//    held open. On Windows the system follows links to the final path (one
//    that leads nowhere is refused); device names (CON, NUL, ...) are refused.
//
// 2. Judged before anything is made beside it, and refused where every save
//    would fail or do harm: anything but a regular file; a file mounted on
//    its own; one with other names (hard links); one its owner made
//    read-only; another user's, unless the program runs as root, which keeps
//    its owner, group and mode; an append-only or immutable file or folder;
//    a folder where no file can be made (checkCanSave makes one).
//
// 3. Locked with FILE.lock beside it, never opened through a link nor as
//    anything but a regular file, and used only when this user, root or the
//    file's owner owns it. The memory holds it for the run, the history for
//    a moment. Whether it is still ours is seen from the held descriptor
//    against what stands at its name; on Windows it cannot go at all.
//
// 4. Read whole, up to a limit no file of the program's comes near; the
//    history only its end, however long it grew.
//
// 5. Saved to a temporary file beside it, made new under a name no one can
//    take first (FILE.tmp- and 12 random letters and digits; a name too long
//    for them is cut and marked with a digest of all of it), flushed, given
//    the old file's owner, group, permission bits and exactly its access
//    list (on Windows its attributes and access list), and renamed over FILE
//    in one step, the folder flushed too: FILE is always whole, old or new.
//    A history line is appended in one write instead, under the lock. What
//    root makes in a folder another user owns is given to that user.
//
// 6. Recovered under the lock. A leftover is only a file of its owner's
//    named as a save names them (or, beside a memory, FILE.tmp- and digits,
//    as 1.2.0 did) and, beside a memory, holding a whole memory or nothing,
//    as a save stopped before it wrote leaves one. The newest whole one is
//    put in place of a missing FILE; beside a whole FILE leftovers are
//    removed. Nothing else is touched.
//
// Failures are std::error_codes: the system's, or FileRefusal. *_posix.cpp
// and *_windows.cpp define this per system, file_rules.h the pure rules,
// files.cpp what both share.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <system_error>
#include <type_traits>

namespace gorvandel {

// Why the program will not use a file where the system had no objection.
enum class FileRefusal {
    NotRegularFile = 1,
    ReadOnly,        // a save would not respect it
    OtherNames,      // hard links, which a save would part from it
    InUse,           // another program holds its lock
    LinkedLock,      // a symbolic link stands where a lock file goes
    ForeignLink,     // a symbolic link that another user owns
    LinkToNothing,   // a symbolic link that leads to no file (Windows)
    LockGone,        // the lock file was removed or replaced while held
    OtherUsersFile,  // an ordinary user never writes another user's file
    Unchangeable,    // the file is append-only or immutable
    FolderUnchangeable,
    NamesDevice,  // CON, NUL and the like on Windows
    OthersLock,   // the lock file belongs to another user
    MountPoint,   // a file mounted on its own, which no rename can replace
    HeldOpen,     // another program has it open without sharing (Windows)
};
std::error_code make_error_code(FileRefusal refusal);

// A folder held open while places in it are used (POSIX).
struct HeldFolder;

// Where a file is, found by following its path once (rule 1).
struct FilePlace {
    std::shared_ptr<const HeldFolder> folder;  // POSIX: the folder that holds it; Windows: none
    std::string name;                          // POSIX: its name in the folder; Windows: its whole path
    std::string path;                          // the path that leads to it, for messages
};

// The characters that part the names in a path: '/', and on Windows '\\'.
extern const char* const PATH_SEPARATORS;

// Follows path to the file it names, made or not (rule 1); a missing folder
// on the way is refused or made for its owner only.
enum class MissingFolders { Refuse, Make };
std::error_code findFile(const std::string& path, FilePlace& place, MissingFolders missing = MissingFolders::Refuse);

// The file called name in the folder that holds file.
FilePlace placeBeside(const FilePlace& file, const std::string& name);

// The name of the user who owns what stands at place; empty where none.
std::string ownerOf(const FilePlace& place);

// What stands at place, a symbolic link not followed.
enum class FileState { Missing, Regular, Other };
FileState stateOf(const FilePlace& place);

// The place of file's lock, FILE.lock beside it.
FilePlace lockPlace(const FilePlace& file);

// Whether a save may replace or make the file at place (rule 2).
std::error_code checkKeepable(const FilePlace& file);

// Whether a save's temporary file can be made beside file (one is made and
// removed) and its folder opened to be flushed.
std::error_code checkCanSave(const FilePlace& file);

// Reads the regular file at place whole: file_too_large past limit bytes.
std::error_code readFile(const FilePlace& file, std::size_t limit, std::string& bytes);

// Reads the last limit + 1 bytes of the regular file at place (the byte
// more tells whether a line starts at the limit); cut when it holds more.
// POSIX only, as appendLines: the history's (a Windows console keeps its own).
std::error_code readFileEnd(const FilePlace& file, std::size_t limit, std::string& bytes, bool& cut);

// Replaces or makes the file at place (rule 5); on failure it is as it was.
// On Windows the last step is tried for up to patience while another
// program holds the file open (FileRefusal::HeldOpen after that).
constexpr std::chrono::milliseconds SAVE_PATIENCE{200};
std::error_code replaceFile(const FilePlace& file, const std::string& contents,
                            std::chrono::milliseconds patience = SAVE_PATIENCE);

// Appends lines to the file at place in one write, making it when missing
// and ending a last line it holds without a newline; only as rule 2 allows.
std::error_code appendLines(const FilePlace& file, const std::string& lines);

// On Windows, checkKeepable and readFile wait this long for a file another
// program (a virus scanner, a backup) holds open unshared, then refuse it.
constexpr std::chrono::milliseconds OPEN_PATIENCE{2000};

// A lock on a kept file (rule 3), held while the object lives.
class FileLock {
public:
    FileLock() = default;
    ~FileLock() { release(); }
    FileLock& operator=(FileLock&& other) noexcept;

    // Takes the lock of file, waiting up to patience while another holds it.
    static std::error_code take(const FilePlace& file, std::chrono::milliseconds patience, FileLock& lock);

    // Whether the lock file is still the one locked: not removed or replaced.
    bool stillOurs() const;

    // Lets go, and removes the lock file when this lock made it.
    void releaseAndRemoveIfMade();

private:
    void release();
    // Of each system: opens the lock file at place, and tries once to lock
    // it (FileRefusal::InUse while another holds it).
    std::error_code open(const FilePlace& file);
    std::error_code tryLock() const;

    std::intptr_t handle = -1;  // POSIX: the descriptor; Windows: the HANDLE
    bool made = false;
    FilePlace place;
};

// Whether bytes, read up to LEFTOVER_LIMIT, are a whole file of the kind kept
// (a memory, never as long); an empty one (the history's) lets a leftover's name alone decide.
using IsWhole = std::function<bool(const std::string& bytes)>;
constexpr std::size_t LEFTOVER_LIMIT = 1 << 20;

// Under file's lock (rule 6): puts the newest whole leftover in place of a
// missing file (its path in taken), or removes those beside a file.
std::error_code recoverLeftovers(const FilePlace& file, const IsWhole& isWhole, std::string& taken);

// For a look only: the newest whole leftover beside a missing file.
bool newestLeftover(const FilePlace& file, const IsWhole& isWhole, std::string& path, std::string& bytes);

}  // namespace gorvandel

namespace std {
template <> struct is_error_code_enum<gorvandel::FileRefusal> : true_type {
};
}  // namespace std
