// libFuzzer harness: the fuzzer's bytes are standard input for the plain
// reader and the command loop the program runs. After every command it
// checks the persona's state and every line written so far, and that input
// read as UTF-16 comes out as valid UTF-8; any breach aborts, which
// libFuzzer reports.

#include "command_loop.h"
#include "commands.h"
#include "expected_texts.h"
#include "lines.h"
#include "memory_format.h"
#include "operating_system.h"
#include "plain_reader.h"
#include "standard_output.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace {

using gorvandel::ActionKind;
using gorvandel::OperatingSystem;

[[noreturn]] void breach(const std::string& what, const std::string& detail)
{
    std::fprintf(stderr, "invariant broken: %s [%s]\n", what.c_str(), detail.c_str());
    std::abort();
}

bool allOf(const std::string& text, bool (*isClass)(int))
{
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        if (!isClass(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

bool isDecimalDigit(int c)
{
    return c >= '0' && c <= '9';
}

bool isHexDigitLower(int c)
{
    return isDecimalDigit(c) || (c >= 'a' && c <= 'f');
}

// "Sun Dec  6 19:26:12 2026": the calendar text without its newline.
bool isDateText(const std::string& text)
{
    static const std::string shape = "Aaa Aaa #9 99:99:99 9999";
    if (text.size() != shape.size()) {
        return false;
    }
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool fits = shape[i] == 'A'   ? std::isupper(c)
                          : shape[i] == 'a' ? std::islower(c)
                          : shape[i] == '9' ? std::isdigit(c)
                          : shape[i] == '#' ? (c == ' ' || std::isdigit(c))
                                            : c == static_cast<unsigned char>(shape[i]);
        if (!fits) {
            return false;
        }
    }
    return true;
}

// What the program may write, from the tests' expected texts: whole lines,
// and the argument lines as a prefix and suffix around the argument.
struct KnownTexts {
    std::set<std::string> lines;
    std::vector<std::pair<std::string, std::string>> argumentFraming;
    std::string prompt;
};

const KnownTexts& knownTexts()
{
    static const KnownTexts texts = [] {
        KnownTexts known;
        // "" is the line end written after the last prompt at the end of input.
        known.lines.insert("");
        for (const char* name : {"unknown", "no-data", "farewell", "plain"}) {
            for (std::string& text : expectedTexts(name)) {
                known.lines.insert(std::move(text));
            }
        }
        for (const std::string& text : expectedTexts("argument")) {
            const std::size_t hole = text.find("%s");
            known.argumentFraming.emplace_back(text.substr(0, hole), text.substr(hole + 2));
        }
        const auto prompts = expectedTexts("prompt");
        if (known.lines.size() < 10 || known.argumentFraming.size() != 10 || prompts.size() != 1) {
            breach("cannot read the expected texts", GORVANDEL_EXPECTED_TEXTS);
        }
        known.prompt = prompts.front();
        return known;
    }();
    return texts;
}

bool isKnownLine(const std::string& line, const std::string& command)
{
    const KnownTexts& known = knownTexts();
    if (known.lines.count(line) != 0) {
        return true;
    }
    if (line.compare(0, 2, "0x") == 0 && allOf(line.substr(2), isHexDigitLower)) {
        return true;
    }
    if (allOf(line, isDecimalDigit) || isDateText(line)) {
        return true;
    }
    if (command.compare(0, gorvandel::ARGUMENT_PREFIX.size(), gorvandel::ARGUMENT_PREFIX) != 0) {
        return false;
    }
    const std::string argument = command.substr(gorvandel::ARGUMENT_PREFIX.size());
    for (const auto& [before, after] : known.argumentFraming) {
        if (line == before + argument + after) {
            return true;
        }
    }
    return false;
}

// Watches the persona and the output between commands.
class Checker {
public:
    explicit Checker(const OperatingSystem& persona)
        : persona(persona)
    {
    }

    // The command whose output the next check reads, as the reader gave it to the loop.
    void nowRunning(const std::string& line) { command = line; }

    // Everything flushed to standard output.
    void take(std::string_view bytes) { pending += bytes; }

    void check()
    {
        checkPersona();
        // Whole lines only; a prompt waits for what follows it.
        const std::size_t complete = pending.rfind('\n') + 1;
        for (std::string_view line : gorvandel::splitLines(std::string_view(pending).substr(0, complete))) {
            const std::string& prompt = knownTexts().prompt;
            while (line.compare(0, prompt.size(), prompt) == 0) {
                line.remove_prefix(prompt.size());
            }
            if (!isKnownLine(std::string(line), command)) {
                breach("unknown output line", std::string(line));
            }
        }
        pending.erase(0, complete);
    }

private:
    void checkPersona() const
    {
        if (!gorvandel::fitsTheTables({persona.weights(ActionKind::Plain), persona.weights(ActionKind::Argument)})) {
            breach("weights out of range",
                   gorvandel::formatMemory({persona.weights(ActionKind::Plain), persona.weights(ActionKind::Argument)}));
        }
        const int last = persona.lastActionIndex();
        const auto tableSize = static_cast<int>(persona.weights(persona.lastActionKind()).size());
        if (last < -1 || last >= tableSize) {
            breach("last action outside its table", std::to_string(last));
        }
    }

    const OperatingSystem& persona;
    std::string pending;
    std::string command;
};

// Whether text is well-formed UTF-8: no stray continuation byte, no
// overlong form, no surrogate, nothing past U+10FFFF.
bool isUtf8(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80                   ? 1
                                   : lead >= 0xC2 && lead < 0xE0 ? 2
                                   : lead >= 0xE0 && lead < 0xF0 ? 3
                                   : lead >= 0xF0 && lead < 0xF5 ? 4
                                                                 : 0;
        if (length == 0 || at + length > text.size()) {
            return false;
        }
        char32_t value = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[at + i]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            value = value << 6 | (next & 0x3F);
        }
        const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (value < least[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            return false;
        }
        at += length;
    }
    return true;
}

// Hands the input over in pieces of uneven size, so that a line end, a
// byte-order mark or a UTF-16 unit falls across two reads.
class PiecewiseInput {
public:
    explicit PiecewiseInput(std::string_view bytes)
        : bytes(bytes)
    {
    }

    std::ptrdiff_t operator()(char* buffer, std::size_t size, std::error_code&)
    {
        const std::size_t piece = std::min({size, bytes.size(), std::size_t{1} + reads++ % 23});
        std::memcpy(buffer, bytes.data(), piece);
        bytes.remove_prefix(piece);
        return static_cast<std::ptrdiff_t>(piece);
    }

private:
    std::string_view bytes;
    std::size_t reads = 0;
};

}  // namespace

