// libFuzzer harness: the fuzzer's bytes are standard input for the command
// loop the program runs. After every command it checks the persona's state
// and every line written so far; any breach aborts, which libFuzzer reports.

#include "command_loop.h"
#include "commands.h"
#include "expected_texts.h"
#include "lines.h"
#include "memory_format.h"
#include "operating_system.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <set>
#include <sstream>
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

    // The command whose output the next check reads, as the loop will see it.
    void nowRunning(std::string line)
    {
        if (!line.empty() && line.back() == '\n') {
            line.pop_back();
            gorvandel::removeCarriageReturn(line);
        }
        command = std::move(line);
    }

    void check()
    {
        checkPersona();
        pending += output.str();
        output.str("");
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

    std::streambuf* outputBuffer() { return &output; }

private:
    void checkPersona() const
    {
        if (!gorvandel::fitsTheTables({persona.weights(ActionKind::Plain), persona.weights(ActionKind::Argument)})) {
            breach("weights out of range",
                   gorvandel::formatMemory(persona.weights(ActionKind::Plain), persona.weights(ActionKind::Argument)));
        }
        const int last = persona.lastActionIndex();
        const auto tableSize = static_cast<int>(persona.weights(persona.lastActionKind()).size());
        if (last < -1 || last >= tableSize) {
            breach("last action outside its table", std::to_string(last));
        }
    }

    const OperatingSystem& persona;
    std::stringbuf output;
    std::string pending;
    std::string command;
};

// Hands the input to the loop one line per read, so that every read of a new
// command line comes after the previous command has run: the moment to check.
class LineByLineInput : public std::streambuf {
public:
    LineByLineInput(std::string bytes, Checker& checker)
        : bytes(std::move(bytes)),
          checker(checker)
    {
    }

protected:
    int_type underflow() override
    {
        if (gptr() < egptr()) {
            return traits_type::to_int_type(*gptr());
        }
        checker.check();
        if (next == bytes.size()) {
            return traits_type::eof();
        }
        const std::size_t newline = bytes.find('\n', next);
        const std::size_t end = newline == std::string::npos ? bytes.size() : newline + 1;
        char* begin = &bytes[next];
        setg(begin, begin, begin + (end - next));
        checker.nowRunning(bytes.substr(next, end - next));
        next = end;
        return traits_type::to_int_type(*gptr());
    }

private:
    std::string bytes;
    std::size_t next = 0;
    Checker& checker;
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
    LineByLineInput lines(std::string(reinterpret_cast<const char*>(data), size), checker);
    std::istream input(&lines);

    std::streambuf* const standardOutput = std::cout.rdbuf(checker.outputBuffer());
    const auto readInput = [&input](std::string& line, std::error_code& error) {
        return gorvandel::readPromptedLine(input, line, error);
    };
    const gorvandel::Outcome outcome = gorvandel::runCommandLoop(readInput, persona);
    std::cout.rdbuf(standardOutput);

    checker.check();
    if (!outcome) {
        breach("the loop failed on an in-memory session", outcome.failure);
    }
    return 0;
}
