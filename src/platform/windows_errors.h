#pragma once

// Windows only: the system's reasons, in its own words, as std::error_code.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <system_error>

namespace gorvandel {

const std::error_category& windowsCategory();

inline std::error_code windowsError(DWORD code)
{
    return {static_cast<int>(code), windowsCategory()};
}

inline std::error_code lastError()
{
    return windowsError(GetLastError());
}

}  // namespace gorvandel
