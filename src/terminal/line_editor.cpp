#include "line_editor.h"

#include "commands.h"
#include "completion.h"
#include "history.h"
#include "key_bindings.h"
#include "lines.h"
#include "standard_output.h"
#include "terminal_mode.h"

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>
#include <vector>

#include <histedit.h>

namespace gorvandel {

namespace {

using EditorHandle = std::unique_ptr<EditLine, decltype(&el_end)>;
using HistoryHandle = std::unique_ptr<History, decltype(&history_end)>;

char* promptText(EditLine*)
{
    static std::string prompt(PROMPT);
    return prompt.data();
}

std::vector<std::string> currentFolderNames()
{
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(".", error), end; !error && entry != end; entry.increment(error)) {
        names.push_back(entry->path().filename().string());
    }
    return names;
}

// More choices than this are listed only when the user says so, as shells ask.
constexpr std::size_t CHOICES_LISTED_WITHOUT_ASKING = 100;

// One key pressed in answer: a key that sends an escape sequence (an arrow,
// a function key) is read whole, so that none of it is left to be typed.
char readAnswer(EditLine* editor)
{
    char key = 0;
    if (el_getc(editor, &key) != 1 || key != '\033') {
        return key;
    }
    // Alt with a key (ESC y) is no y; a sequence ends with a byte from '@' to
    // '~', digits and ';' coming before it.
    if (el_getc(editor, &key) == 1 && (key == '[' || key == 'O')) {
        while (el_getc(editor, &key) == 1 && (key < '@' || key > '~')) {
        }
    }
    return '\033';
}

// Lists the choices below the line, asking first when there are many.
void listChoices(EditLine* editor, const std::vector<std::string>& choices)
{
    std::string listing = "\n";
    if (choices.size() > CHOICES_LISTED_WITHOUT_ASKING) {
        std::printf("\nDisplay all %zu possibilities? (y or n)", choices.size());
        std::fflush(stdout);
        const char answer = readAnswer(editor);
        if (answer != 'y' && answer != 'Y' && answer != ' ') {
            std::fputs(listing.c_str(), stdout);
            return;
        }
    }
    int width = 80;
    el_get(editor, EL_GETTC, "co", &width, nullptr);
    listing += choicesInColumns(choices, static_cast<std::size_t>(std::max(width, 1)));
    std::fputs(listing.c_str(), stdout);
}

// Bound to Tab. Inserts what all candidates share; when that is nothing,
// lists them below the line and draws the prompt and line again.
unsigned char completeAtCursor(EditLine* editor, int)
{
    try {
        const LineInfo* line = el_line(editor);
        const Completion completion = complete(
            std::string_view(line->buffer, static_cast<std::size_t>(line->cursor - line->buffer)), currentFolderNames);
        if (!completion.insertion.empty()) {
            return el_insertstr(editor, completion.insertion.c_str()) == 0 ? CC_REFRESH : CC_ERROR;
        }
        if (completion.choices.empty()) {
            return CC_ERROR;
        }
        listChoices(editor, completion.choices);
        std::fflush(stdout);
        return CC_REDISPLAY;
    } catch (const std::exception&) {
        // Nothing may unwind through libedit; a completion that fails just beeps.
        return CC_ERROR;
    }
}

// Bound to Ctrl-D: the end of input on an empty line, as a terminal has it
// without line editing (and like it, nothing shows); otherwise it deletes
// the character under the cursor.
unsigned char endOrDeleteAtCursor(EditLine* editor, int)
{
    const LineInfo* line = el_line(editor);
    if (line->buffer == line->lastchar) {
        return CC_EOF;
    }
    if (line->cursor == line->lastchar) {
        return CC_ERROR;
    }
    el_cursor(editor, 1);
    el_deletestr(editor, 1);
    return CC_REFRESH;
}

EditorHandle makeEditor(History* history)
{
    // libedit's word on an unknown $TERM (it goes on as a dumb terminal)
    // would be noise on standard error; what comes later, such as a faulty
    // line in ~/.editrc, is not.
    const std::unique_ptr<std::FILE, decltype(&std::fclose)> quiet(std::fopen("/dev/null", "w"), &std::fclose);
    EditorHandle editor(el_init("gorvandel", stdin, stdout, quiet ? quiet.get() : stderr), &el_end);
    if (!editor) {
        throw std::bad_alloc();
    }
    EditLine* el = editor.get();
    el_set(el, EL_SETFP, 2, stderr);
    el_set(el, EL_EDITOR, "emacs");
    // On Ctrl-C or Ctrl-Z libedit puts the terminal back in its normal mode
    // before the signal takes effect, and takes it up again after fg.
    el_set(el, EL_SIGNAL, 1);
    el_set(el, EL_PROMPT, &promptText);
    el_set(el, EL_HIST, &::history, history);
    // Wide names: libedit keeps them as given, where it would leak its own
    // wide copies of narrow ones.
    el_wset(el, EL_ADDFN, L"gorvandel-complete", L"Complete a command word or a file name", &completeAtCursor);
    el_set(el, EL_BIND, "^I", "gorvandel-complete", nullptr);
    el_wset(el, EL_ADDFN, L"gorvandel-end-or-delete", L"End of input on an empty line, else delete",
            &endOrDeleteAtCursor);
    el_set(el, EL_BIND, "^D", "gorvandel-end-or-delete", nullptr);
    el_set(el, EL_BIND, "^W", "ed-delete-prev-word", nullptr);
    bindTerminalKeys(el);
    // A person's own ~/.editrc has the last word.
    el_source(el, nullptr);
    return editor;
}

// libedit decodes what is typed by the locale's character set. The C
// locale's is ASCII, and libedit would drop every other byte typed, so
// there it reads UTF-8, as Python's shell does.
void takeTheLocalesCharacters()
{
    const char* locale = std::setlocale(LC_CTYPE, "");
    if (locale == nullptr || std::string_view(locale) == "C" || std::string_view(locale) == "POSIX") {
        std::setlocale(LC_CTYPE, "C.UTF-8");
    }
}

HistoryHandle makeHistory(const std::string& historyFile)
{
    HistoryHandle history(history_init(), &history_end);
    if (!history) {
        throw std::bad_alloc();
    }
    HistEvent event;
    ::history(history.get(), &event, H_SETSIZE, static_cast<int>(HISTORY_LIMIT));
    ::history(history.get(), &event, H_SETUNIQUE, 1);
    for (const std::string& line : loadHistory(historyFile)) {
        ::history(history.get(), &event, H_ENTER, line.c_str());
    }
    return history;
}

// The editor's state for a run; the history file gets the typed lines when it ends.
struct EditingSession {
    std::string historyFile;
    HistoryHandle history;
    EditorHandle editor;
    std::vector<std::string> typed;

