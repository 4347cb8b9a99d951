#pragma once

// UTF-16 text, as Windows tools write it (Notepad's "Unicode", PowerShell
// 5.1's ">"), read as the UTF-8 the program works in.

#include <optional>
#include <string>
#include <string_view>

namespace gorvandel {

constexpr std::string_view UTF16_LITTLE_ENDIAN_MARK = "\xFF\xFE";
constexpr std::string_view UTF16_BIG_ENDIAN_MARK = "\xFE\xFF";

// UTF-16 to UTF-8, in pieces as they are read: half a unit, or a high
// surrogate, waits for the next piece. An unpaired surrogate, or an odd
// byte left at the finish, becomes U+FFFD.
class Utf16Decoder {
public:
    explicit Utf16Decoder(bool bigEndianUnits)
        : bigEndian(bigEndianUnits)
    {
    }

    void decode(std::string_view bytes, std::string& utf8);
    void finish(std::string& utf8);

private:
    void decodeUnit(char16_t unit, std::string& utf8);

    bool bigEndian;
    int oddByte = -1;
    char16_t highSurrogate = 0;
};

// Whole text that starts with a UTF-16 byte-order mark, as UTF-8 without
// the mark; nothing for text without one.
std::optional<std::string> decodeMarkedUtf16(std::string_view bytes);

}  // namespace gorvandel
