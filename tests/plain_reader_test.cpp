#include "commands.h"
#include "plain_reader.h"
#include "test_support.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace {

using gorvandel::ReadResult;

// Hands the reader its input in these pieces, then the end of input or, with
// a reason, a failed read. A read must come after the prompt was flushed.
struct Pieces {
    explicit Pieces(std::vector<std::string> inPieces, std::error_code then = {})
        : pieces(std::move(inPieces)),
          failure(then)
    {
    }

    std::vector<std::string> pieces;
    std::error_code failure;
    std::size_t reads = 0;

    std::ptrdiff_t operator()(char* buffer, std::size_t size, std::error_code& error)
    {
        EXPECT_EQ(gorvandel::outputWaiting(), "") << "a read before the prompt was flushed";
        if (reads++ < pieces.size()) {
            const std::string& piece = pieces[reads - 1];
            EXPECT_LE(piece.size(), size);
            return std::copy(piece.begin(), piece.end(), buffer) - buffer;
        }
        error = failure;
        return failure ? -1 : 0;
    }
};

Pieces byteByByte(const std::string& text)
{
    Pieces input({});
    for (const char byte : text) {
        input.pieces.emplace_back(1, byte);
    }
    return input;
}

struct Reading {
    std::vector<std::string> lines;
    ReadResult end;
    std::error_code error;
    std::string output;
};

Reading readAll(Pieces& input)
{
    CapturedOutput output;
    const gorvandel::LineReader read = gorvandel::plainReader(std::ref(input));
    Reading reading;
    std::string line;
    while ((reading.end = read(line, reading.error)) == ReadResult::Line) {
        reading.lines.push_back(line);
    }
    reading.output = output.delivered();
    return reading;
}

const std::string UTF8_MARK = "\xEF\xBB\xBF";

TEST(PlainReader, LinesAsTheyCameAndNothingReadAfterTheEnd)
{
    Pieces input({"a\r\n", UTF8_MARK + "b", "c\r\r\n\n", "d\r"});
    const Reading reading = readAll(input);
    EXPECT_EQ(reading.lines, (std::vector<std::string>{"a", UTF8_MARK + "bc\r", "", "d\r"}));
    EXPECT_EQ(reading.end, ReadResult::EndOfInput);
    std::string prompts;
    for (int read = 0; read < 5; ++read) {
        prompts += gorvandel::PROMPT;
    }
    EXPECT_EQ(reading.output, prompts);
    EXPECT_EQ(input.reads, 5u);
}

TEST(PlainReader, AFailedReadIsNoEndAndKeepsTheSystemsReason)
{
    Pieces input({"cut sho"}, std::make_error_code(std::errc::io_error));
    const Reading reading = readAll(input);
    EXPECT_TRUE(reading.lines.empty());
    EXPECT_EQ(reading.end, ReadResult::ReadFailed);
    EXPECT_EQ(reading.error, std::errc::io_error);
}

std::string utf16(std::u16string_view text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

// Each input whole and one byte per read, so that a mark, a unit or a
// surrogate pair falls across reads.
TEST(PlainReader, ByteOrderMarksAtTheStartOfTheInput)
{
    const std::string missing = "\xEF\xBF\xBD";  // U+FFFD
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {UTF8_MARK + "exit\r\n", {"exit"}},
        {"\xEF\xBB", {"\xEF\xBB"}},
        {"\xFF\n", {"\xFF"}},
        {utf16(u"do something with é😀\r\nlast", false), {"do something with é😀", "last"}},
        {utf16(u"do something with é😀\r\nlast", true), {"do something with é😀", "last"}},
        {utf16(u"\xD800\x61\xDC00\n\xD83D", false) + "x", {missing + "a" + missing, missing + missing}},
    };
    for (const auto& [input, lines] : cases) {
        for (Pieces pieces : {Pieces({input}), byteByByte(input)}) {
            const Reading reading = readAll(pieces);
            EXPECT_EQ(reading.lines, lines) << input << " in " << pieces.pieces.size() << " pieces";
            EXPECT_EQ(reading.end, ReadResult::EndOfInput);
        }
    }
}

}  // namespace
