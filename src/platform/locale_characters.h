#pragma once

#include "console.h"

#include <string_view>

namespace gorvandel {

// Takes up locale for the character set the first time it is called, unless
// one other than "C" (the line editor's) was taken up already.
void takeUpCharacters(const char* locale);

// Reads the character that text starts with in the C library's current
// locale, as POSIX systems and the page's module both show text.
ShownCharacter readLocaleCharacter(std::string_view text);

}  // namespace gorvandel
