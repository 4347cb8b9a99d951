#include "utf16.h"

#include <utility>

namespace gorvandel {

namespace {

constexpr char32_t REPLACEMENT_CHARACTER = 0xFFFD;

void appendUtf8(char32_t character, std::string& utf8)
{
    if (character < 0x80) {
        utf8 += static_cast<char>(character);
        return;
    }
    const int trailing = character < 0x800 ? 1 : character < 0x10000 ? 2 : 3;
    const char32_t lead = (0xFF00u >> (trailing + 1)) & 0xFFu;  // 110xxxxx, 1110xxxx or 11110xxx
    utf8 += static_cast<char>(lead | (character >> (6 * trailing)));
    for (int shift = 6 * (trailing - 1); shift >= 0; shift -= 6) {
        utf8 += static_cast<char>(0x80u | ((character >> shift) & 0x3Fu));
    }
}

}  // namespace

void Utf16Decoder::decode(std::string_view bytes, std::string& utf8)
{
    for (const char byte : bytes) {
        const int value = static_cast<unsigned char>(byte);
        if (oddByte < 0) {
            oddByte = value;
            continue;
        }
        const int unit = bigEndian ? (oddByte << 8 | value) : (value << 8 | oddByte);
        oddByte = -1;
        decodeUnit(static_cast<char16_t>(unit), utf8);
    }
}

void Utf16Decoder::finish(std::string& utf8)
{
    if (std::exchange(highSurrogate, 0) != 0) {
        appendUtf8(REPLACEMENT_CHARACTER, utf8);
    }
    if (std::exchange(oddByte, -1) >= 0) {
        appendUtf8(REPLACEMENT_CHARACTER, utf8);
    }
}

void Utf16Decoder::decodeUnit(char16_t unit, std::string& utf8)
{
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
    if (highSurrogate != 0) {
        const char32_t waited = std::exchange(highSurrogate, 0);
        if (low) {
            appendUtf8(0x10000 + ((waited - 0xD800) << 10) + (char32_t{unit} - 0xDC00), utf8);
            return;
        }
        appendUtf8(REPLACEMENT_CHARACTER, utf8);
    }
    if (high) {
        highSurrogate = unit;
        return;
    }
    appendUtf8(low ? REPLACEMENT_CHARACTER : unit, utf8);
}

std::optional<std::string> decodeMarkedUtf16(std::string_view bytes)
{
    const bool littleEndian = bytes.substr(0, UTF16_LITTLE_ENDIAN_MARK.size()) == UTF16_LITTLE_ENDIAN_MARK;
    if (!littleEndian && bytes.substr(0, UTF16_BIG_ENDIAN_MARK.size()) != UTF16_BIG_ENDIAN_MARK) {
        return std::nullopt;
    }
    Utf16Decoder decoder(!littleEndian);
    std::string utf8;
    decoder.decode(bytes.substr(UTF16_LITTLE_ENDIAN_MARK.size()), utf8);
    decoder.finish(utf8);
    return utf8;
}

}  // namespace gorvandel
