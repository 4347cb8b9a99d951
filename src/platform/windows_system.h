#pragma once

// What the Windows sources share. Text inside is UTF-8 whatever the code
// page: arguments are taken as UTF-16 and files named through the wide API.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>
#include <string_view>
#include <system_error>
#include <utility>

namespace gorvandel {

std::wstring widened(std::string_view text);
std::string narrowed(std::wstring_view wide);

// A path for the wide file API, slashes made backslashes (as some calls
// need) but in a \\?\ path, whose every character the system takes as is.
std::wstring widenedPath(std::string_view path);

// The system's reasons, in its own words.
const std::error_category& windowsCategory();

inline std::error_code windowsError(DWORD code)
{
    return {static_cast<int>(code), windowsCategory()};
}

inline std::error_code lastError()
{
    return windowsError(GetLastError());
}

struct Handle {
    HANDLE handle;
    explicit Handle(HANDLE opened)
        : handle(opened)
    {
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { reset(INVALID_HANDLE_VALUE); }
    void reset(HANDLE opened)
    {
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
        handle = opened;
    }
};

constexpr DWORD SHARE_ALL = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace gorvandel
