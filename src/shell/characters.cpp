#include "characters.h"

namespace gorvandel {

std::size_t characterStart(std::string_view text, std::size_t at)
{
    while (at > 0 && at < text.size() && continuesCharacter(text[at])) {
        --at;
    }
    return at;
}

std::size_t terminalControlLength(std::string_view text)
{
    if (text.empty()) {
        return 0;
    }
    const auto first = static_cast<unsigned char>(text[0]);
    if (first < 0x20 || first == 0x7f) {
        return 1;
    }
    const bool c1 = first == 0xC2 && text.size() > 1 && static_cast<unsigned char>(text[1]) >= 0x80 &&
                    static_cast<unsigned char>(text[1]) <= 0x9F;
    return c1 ? 2 : 0;
}

std::size_t findTerminalControl(std::string_view text, std::size_t from)
{
    for (std::size_t at = from; at < text.size(); ++at) {
        if (terminalControlLength(text.substr(at)) > 0) {
            return at;
        }
    }
    return std::string_view::npos;
}

}  // namespace gorvandel
