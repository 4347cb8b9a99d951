#include "files.h"
#include "shortened_name.h"

#include <cerrno>
#include <chrono>
#include <string_view>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gorvandel {

namespace {

std::error_code lastError()
{
    return {errno, std::generic_category()};
}

// A descriptor that is closed when it goes out of scope.
struct Descriptor {
    int fd;
    explicit Descriptor(int opened)
        : fd(opened)
    {
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { reset(-1); }
    // Hands the descriptor over: it is no longer closed here.
    int release() { return std::exchange(fd, -1); }
    void reset(int opened)
    {
        if (fd >= 0) {
            ::close(fd);
        }
        fd = opened;
    }
};

// A folder is held open only to name files in it; where the system can,
// without the right to list it, as a path through it needs none.
#ifdef O_PATH
constexpr int FOLDER = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int FOLDER = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

int folderOf(const FilePlace& place)
{
    return place.folder ? *place.folder : AT_FDCWD;
}

// The folder of place opened so that it can be flushed to disk, as a save does.
int openToFlush(const FilePlace& place)
{
    return ::openat(folderOf(place), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

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

// Reads what is left of an open file, up to limit bytes.
std::error_code readRest(int fd, std::size_t limit, std::string& bytes)
{
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count == 0) {
            return {};
        }
        if (count < 0 && errno != EINTR) {
            return lastError();
        }
        bytes.append(buffer, count > 0 ? static_cast<std::size_t>(count) : 0);
        if (bytes.size() > limit) {
            return std::make_error_code(std::errc::file_too_large);
        }
    }
}

// A replaced file keeps its owner and group as far as this user may give
// them: root any; a user only a group of theirs, and otherwise the file
// stays theirs with the group its folder gives it.
void keepOwnerAndGroup(int fd, const struct stat& existing)
{
    if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
        const int groupOnly = ::fchown(fd, static_cast<uid_t>(-1), existing.st_gid);
        static_cast<void>(groupOnly);
    }
}

}  // namespace

