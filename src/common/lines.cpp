#include "lines.h"

namespace gorvandel {

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        lines.push_back(text.substr(0, newline));
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    }
    return lines;
}

std::string_view withoutCarriageReturn(std::string_view line)
{
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

void removeCarriageReturn(std::string& line)
{
    line.resize(withoutCarriageReturn(line).size());
}

std::string lastLines(const std::string& text, std::size_t lines, bool cut, bool& more)
{
    // A cut text may start inside a line, which is left out up to its newline.
    const std::size_t first = cut ? text.find('\n') : std::string::npos;
    const std::size_t begin = !cut ? 0 : first == std::string::npos ? text.size() : first + 1;
    // The newline that ends the last line starts no line of its own.
    std::size_t start = text.size() - (!text.empty() && text.back() == '\n' ? 1 : 0);
    for (std::size_t found = 0; found < lines; ++found) {
        const std::size_t newline = start <= begin ? std::string::npos : text.rfind('\n', start - 1);
        if (newline == std::string::npos) {
            more = cut;
            return text.substr(begin);
        }
        start = newline;
    }
    more = true;
    return text.substr(start + 1);
}

}  // namespace gorvandel
