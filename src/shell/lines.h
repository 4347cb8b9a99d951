#pragma once

// Text split into lines, as the program reads its input and its files.

#include <string>
#include <string_view>
#include <vector>

namespace gorvandel {

// The lines of text without their newlines; a last line without a newline
// is a line too, but nothing after a final newline is.
std::vector<std::string_view> splitLines(std::string_view text);

// The line without one carriage return at its end: a line that ended in
// CR LF means the same as one that ended in LF.
std::string_view withoutCarriageReturn(std::string_view line);
void removeCarriageReturn(std::string& line);

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
