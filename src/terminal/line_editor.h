#pragma once

#include "command_loop.h"

#include <string>

namespace gorvandel {

// A reader of command lines at a terminal, through libedit: a line can be
// edited, Up and Down walk the history of historyFile (empty: a history for
// this run only) and Tab completes (see completion.h). It gives the command
// loop the lines the plain reader would, and the screen shows what the
// plain reader shows. When the last copy of the reader is gone, the lines
// typed in this run are added to the history file. None (an empty reader)
// where the terminal cannot show an edited line (see terminal_mode.h), or
// where libedit cannot be loaded, which it says on standard error.
LineReader lineEditor(const std::string& historyFile);

}  // namespace gorvandel
