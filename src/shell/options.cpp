#include "options.h"

#include "actions.h"
#include "characters.h"
#include "console.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <string_view>
#include <utility>
#include <vector>

namespace gorvandel {

namespace {

std::string quoted(std::string_view text)
{
    return "'" + std::string(text) + "'";
}

// Digits only: from_chars alone would also take a leading minus.
std::optional<std::uint32_t> parseSeed(std::string_view text)
{
    std::uint32_t seed = 0;
    const char* const end = text.data() + text.size();
    if (text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    const auto [stop, error] = std::from_chars(text.data(), end, seed);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return seed;
}

Options usageError(std::string problem)
{
    Options options;
    options.request = Request::UsageError;
    options.problem = std::move(problem);
    return options;
}

void askForHelp(std::string_view, Options& options)
{
    options.request = Request::Help;
}

void askForVersion(std::string_view, Options& options)
{
    options.request = Request::Version;
}

void askToShow(std::string_view, Options& options)
{
    options.show = true;
}

void setSeed(std::string_view value, Options& options)
{
    options.seed = parseSeed(value);
    if (!options.seed) {
        options = usageError("invalid seed " + quoted(value) + ": expected a number from 0 to 4294967295");
    }
}

void setMemoryFile(std::string_view value, Options& options)
{
    options.memoryFile = value;
    if (value.empty()) {
        options = usageError("the memory file needs a name");
    }
}

// Each option once, in --help's order.
constexpr CommandLineOption OPTIONS[] = {
    {"memory", 'm', "FILE",
     "keep what is learned in FILE: loaded at the start if it\n"
     "exists, saved whole after every change of a weight",
     setMemoryFile},
    {"seed", 's', "N",
     "seed the random choices with N (0 to 4294967295) instead\n"
     "of the clock: the same input then gives the same session",
     setSeed},
    {"show", '\0', "",
     "draw what FILE holds instead: each action's weight and\n"
     "its chance to run next, the favourite marked",
     askToShow},
    {"help", 'h', "", "show this help and exit", askForHelp},
    {"version", 'V', "", "show the version and licence and exit", askForVersion},
};

const CommandLineOption* findShort(char name)
{
    for (const CommandLineOption& option : OPTIONS) {
        if (option.shortName == name) {
            return &option;
        }
    }
    return nullptr;
}

// The long options that name spells out or shortens (an empty name none).
// No name begins another, so a whole name is always one.
std::vector<const CommandLineOption*> findLong(std::string_view name)
{
    std::vector<const CommandLineOption*> found;
    for (const CommandLineOption& option : OPTIONS) {
        if (!name.empty() && option.longName.compare(0, name.size(), name) == 0) {
            found.push_back(&option);
        }
    }
    return found;
}

// As getopt says it: "option '--s' is ambiguous; possibilities: '--seed' '--show'".
std::string ambiguity(std::string_view word, const std::vector<const CommandLineOption*>& possibilities)
{
    std::string problem = "option " + quoted(word) + " is ambiguous; possibilities:";
    for (const CommandLineOption* option : possibilities) {
        problem += " " + quoted("--" + std::string(option->longName));
    }
    return problem;
}

// The words after the program's name, taken in turn.
struct Words {
    const std::vector<std::string>& words;
    std::size_t next = 1;

    bool done() const { return next >= words.size(); }
    std::string_view take() { return words[next++]; }
};

// "--name", "--name=value" or "--name value", the name perhaps shortened.
void readLongOption(std::string_view word, Words& words, Options& options)
{
    const std::size_t equals = word.find('=');
    const bool valueGiven = equals != std::string_view::npos;
    const std::vector<const CommandLineOption*> found =
        findLong(word.substr(2, valueGiven ? equals - 2 : std::string_view::npos));
    if (found.size() != 1) {
        options = usageError(found.empty() ? "unrecognized option " + quoted(word) : ambiguity(word, found));
        return;
    }
    const CommandLineOption* option = found.front();
    const std::string spelled = quoted("--" + std::string(option->longName));
    if (!option->takesValue() && valueGiven) {
        options = usageError("option " + spelled + " doesn't allow an argument");
    } else if (option->takesValue() && !valueGiven && words.done()) {
        options = usageError("option " + spelled + " requires an argument");
    } else {
        option->apply(valueGiven             ? word.substr(equals + 1)
                      : option->takesValue() ? words.take()
                                             : std::string_view(),
                      options);
    }
}

// The bytes of the UTF-8 character that starts at at: an option that is
// not a letter of ours is shown whole.
std::size_t characterLength(std::string_view word, std::size_t at)
{
    std::size_t length = 1;
    while (at + length < word.size() && continuesCharacter(word[at + length])) {
        ++length;
    }
    return length;
}

// Bundled short options; one that takes a value takes the rest of the word,
// or else the next word.
void readShortOptions(std::string_view word, Words& words, Options& options)
{
    for (std::size_t at = 1; at < word.size() && options.request == Request::Run; ++at) {
        const std::string_view letter = word.substr(at, characterLength(word, at));
        const CommandLineOption* option = findShort(letter[0]);
        if (option == nullptr) {
            options = usageError("invalid option -- " + quoted(letter));
        } else if (!option->takesValue()) {
            option->apply({}, options);
        } else if (at + 1 == word.size() && words.done()) {
            options = usageError("option requires an argument -- " + quoted(letter));
        } else {
            option->apply(at + 1 < word.size() ? word.substr(at + 1) : words.take(), options);
            return;
        }
    }
}

// "  -m, --memory=FILE": how --help spells an option.
std::string spelling(const CommandLineOption& option)
{
    std::string text = option.shortName != '\0' ? std::string("  -") + option.shortName + ", " : "      ";
    text += "--" + std::string(option.longName);
    return option.takesValue() ? text + "=" + std::string(option.argument) : text;
}

// Each option's spelling, and its help beside it in one column.
std::string optionsHelp()
{
    std::size_t column = 0;
    for (const CommandLineOption& option : OPTIONS) {
        column = std::max(column, spelling(option).size() + 2);
    }
    std::string text = "Options:\n";
    for (const CommandLineOption& option : OPTIONS) {
        const std::string spelled = spelling(option);
        text += spelled + std::string(column - spelled.size(), ' ');
        for (const char c : option.help) {
            text += c == '\n' ? "\n" + std::string(column, ' ') : std::string(1, c);
        }
        text += '\n';
    }
    return text;
}

// The keys a person needs where lines are typed, and where the manual is.
std::string keysHelp(bool lineEditing, bool windowsHabits)
{
    if (windowsHabits) {
        return R"(
At the console, Up and Down recall earlier lines, Ctrl-Z then Enter ends the
input, and Ctrl-C ends the program. README.txt beside the program tells more.
)";
    }
    const std::string manual = R"(The manual: man 6 gorvandel; from a build folder, man -l man/gorvandel.6.
)";
    if (!lineEditing) {
        return "\n" + manual;
    }
    return R"(
At a terminal, lines are edited with emacs keys. Tab completes the commands (on
an empty line it lists them) and, after "do something with ", file names. Up
and Down recall earlier lines, and Ctrl-R searches them (libedit's "bck:"
prompt). Ctrl-D on an empty line ends the input; Ctrl-C ends the program.
The history is kept in $GORVANDEL_HISTORY if that is set (set and empty:
none), else in $XDG_STATE_HOME/gorvandel/history, else in
~/.local/state/gorvandel/history.
)" + manual;
}

}  // namespace

