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

std::string reasonFor(DWORD error)
{
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0, nullptr);
    std::string reason = length > 0 ? std::string(text, length) : "error " + std::to_string(error);
    LocalFree(text);
    // Windows ends its messages with a full stop and a line end.
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.')) {
        reason.pop_back();
    }
    return reason;
}

std::string lastReason()
{
    return reasonFor(GetLastError());
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

FileContents readFile(const std::string& path, std::size_t limit)
{
    const std::wstring wide = widened(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return {missing ? FileState::Missing : FileState::Failed, {}, reasonFor(error)};
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return {FileState::Failed, {}, "Is a directory"};
    }
    const Handle file(
        CreateFileW(wide.c_str(), GENERIC_READ, SHARE_ALL, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.handle == INVALID_HANDLE_VALUE) {
        return {FileState::Failed, {}, lastReason()};
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileType(file.handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(file.handle, &information)) {
        return {FileState::Failed, {}, "not a regular file"};
    }
    FileContents contents{
        FileState::Read, {}, {}, (attributes & FILE_ATTRIBUTE_READONLY) == 0, information.nNumberOfLinks};
    char buffer[4096];
    for (DWORD count = 0;; contents.bytes.append(buffer, count)) {
        if (!ReadFile(file.handle, buffer, sizeof buffer, &count, nullptr)) {
            return {FileState::Failed, {}, lastReason()};
        }
        if (count == 0) {
            return contents;
        }
        if (contents.bytes.size() + count > limit) {
            return {FileState::Failed, {}, "File too large"};
        }
    }
}

namespace {

// Writes contents to a new file at path and flushes it to disk; the error, if any.
DWORD writeNewFile(const std::wstring& path, const std::string& contents)
{
    const Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.handle == INVALID_HANDLE_VALUE) {
        return GetLastError();
    }
    DWORD written = 0;
    if (!WriteFile(file.handle, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr) ||
        !FlushFileBuffers(file.handle)) {
        return GetLastError();
    }
    return written == contents.size() ? ERROR_SUCCESS : ERROR_HANDLE_DISK_FULL;
}

}  // namespace

std::optional<std::string> replaceFile(const std::string& path, const std::string& contents,
                                       const std::string& temporaryPath)
{
    const std::wstring target = widened(path);
    const std::wstring temporary = widened(temporaryPath);
    DWORD error = writeNewFile(temporary, contents);
    if (error == ERROR_FILE_EXISTS) {
        return reasonFor(error);  // not ours to remove
    }
    // Write-through: the call returns once the new name is on disk. A virus
    // scanner or indexer may hold the old file for a moment.
    for (int attempt = 0; error == ERROR_SUCCESS; ++attempt) {
        if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return std::nullopt;
        }
        error = GetLastError();
        if ((error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED) && attempt < 10) {
            Sleep(20);
            error = ERROR_SUCCESS;
        }
    }
    DeleteFileW(temporary.c_str());
    return reasonFor(error);
}

std::optional<std::string> checkCanCreate(const std::string& path)
{
    const HANDLE file = CreateFileW(widened(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return lastReason();
    }
    CloseHandle(file);
    return std::nullopt;
}

RunLock lockForThisRun(const std::string& path)
{
    Handle lock(CreateFileW(widened(path).c_str(), GENERIC_READ | GENERIC_WRITE, SHARE_ALL, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (lock.handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(lock.handle, &information)) {
        return {LockState::Failed, lastReason(), {}};
    }
    OVERLAPPED start{};
    if (!LockFileEx(lock.handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &start)) {
        const DWORD error = GetLastError();
        return {error == ERROR_LOCK_VIOLATION ? LockState::InUse : LockState::Failed, reasonFor(error), {}};
    }
    // The handle stays open, and the lock held, until the program ends.
    lock.release();
    const auto index = (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    return {LockState::Locked, {}, std::to_string(index)};
}

}  // namespace gorvandel
