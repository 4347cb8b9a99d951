#include "completion.h"

#include "commands.h"

#include <algorithm>

namespace gorvandel {

namespace {

constexpr std::string_view COMMAND_WORDS[] = {PLAIN_COMMAND, ARGUMENT_PREFIX, EXIT_COMMAND, PUNISH_COMMAND,
                                              REWARD_COMMAND};

bool startsWith(std::string_view text, std::string_view start)
{
    return text.compare(0, start.size(), start) == 0;
}

}  // namespace

Completion complete(std::string_view beforeCursor, const std::function<std::vector<std::string>()>& folderNames)
{
    std::vector<std::string> candidates;
    std::string_view typed = beforeCursor;
    if (startsWith(beforeCursor, ARGUMENT_PREFIX)) {
        typed.remove_prefix(ARGUMENT_PREFIX.size());
        for (std::string& name : folderNames()) {
            if (startsWith(name, typed) && (name[0] != '.' || startsWith(typed, "."))) {
                candidates.push_back(std::move(name));
            }
        }
    } else {
        for (const std::string_view word : COMMAND_WORDS) {
            if (startsWith(word, typed)) {
                candidates.emplace_back(word);
            }
        }
    }
    if (candidates.empty()) {
        return {};
    }
    std::sort(candidates.begin(), candidates.end());
    // Sorted, the first and last candidates differ the soonest.
    const auto [common, ignored] = std::mismatch(candidates.front().begin(), candidates.front().end(),
                                                 candidates.back().begin(), candidates.back().end());
    Completion completion;
    completion.insertion.assign(candidates.front().begin() + static_cast<std::ptrdiff_t>(typed.size()), common);
    if (completion.insertion.empty() && candidates.size() > 1) {
        completion.choices = std::move(candidates);
    }
    return completion;
}

std::string choicesInColumns(const std::vector<std::string>& choices, std::size_t width)
{
    std::size_t longest = 0;
    for (const std::string& choice : choices) {
        longest = std::max(longest, choice.size());
    }
    const std::size_t columnWidth = longest + 2;
    const std::size_t columns = std::max<std::size_t>(1, width / columnWidth);
    const std::size_t rows = (choices.size() + columns - 1) / columns;
    std::string text;
    // Down the columns, as ls lists names.
    for (std::size_t row = 0; row < rows; ++row) {
        for (std::size_t index = row; index < choices.size(); index += rows) {
            text += choices[index];
            if (index + rows < choices.size()) {
                text.append(columnWidth - choices[index].size(), ' ');
            }
        }
        text += '\n';
    }
    return text;
}

}  // namespace gorvandel
