#include "console.h"
#include "windows_system.h"

#include <shellapi.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <utility>

#include <fcntl.h>
#include <io.h>

namespace gorvandel {

namespace {

bool isUsable(HANDLE handle)
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

bool isConsole(HANDLE handle)
{
    DWORD mode = 0;
    return isUsable(handle) && GetConsoleMode(handle, &mode);
}

bool consoleInput = false;
bool consoleOutput = false;

// Windows 7's console takes little text in one call (some 64 KiB, shared
// with all it holds): long text goes to it in pieces of this many units.
constexpr std::size_t CONSOLE_PIECE = 8192;

std::error_code writeConsole(HANDLE console, std::string_view text)
{
    const std::wstring wide = widened(text);
    for (std::size_t at = 0; at < wide.size();) {
        std::size_t piece = std::min(CONSOLE_PIECE, wide.size() - at);
        if (at + piece < wide.size() && IS_HIGH_SURROGATE(wide[at + piece - 1])) {
            --piece;  // a surrogate pair stays whole
        }
        DWORD written = 0;
        // The console's own reason (a console closed under it) means little to a person.
        if (!WriteConsoleW(console, wide.data() + at, static_cast<DWORD>(piece), &written, nullptr) || written == 0) {
            return std::make_error_code(std::errc::io_error);
        }
        at += written;
    }
    return {};
}

// Gives what the console handed over at Enter, reading a line when nothing
// waits; 0 for one that starts with Ctrl-Z (U+001A): the console reports no end.
std::ptrdiff_t readConsoleInput(char* buffer, std::size_t size, std::error_code& error)
{
    static std::string waiting;  // as UTF-8
    if (waiting.empty()) {
        wchar_t wide[8192];
        DWORD count = 0;
        do {
            SetLastError(ERROR_SUCCESS);
            if (!ReadConsoleW(GetStdHandle(STD_INPUT_HANDLE), wide, std::size(wide), &count, nullptr)) {
                error = lastError();
                return -1;
            }
            // Ctrl-C ends a read with nothing: the stop is handled on another thread.
        } while (count == 0 && GetLastError() == ERROR_OPERATION_ABORTED);
        if (count == 0 || wide[0] == 0x1A) {
            return 0;
        }
        waiting = narrowed(std::wstring_view(wide, count));
    }
    const std::size_t count = waiting.copy(buffer, size);
    waiting.erase(0, count);
    return static_cast<std::ptrdiff_t>(count);
}

// The stop handler runs on a thread of its own and takes the work lock,
// which the program holds but while it waits for input, so that the last
// word never runs inside a command or a save; it never lets go.
SRWLOCK working = SRWLOCK_INIT;
bool holdingWork = false;  // on the program's own thread only
LastWord lastWord;

BOOL WINAPI onConsoleControl(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
        return FALSE;
    }
    AcquireSRWLockExclusive(&working);
    if (lastWord) {
        if (const std::optional<int> status = lastWord()) {
            ExitProcess(static_cast<UINT>(*status));
        }
    }
    return FALSE;  // the system's own handler ends the program
}

}  // namespace

const bool WINDOWS_CONSOLE_HABITS = true;

std::uint32_t millisecondTicks()
{
    return static_cast<std::uint32_t>(GetTickCount());
}

std::int64_t currentCalendarTime()
{
    return _time64(nullptr);
}

std::optional<std::string> calendarTimeText(std::int64_t seconds)
{
    // _ctime64's text, built the way Microsoft's runtime wants it: _ctime64
    // itself is deprecated there, and Wine's _ctime64_s crashes on a time it
    // cannot represent instead of failing.
    const __time64_t time = seconds;
    std::tm local{};
    char text[26];  // 24 characters, a newline and the terminator
    if (_localtime64_s(&local, &time) != 0 || asctime_s(text, sizeof text, &local) != 0) {
        return std::nullopt;
    }
    return std::string(text);
}

