#include "platform.h"
#include "shortened_name.h"

#include <cerrno>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <limits>
#include <string_view>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <langinfo.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gorvandel {

std::uint32_t millisecondTicks()
{
    // On Linux the steady clock counts from boot, like the Windows tick counter.
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

std::int64_t currentCalendarTime()
{
    return std::time(nullptr);
}

std::optional<std::string> calendarTimeText(std::int64_t seconds)
{
    if (seconds < std::numeric_limits<std::time_t>::min() || seconds > std::numeric_limits<std::time_t>::max()) {
        return std::nullopt;
    }
    const std::time_t time = seconds;  // in range, as checked
    const char* text = std::ctime(&time);
    if (text == nullptr) {
        return std::nullopt;
    }
    return std::string(text);
}

StandardStreams prepareProcess()
{
    // open() takes the lowest free descriptor, so filling the gaps in order
    // puts each missing stream on the null device.
    bool open[3] = {true, true, true};
    for (int fd = 0; fd < 3; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            open[fd] = false;
            ::open("/dev/null", O_RDWR);
        }
    }
    // Past a file size limit a write then fails with EFBIG, and a save says
    // so and leaves the old file, where the signal would kill the program
    // halfway through.
    std::signal(SIGXFSZ, SIG_IGN);
    return {open[0], open[1]};
}

std::vector<std::string> commandLineArguments(int argc, char* argv[])
{
    return {argv, argv + argc};
}

void writeToStandardError(std::string_view text)
{
    // Standard error is unbuffered: one call, one write.
    std::fwrite(text.data(), 1, text.size(), stderr);
}

bool talkingToTerminal()
{
    return isatty(STDIN_FILENO) == 1 && isatty(STDOUT_FILENO) == 1;
}

bool outputTakesUtf8()
{
    return std::setlocale(LC_CTYPE, "") != nullptr && std::string_view(nl_langinfo(CODESET)) == "UTF-8";
}

bool outputShowsColour()
{
    const char* terminal = std::getenv("TERM");
    return isatty(STDOUT_FILENO) == 1 && terminal != nullptr && std::string_view(terminal) != "dumb";
}

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
    ~Descriptor()
    {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    // Hands the descriptor over: it is no longer closed here.
    int release() { return std::exchange(fd, -1); }
};

bool writeAll(int fd, const std::string& bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno != EINTR) {
            return false;
        }
        written += count > 0 ? static_cast<std::size_t>(count) : 0;
    }
    return true;
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
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

