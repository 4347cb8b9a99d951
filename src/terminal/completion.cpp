#include "completion.h"

#include "commands.h"
#include "shown_text.h"

#include <algorithm>
#include <cwchar>

namespace gorvandel {

namespace {

constexpr std::string_view COMMAND_WORDS[] = {PLAIN_COMMAND, ARGUMENT_PREFIX, EXIT_COMMAND, PUNISH_COMMAND,
                                              REWARD_COMMAND};

bool startsWith(std::string_view text, std::string_view start)
{
    return text.compare(0, start.size(), start) == 0;
}

// What completes typed: the command words at the start of a line, the
// folder's names after the argument prefix. A name with a newline cannot be
// typed on one line; a hidden name waits for its dot.
std::vector<std::string> candidatesFor(std::string_view beforeCursor, std::string_view& typed,
                                       const std::function<std::vector<std::string>()>& folderNames)
{
    std::vector<std::string> candidates;
    typed = beforeCursor;
    if (!startsWith(beforeCursor, ARGUMENT_PREFIX)) {
        for (const std::string_view word : COMMAND_WORDS) {
            if (startsWith(word, typed)) {
                candidates.emplace_back(word);
            }
        }
        return candidates;
    }
    typed.remove_prefix(ARGUMENT_PREFIX.size());
    for (std::string& name : folderNames()) {
        if (startsWith(name, typed) && (name[0] != '.' || startsWith(typed, ".")) &&
            name.find('\n') == std::string::npos) {
            candidates.push_back(std::move(name));
        }
    }
    return candidates;
}

// Where the text that every candidate shares stops being fit to type for
// the user, read by the locale's characters: before a character the
// program would not show as it is (a control, which the terminal would act
// on; a bidi or zero-width mark, which would disguise the line), before
// bytes that are no character, and before half a character, where two
// names part inside one. Never before typed.
std::size_t typableEnd(std::string_view shared, std::size_t typed)
{
    std::mbstate_t state{};
    std::size_t at = 0;
    while (at < shared.size()) {
        wchar_t character = 0;
        const std::size_t length = std::mbrtowc(&character, shared.data() + at, shared.size() - at, &state);
        if (length == 0 || length > shared.size() - at ||
            (at >= typed && shownSafely(shared.substr(at, length)) != shared.substr(at, length))) {
            break;
        }
        at += length;
    }
    return std::max(at, typed);
}

}  // namespace

Completion complete(std::string_view beforeCursor, const std::function<std::vector<std::string>()>& folderNames)
{
    std::string_view typed;
    std::vector<std::string> candidates = candidatesFor(beforeCursor, typed, folderNames);
    if (candidates.empty()) {
        return {};
    }
    std::sort(candidates.begin(), candidates.end());
    // Sorted, the first and last candidates differ the soonest.
    const auto [common, ignored] = std::mismatch(candidates.front().begin(), candidates.front().end(),
                                                 candidates.back().begin(), candidates.back().end());
    const std::string& first = candidates.front();
    const auto shared = static_cast<std::size_t>(common - first.begin());
    const std::size_t end = typableEnd(std::string_view(first).substr(0, shared), typed.size());
    Completion completion;
    completion.insertion = first.substr(typed.size(), end - typed.size());
    // Nothing to add: the choices are shown, a name stopped at a control character among them.
    if (completion.insertion.empty() && (candidates.size() > 1 || end != shared)) {
        completion.choices = std::move(candidates);
    }
    return completion;
}

std::string choicesInColumns(const std::vector<std::string>& choices, std::size_t width)
{
    std::vector<std::string> shown;
    std::vector<std::size_t> widths(choices.size());
    std::size_t longest = 0;
    for (std::size_t i = 0; i < choices.size(); ++i) {
        shown.push_back(shownSafely(choices[i]));
        widths[i] = columnsOf(shown[i]);
        longest = std::max(longest, widths[i]);
    }
    const std::size_t columnWidth = longest + 2;
    const std::size_t columns = std::max<std::size_t>(1, width / columnWidth);
    const std::size_t rows = (choices.size() + columns - 1) / columns;
    std::string text;
    // Down the columns, as ls lists names.
    for (std::size_t row = 0; row < rows; ++row) {
        for (std::size_t index = row; index < choices.size(); index += rows) {
            text += shown[index];
            if (index + rows < choices.size()) {
                text.append(columnWidth - widths[index], ' ');
            }
        }
        text += '\n';
    }
    return text;
}

}  // namespace gorvandel
