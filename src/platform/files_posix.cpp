// The file model (files.h) on POSIX systems: reading, judging, locking,
// saving and appending; finding a file is in path_walk_posix.cpp.

#include "file_rules.h"
#include "files.h"
#include "leftovers.h"
#include "posix_files.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <linux/fs.h>

namespace gorvandel {

HeldFolder::~HeldFolder()
{
    ::close(descriptor);
}

namespace {

constexpr int READING = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;

bool writeAll(int fd, const std::string& bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (count == 0 || (count < 0 && errno != EINTR)) {
            errno = count == 0 ? EIO : errno;
            return false;
        }
        written += count > 0 ? static_cast<std::size_t>(count) : 0;
    }
    return true;
}

// Reads count bytes at offset, or up to the end.
std::error_code readAt(int fd, off_t offset, std::size_t count, std::string& bytes)
{
    bytes.resize(count);
    std::size_t got = 0;
    while (got < count) {
        const ssize_t read = ::pread(fd, bytes.data() + got, count - got, offset + static_cast<off_t>(got));
        if (read == 0) {
            break;
        }
        if (read < 0 && errno != EINTR) {
            return lastError();
        }
        got += read > 0 ? static_cast<std::size_t>(read) : 0;
    }
    bytes.resize(got);
    return {};
}

// Whether the file open at fd is marked append-only or immutable; a file
// system that keeps no such marks has none.
bool unchangeable(int fd)
{
    int flags = 0;
    return ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & (FS_APPEND_FL | FS_IMMUTABLE_FL)) != 0;
}

FileFacts factsOf(int fd, const struct stat& status)
{
    FileFacts facts;
    facts.directory = S_ISDIR(status.st_mode);
    facts.regular = S_ISREG(status.st_mode);
    facts.owner = status.st_uid;
    facts.links = status.st_nlink;
    facts.ownerMayWrite = (status.st_mode & S_IWUSR) != 0;
    facts.unchangeable = facts.regular && unchangeable(fd);
    return facts;
}

// Opens the regular file at place for reading, as rule 2 judges it; what
// stands there (a folder, a link, a FIFO that must not stall the program)
// is never read.
std::error_code openToRead(const FilePlace& file, Descriptor& opened, struct stat& status)
{
    opened.reset(::openat(folderOf(file), file.name.c_str(), READING));
    if (opened.fd < 0 || ::fstat(opened.fd, &status) != 0) {
        return lastError();
    }
    if (S_ISDIR(status.st_mode)) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    return S_ISREG(status.st_mode) ? std::error_code() : make_error_code(FileRefusal::NotRegularFile);
}

// Makes a file of the program's beside file under a fresh temporary name:
// made new, so nothing anyone put there is written through or over.
std::error_code makeTemporary(const FilePlace& file, Descriptor& made, FilePlace& temporary)
{
    bool whole = true;
    const std::string prefix = temporaryPrefix(file.name, longestName(file), whole);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = placeBeside(file, prefix + temporarySuffix());
        made.reset(::openat(folderOf(temporary), temporary.name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                            0600));
        if (made.fd >= 0 || errno != EEXIST) {
            return made.fd >= 0 ? std::error_code() : lastError();
        }
    }
    return std::make_error_code(std::errc::file_exists);
}

