#include "plain_reader.h"
#include "test_support.h"

#include <functional>
#include <utility>

namespace {

using gorvandel::ReadResult;

// Hands the reader a piece a read, then the end of input or a failure; no read comes before the prompt is flushed.
struct Pieces {
    std::vector<std::string> pieces;
    std::error_code failure = {};
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

// The lines read, then "END" or "FAILED: " and the reason for how the reading ended.
std::vector<std::string> readAll(Pieces& input)
{
    CapturedOutput output;
    const gorvandel::LineReader read = gorvandel::plainReader(std::ref(input));
    std::vector<std::string> lines;
    gorvandel::LineRead got{};
    for (std::string line; (got = read(line)).result == ReadResult::Line;) {
        lines.push_back(line);
    }
    lines.emplace_back(got.result == ReadResult::EndOfInput ? "END" : "FAILED: " + got.failure.message());
    return lines;
}

const std::string UTF8_MARK = "\xEF\xBB\xBF";

TEST(PlainReader, LinesAsTheyCameThenTheEndOrTheSystemsReason)
{
    Pieces input{{"a\r\n", UTF8_MARK + "b", "c\r\r\n\n", "d\r"}};
    EXPECT_EQ(readAll(input), (std::vector<std::string>{"a", UTF8_MARK + "bc\r", "", "d\r", "END"}));
    EXPECT_EQ(input.reads, 5u) << "a read after the end of input";
    Pieces failing{{"cut sho"}, std::make_error_code(std::errc::io_error)};
    EXPECT_EQ(readAll(failing), std::vector<std::string>{"FAILED: " + failing.failure.message()});
}

// Each input whole and a byte a read, so that a mark, a unit or a surrogate pair falls across reads.
TEST(PlainReader, ByteOrderMarksAtTheStartOfTheInput)
{
    const std::string missing = "\xEF\xBF\xBD";  // U+FFFD
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {UTF8_MARK + "exit\r\n", {"exit", "END"}},
        {"\xEF\xBB", {"\xEF\xBB", "END"}},
        {"\xFF\n", {"\xFF", "END"}},
        {utf16(u"do something with é😀\r\nlast", false), {"do something with é😀", "last", "END"}},
        {utf16(u"do something with é😀\r\nlast", true), {"do something with é😀", "last", "END"}},
        {utf16(u"\xD800\x61\xDC00\n\xD83D", false) + "x", {missing + "a" + missing, missing + missing, "END"}},
    };
    for (const auto& [input, lines] : cases) {
        Pieces whole{{input}}, byteByByte{{}};
        for (const char byte : input) {
            byteByByte.pieces.emplace_back(1, byte);
        }
        EXPECT_EQ(readAll(whole), lines) << input;
        EXPECT_EQ(readAll(byteByByte), lines) << input << ", a byte a read";
    }
}

}  // namespace
