#include "files.h"
#include "shortened_name.h"
#include "windows_text.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <utility>

namespace gorvandel {

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
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                       reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const std::unique_ptr<wchar_t, decltype(&LocalFree)> freed(text, &LocalFree);
    std::string reason = length > 0 ? narrowed(std::wstring_view(text, length)) : "error " + std::to_string(code);
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

// A symbolic link or a junction; other reparse points (a file OneDrive
// keeps in the cloud, a deduplicated one) are files like any other.
bool isLinkTag(DWORD tag)
{
    return tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT;
}

bool isLinkAt(const std::wstring& path)
{
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    FindClose(search);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && isLinkTag(found.dwReserved0);
}

bool isLinkOpen(HANDLE file)
{
    FILE_ATTRIBUTE_TAG_INFO information{};
    return GetFileInformationByHandleEx(file, FileAttributeTagInfo, &information, sizeof information) &&
           (information.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && isLinkTag(information.ReparseTag);
}

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

std::error_code readFile(const FilePlace& file, std::size_t limit, FileContents& contents)
{
    // Opened as it is, a link not followed; a folder opens too, to say so.
    const std::wstring wide = widenedPath(file.name);
    const Handle opened(CreateFileW(wide.c_str(), GENERIC_READ, SHARE_ALL, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (opened.handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(opened.handle, &information)) {
        return lastError();
    }
    if (isLinkOpen(opened.handle)) {
        return std::make_error_code(std::errc::too_many_symbolic_link_levels);
    }
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    // Any other reparse point (a file kept in the cloud) is read as the system reads it.
    const Handle reopened((information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0
                              ? INVALID_HANDLE_VALUE
                              : CreateFileW(wide.c_str(), GENERIC_READ, SHARE_ALL, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    const HANDLE reading = reopened.handle != INVALID_HANDLE_VALUE ? reopened.handle : opened.handle;
    if (GetFileType(reading) != FILE_TYPE_DISK) {
        return FileRefusal::NotRegularFile;
    }
    FileContents read;
    read.writable = (information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) == 0;
    read.links = information.nNumberOfLinks;
    if (const std::error_code error = readRest(reading, limit, read.bytes)) {
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

// Puts the new file in the old one's place: ReplaceFileW gives it the old
// one's access control list, and its attributes, which are also given to
// it first (Wine's ReplaceFileW keeps none). A file not there before is
// simply renamed, the call returning once the new name is on disk.
bool putInPlace(const std::wstring& temporary, const std::wstring& target)
{
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
    }
    constexpr DWORD KEPT =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    SetFileAttributesW(temporary.c_str(), (attributes & KEPT) != 0 ? attributes & KEPT : FILE_ATTRIBUTE_NORMAL);
    if (ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        return true;
    }
    // The old file is gone already and the new one not yet in its place: put it there.
    return GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
           MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

}  // namespace

std::error_code replaceFile(const FilePlace& file, const std::string& contents, const FilePlace& temporaryFile)
{
    const std::wstring target = widenedPath(file.name);
    const std::wstring temporary = widenedPath(temporaryFile.name);
    std::error_code error = writeNewFile(temporary, contents);
    if (error == std::errc::file_exists) {
        return error;  // not ours to remove
    }
    // A virus scanner or indexer may hold the old file for a moment.
    for (int attempt = 0; !error; ++attempt) {
        if (putInPlace(temporary, target)) {
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

std::error_code checkCanCreate(const FilePlace& place)
{
    const Handle file(CreateFileW(widenedPath(place.name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return file.handle == INVALID_HANDLE_VALUE ? lastError() : std::error_code();
}

void removeFile(const FilePlace& place)
{
    DeleteFileW(widenedPath(place.name).c_str());
}

bool exists(const FilePlace& place)
{
    return GetFileAttributesW(widenedPath(place.name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

FilePlace placeBeside(const FilePlace& file, const std::string& suffix)
{
    return {nullptr, file.name + suffix, file.path + suffix};
}

FilePlace temporaryBeside(const FilePlace& file, const std::string& identity)
{
    // 255 UTF-16 units, which a name never takes more of than UTF-8 bytes.
    const std::string path = shortenedName(file.name, file.name.find_last_of("/\\") + 1, 255, ".tmp-" + identity);
    return {nullptr, path, path};
}

namespace {

// The path of the file a handle is open on, as the system names it: a
// symbolic link or junction on the way resolved. Without the \\?\ prefix
// when it is short enough to do without.
bool finalPathOf(HANDLE file, std::string& path)
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) {
            return false;
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        buffer.resize(length);
    }
    const std::wstring_view prefix = L"\\\\?\\";
    const bool drive = buffer.compare(0, prefix.size(), prefix) == 0 && buffer.size() > 6 && buffer[5] == L':';
    // Room for the names made beside it (".lock", ".tmp-" and a number).
    constexpr std::size_t ROOM = 32;
    path = narrowed(drive && buffer.size() - prefix.size() + ROOM < MAX_PATH ? buffer.substr(prefix.size()) : buffer);
    return true;
}

// Makes the folders on the way to path that are missing.
void makeFoldersOn(const std::wstring& path)
{
    for (std::size_t separator = path.find_first_of(L"\\/", 1); separator != std::wstring::npos;
         separator = path.find_first_of(L"\\/", separator + 1)) {
        CreateDirectoryW(path.substr(0, separator).c_str(), nullptr);
    }
}

}  // namespace

std::error_code findFile(const std::string& path, FilePlace& place, MissingFolders missing)
{
    const std::wstring wide = widenedPath(path);
    const Handle file(
        CreateFileW(wide.c_str(), 0, SHARE_ALL, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    std::string found;
    if (file.handle != INVALID_HANDLE_VALUE && finalPathOf(file.handle, found)) {
        place = {nullptr, found, found};
        return {};
    }
    // A save would put a plain file in the place of a link that leads nowhere.
    if (isLinkAt(wide)) {
        return FileRefusal::LinkToNothing;
    }
    if (missing == MissingFolders::Make) {
        makeFoldersOn(wide);
    }
    // A file yet to be made, by its whole path: Wine's ReplaceFileW fails on a bare name.
    const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(length, L'\0');
    if (length == 0 || GetFullPathNameW(wide.c_str(), length, full.data(), nullptr) != length - 1) {
        return lastError();
    }
    full.resize(length - 1);
    place = {nullptr, narrowed(full), narrowed(full)};
    return {};
}

namespace {

// The file's number on its volume, which no other file there has while it exists.
std::string identityOf(const BY_HANDLE_FILE_INFORMATION& information)
{
    return std::to_string((static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow);
}

// The lock file at place, opened for locking, never through a link.
std::error_code openLock(const FilePlace& place, Handle& lock, std::string& identity, bool& made)
{
    lock.handle = CreateFileW(widenedPath(place.name).c_str(), GENERIC_READ, SHARE_ALL, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    made = GetLastError() != ERROR_ALREADY_EXISTS;
    BY_HANDLE_FILE_INFORMATION information{};
    if (lock.handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(lock.handle, &information)) {
        return lastError();
    }
    if (isLinkOpen(lock.handle)) {
        return FileRefusal::LinkedLock;
    }
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    identity = identityOf(information);
    return {};
}

// Tries to lock the open lock file; false, with the reason, when it cannot.
bool tryLock(HANDLE lock, std::error_code& error)
{
    OVERLAPPED start{};
    if (LockFileEx(lock, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &start)) {
        return true;
    }
    const DWORD code = GetLastError();
    error = code == ERROR_LOCK_VIOLATION ? make_error_code(FileRefusal::InUse) : windowsError(code);
    return false;
}

}  // namespace

RunLock lockForThisRun(const FilePlace& place)
{
    Handle lock(INVALID_HANDLE_VALUE);
    RunLock run;
    if (!(run.error = openLock(place, lock, run.identity, run.made)) && tryLock(lock.handle, run.error)) {
        // The handle stays open, and the lock held, until the program ends.
        lock.release();
    }
    return run;
}

std::error_code whileLocked(const FilePlace& place, std::chrono::milliseconds patience,
                            const std::function<void(const std::string& identity)>& work)
{
    Handle lock(INVALID_HANDLE_VALUE);
    std::string identity;
    bool made = false;
    std::error_code error = openLock(place, lock, identity, made);
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!error && !tryLock(lock.handle, error)) {
        if (error == FileRefusal::InUse && std::chrono::steady_clock::now() < deadline) {
            Sleep(10);
            error.clear();
        }
    }
    if (!error) {
        work(identity);
    }
    return error;
}

bool stillLocks(const FilePlace& place, const std::string& identity)
{
    const Handle lock(CreateFileW(widenedPath(place.name).c_str(), 0, SHARE_ALL, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    return lock.handle != INVALID_HANDLE_VALUE && GetFileInformationByHandle(lock.handle, &information) &&
           identityOf(information) == identity;
}

}  // namespace gorvandel
