#include "plain_reader.h"

#include "commands.h"
#include "lines.h"
#include "standard_output.h"
#include "utf16.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace gorvandel {

namespace {

// A long session takes few reads, and the buffer still fits in the heap
// the C library sets up at the start (another system call otherwise).
constexpr std::size_t READ_SIZE = 16384;

enum class Encoding { Undecided, Bytes, Utf16LittleEndian, Utf16BigEndian };

struct Mark {
    std::string_view bytes;
    Encoding encoding;
};
constexpr Mark MARKS[] = {
    {"\xEF\xBB\xBF", Encoding::Bytes},
    {UTF16_LITTLE_ENDIAN_MARK, Encoding::Utf16LittleEndian},
    {UTF16_BIG_ENDIAN_MARK, Encoding::Utf16BigEndian},
};

// The encoding the start of the input marks and the mark's length;
// Undecided while more bytes could still make a mark. No mark holds a
// newline, so waiting for the bytes that decide never holds a line back.
std::pair<Encoding, std::size_t> markedEncoding(std::string_view start, bool ended)
{
    bool couldBecomeMark = false;
    for (const Mark& mark : MARKS) {
        if (start.substr(0, mark.bytes.size()) == mark.bytes) {
            return {mark.encoding, mark.bytes.size()};
        }
        couldBecomeMark =
            couldBecomeMark || (start.size() < mark.bytes.size() && mark.bytes.substr(0, start.size()) == start);
    }
    return {couldBecomeMark && !ended ? Encoding::Undecided : Encoding::Bytes, 0};
}

class PlainReader {
public:
    explicit PlainReader(InputSource readFrom)
        : source(std::move(readFrom))
    {
    }

    LineRead readLine(std::string& line)
    {
        line.clear();
        for (;;) {
            const std::size_t newline = unread.find('\n');
            if (newline != std::string_view::npos) {
                line.append(unread.data(), newline);
                unread.remove_prefix(newline + 1);
                removeCarriageReturn(line);
                return {ReadResult::Line};
            }
            line.append(unread.data(), unread.size());
            unread = {};
            if (ended) {
                return {line.empty() ? ReadResult::EndOfInput : ReadResult::Line};
            }
            if (std::error_code error; !readMore(error)) {
                return {ReadResult::ReadFailed, error};
            }
        }
    }

private:
    bool readMore(std::error_code& error)
    {
        do {
            // Until the encoding is known, the first bytes stay at the start, where a mark is looked for.
            const std::size_t kept = encoding == Encoding::Undecided ? unread.size() : 0;
            const std::ptrdiff_t count = source(buffer.get() + kept, READ_SIZE - kept, error);
            if (count < 0) {
                return false;
            }
            ended = count == 0;
            takeUp(std::string_view(buffer.get(), kept + static_cast<std::size_t>(count)));
        } while (encoding == Encoding::Undecided);
        return true;
    }

    void takeUp(std::string_view read)
    {
        if (encoding == Encoding::Undecided) {
            const auto [marked, markLength] = markedEncoding(read, ended);
            encoding = marked;
            read.remove_prefix(markLength);
            if (encoding == Encoding::Utf16LittleEndian || encoding == Encoding::Utf16BigEndian) {
                utf16 = std::make_unique<Utf16Decoder>(encoding == Encoding::Utf16BigEndian);
            }
        }
        if (utf16) {
            decoded.clear();
            utf16->decode(read, decoded);
            if (ended) {
                utf16->finish(decoded);
            }
            read = decoded;
        }
        unread = read;
    }

    InputSource source;
    // Uninitialised: a start would spend more on clearing it than on the rest.
    std::unique_ptr<char[]> buffer{new char[READ_SIZE]};
    Encoding encoding = Encoding::Undecided;
    bool ended = false;
    std::unique_ptr<Utf16Decoder> utf16;
    std::string decoded;
    // What was read and not yet handed on: in buffer, or in decoded.
    std::string_view unread;
};

}  // namespace

LineReader plainReader(InputSource source)
{
    auto reader = std::make_shared<PlainReader>(std::move(source));
    return [reader](std::string& line) {
        // Flushed, so that the prompt shows before the read waits.
        writeOutput(PROMPT);
        if (const std::error_code failure = flushOutput()) {
            return LineRead{ReadResult::WriteFailed, failure};
        }
        return reader->readLine(line);
    };
}

}  // namespace gorvandel