OptionTable commandLineOptions()
{
    return {OPTIONS, std::size(OPTIONS)};
}

Options parseOptions(const std::vector<std::string>& arguments, bool windowsHabits)
{
    Options options;
    Words words{arguments};
    std::vector<std::string_view> operands;
    bool optionsEnded = false;
    while (!words.done() && options.request == Request::Run) {
        const std::string_view word = words.take();
        if (windowsHabits && !optionsEnded && word == "/?") {
            options.request = Request::Help;
        } else if (optionsEnded || word.size() < 2 || word[0] != '-') {
            operands.push_back(word);
        } else if (word == "--") {
            optionsEnded = true;
        } else if (word[1] == '-') {
            readLongOption(word, words, options);
        } else {
            readShortOptions(word, words, options);
        }
    }
    if (options.request == Request::Run && !operands.empty()) {
        return usageError("extra operand " + quoted(operands.front()));
    }
    return options;
}

std::string countInWords(std::size_t count)
{
    static constexpr std::string_view WORDS[] = {
        "no",       "one",     "two",     "three",     "four",     "five",    "six",
        "seven",    "eight",   "nine",    "ten",       "eleven",   "twelve",  "thirteen",
        "fourteen", "fifteen", "sixteen", "seventeen", "eighteen", "nineteen", "twenty"};
    return count < std::size(WORDS) ? std::string(WORDS[count]) : std::to_string(count);
}

std::string helpText(bool lineEditing, bool windowsHabits)
{
    return R"(Usage: gorvandel [OPTION]...
Talk to Gorvandel, a persona that calls itself an operating system: it
performs pretend actions when told to, and learns from reward and punishment
which of them to prefer. It reads one command per line from standard input.

Commands at the prompt:
  do something            perform one of )" +
           countInWords(PLAIN_ACTION_COUNT) + R"( pretend actions
  do something with TEXT  perform one of )" +
           countInWords(ARGUMENT_ACTION_COUNT) + R"( pretend actions on TEXT
  reward                  raise the weight of the action just performed
  punish                  lower the weight of the action just performed
  exit                    say goodbye and end

)" + optionsHelp() +
           keysHelp(lineEditing, windowsHabits) + R"(
Exit status: 0 after "exit" or at the end of input; 1 when reading, writing
or saving the memory fails; 2 for a usage error or a memory file that cannot
be used (not a memory, in use by another run, or where it cannot be saved).
)";
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
