#pragma once

// Windows only. Inside, text is UTF-8, whatever code page the system runs
// in: the arguments are taken as UTF-16 and every file is named through the
// wide API, so that any name reaches the file system as it was given.

#include <string>
#include <string_view>

namespace gorvandel {

std::wstring widened(std::string_view text);
std::string narrowed(std::wstring_view wide);

// A path for the wide file API: its slashes made backslashes, which some
// calls need (Wine's ReplaceFileW among them), but in a \\?\ path, where
// the system takes every character as it is.
std::wstring widenedPath(std::string_view path);

}  // namespace gorvandel
