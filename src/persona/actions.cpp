#include "actions.h"

#include "console.h"

#include <cstdlib>
#include <iostream>
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
    std::cout << PLAIN_TEXTS[Index] << std::endl;
}

void printRandomHexadecimal()
{
    const int number = std::rand();
    // Back to decimal at once: later numbers must not inherit the base.
    std::cout << std::hex << "0x" << number << std::dec << std::endl;
}

void printRandomDecimal()
{
    std::cout << std::rand() << std::endl;
}

void printDateAndTime()
{
    // The text carries its own newline; like the runtime's date text it is
    // written without a flush.
    std::cout << dateLine(currentCalendarTime());
}

template <std::size_t Index> void announceWithArgument(std::string argument)
{
    std::cout << ARGUMENT_FRAMES[Index].prefix << argument << ARGUMENT_FRAMES[Index].suffix << std::endl;
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
