#include "platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <ctime>
#include <string>
#include <utility>

#include <fcntl.h>
#include <io.h>

namespace gorvandel {

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

namespace {

bool isUsable(HANDLE handle)
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

}  // namespace

StandardStreams prepareStandardStreams()
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

namespace {

// The system's reasons, in its own words, for std::error_code.
class WindowsCategory : public std::error_category {
public:
    std::string message(int code) const override;
    const char* name() const noexcept override;
    std::error_condition default_error_condition(int code) const noexcept override;
};

const char* WindowsCategory::name() const noexcept(true)
{
    return "windows";
}

std::string WindowsCategory::message(int code) const
{
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                       reinterpret_cast<char*>(&text), 0, nullptr);
    std::string reason = length > 0 ? std::string(text, length) : "error " + std::to_string(code);
    LocalFree(text);
    // Windows ends its messages with a full stop and a line end.
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.')) {
        reason.pop_back();
    }
    return reason;
}

// The portable meaning of the codes the program asks about.
std::error_condition WindowsCategory::default_error_condition(int code) const noexcept(true)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return std::errc::no_such_file_or_directory;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return std::errc::file_exists;
    case ERROR_ACCESS_DENIED:
        return std::errc::permission_denied;
    case ERROR_FILENAME_EXCED_RANGE:
        return std::errc::filename_too_long;
    default:
        return {code, *this};
    }
}

std::error_code windowsError(DWORD code)
{
    static const WindowsCategory category;
    return {static_cast<int>(code), category};
}

std::error_code lastError()
{
    return windowsError(GetLastError());
}

// Paths arrive in the ANSI code page, as main's arguments do.
std::wstring widened(const std::string& path)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(), length);
    return wide;
}

// A handle that is closed when it goes out of scope.
struct Handle {
    HANDLE handle;
    explicit Handle(HANDLE opened)
        : handle(opened)
    {
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle()
    {
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
    // Hands the handle over: it is no longer closed here.
    HANDLE release() { return std::exchange(handle, INVALID_HANDLE_VALUE); }
};

constexpr DWORD SHARE_ALL = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

namespace {

// Reads what is left of an open file, up to limit bytes.
std::error_code readRest(HANDLE file, std::size_t limit, std::string& bytes)
{
    char buffer[4096];
    for (DWORD count = 0;; bytes.append(buffer, count)) {
        if (!ReadFile(file, buffer, sizeof buffer, &count, nullptr)) {
            return lastError();
        }
        if (count == 0) {
            return {};
        }
        if (bytes.size() + count > limit) {
            return std::make_error_code(std::errc::file_too_large);
        }
    }
}

}  // namespace

std::error_code readFile(const std::string& path, std::size_t limit, FileContents& contents)
{
    const std::wstring wide = widened(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return lastError();
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    const Handle file(
        CreateFileW(wide.c_str(), GENERIC_READ, SHARE_ALL, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.handle == INVALID_HANDLE_VALUE) {
        return lastError();
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileType(file.handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(file.handle, &information)) {
        return FileRefusal::NotRegularFile;
    }
    FileContents read;
    read.writable = (attributes & FILE_ATTRIBUTE_READONLY) == 0;
    read.links = information.nNumberOfLinks;
    if (const std::error_code error = readRest(file.handle, limit, read.bytes)) {
        return error;
    }
    contents = std::move(read);
    return {};
}

namespace {

// Writes contents to a new file at path and flushes it to disk.
std::error_code writeNewFile(const std::wstring& path, const std::string& contents)
{
    const Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.handle == INVALID_HANDLE_VALUE) {
        return lastError();
    }
    DWORD written = 0;
    if (!WriteFile(file.handle, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr) ||
        !FlushFileBuffers(file.handle)) {
        return lastError();
    }
    return written == contents.size() ? std::error_code() : windowsError(ERROR_HANDLE_DISK_FULL);
}

}  // namespace

std::error_code replaceFile(const std::string& path, const std::string& contents, const std::string& temporaryPath)
{
    const std::wstring target = widened(path);
    const std::wstring temporary = widened(temporaryPath);
    std::error_code error = writeNewFile(temporary, contents);
    if (error == std::errc::file_exists) {
        return error;  // not ours to remove
    }
    // Write-through: the call returns once the new name is on disk. A virus
    // scanner or indexer may hold the old file for a moment.
    for (int attempt = 0; !error; ++attempt) {
        if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return {};
        }
        const DWORD code = GetLastError();
        error = windowsError(code);
        if ((code == ERROR_SHARING_VIOLATION || code == ERROR_ACCESS_DENIED) && attempt < 10) {
            Sleep(20);
            error.clear();
        }
    }
    DeleteFileW(temporary.c_str());
    return error;
}

std::error_code checkCanCreate(const std::string& path)
{
    const Handle file(CreateFileW(widened(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return file.handle == INVALID_HANDLE_VALUE ? lastError() : std::error_code();
}

void removeFile(const std::string& path)
{
    DeleteFileW(widened(path).c_str());
}

RunLock lockForThisRun(const std::string& path)
{
    Handle lock(CreateFileW(widened(path).c_str(), GENERIC_READ | GENERIC_WRITE, SHARE_ALL, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (lock.handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(lock.handle, &information)) {
        return {lastError(), {}};
    }
    OVERLAPPED start{};
    if (!LockFileEx(lock.handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &start)) {
        const DWORD code = GetLastError();
        return {code == ERROR_LOCK_VIOLATION ? make_error_code(FileRefusal::InUse) : windowsError(code), {}};
    }
    // The handle stays open, and the lock held, until the program ends.
    lock.release();
    const auto index = (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    return {{}, std::to_string(index)};
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

std::error_code makeParentFolders(const std::string& path)
{
    const std::wstring wide = widened(path);
    for (std::size_t separator = wide.find_first_of(L"\\/", 1); separator != std::wstring::npos;
         separator = wide.find_first_of(L"\\/", separator + 1)) {
        const std::wstring folder = wide.substr(0, separator);
        // "C:" is a drive, not a folder to make.
        if (!(folder.size() == 2 && folder[1] == L':') && !CreateDirectoryW(folder.c_str(), nullptr) &&
            GetLastError() != ERROR_ALREADY_EXISTS) {
            return lastError();
        }
    }
    return {};
}

}  // namespace gorvandel
