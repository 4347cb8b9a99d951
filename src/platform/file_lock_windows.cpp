// The lock of the file model (rule 3 of files.h) on Windows: LockFileEx on
// FILE.lock, held open without FILE_SHARE_DELETE so that it cannot go.

#include "files.h"
#include "leftovers.h"
#include "windows_errors.h"
#include "windows_files.h"
#include "windows_text.h"

#include <chrono>
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

FilePlace lockPlace(const FilePlace& file)
{
    // The place's name is its whole path.
    return placeBeside(file, file.name.substr(file.name.find_last_of("/\\") + 1) + ".lock");
}

namespace {

// The lock file at place, opened for locking, never through a link, and
// without FILE_SHARE_DELETE: while it is open no one can remove or replace it.
std::error_code openLock(const FilePlace& place, Handle& lock, bool& made)
{
    const std::wstring path = widenedPath(place.name);
    if (path.size() - path.find_last_of(L'\\') - 1 > 255) {
        return std::make_error_code(std::errc::filename_too_long);
    }
    lock.reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    made = GetLastError() != ERROR_ALREADY_EXISTS;
    BY_HANDLE_FILE_INFORMATION information{};
    if (lock.handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(lock.handle, &information)) {
        return lastError();
    }
    if (isLinkOpen(lock.handle)) {
        return FileRefusal::LinkedLock;
    }
    return (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0
               ? std::make_error_code(std::errc::is_a_directory)
               : std::error_code();
}

}  // namespace

std::error_code FileLock::take(const FilePlace& file, std::chrono::milliseconds patience, FileLock& lock)
{
    if (const std::error_code refused = checkKeepable(file)) {
        return refused;
    }
    const FilePlace lockFile = lockPlace(file);
    Handle opened(INVALID_HANDLE_VALUE);
    bool made = false;
    if (const std::error_code error = openLock(lockFile, opened, made)) {
        return error;
    }
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (OVERLAPPED start{}; !LockFileEx(opened.handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                                         &start);) {
        const DWORD code = GetLastError();
        if (code != ERROR_LOCK_VIOLATION) {
            return windowsError(code);
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return FileRefusal::InUse;
        }
        Sleep(10);
    }
    lock = FileLock();
    lock.handle = reinterpret_cast<std::intptr_t>(opened.release());
    lock.made = made;
    lock.place = lockFile;
    return {};
}

bool FileLock::stillOurs() const
{
    // Held without FILE_SHARE_DELETE, the lock file cannot go.
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
