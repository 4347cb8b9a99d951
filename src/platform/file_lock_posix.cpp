// The lock of the file model (rule 3 of files.h) on POSIX systems: flock
// on FILE.lock, held by its descriptor.

#include "files.h"
#include "leftovers.h"
#include "posix_files.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gorvandel {

void FileLock::release()
{
    if (handle >= 0) {
        ::close(static_cast<int>(std::exchange(handle, -1)));
    }
}

std::string ownerOf(const FilePlace& place)
{
    struct stat status {};
    if (::fstatat(folderOf(place), place.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        return {};
    }
    const passwd* user = ::getpwuid(status.st_uid);
    return user != nullptr ? user->pw_name : std::to_string(status.st_uid);
}

std::error_code FileLock::open(const FilePlace& file)
{
    // Opened read-only, which is enough: whoever may read it may lock it.
    Descriptor opened(-1);
    struct stat status {};
    if (const std::error_code error = openRegular(place, O_RDONLY, opened, status, &made)) {
        return error == FileRefusal::NotRegularFile && opened.fd < 0 ? make_error_code(FileRefusal::LinkedLock) : error;
    }
    if (!made && !mayUseLock(status.st_uid, ::geteuid(), ownerOfSaves(file))) {
        return FileRefusal::OthersLock;
    }
    // One made now is readable by all, whatever the umask; one found stays as it is.
    if (made) {
        ::fchmod(opened.fd, 0644);
    }
    handle = opened.release();
    return {};
}

std::error_code FileLock::tryLock() const
{
    if (::flock(static_cast<int>(handle), LOCK_EX | LOCK_NB) == 0) {
        return {};
    }
    return errno == EWOULDBLOCK ? make_error_code(FileRefusal::InUse) : lastError();
}

bool FileLock::stillOurs() const
{
    // Removed or replaced, the locked file is no longer the one at the lock's
    // name; held open, its number cannot go to a new file.
    struct stat held {};
    struct stat named {};
    return handle >= 0 && ::fstat(static_cast<int>(handle), &held) == 0 &&
           ::fstatat(folderOf(place), place.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

void FileLock::releaseAndRemoveIfMade()
{
    if (handle >= 0 && made) {
        removeFile(place);
    }
    release();
}

}  // namespace gorvandel
