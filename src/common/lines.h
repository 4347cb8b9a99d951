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

// The last lines lines of text (a last line without a newline counts), and
// whether it has more. When text is the end of a longer file (cut), what
// comes before its first newline may be the end of a line, and is left out.
std::string lastLines(const std::string& text, std::size_t lines, bool cut, bool& more);

}  // namespace gorvandel
