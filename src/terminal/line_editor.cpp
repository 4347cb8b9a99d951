#include "line_editor.h"

#include "commands.h"
#include "completion.h"
#include "history.h"
#include "key_bindings.h"
#include "libedit_functions.h"
#include "lines.h"
#include "shown_text.h"
#include "standard_output.h"
#include "terminal_mode.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <exception>
#include <map>
#include <memory>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include <dirent.h>
#include <histedit.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace gorvandel {

namespace {

using EditorHandle = std::unique_ptr<EditLine, decltype(LibeditFunctions::el_end)>;
using HistoryHandle = std::unique_ptr<History, decltype(LibeditFunctions::history_end)>;

char* promptText(EditLine*)
{
    static std::string prompt(PROMPT);
    return prompt.data();
}

// Draws the line again after the program went on from a stop, and follows
// the window's size, which may have changed meanwhile too.
void followTerminal(EditLine* editor)
{
    const bool continued = takeContinued();
    if (takeResized() || continued) {
        libedit().el_resize(editor);
    }
    if (continued) {
        libedit().el_set(editor, EL_REFRESH);
    }
}

// The next byte typed: 1, or 0 at the end of input, or -1 with errno. A
// signal that comes meanwhile is followed, and the byte waited for again:
// a read is never given up for one (a stop that nothing carries out).
int readByte(EditLine* editor, char& byte)
{
    for (;;) {
        followTerminal(editor);
        struct pollfd inputs[] = {{STDIN_FILENO, POLLIN, 0}, {signalWakeUp(), POLLIN, 0}};
        const int ready = ::poll(inputs, 2, -1);
        if (ready < 0 && errno != EINTR) {
            return -1;
        }
        if (ready <= 0 || (inputs[1].revents & POLLIN) != 0) {
            takeWakeUps();
            continue;
        }
        // A signal that came with the key, handled as poll returned (after
        // it looked at the wake-up), is followed before the key is.
        followTerminal(editor);
        const ssize_t count = ::read(STDIN_FILENO, &byte, 1);
        if (count >= 0 || (errno != EINTR && errno != EAGAIN)) {
            return static_cast<int>(count);
        }
    }
}

// Reads one character for libedit, decoded by the locale's character set;
// a byte that starts no character is passed over, as libedit passes it over.
int readCharacter(EditLine* editor, wchar_t* character)
{
    std::mbstate_t state{};
    bool inCharacter = false;
    for (;;) {
        char byte = 0;
        if (const int count = readByte(editor, byte); count != 1) {
            *character = L'\0';
            return count;
        }
        std::size_t decoded = std::mbrtowc(character, &byte, 1, &state);
        if (decoded == static_cast<std::size_t>(-1) && inCharacter) {
            // A character cut short: this byte may start the next one.
            state = std::mbstate_t{};
            decoded = std::mbrtowc(character, &byte, 1, &state);
        }
        inCharacter = decoded == static_cast<std::size_t>(-2);
        if (decoded == static_cast<std::size_t>(-1)) {
            state = std::mbstate_t{};
        } else if (!inCharacter) {
            return 1;
        }
    }
}

// More choices than this are listed only when the user says so, as shells ask.
constexpr std::size_t CHOICES_LISTED_WITHOUT_ASKING = 100;

// How long the rest of a key's sequence may take to follow its Esc, as
// readline waits.
constexpr int ESCAPE_TIME_MS = 500;

// The next byte typed, when it comes within the escape time; else 0.
char byteInTime(EditLine* editor)
{
    struct pollfd input {
        STDIN_FILENO, POLLIN, 0
    };
    char byte = 0;
    return ::poll(&input, 1, ESCAPE_TIME_MS) == 1 && libedit().el_getc(editor, &byte) == 1 ? byte : '\0';
}

// Reads past the rest of a key that starts with Esc, so that none of it is
// left to be typed: more Escs (Esc pressed before a key, or Alt with a key
// that sends a sequence, as rxvt's Alt-Up does), then a CSI or SS3 sequence
// to its final byte, parameters coming before it (the Linux console's F1
// has a second '['), or the one key that Alt was held with.
void skipRestOfKey(EditLine* editor)
{
    char byte = byteInTime(editor);
    while (byte == '\033') {
        byte = byteInTime(editor);
    }
    if (byte != '[' && byte != 'O') {
        return;
    }
    byte = byteInTime(editor);
    if (byte == '[') {
        byte = byteInTime(editor);
    }
    while (byte >= 0x20 && byte < 0x40) {
        byte = byteInTime(editor);
    }
}

// One key pressed in answer, read whole.
char readAnswer(EditLine* editor)
{
    char key = 0;
    if (libedit().el_getc(editor, &key) != 1) {
        return '\0';
    }
    if (key == '\033') {
        skipRestOfKey(editor);
    }
    return key;
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
    libedit().el_get(editor, EL_GETTC, "co", &width, nullptr);
    listing += choicesInColumns(choices, static_cast<std::size_t>(std::max(width, 1)));
    std::fputs(listing.c_str(), stdout);
}

// The names in the current folder but "." and "..", for completion; read
// through the system: std::filesystem would bring the C++ locales' set-up
// into every start.
std::vector<std::string> currentFolderNames()
{
    std::vector<std::string> names;
    DIR* const folder = ::opendir(".");
    while (const dirent* entry = folder == nullptr ? nullptr : ::readdir(folder)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            names.emplace_back(name);
        }
    }
    if (folder != nullptr) {
        ::closedir(folder);
    }
    return names;
}

