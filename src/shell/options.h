#pragma once

#include <cstdint>
#include <optional>
#include <string>
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

// Reads the options GNU-style: -s N, -sN, --seed N, --seed=N (and so for
// -m/--memory), a long name
// shortened while it stays unambiguous, short options bundled, "--" ending
// the options. --help and --version act where they stand; any operand is
// an error.
Options parseOptions(const std::vector<std::string>& arguments);

// The text of --help; the line-editing part only where this build edits
// lines at a terminal.
std::string helpText(bool lineEditing);

// The text of --version: version, copyright and licence.
std::string versionText();

}  // namespace gorvandel
