#pragma once

// Windows only: what the sources of the file model share.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <utility>

namespace gorvandel {

// A handle that is closed when it goes out of scope.
struct Handle {
    HANDLE handle;
    explicit Handle(HANDLE opened)
        : handle(opened)
    {
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { reset(INVALID_HANDLE_VALUE); }
    // Hands the handle over: it is no longer closed here.
    HANDLE release() { return std::exchange(handle, INVALID_HANDLE_VALUE); }
    void reset(HANDLE opened)
    {
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
        handle = opened;
    }
};

constexpr DWORD SHARE_ALL = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Whether the handle is open on a symbolic link or a junction itself; other
// reparse points (a file OneDrive keeps in the cloud, a deduplicated one)
// are files like any other.
bool isLinkOpen(HANDLE file);

}  // namespace gorvandel
