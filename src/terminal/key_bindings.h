#pragma once

#include <histedit.h>

namespace gorvandel {

// Binds the keys of xterm-like terminals and the Linux console that emacs
// mode leaves unbound: Home, End and Delete whatever $TERM claims; Ctrl or
// Alt with Left and Right by word; Ctrl-Delete and Alt-D the word after the
// cursor, Alt-Backspace the word before; and to nothing at all Insert,
// PageUp, PageDown, F1-F12, the other arrows with modifiers, and the
// markers of a bracketed paste. Unbound, libedit would take the start of
// such a sequence as a key and insert the rest of it into the line. Alt-X,
// which would open libedit's own command prompt, does nothing either.
void bindTerminalKeys(EditLine* editor);

}  // namespace gorvandel
