#pragma once

// What the user sees and types at the prompt.

#include <string_view>

namespace gorvandel {

constexpr std::string_view PROMPT = "Gorvandel> ";

// The command words, matched exactly; the argument follows the prefix.
constexpr std::string_view EXIT_COMMAND = "exit";
constexpr std::string_view REWARD_COMMAND = "reward";
constexpr std::string_view PUNISH_COMMAND = "punish";
constexpr std::string_view PLAIN_COMMAND = "do something";
constexpr std::string_view ARGUMENT_PREFIX = "do something with ";

}  // namespace gorvandel