std::error_code readFile(const std::string& path, std::size_t limit, FileContents& contents)
{
    // Non-blocking, so that a FIFO at path cannot stall the start.
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
    struct stat status {};
    if (file.fd < 0 || ::fstat(file.fd, &status) != 0) {
        return lastError();
    }
    if (S_ISDIR(status.st_mode)) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    if (!S_ISREG(status.st_mode)) {
        return FileRefusal::NotRegularFile;
    }
    FileContents read;
    read.writable = ::access(path.c_str(), W_OK) == 0 && (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    read.links = status.st_nlink;
    if (const std::error_code error = readRest(file.fd, limit, read.bytes)) {
        return error;
    }
    contents = std::move(read);
    return {};
}

std::error_code replaceFile(const std::string& path, const std::string& contents, const std::string& temporaryPath)
{
    // Opened first: flushing it is the last step, and must not be the one that fails.
    const Descriptor folder(::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.fd < 0) {
        return lastError();
    }
    struct stat existing {};
    const bool replacing = ::stat(path.c_str(), &existing) == 0;
    // Made anew: never through a link someone left at that name, never over a file.
    Descriptor temporary(::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (temporary.fd < 0) {
        return lastError();
    }
    const auto fail = [&temporaryPath](std::error_code error) {
        ::unlink(temporaryPath.c_str());
        return error;
    };
    if (replacing) {
        keepOwnerAndGroup(temporary.fd, existing);
    }
    // After the owner: giving a file away clears its set-id bits.
    const mode_t mode = replacing ? (existing.st_mode & 07777) : 0600;
    if (::fchmod(temporary.fd, mode) != 0 || !writeAll(temporary.fd, contents) || ::fsync(temporary.fd) != 0) {
        return fail(lastError());
    }
    if (::close(temporary.release()) != 0 || ::rename(temporaryPath.c_str(), path.c_str()) != 0) {
        return fail(lastError());
    }
    // The rename is durable once the folder is on disk. Some file systems
    // cannot flush a folder (EINVAL); the rename stands there too.
    if (::fsync(folder.fd) != 0 && errno != EINVAL) {
        return lastError();
    }
    return {};
}

std::error_code checkCanCreate(const std::string& path)
{
    const Descriptor folder(::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const Descriptor file(folder.fd < 0 ? -1 : ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (file.fd < 0) {
        return lastError();
    }
    ::unlink(path.c_str());
    return {};
}

void removeFile(const std::string& path)
{
    ::unlink(path.c_str());
}

bool pathExists(const std::string& path)
{
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

std::string pathBeside(const std::string& path, const std::string& suffix)
{
    const long longest = ::pathconf(folderOf(path).c_str(), _PC_NAME_MAX);
    return shortenedName(path, path.find_last_of('/') + 1, longest > 0 ? static_cast<std::size_t>(longest) : 255,
                         suffix);
}

namespace {

// A link in a folder that every user may write and only owners may delete
// from is followed only when it is this user's or the folder owner's:
// otherwise another user could lead the program to any file.
bool mayFollow(const struct stat& link, const std::string& folder)
{
    struct stat where {};
    if (::stat(folder.empty() ? "." : folder.c_str(), &where) != 0) {
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

// Takes the link at path, in the folder resolved, into what is left to
// resolve, when it may be followed.
std::error_code goThroughLink(const std::string& path, const struct stat& link, std::string& resolved,
                              std::string& rest)
{
    if (!mayFollow(link, resolved)) {
        return FileRefusal::ForeignLink;
    }
    std::error_code error;
    const std::string target = std::filesystem::read_symlink(path, error).string();
    if (!error) {
        resolved = target.compare(0, 1, "/") == 0 ? "/" : resolved;
        rest = rest.empty() ? target : target + "/" + rest;
    }
    return error;
}

}  // namespace

std::error_code followLinks(const std::string& path, std::string& followed)
{
    // What is resolved so far holds no link, so a ".." after it is the
    // folder above, as the system reads it.
    std::string resolved = path.compare(0, 1, "/") == 0 ? "/" : "";
    std::string rest = path;
    int links = 0;
    while (!rest.empty()) {
        const std::string name = takeName(rest);
        if (name.empty() || name == ".") {
            continue;
        }
        const std::string next = resolved.empty() || resolved.back() == '/' ? resolved + name : resolved + "/" + name;
        struct stat status {};
        if (::lstat(next.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            resolved = next;
            continue;
        }
        if (++links > 40) {
            return std::make_error_code(std::errc::too_many_symbolic_link_levels);
        }
        if (const std::error_code error = goThroughLink(next, status, resolved, rest)) {
            return error;
        }
    }
    followed = links == 0 ? path : resolved;
    return {};
}

namespace {

// The lock file at path, opened for locking: read-only is enough, so that
// whoever may read it may lock it (a lock root made stays usable).
std::error_code openLock(const std::string& path, Descriptor& lock, std::string& identity)
{
    lock.fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    struct stat status {};
    if (lock.fd < 0 || ::fstat(lock.fd, &status) != 0) {
        return errno == ELOOP ? make_error_code(FileRefusal::LinkedLock) : lastError();
    }
    identity = std::to_string(status.st_ino);
    return {};
}

}  // namespace

RunLock lockForThisRun(const std::string& path)
{
    Descriptor lock(-1);
    RunLock run;
    if ((run.error = openLock(path, lock, run.identity))) {
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

std::error_code whileLocked(const std::string& path, std::chrono::milliseconds patience,
                            const std::function<void(const std::string& identity)>& work)
{
    Descriptor lock(-1);
    std::string identity;
    if (const std::error_code error = openLock(path, lock, identity)) {
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

std::error_code makeParentFolders(const std::string& path)
{
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        if (::mkdir(path.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST) {
            return lastError();
        }
    }
    return {};
}

}  // namespace gorvandel
