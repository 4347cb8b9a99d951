#include "shown_text.h"

#include "console.h"

#include <algorithm>
#include <utility>

namespace gorvandel {

namespace {

// Controls, bidirectional controls and zero-width characters, as ranges.
constexpr std::pair<char32_t, char32_t> HIDDEN[] = {
    {0x00, 0x1F},     {0x7F, 0x9F},     {0x061C, 0x061C}, {0x200B, 0x200F},
    {0x202A, 0x202E}, {0x2060, 0x2060}, {0x2066, 0x2069}, {0xFEFF, 0xFEFF},
};

bool isHidden(const ShownCharacter& character, unsigned char firstByte)
{
    // A byte from 0x80 to 0x9F is a C1 control to an 8-bit terminal, even
    // where the locale's character set gives it another character.
    const bool rawC1 = character.length == 1 && firstByte >= 0x80 && firstByte <= 0x9F;
    return !character.valid || rawC1 || std::any_of(std::begin(HIDDEN), std::end(HIDDEN), [&](const auto& range) {
        return character.code >= range.first && character.code <= range.second;
    });
}

}  // namespace

bool isPrintableAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char byte) { return byte >= 0x20 && byte < 0x7F; });
}

std::string shownSafely(std::string_view text)
{
    if (isPrintableAscii(text)) {
        return std::string(text);
    }
    std::string shown;
    for (std::size_t at = 0; at < text.size();) {
        const ShownCharacter character = readShownCharacter(text.substr(at));
        if (isHidden(character, static_cast<unsigned char>(text[at]))) {
            shown += '?';
        } else {
            shown.append(text.substr(at, character.length));
        }
        at += character.length;
    }
    return shown;
}

std::size_t columnsOf(std::string_view shown)
{
    if (isPrintableAscii(shown)) {
        return shown.size();
    }
    std::size_t columns = 0;
    for (std::size_t at = 0; at < shown.size();) {
        const ShownCharacter character = readShownCharacter(shown.substr(at));
        columns += character.columns;
        at += character.length;
    }
    return columns;
}

}  // namespace gorvandel
