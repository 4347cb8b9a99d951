#pragma once

namespace gorvandel {

// Whether the terminal can show a line edited here: not where it shows what
// is typed by itself, as Emacs's shell buffer does (TERM=dumb with
// INSIDE_EMACS set, as bash decides), nor at a dumb terminal whose echo is
// off at the start. Lines are read plainly there.
bool terminalShowsEditing();

// Between lines the terminal stays in the line editor's mode, without echo,
// so that keys typed while an answer is written or saved wait, unechoed and
// whole, for the editor's next line. This takes note of the terminal's own
// mode and has a signal that ends the program (one the program was not
// started with ignored) put it back first, wherever the program is.
void restoreTerminalModeOnSignals();

// Keeps the signals that end or stop the program, and that it was started
// with ignored (SIGINT from a script that traps it), ignored while libedit
// reads a line: libedit takes those signals then, and one that came between
// two of its reads would leave the terminal in its normal mode and the read
// waiting for a whole line. True when SIGINT is one of them.
bool keepIgnoredSignalsIgnored();

}  // namespace gorvandel
