#pragma once

// The persona's repertoire: pretend actions that only announce, on standard
// output, what they pretend to do. An action's position in its table is its
// identity; the persona's weights and memory refer to actions by position.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gorvandel {

constexpr std::size_t PLAIN_ACTION_COUNT = 8;
constexpr std::size_t ARGUMENT_ACTION_COUNT = 10;

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
