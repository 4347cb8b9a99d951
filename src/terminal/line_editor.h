#pragma once

#include "history.h"
#include "line_reader.h"
#include "outcome.h"

#include <string>

namespace gorvandel {

// A reader of command lines at a terminal, through libedit: a line can be
// edited, Up and Down walk the history kept at history (none: a history for
// this run only) and Tab completes (see completion.h). It gives the command
// loop the lines the plain reader would, and the screen shows what the
// plain reader shows. Each line typed goes to the history file at once; it
// is cut when the last copy of the reader is gone. None (an empty reader)
// where the terminal cannot show an edited line (see terminal_mode.h), or
// where libedit cannot be loaded. The outcome's notices say what the user
// should know: a history passed over, or line editing that could not be
// had, and why.
struct LineEditor {
    LineReader reader;
    Outcome outcome;
};
LineEditor lineEditor(const HistoryPlace& history);

}  // namespace gorvandel
