#include "learning_picture.h"

#include "actions.h"
#include "characters.h"
#include "shown_text.h"

#include <cstdio>
#include <functional>

namespace gorvandel {

namespace {

// Columns: mark, action, weight, bar, chance; 2 + 42 + 4 + 2 + 21 + 7 = 78.
constexpr std::size_t TEXT_WIDTH = 42;
constexpr std::size_t TITLE_WIDTH = 80;
constexpr int CELLS_PER_WEIGHT = 2;
constexpr int HALF_BAR = WEIGHT_MAX * CELLS_PER_WEIGHT;

// The text in at most width columns, cut with "..." at its end (never
// inside a UTF-8 character) where it is longer.
std::string cut(const std::string& text, std::size_t width)
{
    if (text.size() <= width) {
        return text;
    }
    return text.substr(0, characterStart(text, width - 3)) + "...";
}

// An action's text in exactly width columns: cut, or padded.
std::string fitted(const std::string& text, std::size_t width)
{
    const std::string shown = cut(text, width);
    return shown + std::string(width - shown.size(), ' ');
}

std::string painted(const std::string& text, const char* colour, bool withColour)
{
    return withColour && !text.empty() ? std::string("\033[") + colour + "m" + text + "\033[0m" : text;
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

std::string row(const std::string& text, Weight weight, double chance, bool favourite, PictureStyle style)
{
    char numbers[32];
    std::snprintf(numbers, sizeof numbers, "%4s",
                  weight > 0 ? ("+" + std::to_string(weight)).c_str() : std::to_string(weight).c_str());
    char percent[16];
    std::snprintf(percent, sizeof percent, "%6.1f%%", chance * 100);
    const std::string line = fitted(text, TEXT_WIDTH);
    return (favourite ? "* " : "  ") + painted(line, "1", style.colour && favourite) + numbers + "  " +
           bar(weight, style) + percent + "\n";
}

std::string block(const std::string& name, const std::vector<Weight>& weights,
                  const std::function<std::string(std::size_t)>& describe, PictureStyle style)
{
    const std::string axis = "-5" + std::string(HALF_BAR - 2, ' ') + "0" + std::string(HALF_BAR - 2, ' ') + "+5";
    std::string text = fitted(name, 2 + TEXT_WIDTH + 4 + 2) + axis + " chance\n";
    const std::vector<double> chances = choiceChances(weights);
    const int favourite = findFavourite(weights);
    for (std::size_t i = 0; i < weights.size(); ++i) {
        text += row(describe(i), weights[i], chances[i], static_cast<int>(i) == favourite, style);
    }
    return text;
}

}  // namespace

std::string pictureTitle(const std::string& memoryFile, bool exists, const std::string& leftover)
{
    if (memoryFile.empty()) {
        return "Nothing is kept without --memory: every run starts from these weights.";
    }
    const std::string name = shownSafely(leftover.empty() ? memoryFile : leftover);
    const std::string before = !leftover.empty() ? "What Gorvandel has learned, in "
                               : exists          ? "What Gorvandel has learned, kept in "
                                                 : "Nothing has been learned in ";
    const std::string after = !leftover.empty() ? ", which the next run puts in place:"
                              : exists          ? ":"
                                                : " yet: every weight is 0.";
    if (before.size() + columnsOf(name) + after.size() <= TITLE_WIDTH) {
        return before + name + after;
    }
    // Cut, a name could not be found again or copied; wrapped by the
    // terminal, it would not stand apart.
    return (!leftover.empty() ? "What Gorvandel has learned, in the last save, which the next run puts in place:\n"
            : exists          ? "What Gorvandel has learned, kept in this file:\n"
                              : "Nothing has been learned yet (every weight is 0) in this file:\n") +
           name;
}

std::string drawLearning(const Learning& learned, const std::string& title, PictureStyle style)
{
    return title + "\n\n" + block("do something", learned.plain, describePlainAction, style) + "\n" +
           block(
               "do something with TEXT", learned.argument,
               [](std::size_t index) { return describeArgumentAction(index, "TEXT"); }, style) +
           "\n* the favourite: it runs with chance (weight + 1) in 5, always from 4 up;\n"
           "  the other actions of its table share the rest.\n";
}

}  // namespace gorvandel
