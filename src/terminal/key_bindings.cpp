#include "key_bindings.h"

#include "libedit_functions.h"

#include <string>

namespace gorvandel {

namespace {

constexpr const char* CSI = "\033[";
constexpr const char* IGNORE = "ed-ignore";

void bind(EditLine* editor, const std::string& keys, const char* function)
{
    libedit().el_set(editor, EL_BIND, keys.c_str(), function, nullptr);
}

// xterm sends a key with modifiers as CSI 1 ; m LETTER or CSI n ; m ~, m
// being 1 + Shift 1 + Alt 2 + Ctrl 4 + Meta 8.
constexpr int MOST_MODIFIERS = 16;

bool byWord(int modifiers)
{
    return ((modifiers - 1) & 6) != 0;  // Alt or Ctrl
}

void bindModifiedLetterKeys(EditLine* editor)
{
    for (int modifiers = 2; modifiers <= MOST_MODIFIERS; ++modifiers) {
        const std::string prefix = std::string(CSI) + "1;" + std::to_string(modifiers);
        bind(editor, prefix + "D", byWord(modifiers) ? "ed-prev-word" : IGNORE);
        bind(editor, prefix + "C", byWord(modifiers) ? "em-next-word" : IGNORE);
        bind(editor, prefix + "H", "ed-move-to-beg");
        bind(editor, prefix + "F", "ed-move-to-end");
        for (const char* key : {"A", "B", "P", "Q", "R", "S"}) {  // Up, Down, F1-F4, and F1-F4 of VT220 forms
            bind(editor, prefix + key, IGNORE);
            bind(editor, "\033O" + std::to_string(modifiers) + key, IGNORE);
        }
    }
}

void bindTildeKeys(EditLine* editor)
{
    // Insert, PageUp, PageDown; F1-F4 (rxvt) and F5-F12; Shift-F1..F8 (Linux console); the paste markers.
    for (int key : {2, 5, 6, 11, 12, 13, 14, 15, 17, 18, 19, 20, 21, 23, 24, 25, 26, 28, 29, 31, 32, 33, 34}) {
        bind(editor, CSI + std::to_string(key) + "~", IGNORE);
        for (int modifiers = 2; modifiers <= MOST_MODIFIERS; ++modifiers) {
            bind(editor, CSI + std::to_string(key) + ";" + std::to_string(modifiers) + "~", IGNORE);
        }
    }
    bind(editor, std::string(CSI) + "200~", IGNORE);
    bind(editor, std::string(CSI) + "201~", IGNORE);
    bind(editor, std::string(CSI) + "3~", "ed-delete-next-char");
    for (int modifiers = 2; modifiers <= MOST_MODIFIERS; ++modifiers) {
        bind(editor, CSI + std::string("3;") + std::to_string(modifiers) + "~",
             byWord(modifiers) ? "em-delete-next-word" : "ed-delete-next-char");
    }
}

void bindOtherForms(EditLine* editor)
{
    // Home and End of the Linux console and rxvt; libedit binds xterm's
    // (ESC [ H, ESC O H and the same with F) itself.
    for (const char* home : {"\033[1~", "\033[7~"}) {
        bind(editor, home, "ed-move-to-beg");
    }
    for (const char* end : {"\033[4~", "\033[8~"}) {
        bind(editor, end, "ed-move-to-end");
    }
    // F1-F4 of xterm and of the Linux console (F5 too), Shift-Tab.
    for (const char* key :
         {"\033OP", "\033OQ", "\033OR", "\033OS", "\033[[A", "\033[[B", "\033[[C", "\033[[D", "\033[[E", "\033[Z"}) {
        bind(editor, key, IGNORE);
    }
    // rxvt's Ctrl and Alt arrows; Alt-B, Alt-F, Alt-D and Alt-Backspace.
    bind(editor, "\033Od", "ed-prev-word");
    bind(editor, "\033Oc", "em-next-word");
    bind(editor, "\033\033[D", "ed-prev-word");
    bind(editor, "\033\033[C", "em-next-word");
    bind(editor, "\033b", "ed-prev-word");
    bind(editor, "\033f", "em-next-word");
    bind(editor, "\033d", "em-delete-next-word");
    bind(editor, "\033\177", "ed-delete-prev-word");
    bind(editor, "\033\010", "ed-delete-prev-word");
    // Alt-X and Alt-Shift-X would open libedit's own command prompt, where
    // what is typed never reaches the program (Ctrl-R's search is the only
    // other prompt in its emacs keys, and it stays).
    bind(editor, "\033x", IGNORE);
    bind(editor, "\033X", IGNORE);
}

}  // namespace

void bindTerminalKeys(EditLine* editor)
{
    bindModifiedLetterKeys(editor);
    bindTildeKeys(editor);
    bindOtherForms(editor);
}

}  // namespace gorvandel
