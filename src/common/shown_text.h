#pragma once

// The one rule for text the program shows but did not write itself (a
// file's name, a memory file's words): in an error line, in --show's title
// and in the completion listing, nothing of it may act on the terminal or
// hide, reorder or disguise what is shown around it. The persona's answers
// are the user's own text and are not shown through it.

#include <cstddef>
#include <string>
#include <string_view>

namespace gorvandel {

// Whether text is shown as it is without reading its characters: every
// byte printable ASCII.
bool isPrintableAscii(std::string_view text);

// The text with one '?' for each character that a terminal acts on (C0
// controls, DEL, C1 controls, raw or encoded), each bidirectional control
// (U+061C, U+200E, U+200F, U+202A to U+202E, U+2066 to U+2069), each
// zero-width one (U+200B to U+200D, U+2060, U+FEFF) and each byte that
// starts no character. Characters are read as the system reads text
// (readShownCharacter): by the locale on POSIX, so that a Latin-1 name
// stays legible under a Latin-1 locale; as UTF-8 on Windows.
std::string shownSafely(std::string_view text);

// How many columns text shownSafely gave takes on a terminal.
std::size_t columnsOf(std::string_view shown);

}  // namespace gorvandel
