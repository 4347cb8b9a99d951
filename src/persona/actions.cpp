#include "actions.h"

#include "console.h"
#include "standard_output.h"

#include <charconv>
#include <cstdlib>
#include <utility>

namespace gorvandel {

namespace {

// A random number in base 10 or 16 (lower-case digits), after prefix.
void printRandomNumber(std::string_view prefix, int base)
{
    char line[16];
    const std::size_t start = prefix.copy(line, prefix.size());
    const char* end = std::to_chars(line + start, std::end(line), std::rand(), base).ptr;
    writeOutputLine(std::string_view(line, static_cast<std::size_t>(end - line)));
}

template <std::size_t Index> void runPlainAction()
{
    PLAIN_ACTIONS[Index].run(PLAIN_ACTIONS[Index].text);
}

template <std::size_t Index> void announceWithArgument(std::string argument)
{
    writeOutput(ARGUMENT_ACTIONS[Index].prefix);
    writeOutput(argument);
    writeOutputLine(ARGUMENT_ACTIONS[Index].suffix);
}

template <std::size_t... Index> std::vector<PlainAction> plainActions(std::index_sequence<Index...>)
{
    return {runPlainAction<Index>...};
}

template <std::size_t... Index> std::vector<ArgumentAction> argumentActions(std::index_sequence<Index...>)
{
    return {announceWithArgument<Index>...};
}

}  // namespace

void sayText(std::string_view text)
{
    writeOutputLine(text);
}

void printRandomHexadecimal(std::string_view)
{
    printRandomNumber("0x", 16);
}

void printRandomDecimal(std::string_view)
{
    printRandomNumber("", 10);
}

void printDateAndTime(std::string_view)
{
    // The text carries its own newline; like the runtime's date text it is
    // written without a flush.
    writeOutput(dateLine(currentCalendarTime()));
}

std::vector<PlainAction> plainActionTable()
{
    return plainActions(std::make_index_sequence<PLAIN_ACTION_COUNT>());
}

std::vector<ArgumentAction> argumentActionTable()
{
    return argumentActions(std::make_index_sequence<ARGUMENT_ACTION_COUNT>());
}

std::string describePlainAction(std::size_t index)
{
    return std::string(PLAIN_ACTIONS[index].text);
}

std::string describeArgumentAction(std::size_t index, std::string_view argument)
{
    const ArgumentActionRow& row = ARGUMENT_ACTIONS[index];
    return std::string(row.prefix).append(argument).append(row.suffix);
}

std::string dateLine(std::int64_t seconds)
{
    if (auto text = calendarTimeText(seconds)) {
        return *std::move(text);
    }
    return "Date and time unavailable\n";
}

}  // namespace gorvandel
