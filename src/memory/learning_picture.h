#pragma once

// A picture of what the persona has learned, for a person to look at: for
// each table one row per action with its weight as a number and as a bar
// on a -5..5 axis, its chance to run at the next choice, and the favourite
// marked. To a file or a pipe it is 80 columns wide, as it always was. At a
// terminal it fits the window: no line reaches its last column, an
// action's name is cut only where it must be, at a word, and never inside
// its quoted "TEXT"; below 40 columns the bars give way to the numbers. A
// memory file's name is never cut: one too long for the title's line goes
// whole on a line of its own.

#include "operating_system.h"

#include <cstddef>
#include <string>

namespace gorvandel {

// Below this many columns the picture is compact: no bars.
constexpr std::size_t NARROWEST_WITH_BARS = 40;

struct PictureStyle {
    bool blocks = false;      // block characters (UTF-8); plain ASCII otherwise
    bool colour = false;      // ANSI colours
    std::size_t window = 0;   // the terminal's columns; 0 for a file or a pipe
};

// The picture's title: where the memory is kept (memoryFile, shown
// safely), or that nothing is kept when memoryFile is empty; for a missing
// memory drawn from the last save a crash left beside it, that save
// (leftover). Fitted to window as the picture is.
std::string pictureTitle(const std::string& memoryFile, bool exists, const std::string& leftover = "",
                         std::size_t window = 0);

// The picture, under the title.
std::string drawLearning(const Learning& learned, const std::string& title, PictureStyle style);

// An action's name in at most width columns: whole when it fits; otherwise
// cut at a word with ellipsis after it, keeping a quoted "TEXT" whole (the
// words around it cut instead) or, where even that cannot fit, cutting
// ahead of its opening quote.
std::string fittedName(const std::string& name, std::size_t width, const std::string& ellipsis);

}  // namespace gorvandel
