#pragma once

// UTF-8 characters and the characters a terminal acts on, for text the
// program shows or cuts.

#include <cstddef>
#include <string_view>

namespace gorvandel {

// Whether the byte is within a UTF-8 character rather than its start.
constexpr bool continuesCharacter(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Where the UTF-8 character that holds the byte at index at starts; at when
// that is text's end.
std::size_t characterStart(std::string_view text, std::size_t at);

// Where the first character that a terminal would act on starts: a control
// character, or a C1 control as UTF-8 writes it (C2 80 to C2 9F); npos
// when there is none.
std::size_t findTerminalControl(std::string_view text, std::size_t from = 0);

// How many bytes the terminal control at the start of text takes: 1 or 2;
// 0 when text starts with none.
std::size_t terminalControlLength(std::string_view text);

}  // namespace gorvandel
