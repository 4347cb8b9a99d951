#pragma once

#include "console.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gorvandel {

// What the command line asks for.
enum class Request { Run, Help, Version, UsageError };

struct Options {
    Request request = Request::Run;
    // Seeds the random source instead of the millisecond clock.
    std::optional<std::uint32_t> seed;
    // Where what is learned is kept between runs; empty: nowhere.
    std::string memoryFile;
    // Draw what the memory holds instead of running a session.
    bool show = false;
    // For a usage error: what is wrong, as GNU tools say it.
    std::string problem;
};

// One option, the one place where it is spelled and explained: the parser,
// --help and the writer of the shells' completions read it from here.
struct CommandLineOption {
    std::string_view longName;
    char shortName;             // '\0': none, which no word holds
    std::string_view argument;  // its value's name in --help; empty: takes none
    std::string_view help;      // --help's lines for it, without their indent
    void (*apply)(std::string_view value, Options& options);
    bool takesValue() const { return !argument.empty(); }
};

struct OptionTable {
    const CommandLineOption* first;
    std::size_t count;
    const CommandLineOption* begin() const { return first; }
    const CommandLineOption* end() const { return first + count; }
};
OptionTable commandLineOptions();

// Reads the options GNU-style: -s N, -sN, --seed N, --seed=N (and so for
// -m/--memory), a long name shortened while it stays unambiguous, short
// options bundled, "--" ending the options. --help and --version act where
// they stand, and so does "/?" with a Windows user's habits; any operand is
// an error.
Options parseOptions(const std::vector<std::string>& arguments, bool windowsHabits = WINDOWS_CONSOLE_HABITS);

// The text of --help: the keys of the line editor where this build edits
// lines at a terminal, else those of a Windows console with its habits.
std::string helpText(bool lineEditing, bool windowsHabits = WINDOWS_CONSOLE_HABITS);

// A count as the help and the docs write it: "eight", "ten"; digits from 21 on.
std::string countInWords(std::size_t count);

// The text of --version: version, copyright and licence.
std::string versionText();

}  // namespace gorvandel