StandardStreams prepareProcess()
{
    const bool inputOpen = isUsable(GetStdHandle(STD_INPUT_HANDLE));
    // Text mode would turn CR LF into LF before the command loop sees it, which
    // would then remove a carriage return the user typed. Output to a file or
    // pipe stays in text mode: LF becomes CR LF, as Windows programs write it.
    if (inputOpen) {
        _setmode(_fileno(stdin), _O_BINARY);
    }
    consoleInput = isConsole(GetStdHandle(STD_INPUT_HANDLE));
    consoleOutput = isConsole(GetStdHandle(STD_OUTPUT_HANDLE));
    return {inputOpen, isUsable(GetStdHandle(STD_OUTPUT_HANDLE))};
}

std::vector<std::string> commandLineArguments(int argc, char* argv[])
{
    // argv holds the arguments in the ANSI code page, which cannot hold
    // every name; the command line itself is UTF-16.
    int count = 0;
    const std::unique_ptr<wchar_t*, decltype(&LocalFree)> wide(CommandLineToArgvW(GetCommandLineW(), &count),
                                                               &LocalFree);
    if (!wide) {
        return {argv, argv + argc};
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        arguments.push_back(narrowed(wide.get()[i]));
    }
    return arguments;
}

std::ptrdiff_t readStandardInput(char* buffer, std::size_t size, std::error_code& error)
{
    if (holdingWork) {
        ReleaseSRWLockExclusive(&working);  // a stop may come in while the program waits
    }
    // A file or pipe in binary mode (see prepareProcess): the bytes as sent.
    const std::ptrdiff_t count = consoleInput
                                     ? readConsoleInput(buffer, size, error)
                                     : _read(0, buffer, static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX)));
    if (count < 0 && !error) {
        error = std::error_code(errno, std::generic_category());
    }
    if (holdingWork) {
        AcquireSRWLockExclusive(&working);
    }
    return count;
}

std::error_code writeStandardOutput(std::string_view first, std::string_view second)
{
    // Each piece on its own, never copied together: each is whole characters.
    if (consoleOutput) {
        const std::error_code error = writeConsole(GetStdHandle(STD_OUTPUT_HANDLE), first);
        return error ? error : writeConsole(GetStdHandle(STD_OUTPUT_HANDLE), second);
    }
    // The runtime's text mode writes each LF as CR LF, as Windows programs do.
    if (std::fwrite(first.data(), 1, first.size(), stdout) != first.size() ||
        std::fwrite(second.data(), 1, second.size(), stdout) != second.size() || std::fflush(stdout) != 0) {
        return std::error_code(errno != 0 ? errno : EIO, std::generic_category());
    }
    return {};
}

void writeToStandardError(std::string_view text)
{
    // A console shows UTF-16 as it is; a file or pipe gets the UTF-8 bytes.
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (isConsole(error)) {
        static_cast<void>(writeConsole(error, text));  // where it fails, nothing else would show it
    } else {
        std::fwrite(text.data(), 1, text.size(), stderr);
    }
}

ShownCharacter readShownCharacter(std::string_view text)
{
    const auto first = static_cast<unsigned char>(text[0]);
    const std::size_t length = first < 0x80 ? 1 : first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 0;
    wchar_t wide[2] = {};
    // The system takes overlong forms, surrogates and what lies past Unicode for no characters.
    if (length == 0 || length > text.size() ||
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(length), wide, 2) == 0) {
        return {};
    }
    const char32_t code = length < 4 ? wide[0] : 0x10000 + ((wide[0] - 0xD800u) << 10) + (wide[1] - 0xDC00u);
    return {length, true, code, 1};
}

bool talkingToTerminal()
{
    return _isatty(_fileno(stdin)) != 0 && _isatty(_fileno(stdout)) != 0;
}

bool outputTakesUtf8()
{
    return consoleOutput || GetConsoleOutputCP() == CP_UTF8;
}

void onConsoleStop(LastWord word)
{
    if (!holdingWork) {
        AcquireSRWLockExclusive(&working);
        holdingWork = true;
        SetConsoleCtrlHandler(onConsoleControl, TRUE);
    }
    lastWord = std::move(word);
}

bool outputShowsColour()
{
    return false;
}

std::size_t terminalColumns()
{
    CONSOLE_SCREEN_BUFFER_INFO screen{};
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &screen)) {
        return 0;  // a file or a pipe
    }
    return static_cast<std::size_t>(screen.srWindow.Right - screen.srWindow.Left + 1);
}

}  // namespace gorvandel
