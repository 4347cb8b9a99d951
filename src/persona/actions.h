#pragma once

// The persona's repertoire: pretend actions that only announce, on standard
// output, what they pretend to do. Each table below holds one row per
// action; a new action is one more row. An action's position in its table
// is its index, by which the persona's weights refer to it; its name is how
// the memory file refers to it, and never changes once released.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace gorvandel {

// The action functions the plain table names; each is given its row's text.
void sayText(std::string_view text);
void printRandomHexadecimal(std::string_view);
void printRandomDecimal(std::string_view);
void printDateAndTime(std::string_view);

struct PlainActionRow {
    std::string_view name;  // a word of a-z, 0-9 and '-', unique in the table
    // The line the action writes; for an action whose line is new each
    // time, what it writes ("the date and time").
    std::string_view text;
    void (*run)(std::string_view text);
};

// Every argument action writes its prefix, the argument exactly as typed,
// and its suffix.
struct ArgumentActionRow {
    std::string_view name;  // a word of a-z, 0-9 and '-', unique in the table
    std::string_view prefix;
    std::string_view suffix;
};

inline constexpr PlainActionRow PLAIN_ACTIONS[] = {
    {"hello", "Hello World!", sayText},
    {"upload", "Uploading some data to the internet...", sayText},
    {"download", "Downloading some data from the internet...", sayText},
    {"random-numbers", "Generating some random numbers...", sayText},
    {"meaning-of-life", "Calculating the meaning of life...", sayText},
    {"hexadecimal", "a random number in hexadecimal", printRandomHexadecimal},
    {"decimal", "a random number in decimal", printRandomDecimal},
    {"date", "the date and time", printDateAndTime},
};

inline constexpr ArgumentActionRow ARGUMENT_ACTIONS[] = {
    {"upload", "Uploading \"", "\" to the internet..."},
    {"download", "Downloading \"", "\" from the internet..."},
    {"download-similar", "Downloading random files similar to \"", "\" from the internet..."},
    {"delete", "Deleting file \"", "\"..."},
    {"create", "Creating new file \"", "\"..."},
    {"append", "Append random data to file \"", "\"..."},
    {"print", "Transfer file \"", "\" to printer..."},
    {"debug-log", "Print file \"", "\" to secret debug log..."},
    {"send-ea", "Send file \"", "\" to EA..."},
    {"send-ubisoft", "Send file \"", "\" to Ubisoft"},
};

// The memory file finds an action by its name: a word of a-z, 0-9 and '-',
// none twice in a table.
constexpr bool isNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}
template <typename Row, std::size_t Count> constexpr bool namesApart(const Row (&rows)[Count])
{
    for (std::size_t i = 0; i < Count; ++i) {
        bool wellFormed = !rows[i].name.empty();
        for (const char c : rows[i].name) {
            wellFormed = wellFormed && isNameCharacter(c);
        }
        for (std::size_t j = 0; j < i; ++j) {
            wellFormed = wellFormed && rows[j].name != rows[i].name;
        }
        if (!wellFormed) {
            return false;
        }
    }
    return true;
}
static_assert(namesApart(PLAIN_ACTIONS) && namesApart(ARGUMENT_ACTIONS), "an action's name is badly formed or taken");

constexpr std::size_t PLAIN_ACTION_COUNT = std::size(PLAIN_ACTIONS);
constexpr std::size_t ARGUMENT_ACTION_COUNT = std::size(ARGUMENT_ACTIONS);

using PlainAction = void (*)();
using ArgumentAction = void (*)(std::string argument);

// In table order, index 0 first.
std::vector<PlainAction> plainActionTable();
std::vector<ArgumentAction> argumentActionTable();

// How a person knows an action (index within its table): the line it
// writes, with argument where the argument goes; for the plain actions
// whose line is new each time, what they write ("the date and time").
std::string describePlainAction(std::size_t index);
std::string describeArgumentAction(std::size_t index, std::string_view argument);

// The date line for a calendar time: the runtime's one-line text, or a line
// of our own when the runtime cannot represent that time. Ends in a newline.
std::string dateLine(std::int64_t seconds);

}  // namespace gorvandel
