#include "learning_picture.h"

#include "actions.h"
#include "characters.h"
#include "shown_text.h"

#include <algorithm>
#include <cstdio>
#include <functional>

namespace gorvandel {

namespace {

// The 80-column picture: mark, action, weight, bar, chance; 2 + 42 + 4 + 2 + 21 + 7 = 78.
constexpr std::size_t TEXT_WIDTH = 42;
constexpr std::size_t TITLE_WIDTH = 80;
constexpr std::size_t MARK = 2;
constexpr std::size_t NUMBER = 4;
constexpr std::size_t PERCENT = 7;
constexpr int CELLS_PER_WEIGHT = 2;
constexpr int HALF_BAR = WEIGHT_MAX * CELLS_PER_WEIGHT;
// The weights, bars and chances right of the action column.
constexpr std::size_t BARS = NUMBER + 2 + 2 * HALF_BAR + 1 + PERCENT;
const std::string QUOTED_TEXT = "\"TEXT\"";

// How one picture is laid out.
struct Layout {
    std::size_t text = TEXT_WIDTH;  // the action column; 0 where each name has a line of its own
    bool bars = true;               // false in the compact form
    std::size_t lineWidth = TITLE_WIDTH;
    bool fitted = false;  // false: the picture of a file or a pipe, cut as it always was
    std::string ellipsis = "...";
};

// Columns of the program's own text: ASCII, and characters one column wide.
std::size_t columnsIn(const std::string& text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char byte) { return !continuesCharacter(byte); }));
}

std::size_t longestName()
{
    std::size_t longest = 0;
    for (std::size_t i = 0; i < PLAIN_ACTION_COUNT; ++i) {
        longest = std::max(longest, columnsIn(describePlainAction(i)));
    }
    for (std::size_t i = 0; i < ARGUMENT_ACTION_COUNT; ++i) {
        longest = std::max(longest, columnsIn(describeArgumentAction(i, "TEXT")));
    }
    return longest;
}

// At a terminal: the names beside their bars where the names have room,
// else each on a line of its own above its bar, or below 40 columns above
// its weight and chance alone.
Layout layoutFor(PictureStyle style)
{
    if (style.window == 0) {
        return {};
    }
    // The last column stays free: some consoles go to the next line as soon as it is written.
    const std::size_t width = style.window - 1;
    const bool besideBars = width >= MARK + TEXT_WIDTH + BARS;
    return {besideBars ? std::min(width - MARK - BARS, longestName()) : 0, style.window >= NARROWEST_WITH_BARS, width, true,
            style.blocks ? "\u2026" : "..."};
}

// The text in at most width columns, cut with "..." at its end (never
// inside a UTF-8 character) where it is longer: the picture of a file or a pipe.
std::string cut(const std::string& text, std::size_t width)
{
    if (text.size() <= width) {
        return text;
    }
    return text.substr(0, characterStart(text, width - 3)) + "...";
}

// The most of text's words that fit in width columns with ellipsis after
// them (as many characters where not even the first word fits), without
// the spaces and dots that would stand before the ellipsis.
std::string wordsBefore(const std::string& text, std::size_t width, const std::string& ellipsis)
{
    const std::size_t room = width - std::min(width, columnsIn(ellipsis));
    // A text's own closing dots give way to the ellipsis first.
    const std::string undotted = text.substr(0, text.find_last_not_of(". ") + 1);
    if (columnsIn(undotted) <= room) {
        return undotted + ellipsis;
    }
    std::size_t end = 0;
    for (std::size_t columns = 0; end < text.size() && columns < room; ++columns) {
        ++end;
        while (end < text.size() && continuesCharacter(text[end])) {
            ++end;
        }
    }
    if (const std::size_t space = text.rfind(' ', end); end < text.size() && space != std::string::npos) {
        end = space;
    }
    while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '.')) {
        --end;
    }
    return text.substr(0, end) + ellipsis;
}

std::string fitted(const std::string& text, std::size_t width, const std::string& ellipsis)
{
    return columnsIn(text) <= width ? text : wordsBefore(text, width, ellipsis);
}

std::string painted(const std::string& text, const char* colour, bool withColour)
{
    return withColour && !text.empty() ? std::string("\033[") + colour + "m" + text + "\033[0m" : text;
}

std::string padded(const std::string& text, std::size_t width)
{
    return text + std::string(width - std::min(width, columnsIn(text)), ' ');
}

std::string repeated(const char* cell, int count)
{
    std::string cells;
    for (int i = 0; i < count; ++i) {
        cells += cell;
    }
    return cells;
}

// The weight as a bar from the zero line: to the right when positive, to the left when negative.
std::string bar(Weight weight, PictureStyle style)
{
    const char* empty = style.blocks ? "\u00b7" : "-";
    const char* full = style.blocks ? "\u2588" : "#";
    const int left = weight < 0 ? -weight * CELLS_PER_WEIGHT : 0;
    const int right = weight > 0 ? weight * CELLS_PER_WEIGHT : 0;
    return repeated(empty, HALF_BAR - left) + painted(repeated(full, left), "31", style.colour) +
           (style.blocks ? "\u2502" : "|") + painted(repeated(full, right), "32", style.colour) +
           repeated(empty, HALF_BAR - right);
}