// Bound to Tab. Inserts what all candidates share; when that is nothing,
// lists them below the line and draws the prompt and line again.
unsigned char completeAtCursor(EditLine* editor, int)
{
    try {
        const LineInfo* line = libedit().el_line(editor);
        const Completion completion = complete(
            std::string_view(line->buffer, static_cast<std::size_t>(line->cursor - line->buffer)), currentFolderNames);
        if (!completion.insertion.empty()) {
            return libedit().el_insertstr(editor, completion.insertion.c_str()) == 0 ? CC_REFRESH : CC_ERROR;
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
    const LineInfo* line = libedit().el_line(editor);
    if (line->buffer == line->lastchar) {
        return CC_EOF;
    }
    if (line->cursor == line->lastchar) {
        return CC_ERROR;
    }
    libedit().el_cursor(editor, 1);
    libedit().el_deletestr(editor, 1);
    return CC_REFRESH;
}

// Bound to the interrupt key when SIGINT is ignored: the line stays as it
// was typed, byte for byte, with the cursor where it was, after a fresh prompt.
unsigned char keepLineAfterFreshPrompt(EditLine*, int)
{
    std::fputs("\n", stdout);
    return CC_REDISPLAY;
}

// With SIGINT ignored, the terminal's interrupt key (Ctrl-C) is read as a
// key while a line is edited rather than sent as a signal that does nothing.
void takeInterruptKey(EditLine* el)
{
    struct termios mode {};
    if (::tcgetattr(STDIN_FILENO, &mode) != 0 || mode.c_cc[VINTR] == _POSIX_VDISABLE) {
        return;
    }
    char key[8];
    std::snprintf(key, sizeof key, "\\%03o", static_cast<unsigned>(mode.c_cc[VINTR]));
    libedit().el_set(el, EL_SETTY, "-d", "-intr", "intr=", nullptr);
    libedit().el_wset(el, EL_ADDFN, L"gorvandel-keep-line", L"A fresh prompt, the line kept as it is",
                      &keepLineAfterFreshPrompt);
    libedit().el_set(el, EL_BIND, key, "gorvandel-keep-line", nullptr);
}

EditorHandle makeEditor(History* history, bool interruptIgnored)
{
    // libedit's word on an unknown $TERM (it goes on as a dumb terminal)
    // would be noise on standard error; what comes later, such as a faulty
    // line in ~/.editrc, is not.
    const std::unique_ptr<std::FILE, decltype(&std::fclose)> quiet(std::fopen("/dev/null", "w"), &std::fclose);
    EditorHandle editor(libedit().el_init("gorvandel", stdin, stdout, quiet ? quiet.get() : stderr), libedit().el_end);
    if (!editor) {
        throw std::bad_alloc();
    }
    EditLine* el = editor.get();
    libedit().el_set(el, EL_SETFP, 2, stderr);
    libedit().el_set(el, EL_EDITOR, "emacs");
    // Keys are read here, not by libedit, so that the signals handled in
    // terminal_mode.h are followed between keys; libedit's own handling of
    // signals would send them on to the whole process group.
    libedit().el_wset(el, EL_GETCFN, &readCharacter);
    libedit().el_set(el, EL_PROMPT, &promptText);
    libedit().el_set(el, EL_HIST, libedit().history, history);
    // Wide names: libedit keeps them as given, where it would leak its own
    // wide copies of narrow ones.
    libedit().el_wset(el, EL_ADDFN, L"gorvandel-complete", L"Complete a command word or a file name",
                      &completeAtCursor);
    libedit().el_set(el, EL_BIND, "^I", "gorvandel-complete", nullptr);
    libedit().el_wset(el, EL_ADDFN, L"gorvandel-end-or-delete", L"End of input on an empty line, else delete",
                      &endOrDeleteAtCursor);
    libedit().el_set(el, EL_BIND, "^D", "gorvandel-end-or-delete", nullptr);
    // By the word, though the terminal's kill character may be Ctrl-W.
    libedit().el_set(el, EL_BIND, "^W", "ed-delete-prev-word", nullptr);
    bindTerminalKeys(el);
    if (interruptIgnored) {
        takeInterruptKey(el);
    }
    // A person's own ~/.editrc has the last word.
    libedit().el_source(el, nullptr);
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

// The history as libedit holds it. libedit stops at a line whose bytes are
// no characters in the locale (Latin-1 under UTF-8, say) and goes no
// further back: such a line is held as shown safely, and its own bytes are
// given back when it is recalled as it was.
struct EditorHistory {
    HistoryHandle handle;
    std::map<int, std::string> bytesOf;  // by event number, of each line held as shown
};

bool readsInLocale(const std::string& line)
{
    return std::mbstowcs(nullptr, line.c_str(), 0) != static_cast<std::size_t>(-1);
}

void enter(EditorHistory& history, const std::string& line)
{
    HistEvent event;
    if (readsInLocale(line)) {
        libedit().history(history.handle.get(), &event, H_ENTER, line.c_str());
        return;
    }
    libedit().history(history.handle.get(), &event, H_ENTER, shownSafely(line).c_str());
    if (libedit().history(history.handle.get(), &event, H_CURR) == 0) {
        history.bytesOf[event.num] = line;
    }
    if (history.bytesOf.size() > HISTORY_LIMIT) {
        history.bytesOf.erase(history.bytesOf.begin());
    }
}

// No history line is recalled yet for the next line: event 0 is none, so
// the history's cursor points at no line until a key recalls one. A line
// typed as one held as shown shows is then taken as typed.
void forgetRecalled(EditorHistory& history)
{
    HistEvent event;
    libedit().history(history.handle.get(), &event, H_SET, 0);
}

// A line entered just as the history line last recalled shows is that
// line, with its own bytes.
void takeRecalledBytes(EditorHistory& history, std::string& line)
{
    HistEvent event;
    if (history.bytesOf.empty() || libedit().history(history.handle.get(), &event, H_CURR) != 0) {
        return;
    }
    const auto recalled = history.bytesOf.find(event.num);
    if (recalled != history.bytesOf.end() && line == event.str) {
        line = recalled->second;
    }
}

EditorHistory makeHistory(const std::vector<std::string>& lines)
{
    EditorHistory history{HistoryHandle(libedit().history_init(), libedit().history_end), {}};
    if (!history.handle) {
        throw std::bad_alloc();
    }
    HistEvent event;
    libedit().history(history.handle.get(), &event, H_SETSIZE, static_cast<int>(HISTORY_LIMIT));
    libedit().history(history.handle.get(), &event, H_SETUNIQUE, 1);
    for (const std::string& line : lines) {
        enter(history, line);
    }
    return history;
}

// The editor's state for a run; the history file is cut when it ends.
struct EditingSession {
    HistoryFile file;
    EditorHistory history;
    EditorHandle editor;

    EditingSession(HistoryFile opened, const std::vector<std::string>& lines, bool interruptIgnored)
        : file(std::move(opened)),
          history(makeHistory(lines)),
          editor(makeEditor(history.handle.get(), interruptIgnored))
    {
    }
    EditingSession(const EditingSession&) = delete;
    EditingSession& operator=(const EditingSession&) = delete;
    ~EditingSession() { closeHistory(file); }
};

LineRead readEditedLine(EditingSession& session, std::string& line)
{
    // The date line is written without a flush; libedit writes through stdio.
    if (const std::error_code failure = flushOutput()) {
        return {ReadResult::WriteFailed, failure};
    }
    // A stop or a resize before the prompt needs no drawing again; a new
    // size is taken up.
    takeContinued();
    if (takeResized()) {
        libedit().el_resize(session.editor.get());
    }
    forgetRecalled(session.history);
    int count = 0;
    const char* text = libedit().el_gets(session.editor.get(), &count);
    const int readError = errno;
    // Keys typed before the next line is asked for wait for it unechoed.
    libedit().el_set(session.editor.get(), EL_PREP_TERM, 1);
    if (text == nullptr || count < 0) {
        if (count == 0) {
            return {ReadResult::EndOfInput};
        }
        return {ReadResult::ReadFailed, std::error_code(readError, std::generic_category())};
    }
    line.assign(text, static_cast<std::size_t>(count));
    if (!line.empty() && line.back() == '\n') {
        line.pop_back();
        removeCarriageReturn(line);
    }
    if (!line.empty()) {
        takeRecalledBytes(session.history, line);
        enter(session.history, line);
    }
    appendToHistory(session.file, line);
    return {ReadResult::Line};
}

}  // namespace

LineEditor lineEditor(const HistoryPlace& history)
{
    if (!terminalShowsEditing()) {
        return {};
    }
    LineEditor started;
    // What fails here is no failure of the session, which goes on: the
    // user is told of it.
    if (Outcome loaded = loadLibedit(); !loaded) {
        started.outcome.notices.push_back(std::move(loaded.failure));
        return started;
    }
    takeTheLocalesCharacters();
    handleTerminalSignals();
    HistoryFile file;
    OpenedHistory opened = openHistory(history, file);
    if (!opened.outcome) {
        started.outcome.notices.push_back(std::move(opened.outcome.failure));
    }
    auto session = std::make_shared<EditingSession>(std::move(file), opened.lines, interruptIgnored());
    started.reader = [session](std::string& line) { return readEditedLine(*session, line); };
    return started;
}

}  // namespace gorvandel
