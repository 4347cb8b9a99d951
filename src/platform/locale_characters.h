#pragma once

#include "console.h"

#include <string_view>

namespace gorvandel {

// Reads the character that text starts with in the C library's current
// locale, as POSIX systems and the page's module both show text; the caller
// takes up the locale first.
ShownCharacter readLocaleCharacter(std::string_view text);

}  // namespace gorvandel
