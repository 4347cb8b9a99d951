#pragma once

#include "command_loop.h"
#include "operating_system.h"

#include <string>

namespace gorvandel {

// Runs the command loop at a terminal, reading lines through libedit: they
// can be edited, Up and Down walk the history of historyFile (empty: one
// kept for this run only) and Tab completes (see completion.h). The screen
// shows what the plain loop shows. The history file is written back when
// the loop ends by "exit" or the end of input.
LoopEnd runEditingSession(OperatingSystem& persona, const std::string& historyFile, const AfterCommand& afterCommand);

}  // namespace gorvandel
