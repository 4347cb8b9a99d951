#include "characters.h"

namespace gorvandel {

std::size_t characterStart(std::string_view text, std::size_t at)
{
    while (at > 0 && at < text.size() && continuesCharacter(text[at])) {
        --at;
    }
    return at;
}

}  // namespace gorvandel
