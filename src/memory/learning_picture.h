#pragma once

// A picture of what the persona has learned, for a person to look at: for
// each table one row per action with its weight as a number and as a bar
// on a -5..5 axis, its chance to run at the next choice, and the favourite
// marked; at most 80 columns wide.

#include "operating_system.h"

#include <string>

namespace gorvandel {

struct PictureStyle {
    bool blocks = false;  // block characters (UTF-8); plain ASCII otherwise
    bool colour = false;  // ANSI colours
};

// The picture, under a first line that says whose learning it shows.
std::string drawLearning(const Learning& learned, const std::string& title, PictureStyle style);

}  // namespace gorvandel
