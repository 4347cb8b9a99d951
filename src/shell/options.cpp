#include "options.h"

#include <limits>
#include <string_view>
#include <vector>

namespace gorvandel {

namespace {

struct KnownOption {
    std::string_view longName;
    char shortName;
    bool takesValue;
};

constexpr KnownOption KNOWN_OPTIONS[] = {
    {"help", 'h', false},
    {"version", 'V', false},
    {"seed", 's', true},
    {"memory", 'm', true},
};

std::string quoted(std::string_view text)
{
    return "'" + std::string(text) + "'";
}

std::optional<std::uint32_t> parseSeed(std::string_view text)
{
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char digit : text) {
        if (digit < '0' || digit > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint64_t>(digit - '0');
        if (value > std::numeric_limits<std::uint32_t>::max()) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint32_t>(value);
}

const KnownOption* findShort(char name)
{
    for (const KnownOption& option : KNOWN_OPTIONS) {
        if (option.shortName == name) {
            return &option;
        }
    }
    return nullptr;
}

// The long option that name spells out or shortens; none when it begins
// none or several. No name begins another, so a whole name is always one.
const KnownOption* findLong(std::string_view name)
{
    const KnownOption* found = nullptr;
    int beginnings = 0;
    for (const KnownOption& option : KNOWN_OPTIONS) {
        if (option.longName.compare(0, name.size(), name) == 0) {
            found = &option;
            ++beginnings;
        }
    }
    return beginnings == 1 ? found : nullptr;
}

// Records one option; Help and Version end the reading at once.
void apply(const KnownOption& option, std::string_view value, Options& options)
{
    switch (option.shortName) {
    case 'h':
        options.request = Request::Help;
        break;
    case 'V':
        options.request = Request::Version;
        break;
    case 's':
        options.seed = parseSeed(value);
        if (!options.seed) {
            options.request = Request::UsageError;
            options.problem = "invalid seed " + quoted(value) + ": expected a number from 0 to 4294967295";
        }
        break;
    case 'm':
        options.memoryFile = value;
        if (value.empty()) {
            options.request = Request::UsageError;
            options.problem = "the memory file needs a name";
        }
        break;
    default:
        break;
    }
}

Options usageError(std::string problem)
{
    Options options;
    options.request = Request::UsageError;
    options.problem = std::move(problem);
    return options;
}

}  // namespace

Options parseOptions(int argc, const char* const argv[])
{
    Options options;
    std::vector<std::string_view> operands;
    bool optionsEnded = false;
    for (int i = 1; i < argc && options.request == Request::Run; ++i) {
        const std::string_view argument = argv[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            operands.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument[1] == '-') {
            const std::size_t equals = argument.find('=');
            const std::string_view name = argument.substr(2, equals == std::string_view::npos ? equals : equals - 2);
            const KnownOption* option = findLong(name);
            if (option == nullptr) {
                return usageError("unrecognized option " + quoted(argument));
            }
            const std::string spelled = quoted("--" + std::string(option->longName));
            if (!option->takesValue && equals != std::string_view::npos) {
                return usageError("option " + spelled + " doesn't allow an argument");
            }
            if (option->takesValue && equals == std::string_view::npos && i + 1 == argc) {
                return usageError("option " + spelled + " requires an argument");
            }
            apply(*option,
                  equals != std::string_view::npos ? argument.substr(equals + 1)
                  : option->takesValue             ? std::string_view(argv[++i])
                                                   : std::string_view(),
                  options);
        } else {
            // Bundled short options; one that takes a value takes the rest of
            // the word, or else the next word.
            for (std::size_t at = 1; at < argument.size() && options.request == Request::Run; ++at) {
                const KnownOption* option = findShort(argument[at]);
                if (option == nullptr) {
                    return usageError("invalid option -- " + quoted(argument.substr(at, 1)));
                }
                if (!option->takesValue) {
                    apply(*option, {}, options);
                    continue;
                }
                if (at + 1 == argument.size() && i + 1 == argc) {
                    return usageError("option requires an argument -- " + quoted(argument.substr(at, 1)));
                }
                apply(*option, at + 1 < argument.size() ? argument.substr(at + 1) : std::string_view(argv[++i]),
                      options);
                break;
            }
        }
    }
    if (options.request == Request::Run && !operands.empty()) {
        return usageError("extra operand " + quoted(operands.front()));
    }
    return options;
}

std::string helpText(bool lineEditing)
{
    std::string text = R"(Usage: gorvandel [OPTION]...
Talk to Gorvandel, a persona that calls itself an operating system: it
performs pretend actions when told to, and learns from reward and punishment
which of them to prefer. It reads one command per line from standard input.

Commands at the prompt:
  do something            perform one of eight pretend actions
  do something with TEXT  perform one of ten pretend actions on TEXT
  reward                  raise the weight of the action just performed
  punish                  lower the weight of the action just performed
  exit                    say goodbye and end

Options:
  -m, --memory=FILE  keep what is learned in FILE: loaded at the start if it
                     exists, saved whole after every change of a weight
  -s, --seed=N       seed the random choices with N (0 to 4294967295) instead
                     of the clock, so that the same input gives the same session
  -h, --help         show this help and exit
  -V, --version      show the version and licence and exit
)";
    if (lineEditing) {
        text += R"(
At a terminal, lines can be edited, Up and Down recall earlier lines, and Tab
completes commands and, after "do something with ", file names. The history
is kept in $GORVANDEL_HISTORY if that is set (set and empty: none), else in
$XDG_STATE_HOME/gorvandel/history, else in ~/.local/state/gorvandel/history.
)";
    }
    text += R"(
Exit status: 0 after "exit" or at the end of input; 1 when reading, writing
or saving the memory fails; 2 for a usage error or a memory file that cannot
be used (not a memory, in use by another run, or in a place it cannot be saved).
)";
    return text;
}

std::string versionText()
{
    return "gorvandel " GORVANDEL_VERSION R"(
Copyright (C) 2026 The Gorvandel developers.
License MIT: <https://opensource.org/license/mit>.
This is free software: you are free to change and redistribute it.
There is NO WARRANTY, to the extent permitted by law.
)";
}

}  // namespace gorvandel