    explicit EditingSession(const std::string& file)
        : historyFile(file),
          history(makeHistory(file)),
          editor(makeEditor(history.get()))
    {
    }
    EditingSession(const EditingSession&) = delete;
    EditingSession& operator=(const EditingSession&) = delete;
    ~EditingSession() { saveHistory(historyFile, typed); }
};

// el_gets, carried on across a signal the program was started with ignored
// (SIGINT from a script that traps it), which cuts the line short: what was
// typed goes on, on a line of its own.
const char* readWithLibedit(EditLine* editor, int& count)
{
    const char* text = el_gets(editor, &count);
    while (count < 0 && errno == EINTR) {
        const LineInfo* cut = el_line(editor);
        const std::string typedSoFar(cut->buffer, cut->lastchar);
        std::fputs("\n", stdout);
        el_push(editor, typedSoFar.c_str());
        text = el_gets(editor, &count);
    }
    return text;
}

ReadResult readEditedLine(EditingSession& session, std::string& line, std::error_code& error)
{
    // The date line is written without a flush; libedit writes through stdio.
    flushOutput();
    int count = 0;
    const char* text = readWithLibedit(session.editor.get(), count);
    const int readError = errno;
    // Keys typed before the next line is asked for wait for it unechoed.
    el_set(session.editor.get(), EL_PREP_TERM, 1);
    if (text == nullptr || count < 0) {
        if (count == 0) {
            return ReadResult::EndOfInput;
        }
        error = std::error_code(readError, std::generic_category());
        return ReadResult::ReadFailed;
    }
    line.assign(text, static_cast<std::size_t>(count));
    if (!line.empty() && line.back() == '\n') {
        line.pop_back();
        removeCarriageReturn(line);
    }
    if (!line.empty()) {
        HistEvent event;
        ::history(session.history.get(), &event, H_ENTER, line.c_str());
    }
    addToHistory(session.typed, line);
    return ReadResult::Line;
}

}  // namespace

LineReader lineEditor(const std::string& historyFile)
{
    takeTheLocalesCharacters();
    restoreTerminalModeOnSignals();
    auto session = std::make_shared<EditingSession>(historyFile);
    return [session](std::string& line, std::error_code& error) { return readEditedLine(*session, line, error); };
}

}  // namespace gorvandel
