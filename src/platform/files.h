#pragma once

// How the program keeps a file: the memory (-m FILE) and the history of
// typed lines. Every file the program writes, their locks and temporary
// files too, goes through what is declared here, by these rules:
//
// 1. Found. The path is followed name by name from a folder held open, the
//    system never following a link by itself. On POSIX a symbolic link
//    anywhere on the way is followed only when this user or root owns it
//    (so root follows only root's): another user's link could lead the
//    program to any file. The link is held open while its owner is judged
//    and its target read, so that one swapped in meanwhile is not followed.
//    The folder that holds the file stays open, and every later read, lock
//    and save names the file in it, so a folder on the way swapped for a
//    link later leads nothing elsewhere. On Windows the system follows
//    links and junctions to the file's final path (one that leads nowhere
//    is refused), and a name of a device (CON, NUL, COM1, ...) is refused
//    before any system call.
//
// 2. Judged before anything is made beside it. A kept file is a regular
//    file, or none yet. Refused, where every save would fail or do harm:
//    anything else at its name; a file with other names (hard links), which
//    a save would part from it; a file its owner made read-only; another
//    user's file, unless the program runs as root, which may save a user's
//    file and keeps its owner, group and mode; an append-only or immutable
//    file or folder. A folder where no file can be made is found out by
//    making one there (checkCanSave), before the first save is needed.
//
// 3. Locked. FILE.lock beside it, made readable by all only once the file
//    is judged usable, never opened through a link nor as anything but a
//    regular file. One lock type: the memory holds its lock for the whole
//    run, the history for a moment. Whether the lock is still ours is seen
//    from the held descriptor, compared with what stands at the lock's name
//    (a lock file removed, moved away or replaced is not there), never by
//    opening it again; on Windows it is held so that it cannot go at all.
//
// 4. Read. Whole, up to a limit that no file of the program's comes near; the
//    history only its end, however long it grew or however long its lines.
//
// 5. Saved. The new contents go to a temporary file beside it, made new
//    under a name no one else can take first (FILE.tmp- and random letters,
//    others when those are taken), flushed to disk, given the old file's
//    owner, group, permission bits and access list (on Windows its
//    attributes and access list), and then renamed over FILE in one step;
//    on POSIX the folder is flushed too. At no moment is there no FILE: it
//    is the whole old file or the whole new one, whenever the program or
//    the machine stops. A line of history is appended in one write instead,
//    the file opened afresh under the lock. What root makes in a folder
//    another user owns (a file, a lock, a folder on the way) is given to
//    that user.
//
// 6. Recovered, only while holding the file's lock: when FILE is missing
//    and valid temporary files of its owner's lie beside it (an older
//    Windows version could leave them so), the newest is put in its place;
//    beside a whole FILE such leftovers are removed. Another user's are
//    left alone, and nothing that may be the only copy is ever deleted.
//
// A function that can fail returns a std::error_code: the system's own (its
// message is the system's reason, "Permission denied"), or one of the
// program's refusals below. files_posix.cpp (with path_walk_posix.cpp) and
// files_windows.cpp define it for each system; the rules that decide are
// pure functions in file_rules.h; files.cpp holds what both share.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <system_error>
#include <type_traits>
#include <vector>

namespace gorvandel {

// Why the program will not use a file, where the system itself had no
// objection.
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
    HeldOpen,     // another program has it open without sharing (Windows)
};
std::error_code make_error_code(FileRefusal refusal);

// A folder held open while places in it are used (POSIX); closed when the
// last place that names it goes.
class HeldFolder {
public:
    explicit HeldFolder(int opened)
        : descriptor(opened)
    {
    }
    ~HeldFolder();
    HeldFolder(const HeldFolder&) = delete;
    HeldFolder& operator=(const HeldFolder&) = delete;
    int fd() const { return descriptor; }

private:
    int descriptor;
};

// Where a file is, found by following its path once (rule 1).
struct FilePlace {
    std::shared_ptr<const HeldFolder> folder;  // POSIX: the folder that holds it; Windows: none
    std::string name;                          // POSIX: its name in the folder; Windows: its whole path
    std::string path;                          // the path that leads to it, for messages
};

