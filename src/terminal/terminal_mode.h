#pragma once

namespace gorvandel {

// Between lines the terminal stays in the line editor's mode, without echo,
// so that keys typed while an answer is written or saved wait, unechoed and
// whole, for the editor's next line. This takes note of the terminal's own
// mode and has a signal that ends the program (one the program was not
// started with ignored) put it back first, wherever the program is.
void restoreTerminalModeOnSignals();

}  // namespace gorvandel
