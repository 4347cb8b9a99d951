#include "console.h"
#include "windows_text.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <ctime>
#include <initializer_list>
#include <memory>
#include <new>
#include <string>

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
    // In text mode the runtime would turn CR LF into LF before the command
    // loop sees the line, and the loop would then remove a carriage return
    // the user really typed. Output stays in text mode: LF becomes CR LF, as
    // every Windows console program writes it.
    if (inputOpen) {
        _setmode(_fileno(stdin), _O_BINARY);
    }
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
    // Standard input is in binary mode (see prepareProcess): the bytes as sent.
    const int count = _read(0, buffer, static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX)));
    if (count < 0) {
        error = std::error_code(errno, std::generic_category());
    }
    return count;
}

std::error_code writeStandardOutput(std::string_view first, std::string_view second)
{
    for (std::string_view bytes : {first, second}) {
        while (!bytes.empty()) {
            // _write counts the bytes it was given, not the carriage returns it adds.
            const int written =
                _write(1, bytes.data(), static_cast<unsigned>(std::min<std::size_t>(bytes.size(), INT_MAX)));
            if (written < 0) {
                return {errno, std::generic_category()};
            }
            if (written == 0) {
                return std::make_error_code(std::errc::io_error);
            }
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
    }
    return {};
}

void writeToStandardError(std::string_view text)
{
    // A console shows UTF-16 as it is; a file or pipe gets the UTF-8 bytes.
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (isConsole(error)) {
        try {
            const std::wstring wide = widened(text);
            DWORD written = 0;
            WriteConsoleW(error, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
            return;
        } catch (const std::bad_alloc&) {
            // Out of memory: the bytes, as they are.
        }
    }
    std::fwrite(text.data(), 1, text.size(), stderr);
}

ShownCharacter readShownCharacter(std::string_view text)
{
    const auto byte = [&text](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char first = byte(0);
    if (first < 0x80) {
        return {1, true, first, 1};
    }
    const std::size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 0;
    if (length == 0 || length > text.size()) {
        return {};
    }
    char32_t code = first & (0x7Fu >> length);
    for (std::size_t at = 1; at < length; ++at) {
        if ((byte(at) & 0xC0) != 0x80) {
            return {};
        }
        code = (code << 6) | (byte(at) & 0x3Fu);
    }
    // Overlong forms, surrogates and what lies past Unicode are no characters.
    constexpr char32_t SMALLEST[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < SMALLEST[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return {};
    }
    return {length, true, code, 1};
}

bool writeToConsoleOutput(std::string_view text, std::error_code& error)
{
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!isConsole(output)) {
        return false;
    }
    const std::wstring wide = widened(text);
    DWORD written = 0;
    // The console's own reason (a console closed under it) means little to a person.
    if (!WriteConsoleW(output, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr)) {
        error = std::make_error_code(std::errc::io_error);
    }
    return true;
}

bool talkingToTerminal()
{
    return _isatty(_fileno(stdin)) != 0 && _isatty(_fileno(stdout)) != 0;
}

bool outputTakesUtf8()
{
    return GetConsoleOutputCP() == CP_UTF8;
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
