#pragma once

// A picture of what the persona has learned, for a person to look at: for
// each table one row per action with its weight as a number and as a bar
// on a -5..5 axis, its chance to run at the next choice, and the favourite
// marked; at most 80 columns wide, but for a memory file's name too long
// for that, which is never cut.

#include "operating_system.h"

#include <string>

namespace gorvandel {

struct PictureStyle {
    bool blocks = false;  // block characters (UTF-8); plain ASCII otherwise
    bool colour = false;  // ANSI colours
};

// The picture's title: where the memory is kept (memoryFile, shown
// safely), or that nothing is kept when memoryFile is empty; for a missing
// memory drawn from the last save a crash left beside it, that save
// (leftover). A name that would take the title past 80 columns goes whole
// on a line of its own.
std::string pictureTitle(const std::string& memoryFile, bool exists, const std::string& leftover = "");

// The picture, under the title.
std::string drawLearning(const Learning& learned, const std::string& title, PictureStyle style);

}  // namespace gorvandel
