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
// mode and handles the signals that act on the program, wherever it is,
// each one it was not started with ignored:
// - one that ends it (SIGINT, SIGQUIT, SIGTERM, SIGHUP) puts the terminal's
//   mode back (in the foreground: a stopped one has), then ends this program alone, by that signal, as it would
//   have; nothing is sent to the rest of its process group;
// - SIGTSTP (Ctrl-Z) puts the terminal's mode back while the program is
//   stopped, and the editor's mode back when it goes on; where nothing can
//   stop it (no job control), nothing changes;
// - SIGCONT and SIGWINCH are noted, for the line editor to draw its line
//   again (takeContinued) or follow the window's new size (takeResized).
// System calls these interrupt are restarted, but for waits (poll), which
// report EINTR.
void handleTerminalSignals();

// What a wait for a key waits on as well (-1: nothing): it can be read once
// SIGCONT or SIGWINCH has come, until takeWakeUps.
int signalWakeUp();
void takeWakeUps();

// Whether the program went on after a stop (SIGCONT) since the last call.
bool takeContinued();

// Whether the window changed its size (SIGWINCH) since the last call.
bool takeResized();

// Whether the program was started with SIGINT ignored (by a script that
// traps it): the interrupt key is then read as a key.
bool interruptIgnored();

}  // namespace gorvandel
