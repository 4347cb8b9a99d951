#pragma once

// UTF-8 characters, for text the program cuts, or names by the character.
// What may be shown of a text is shown_text.h's one rule.

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

}  // namespace gorvandel
