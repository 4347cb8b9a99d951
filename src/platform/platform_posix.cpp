#include "platform.h"

#include <cerrno>
#include <chrono>
#include <ctime>
#include <limits>
#include <utility>

#include <fcntl.h>
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

StandardStreams prepareStandardStreams()
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
    return {open[0], open[1]};
}

bool talkingToTerminal()
{
    return isatty(STDIN_FILENO) == 1 && isatty(STDOUT_FILENO) == 1;
}

std::uint32_t processId()
{
    return static_cast<std::uint32_t>(::getpid());
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

}  // namespace

std::error_code readFile(const std::string& path, std::size_t limit, FileContents& contents)
{
    // Non-blocking, so that a FIFO at path cannot stall the start.
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
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
    const mode_t mode = ::stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0600;
    // Made anew: never through a link someone left at that name, never over a file.
    Descriptor temporary(::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (temporary.fd < 0) {
        return lastError();
    }
    const auto fail = [&temporaryPath](std::error_code error) {
        ::unlink(temporaryPath.c_str());
        return error;
    };
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

RunLock lockForThisRun(const std::string& path)
{
    Descriptor lock(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    struct stat status {};
    if (lock.fd < 0 || ::fstat(lock.fd, &status) != 0) {
        return {lastError(), {}};
    }
    if (::flock(lock.fd, LOCK_EX | LOCK_NB) != 0) {
        return {errno == EWOULDBLOCK ? make_error_code(FileRefusal::InUse) : lastError(), {}};
    }
    // The descriptor stays open, and the lock held, until the program ends.
    lock.release();
    return {{}, std::to_string(status.st_ino)};
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