std::error_code readFile(const FilePlace& file, std::size_t limit, FileContents& contents)
{
    // Non-blocking, so that a FIFO there cannot stall the start.
    const Descriptor opened(
        ::openat(folderOf(file), file.name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
    struct stat status {};
    if (opened.fd < 0 || ::fstat(opened.fd, &status) != 0) {
        return lastError();
    }
    if (S_ISDIR(status.st_mode)) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    if (!S_ISREG(status.st_mode)) {
        return FileRefusal::NotRegularFile;
    }
    FileContents read;
    read.writable = ::faccessat(folderOf(file), file.name.c_str(), W_OK, 0) == 0 &&
                    (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    read.links = status.st_nlink;
    if (const std::error_code error = readRest(opened.fd, limit, read.bytes)) {
        return error;
    }
    contents = std::move(read);
    return {};
}

std::error_code replaceFile(const FilePlace& file, const std::string& contents, const FilePlace& temporary)
{
    // Opened first: flushing it is the last step, and must not be the one that fails.
    const Descriptor folder(openToFlush(file));
    if (folder.fd < 0) {
        return lastError();
    }
    struct stat existing {};
    // Only a file's owner and mode are kept: not those of a link someone put in its place.
    const bool replacing =
        ::fstatat(folderOf(file), file.name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(existing.st_mode);
    // Made anew: never through a link someone left at that name, never over a file.
    Descriptor written(
        ::openat(folderOf(temporary), temporary.name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (written.fd < 0) {
        return lastError();
    }
    const auto fail = [&temporary](std::error_code error) {
        ::unlinkat(folderOf(temporary), temporary.name.c_str(), 0);
        return error;
    };
    if (replacing) {
        keepOwnerAndGroup(written.fd, existing);
    }
    // After the owner: giving a file away clears its set-id bits.
    const mode_t mode = replacing ? (existing.st_mode & 07777) : 0600;
    if (::fchmod(written.fd, mode) != 0 || !writeAll(written.fd, contents) || ::fsync(written.fd) != 0 ||
        ::close(written.release()) != 0 ||
        ::renameat(folderOf(temporary), temporary.name.c_str(), folderOf(file), file.name.c_str()) != 0) {
        return fail(lastError());
    }
    // The rename is durable once the folder is on disk. Some file systems
    // cannot flush a folder (EINVAL); the rename stands there too.
    if (::fsync(folder.fd) != 0 && errno != EINVAL) {
        return lastError();
    }
    return {};
}

std::error_code checkCanCreate(const FilePlace& place)
{
    const Descriptor folder(openToFlush(place));
    const Descriptor file(
        folder.fd < 0 ? -1
                      : ::openat(folderOf(place), place.name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (file.fd < 0) {
        return lastError();
    }
    ::unlinkat(folderOf(place), place.name.c_str(), 0);
    return {};
}

void removeFile(const FilePlace& place)
{
    ::unlinkat(folderOf(place), place.name.c_str(), 0);
}

bool exists(const FilePlace& place)
{
    struct stat status {};
    return ::fstatat(folderOf(place), place.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0;
}

FilePlace placeBeside(const FilePlace& file, const std::string& suffix)
{
    return {file.folder, file.name + suffix, file.path + suffix};
}

FilePlace temporaryBeside(const FilePlace& file, const std::string& identity)
{
    const long longest = ::fpathconf(folderOf(file), _PC_NAME_MAX);
    const std::string name =
        shortenedName(file.name, 0, longest > 0 ? static_cast<std::size_t>(longest) : 255, ".tmp-" + identity);
    return {file.folder, name, file.path.substr(0, file.path.size() - file.name.size()) + name};
}

namespace {

// A link in a folder that every user may write and only owners may delete
// from is followed only when it is this user's or the folder owner's:
// otherwise another user could lead the program to any file.
bool mayFollow(const struct stat& link, int folder)
{
    struct stat where {};
    if (::fstat(folder, &where) != 0) {
        return false;
    }
    const bool shared = (where.st_mode & S_ISVTX) != 0 && (where.st_mode & S_IWOTH) != 0;
    return !shared || link.st_uid == ::geteuid() || link.st_uid == where.st_uid;
}

// The first name of a path, taken off it.
std::string takeName(std::string& rest)
{
    const std::size_t slash = rest.find('/');
    std::string name = rest.substr(0, slash);
    rest.erase(0, slash == std::string::npos ? rest.size() : slash + 1);
    return name;
}

std::error_code readLink(int folder, const std::string& name, std::string& target)
{
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t length = ::readlinkat(folder, name.c_str(), buffer.data(), buffer.size());
        if (length < 0) {
            return lastError();
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            target.assign(buffer, 0, static_cast<std::size_t>(length));
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
}

// Takes the link name in folder into what is left of the path, when it may
// be followed; an absolute target starts again from the root.
std::error_code goThroughLink(const std::string& name, const struct stat& link, Descriptor& folder,
                              std::string& resolved, std::string& rest)
{
    std::string target;
    if (!mayFollow(link, folder.fd)) {
        return FileRefusal::ForeignLink;
    }
    if (const std::error_code error = readLink(folder.fd, name, target)) {
        return error;
    }
    if (target.compare(0, 1, "/") == 0) {
        folder.reset(::open("/", FOLDER));
        resolved = "/";
    }
    if (!target.empty() && target.back() == '/') {
        target += '.';
    }
    rest = rest.empty() ? target : target + "/" + rest;
    return folder.fd < 0 ? lastError() : std::error_code();
}

std::string joined(const std::string& folder, const std::string& name)
{
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

// Where following a path has got to.
struct Walk {
    Descriptor folder;     // the folder reached, held open
    std::string resolved;  // the folders walked through, as a path
    std::string rest;      // what is left to follow
    int links;
    MissingFolders missing;
};

// Makes the folder name in folder for its owner only, and opens it. One that
// root makes in another user's folder (a history in that user's home) is
// that user's, so that root does not shut them out; it is given by its
// descriptor, so that no link swapped in meanwhile is given instead.
int makeFolder(int folder, const std::string& name)
{
    if (::mkdirat(folder, name.c_str(), 0700) != 0) {
        return -1;
    }
    const int made = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat parent {};
    if (made >= 0 && ::geteuid() == 0 && ::fstat(folder, &parent) == 0 && parent.st_uid != 0) {
        const int given = ::fchown(made, parent.st_uid, parent.st_gid);
        static_cast<void>(given);
    }
    return made;
}

// Takes the next name of the path into name: a link goes into what is left
// to follow, a folder on the way is entered; the last name stays in name.
std::error_code stepOn(Walk& walk, std::string& name)
{
    name = takeName(walk.rest);
    struct stat status {};
    if (::fstatat(walk.folder.fd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(status.st_mode)) {
        return ++walk.links > 40 ? std::make_error_code(std::errc::too_many_symbolic_link_levels)
                                 : goThroughLink(name, status, walk.folder, walk.resolved, walk.rest);
    }
    if (name.empty() || name == "." || walk.rest.empty()) {
        return {};
    }
    int next = ::openat(walk.folder.fd, name.c_str(), FOLDER | O_NOFOLLOW);
    if (next < 0 && errno == ENOENT && walk.missing == MissingFolders::Make) {
        next = makeFolder(walk.folder.fd, name);
    }
    walk.folder.reset(next);
    walk.resolved = joined(walk.resolved, name);
    return walk.folder.fd < 0 ? lastError() : std::error_code();
}

}  // namespace

std::error_code findFile(const std::string& path, FilePlace& place, MissingFolders missing)
{
    // Name by name from a folder held open, the system never following a
    // link itself: what the program checked is what it uses.
    const bool absolute = path.compare(0, 1, "/") == 0;
    // A path that ends in a slash names a folder: "m/" is followed as "m/.".
    Walk walk{Descriptor(::open(absolute ? "/" : ".", FOLDER)), absolute ? "/" : "",
              path.empty() || path.back() != '/' ? path : path + ".", 0, missing};
    std::string name;
    if (walk.folder.fd < 0) {
        return lastError();
    }
    while (!walk.rest.empty()) {
        if (const std::error_code error = stepOn(walk, name)) {
            return error;
        }
    }
    if (name.empty() || name == "." || name == "..") {
        return std::make_error_code(std::errc::is_a_directory);
    }
    const int held = walk.folder.release();
    place = {std::shared_ptr<const int>(new int(held),
                                        [](const int* fd) {
                                            ::close(*fd);
                                            delete fd;
                                        }),
             name, joined(walk.resolved, name)};
    return {};
}

namespace {

// The lock file of place, opened for locking: read-only is enough, so that
// whoever may read it may lock it, and a lock root made stays usable.
// Non-blocking, so that a FIFO there cannot stall the program.
std::error_code openLock(const FilePlace& place, Descriptor& lock, std::string& identity, bool& made)
{
    constexpr int FLAGS = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    lock.reset(::openat(folderOf(place), place.name.c_str(), FLAGS | O_CREAT | O_EXCL, 0644));
    made = lock.fd >= 0;
    if (!made && errno == EEXIST) {
        lock.reset(::openat(folderOf(place), place.name.c_str(), FLAGS));
    }
    struct stat status {};
    if (lock.fd < 0 || ::fstat(lock.fd, &status) != 0) {
        return errno == ELOOP ? make_error_code(FileRefusal::LinkedLock) : lastError();
    }
    if (!S_ISREG(status.st_mode)) {
        return S_ISDIR(status.st_mode) ? std::make_error_code(std::errc::is_a_directory)
                                       : make_error_code(FileRefusal::NotRegularFile);
    }
    // One made now is readable by all, whatever the umask; one found there
    // may be anyone's file, linked there, and is left as it is.
    if (made) {
        ::fchmod(lock.fd, 0644);
    }
    identity = std::to_string(status.st_ino);
    return {};
}

}  // namespace

RunLock lockForThisRun(const FilePlace& place)
{
    Descriptor lock(-1);
    RunLock run;
    if ((run.error = openLock(place, lock, run.identity, run.made))) {
        return run;
    }
    if (::flock(lock.fd, LOCK_EX | LOCK_NB) != 0) {
        run.error = errno == EWOULDBLOCK ? make_error_code(FileRefusal::InUse) : lastError();
        return run;
    }
    // The descriptor stays open, and the lock held, until the program ends.
    lock.release();
    return run;
}

bool stillLocks(const FilePlace& place, const std::string& identity)
{
    struct stat status {};
    return ::fstatat(folderOf(place), place.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
           std::to_string(status.st_ino) == identity;
}

std::error_code whileLocked(const FilePlace& place, std::chrono::milliseconds patience,
                            const std::function<void(const std::string& identity)>& work)
{
    Descriptor lock(-1);
    std::string identity;
    bool made = false;
    if (const std::error_code error = openLock(place, lock, identity, made)) {
        return error;
    }
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (::flock(lock.fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK) {
            return lastError();
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return FileRefusal::InUse;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    work(identity);
    return {};
}

}  // namespace gorvandel