// Gives the new file at fd the access list (POSIX ACL) of the file it
// replaces: left behind, the group bits that showed the list's mask would
// give the file's group what the list gave other users and groups.
std::error_code keepAccessList(const FilePlace& file, int fd)
{
    constexpr const char* ACCESS_LIST = "system.posix_acl_access";
    const Descriptor old(::openat(folderOf(file), file.name.c_str(), READING));
    const ssize_t size = old.fd < 0 ? -1 : ::fgetxattr(old.fd, ACCESS_LIST, nullptr, 0);
    std::string list(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    if (list.empty()) {
        return {};
    }
    if (::fgetxattr(old.fd, ACCESS_LIST, list.data(), list.size()) != size ||
        ::fsetxattr(fd, ACCESS_LIST, list.data(), list.size(), 0) != 0) {
        return lastError();
    }
    return {};
}

// Gives the new file at fd the owner, group and permission bits a save
// leaves it: those of the file it replaces, else its maker's (root's new
// file in another user's folder being that user's) with the mode 0600. A
// user may give only a group of theirs; otherwise the folder's stays.
std::error_code takeOverFrom(const FilePlace& file, int fd)
{
    struct stat old {};
    const bool replacing =
        ::fstatat(folderOf(file), file.name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(old.st_mode);
    if (!replacing) {
        giveToFolderOwner(folderOf(file), fd);
        return ::fchmod(fd, 0600) == 0 ? std::error_code() : lastError();
    }
    const int given = ::fchown(fd, ::geteuid() == ROOT ? old.st_uid : static_cast<uid_t>(-1), old.st_gid);
    static_cast<void>(given);
    // After the owner: giving a file away clears its set-id bits.
    return ::fchmod(fd, old.st_mode & 0777) == 0 ? keepAccessList(file, fd) : lastError();
}

}  // namespace

FileState stateOf(const FilePlace& place)
{
    struct stat status {};
    if (::fstatat(folderOf(place), place.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT ? FileState::Missing : FileState::Other;
    }
    return S_ISREG(status.st_mode) ? FileState::Regular : FileState::Other;
}

std::error_code checkKeepable(const FilePlace& file)
{
    Descriptor opened(-1);
    struct stat status {};
    const std::error_code error = openToRead(file, opened, status);
    if (error && error != std::errc::no_such_file_or_directory) {
        // A link there is refused as not being a file; the folder's reason stands otherwise.
        return error == std::errc::too_many_symbolic_link_levels ? make_error_code(FileRefusal::NotRegularFile)
                                                                 : error;
    }
    if (!error) {
        if (const std::error_code refused = judgeFile(factsOf(opened.fd, status), ::geteuid())) {
            return refused;
        }
    }
    const Descriptor folder(::openat(folderOf(file), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return folder.fd >= 0 && unchangeable(folder.fd) ? make_error_code(FileRefusal::FolderUnchangeable)
                                                     : std::error_code();
}

std::error_code checkCanSave(const FilePlace& file)
{
    // A save flushes the folder, which only one that may read it can open.
    const Descriptor folder(::openat(folderOf(file), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    Descriptor made(-1);
    FilePlace temporary;
    if (const std::error_code error = folder.fd < 0 ? lastError() : makeTemporary(file, made, temporary)) {
        return error;
    }
    removeFile(temporary);
    return {};
}

std::error_code readFile(const FilePlace& file, std::size_t limit, std::string& bytes)
{
    Descriptor opened(-1);
    struct stat status {};
    if (const std::error_code error = openToRead(file, opened, status)) {
        return error;
    }
    if (static_cast<std::uintmax_t>(status.st_size) > limit) {
        return std::make_error_code(std::errc::file_too_large);
    }
    // One more byte than it should hold shows a file that grew meanwhile.
    std::string read;
    if (const std::error_code error = readAt(opened.fd, 0, limit + 1, read)) {
        return error;
    }
    if (read.size() > limit) {
        return std::make_error_code(std::errc::file_too_large);
    }
    bytes = std::move(read);
    return {};
}

std::error_code readFileEnd(const FilePlace& file, std::size_t lines, std::size_t limit, std::string& bytes,
                            bool& more)
{
    Descriptor opened(-1);
    struct stat status {};
    if (const std::error_code error = openToRead(file, opened, status)) {
        return error;
    }
    // From the end back, in ever larger steps, until enough lines are read;
    // one byte more than the limit tells whether a line starts at it.
    const off_t earliest = status.st_size - std::min<off_t>(status.st_size, static_cast<off_t>(limit) + 1);
    std::string tail;
    off_t start = status.st_size;
    for (off_t step = 64 * 1024; start > earliest; step *= 2) {
        const off_t from = std::max(earliest, start - step);
        std::string chunk;
        if (const std::error_code error = readAt(opened.fd, from, static_cast<std::size_t>(start - from), chunk)) {
            return error;
        }
        tail.insert(0, chunk);
        start = from;
        bytes = lastLines(tail, lines, false, more);
        if (more) {
            return {};
        }
    }
    bytes = lastLines(tail, lines, start > 0, more);
    return {};
}

std::error_code replaceFile(const FilePlace& file, const std::string& contents, std::chrono::milliseconds)
{
    // Opened first: flushing it is the last step, and must not be the one that fails.
    const Descriptor folder(::openat(folderOf(file), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    Descriptor written(-1);
    FilePlace temporary;
    std::error_code error = folder.fd < 0 ? lastError() : makeTemporary(file, written, temporary);
    if (error) {
        return error;
    }
    if ((error = takeOverFrom(file, written.fd)) || !writeAll(written.fd, contents) || ::fsync(written.fd) != 0 ||
        ::close(written.release()) != 0 || ::renameat(folderOf(temporary), temporary.name.c_str(), folderOf(file),
                                                      file.name.c_str()) != 0) {
        error = error ? error : lastError();
        removeFile(temporary);
        return error;
    }
    // The rename is durable once the folder is on disk. Some file systems
    // cannot flush a folder (EINVAL); the rename stands there too.
    if (::fsync(folder.fd) != 0 && errno != EINVAL) {
        return lastError();
    }
    return {};
}

std::error_code appendLines(const FilePlace& file, const std::string& lines)
{
    constexpr int APPENDING = O_RDWR | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    Descriptor opened(::openat(folderOf(file), file.name.c_str(), APPENDING | O_CREAT | O_EXCL, 0600));
    if (opened.fd >= 0) {
        giveToFolderOwner(folderOf(file), opened.fd);
    } else if (errno == EEXIST) {
        opened.reset(::openat(folderOf(file), file.name.c_str(), APPENDING));
    }
    struct stat status {};
    if (opened.fd < 0 || ::fstat(opened.fd, &status) != 0) {
        return errno == ELOOP ? make_error_code(FileRefusal::NotRegularFile) : lastError();
    }
    if (const std::error_code refused = judgeFile(factsOf(opened.fd, status), ::geteuid())) {
        return refused;
    }
    std::string last;
    if (const std::error_code error = status.st_size > 0 ? readAt(opened.fd, status.st_size - 1, 1, last)
                                                         : std::error_code()) {
        return error;
    }
    return writeAll(opened.fd, last == "\n" || last.empty() ? lines : "\n" + lines) ? std::error_code() : lastError();
}

std::error_code moveOver(const FilePlace& from, const FilePlace& to)
{
    if (::renameat(folderOf(from), from.name.c_str(), folderOf(to), to.name.c_str()) != 0) {
        return lastError();
    }
    return {};
}

void removeFile(const FilePlace& place)
{
    ::unlinkat(folderOf(place), place.name.c_str(), 0);
}

std::vector<Leftover> leftoversBeside(const FilePlace& file)
{
    bool whole = true;
    const std::string prefix = temporaryPrefix(file.name, longestName(file), whole);
    Descriptor listed(::openat(folderOf(file), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    std::vector<Leftover> found;
    DIR* const folder = !whole || listed.fd < 0 ? nullptr : ::fdopendir(listed.fd);
    if (folder == nullptr) {
        return found;
    }
    listed.release();  // the listing owns it now
    const UserId owner = ownerOfSaves(file);
    while (const dirent* entry = ::readdir(folder)) {
        struct stat status {};
        if (isTemporaryName(entry->d_name, prefix) &&
            ::fstatat(folderOf(file), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(status.st_mode) &&
            status.st_uid == owner) {
            found.push_back({placeBeside(file, entry->d_name),
                             status.st_mtim.tv_sec * 1000000000LL + status.st_mtim.tv_nsec});
        }
    }
    ::closedir(folder);
    return found;
}

}  // namespace gorvandel
