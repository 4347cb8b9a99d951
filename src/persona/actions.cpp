#include "actions.h"

#include "console.h"
#include "standard_output.h"

#include <charconv>
#include <cstdlib>
#include <iterator>
#include <utility>

namespace gorvandel {

namespace {

// How a person knows each plain action: the line it writes, or what it
// writes where the line is made anew each time (from index 5 on).
constexpr const char* PLAIN_TEXTS[] = {
    "Hello World!",
    "Uploading some data to the internet...",
    "Downloading some data from the internet...",
    "Generating some random numbers...",
    "Calculating the meaning of life...",
    "a random number in hexadecimal",
    "a random number in decimal",
    "the date and time",
};

// Each argument action writes its prefix, the argument exactly as typed, its suffix.
struct Frame {
    const char* prefix;
    const char* suffix;
};
constexpr Frame ARGUMENT_FRAMES[] = {
    {"Uploading \"", "\" to the internet..."},
    {"Downloading \"", "\" from the internet..."},
    {"Downloading random files similar to \"", "\" from the internet..."},
    {"Deleting file \"", "\"..."},
    {"Creating new file \"", "\"..."},
    {"Append random data to file \"", "\"..."},
    {"Transfer file \"", "\" to printer..."},
    {"Print file \"", "\" to secret debug log..."},
    {"Send file \"", "\" to EA..."},
    {"Send file \"", "\" to Ubisoft"},
};
static_assert(std::size(PLAIN_TEXTS) == PLAIN_ACTION_COUNT);
static_assert(std::size(ARGUMENT_FRAMES) == ARGUMENT_ACTION_COUNT);

template <std::size_t Index> void sayPlainText()
{
    writeOutputLine(PLAIN_TEXTS[Index]);
}

// A random number in base 10 or 16 (lower-case digits), after prefix.
void printRandomNumber(std::string_view prefix, int base)
{
    char line[16];
    const std::size_t start = prefix.copy(line, prefix.size());
    const char* end = std::to_chars(line + start, std::end(line), std::rand(), base).ptr;
    writeOutputLine(std::string_view(line, static_cast<std::size_t>(end - line)));
}

void printRandomHexadecimal()
{
    printRandomNumber("0x", 16);
}

void printRandomDecimal()
{
    printRandomNumber("", 10);
}

void printDateAndTime()
{
    // The text carries its own newline; like the runtime's date text it is
    // written without a flush.
    writeOutput(dateLine(currentCalendarTime()));
}

template <std::size_t Index> void announceWithArgument(std::string argument)
{
    writeOutput(ARGUMENT_FRAMES[Index].prefix);
    writeOutput(argument);
    writeOutputLine(ARGUMENT_FRAMES[Index].suffix);
}

// In table order. An action's index is its identity.
constexpr PlainAction PLAIN_ACTIONS[] = {
    sayPlainText<0>, sayPlainText<1>,        sayPlainText<2>,    sayPlainText<3>,
    sayPlainText<4>, printRandomHexadecimal, printRandomDecimal, printDateAndTime,
};
constexpr ArgumentAction ARGUMENT_ACTIONS[] = {
    announceWithArgument<0>, announceWithArgument<1>, announceWithArgument<2>, announceWithArgument<3>,
    announceWithArgument<4>, announceWithArgument<5>, announceWithArgument<6>, announceWithArgument<7>,
    announceWithArgument<8>, announceWithArgument<9>,
};
static_assert(std::size(PLAIN_ACTIONS) == PLAIN_ACTION_COUNT);
static_assert(std::size(ARGUMENT_ACTIONS) == ARGUMENT_ACTION_COUNT);

}  // namespace

std::vector<PlainAction> plainActionTable()
{
    return {std::begin(PLAIN_ACTIONS), std::end(PLAIN_ACTIONS)};
}

std::vector<ArgumentAction> argumentActionTable()
{
    return {std::begin(ARGUMENT_ACTIONS), std::end(ARGUMENT_ACTIONS)};
}

std::string describePlainAction(std::size_t index)
{
    return PLAIN_TEXTS[index];
}

std::string describeArgumentAction(std::size_t index, std::string_view argument)
{
    return ARGUMENT_FRAMES[index].prefix + std::string(argument) + ARGUMENT_FRAMES[index].suffix;
}

std::string dateLine(std::int64_t seconds)
{
    if (auto text = calendarTimeText(seconds)) {
        return *std::move(text);
    }
    return "Date and time unavailable\n";
}

}  // namespace gorvandel