// libstdc++ is built without frame pointers, so the fast unwinder records a
// new, partly garbage stack for nearly every allocation made inside it, and
// over millions of runs the sanitizer's stack store grows until the fuzzer
// runs out of memory. Allocation stacks are dropped; a failure's own stack is
// still reported, and a saved input replays with ASAN_OPTIONS for more.
extern "C" const char* __asan_default_options()
{
    return "malloc_context_size=0";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::srand(1);  // the same draws for the same input, so findings reproduce
    OperatingSystem persona;
    Checker checker(persona);
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const bool utf16 = input.substr(0, 2) == "\xFF\xFE" || input.substr(0, 2) == "\xFE\xFF";

    gorvandel::sendOutputTo([&checker](std::string_view bytes) {
        checker.take(bytes);
        return std::error_code();
    });
    const gorvandel::LineReader plain = gorvandel::plainReader(PiecewiseInput(input));
    // Every command's output is flushed before the next line is read: the moment to check it.
    const auto readInput = [&](std::string& line) {
        checker.check();
        const gorvandel::LineRead result = plain(line);
        if (utf16 && !isUtf8(line)) {
            breach("UTF-16 input read as a line that is not UTF-8", line);
        }
        checker.nowRunning(line);
        return result;
    };
    const gorvandel::Outcome outcome = gorvandel::runCommandLoop(readInput, persona);
    checker.check();
    gorvandel::sendOutputTo({});
    if (!outcome) {
        breach("the loop failed on an in-memory session", outcome.failure);
    }
    return 0;
}
