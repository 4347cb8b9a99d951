// The file model (files.h) on POSIX systems; finding a file is in
// path_walk_posix.cpp, its lock in file_lock_posix.cpp.

#include "file_rules.h"
#include "files.h"
#include "leftovers.h"
#include "posix_files.h"

#include <algorithm>
#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <linux/fs.h>

namespace gorvandel {

std::error_code openRegular(const FilePlace& file, int flags, Descriptor& opened, struct stat& status, bool* made)
{
    // A FIFO at the name must not stall the program: it is opened, and refused.
    flags |= O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    opened.reset(made ? ::openat(folderOf(file), file.name.c_str(), flags | O_CREAT | O_EXCL, 0600) : -1);
    if (made && (*made = opened.fd >= 0)) {
        giveToFolderOwner(folderOf(file), opened.fd);
    } else if (!made || errno == EEXIST) {
        opened.reset(::openat(folderOf(file), file.name.c_str(), flags));
    }
    // A link at the name is what O_NOFOLLOW refuses (ELOOP).
    if (opened.fd < 0 || ::fstat(opened.fd, &status) != 0) {
        return errno == ELOOP ? make_error_code(FileRefusal::NotRegularFile) : lastError();
    }
    if (S_ISDIR(status.st_mode)) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    return S_ISREG(status.st_mode) ? std::error_code() : make_error_code(FileRefusal::NotRegularFile);
}

namespace {

// Reads up to count bytes at offset: fewer at the end of the file.
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

// Whether the file open at fd is marked append-only or immutable.
bool unchangeable(int fd)
{
    int flags = 0;
    return ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & (FS_APPEND_FL | FS_IMMUTABLE_FL)) != 0;
}

FileFacts factsOf(int fd, const struct stat& status)
{
    FileFacts facts;
    facts.owner = status.st_uid;
    facts.links = status.st_nlink;
    facts.ownerMayWrite = (status.st_mode & S_IWUSR) != 0;
    facts.unchangeable = unchangeable(fd);
    // Linux 5.8 and later tell a file mounted on its own.
    struct statx mount {};
    facts.mountPoint = ::statx(fd, "", AT_EMPTY_PATH, 0, &mount) == 0 &&
                       (mount.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    return facts;
}

int openFolder(const FilePlace& file)
{
    return ::openat(folderOf(file), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// Makes a new file beside file under a fresh temporary name.
std::error_code makeTemporary(const FilePlace& file, Descriptor& made, FilePlace& temporary)
{
    const std::string prefix = temporaryPrefix(file.name, longestName(file));
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

// Gives the new file at fd the owner, group, permission bits and exactly the
// access list of the file it replaces (none where it had none, whatever the
// folder's default gave: a list not read or given fails the save rather than
// widen who may use it), else its maker's with the mode 0600.
std::error_code takeOverFrom(const FilePlace& file, int fd)
{
    constexpr const char* ACCESS_LIST = "system.posix_acl_access";
    Descriptor old(-1);
    struct stat status {};
    if (const std::error_code error = openRegular(file, O_RDONLY, old, status)) {
        if (error != std::errc::no_such_file_or_directory) {
            return error;
        }
        giveToFolderOwner(folderOf(file), fd);
        return ::fchmod(fd, 0600) == 0 ? std::error_code() : lastError();
    }
    const int given = ::fchown(fd, ::geteuid() == ROOT ? status.st_uid : static_cast<uid_t>(-1), status.st_gid);
    static_cast<void>(given);
    std::string list(64, '\0');
    ssize_t size = -1;
    while ((size = ::fgetxattr(old.fd, ACCESS_LIST, list.data(), list.size())) < 0 && errno == ERANGE) {
        list.resize(2 * list.size());
    }
    const bool none = size < 0 && (errno == ENODATA || errno == ENOTSUP);
    if (none ? ::fremovexattr(fd, ACCESS_LIST) != 0 && errno != ENODATA && errno != ENOTSUP
             : size < 0 || ::fsetxattr(fd, ACCESS_LIST, list.data(), static_cast<std::size_t>(size), 0) != 0) {
        return lastError();
    }
    // After the owner: giving a file away clears its set-id bits.
    return ::fchmod(fd, status.st_mode & 0777) == 0 ? std::error_code() : lastError();
}

}  // namespace

const char* const PATH_SEPARATORS = "/";

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
    std::error_code error = openRegular(file, O_RDONLY, opened, status);
    if (error != std::errc::no_such_file_or_directory &&
        (error || (error = judgeFile(factsOf(opened.fd, status), ::geteuid())))) {
        return error;
    }
    const Descriptor folder(openFolder(file));
    return folder.fd >= 0 && unchangeable(folder.fd) ? make_error_code(FileRefusal::FolderUnchangeable)
                                                     : std::error_code();
}

std::error_code checkCanSave(const FilePlace& file)
{
    // A save flushes the folder, which only one that may read it can open.
    const Descriptor folder(openFolder(file));
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
    bool cut = false;
    // The one byte more shows a file too long, or one that grew meanwhile.
    const std::error_code error = readFileEnd(file, limit, bytes, cut);
    return !error && cut ? std::make_error_code(std::errc::file_too_large) : error;
}

std::error_code readFileEnd(const FilePlace& file, std::size_t limit, std::string& bytes, bool& cut)
{
    Descriptor opened(-1);
    struct stat status {};
    std::error_code error = openRegular(file, O_RDONLY, opened, status);
    const off_t from = error ? 0 : status.st_size - std::min<off_t>(status.st_size, static_cast<off_t>(limit) + 1);
    std::string read;
    if (error || (error = readAt(opened.fd, from, limit + 1, read))) {
        return error;
    }
    cut = from > 0 || read.size() > limit;
    bytes = std::move(read);
    return {};
}

std::error_code replaceFile(const FilePlace& file, const std::string& contents, std::chrono::milliseconds)
{
    // Opened first: flushing it is the last step, and must not be the one that fails.
    const Descriptor folder(openFolder(file));
    Descriptor written(-1);
    FilePlace temporary;
    std::error_code error = folder.fd < 0 ? lastError() : makeTemporary(file, written, temporary);
    if (error) {
        return error;
    }
    if ((error = takeOverFrom(file, written.fd)) || (error = writeAll(written.fd, contents)) ||
        ::fsync(written.fd) != 0 || ::close(written.release()) != 0 ||
        ::renameat(folderOf(temporary), temporary.name.c_str(), folderOf(file), file.name.c_str()) != 0) {
        error = error ? error : lastError();
        removeFile(temporary);
        return error;
    }
    // Some file systems cannot flush a folder (EINVAL); the rename stands there too.
    return ::fsync(folder.fd) != 0 && errno != EINVAL ? lastError() : std::error_code();
}

std::error_code appendLines(const FilePlace& file, const std::string& lines)
{
    Descriptor opened(-1);
    struct stat status {};
    bool made = false;
    std::string last;
    std::error_code error = openRegular(file, O_RDWR | O_APPEND, opened, status, &made);
    if (error || (error = judgeFile(factsOf(opened.fd, status), ::geteuid())) ||
        (error = readAt(opened.fd, std::max<off_t>(status.st_size - 1, 0), 1, last))) {
        return error;
    }
    return writeAll(opened.fd, last == "\n" || last.empty() ? "" : "\n", lines);
}

std::error_code moveOver(const FilePlace& from, const FilePlace& to)
{
    return ::renameat(folderOf(from), from.name.c_str(), folderOf(to), to.name.c_str()) != 0 ? lastError()
                                                                                             : std::error_code();
}

void removeFile(const FilePlace& place)
{
    ::unlinkat(folderOf(place), place.name.c_str(), 0);
}

std::vector<Leftover> leftoversBeside(const FilePlace& file)
{
    const std::string prefix = temporaryPrefix(file.name, longestName(file));
    std::vector<Leftover> found;
    // fdopendir fails for a folder opened as one only where it could not be opened.
    DIR* const folder = ::fdopendir(openFolder(file));
    if (folder == nullptr) {
        return found;
    }
    const UserId owner = ownerOfSaves(file);
    while (const dirent* entry = ::readdir(folder)) {
        struct stat status {};
        const TemporaryForm form = temporaryForm(entry->d_name, prefix);
        if (form != TemporaryForm::None &&
            ::fstatat(folderOf(file), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(status.st_mode) &&
            status.st_uid == owner) {
            found.push_back({placeBeside(file, entry->d_name),
                             status.st_mtim.tv_sec * 1000000000LL + status.st_mtim.tv_nsec, form, {}});
        }
    }
    ::closedir(folder);
    return found;
}

}  // namespace gorvandel