// The names in the current folder, but for "." and "..", for completion:
// none when it cannot be read. Read through the system, not
// std::filesystem, whose paths bring the C++ locales and their set-up into
// every start of the program.
std::vector<std::string> currentFolderNames();

// Follows path to the file it names (one yet to be made too) and holds its
// place. A folder on the way that is missing gives no_such_file_or_directory,
// or with MissingFolders::Make is made, for its owner only.
enum class MissingFolders { Refuse, Make };
std::error_code findFile(const std::string& path, FilePlace& place, MissingFolders missing = MissingFolders::Refuse);

// The file called name in the folder that holds file.
FilePlace placeBeside(const FilePlace& file, const std::string& name);

// What stands at place, a symbolic link not followed.
enum class FileState { Missing, Regular, Other };
FileState stateOf(const FilePlace& place);

// The place of file's lock, FILE.lock beside it.
FilePlace lockPlace(const FilePlace& file);

// Whether a save may replace the file at place or make it (rule 2); a
// missing file may be made. A folder there gives is_a_directory.
std::error_code checkKeepable(const FilePlace& file);

// Whether a file can be made beside file, as a save makes its temporary
// file (one is made and removed again), and its folder opened as a save
// opens it to flush it.
std::error_code checkCanSave(const FilePlace& file);

// Reads the regular file at place whole; a missing file gives
// no_such_file_or_directory, a longer one than limit bytes file_too_large.
std::error_code readFile(const FilePlace& file, std::size_t limit, std::string& bytes);

// Reads the end of the regular file at place: its last lines lines, or all
// of it when it has no more, but no line that starts before its last limit
// bytes. more tells whether it has more. POSIX only, as appendLines: the
// history's, which Windows, whose console keeps its own, never keeps.
std::error_code readFileEnd(const FilePlace& file, std::size_t lines, std::size_t limit, std::string& bytes,
                            bool& more);

// Replaces the file at place with contents, or makes it (rule 5). On failure
// the file is as it was and no temporary file is left. On Windows, where
// another program may hold the file open, the last step is tried again for
// up to patience (FileRefusal::HeldOpen after that).
constexpr std::chrono::milliseconds SAVE_PATIENCE{200};
std::error_code replaceFile(const FilePlace& file, const std::string& contents,
                            std::chrono::milliseconds patience = SAVE_PATIENCE);

// Appends lines (each ending in a newline) to the file at place in one
// write, making it when missing; a last line the file holds without a
// newline is ended first. The file is opened afresh, never through a link,
// and written only when rule 2 allows.
std::error_code appendLines(const FilePlace& file, const std::string& lines);

// On Windows, a file that another program (a virus scanner, an indexer, a
// backup) holds open without sharing is waited for this long at the start,
// and then refused as FileRefusal::HeldOpen, by checkKeepable and readFile.
constexpr std::chrono::milliseconds OPEN_PATIENCE{2000};

// A lock on a kept file (rule 3), held while the object lives.
class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Takes the lock of file, waiting up to patience while another program
    // holds it (FileRefusal::InUse after that).
    static std::error_code take(const FilePlace& file, std::chrono::milliseconds patience, FileLock& lock);

    // Whether the lock file is still the one locked: not removed, moved away
    // or replaced.
    bool stillOurs() const;

    // Lets go, and removes the lock file when this lock made it: a start
    // that is refused leaves nothing behind.
    void releaseAndRemoveIfMade();

private:
    void release();

    std::intptr_t handle = -1;  // POSIX: the descriptor; Windows: the HANDLE
    bool made = false;
    FilePlace place;
};

// A file's leftover temporary files (rule 6) and what a save there is.
using IsWhole = std::function<bool(const std::string& bytes)>;

// Under file's lock: when the file is missing, puts the newest leftover that
// isWhole accepts in its place; when a whole file stands, removes the
// leftovers. Gives the leftover taken, if any, by its path.
std::error_code recoverLeftovers(const FilePlace& file, const IsWhole& isWhole, std::string& taken);

// Without the lock, for a look only: the newest leftover that isWhole
// accepts, when the file is missing; false when there is none.
bool newestLeftover(const FilePlace& file, const IsWhole& isWhole, std::string& path, std::string& bytes);

}  // namespace gorvandel

namespace std {
template <> struct is_error_code_enum<gorvandel::FileRefusal> : true_type {
};
}  // namespace std
