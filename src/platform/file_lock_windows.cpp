// The lock of the file model (rule 3 of files.h) on Windows: LockFileEx on
// FILE.lock, held open without FILE_SHARE_DELETE so that it cannot go.

#include "files.h"
#include "leftovers.h"
#include "windows_system.h"

#include <utility>

namespace gorvandel {

void FileLock::release()
{
    if (handle != -1) {
        CloseHandle(reinterpret_cast<HANDLE>(std::exchange(handle, -1)));
    }
}

std::string ownerOf(const FilePlace&)
{
    return {};  // a lock file here is the program's own, held so that it cannot go
}

namespace {

// Whether the handle is open on a link or junction itself; other reparse
// points (a OneDrive or deduplicated file) are files like any other.
bool isLinkOpen(HANDLE file)
{
    FILE_ATTRIBUTE_TAG_INFO information{};
    return GetFileInformationByHandleEx(file, FileAttributeTagInfo, &information, sizeof information) &&
           (information.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
           (information.ReparseTag == IO_REPARSE_TAG_SYMLINK || information.ReparseTag == IO_REPARSE_TAG_MOUNT_POINT);
}

}  // namespace

std::error_code FileLock::open(const FilePlace&)
{
    const std::wstring path = widenedPath(place.name);
    if (path.size() - path.find_last_of(L'\\') - 1 > 255) {
        return std::make_error_code(std::errc::filename_too_long);
    }
    const HANDLE opened = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    made = GetLastError() != ERROR_ALREADY_EXISTS;
    if (opened == INVALID_HANDLE_VALUE) {
        return lastError();  // a folder too: opened without backup semantics, it is refused
    }
    handle = reinterpret_cast<std::intptr_t>(opened);
    return isLinkOpen(opened) ? make_error_code(FileRefusal::LinkedLock) : std::error_code();
}

std::error_code FileLock::tryLock() const
{
    OVERLAPPED start{};
    if (LockFileEx(reinterpret_cast<HANDLE>(handle), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                   &start)) {
        return {};
    }
    return GetLastError() == ERROR_LOCK_VIOLATION ? make_error_code(FileRefusal::InUse) : lastError();
}

bool FileLock::stillOurs() const
{
    return handle != -1;
}

void FileLock::releaseAndRemoveIfMade()
{
    const bool remove = handle != -1 && made;
    release();
    if (remove) {
        removeFile(place);
    }
}

}  // namespace gorvandel
