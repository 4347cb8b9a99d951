#include "locale_characters.h"

#include <algorithm>
#include <clocale>
#include <cstring>
#include <cwchar>

#include <wchar.h>

namespace gorvandel {

void takeUpCharacters(const char* locale)
{
    static const bool taken = [locale] {
        const char* current = std::setlocale(LC_CTYPE, nullptr);
        if (current == nullptr || std::strcmp(current, "C") == 0 || std::strcmp(current, "POSIX") == 0) {
            std::setlocale(LC_CTYPE, locale);
        }
        return true;
    }();
    static_cast<void>(taken);
}

ShownCharacter readLocaleCharacter(std::string_view text)
{
    std::mbstate_t state{};
    wchar_t character = 0;
    const std::size_t length = std::mbrtowc(&character, text.data(), text.size(), &state);
    // (size_t)-1 for an invalid byte, -2 for a character cut short; glibc
    // also reads UTF-8 forms past U+10FFFF, which are no character.
    const auto code = static_cast<char32_t>(character);
    if (length > text.size() || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return {};
    }
    const int columns = ::wcwidth(character);
    return {std::max<std::size_t>(length, 1), true, code, columns < 0 ? 1 : static_cast<std::size_t>(columns)};
}

}  // namespace gorvandel