std::string row(const std::string& text, Weight weight, double chance, bool favourite, PictureStyle style,
                const Layout& layout)
{
    char numbers[32];
    std::snprintf(numbers, sizeof numbers, "%4s",
                  weight > 0 ? ("+" + std::to_string(weight)).c_str() : std::to_string(weight).c_str());
    char percent[16];
    std::snprintf(percent, sizeof percent, "%6.1f%%", chance * 100);
    const std::size_t nameWidth = layout.text == 0 ? layout.lineWidth - std::min(layout.lineWidth, MARK) : layout.text;
    const std::string name = layout.fitted ? fittedName(text, nameWidth, layout.ellipsis) : cut(text, nameWidth);
    const bool bold = style.colour && favourite;
    const std::string shown = layout.text == 0 ? painted(name, "1", bold) + "\n" + std::string(MARK, ' ')
                                               : painted(padded(name, layout.text), "1", bold);
    return (favourite ? "* " : "  ") + shown + numbers + (layout.bars ? "  " + bar(weight, style) : "") + percent + "\n";
}

// The table's name over the action column, and the bars' axis beside it.
std::string heading(const std::string& name, const Layout& layout)
{
    const std::string axis =
        "-5" + std::string(HALF_BAR - 2, ' ') + "0" + std::string(HALF_BAR - 2, ' ') + "+5 chance\n";
    if (layout.text != 0) {
        return padded(cut(name, MARK + layout.text + NUMBER + 2), MARK + layout.text + NUMBER + 2) + axis;
    }
    return fitted(name, layout.lineWidth, layout.ellipsis) + "\n" +
           (layout.bars ? std::string(MARK + NUMBER + 2, ' ') + axis : "");
}

std::string block(const std::string& name, const std::vector<Weight>& weights,
                  const std::function<std::string(std::size_t)>& describe, PictureStyle style, const Layout& layout)
{
    std::string text = heading(name, layout);
    const std::vector<double> chances = choiceChances(weights);
    const int favourite = findFavourite(weights);
    for (std::size_t i = 0; i < weights.size(); ++i) {
        text += row(describe(i), weights[i], chances[i], static_cast<int>(i) == favourite, style, layout);
    }
    return text;
}

// Words in lines of at most width columns, each line after the first
// starting with indent; a word longer than a line has one to itself.
std::string wrapped(const std::string& text, std::size_t width, const std::string& first, const std::string& indent)
{
    std::string lines;
    std::string line = first;
    bool lineEmpty = true;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find(' ', start), text.size());
        const std::string word = text.substr(start, end - start);
        if (!lineEmpty && columnsIn(line) + 1 + columnsIn(word) > width) {
            lines += line + "\n";
            line = indent;
            lineEmpty = true;
        }
        line += (lineEmpty ? "" : " ") + word;
        lineEmpty = false;
        start = end + 1;
    }
    return lines + line;
}

}  // namespace

std::string fittedName(const std::string& name, std::size_t width, const std::string& ellipsis)
{
    const std::size_t quote = name.find(QUOTED_TEXT);
    if (columnsIn(name) <= width || quote == std::string::npos) {
        return fitted(name, width, ellipsis);
    }
    const std::string before = name.substr(0, quote);
    const std::string after = name.substr(quote + QUOTED_TEXT.size());
    const std::size_t kept = columnsIn(before) + QUOTED_TEXT.size();
    if (kept + columnsIn(ellipsis) <= width) {
        return before + QUOTED_TEXT + wordsBefore(after, width - kept, ellipsis);
    }
    // The words ahead of the quote give way first: "Downloading random files… "TEXT"…".
    const std::string tail = after.empty() ? "" : ellipsis;
    const std::size_t around = 1 + QUOTED_TEXT.size() + columnsIn(tail);
    if (width >= around + columnsIn(ellipsis)) {
        return wordsBefore(before.substr(0, before.find_last_not_of(' ') + 1), width - around, ellipsis) + " " +
               QUOTED_TEXT + tail;
    }
    return wordsBefore(before, width, ellipsis);
}

std::string pictureTitle(const std::string& memoryFile, bool exists, const std::string& leftover, std::size_t window)
{
    const std::size_t width = window == 0 ? TITLE_WIDTH : window - 1;
    if (memoryFile.empty()) {
        return wrapped("Nothing is kept without --memory: every run starts from these weights.", width, "", "");
    }
    const std::string name = shownSafely(leftover.empty() ? memoryFile : leftover);
    const std::string before = !leftover.empty() ? "What Gorvandel has learned, in "
                               : exists          ? "What Gorvandel has learned, kept in "
                                                 : "Nothing has been learned in ";
    const std::string after = !leftover.empty() ? ", which the next run puts in place:"
                              : exists          ? ":"
                                                : " yet: every weight is 0.";
    if (before.size() + columnsOf(name) + after.size() <= width) {
        return before + name + after;
    }
    // Cut, a name could not be found again or copied; wrapped by the
    // terminal, it would not stand apart.
    return wrapped(!leftover.empty() ? "What Gorvandel has learned, in the last save, which the next run puts in place:"
                   : exists          ? "What Gorvandel has learned, kept in this file:"
                                     : "Nothing has been learned yet (every weight is 0) in this file:",
                   width, "", "") +
           "\n" + name;
}

std::string drawLearning(const Learning& learned, const std::string& title, PictureStyle style)
{
    const Layout layout = layoutFor(style);
    return title + "\n\n" + block("do something", learned.plain, describePlainAction, style, layout) + "\n" +
           block(
               "do something with TEXT", learned.argument,
               [](std::size_t index) { return describeArgumentAction(index, "TEXT"); }, style, layout) +
           "\n" + wrapped("the favourite: it runs with chance (weight + 1) in 5, always from 4 up;", layout.lineWidth, "* ", "  ") +
           "\n" + wrapped("the other actions of its table share the rest.", layout.lineWidth, "  ", "  ") + "\n";
}

}  // namespace gorvandel
