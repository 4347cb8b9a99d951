// The file model (files.h) on Windows: every file named by its whole path
// through the wide API, links and junctions followed by the system.

#include "file_rules.h"
#include "files.h"
#include "leftovers.h"
#include "windows_system.h"

#include <aclapi.h>

#include <chrono>
#include <functional>
#include <string>
#include <utility>

namespace gorvandel {

namespace {

// Opens the regular file at place (its final path, links resolved) to read.
std::error_code openToRead(const FilePlace& file, Handle& opened, BY_HANDLE_FILE_INFORMATION& information)
{
    opened.reset(CreateFileW(widenedPath(file.name).c_str(), GENERIC_READ, SHARE_ALL, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (opened.handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(opened.handle, &information)) {
        return lastError();
    }
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    return GetFileType(opened.handle) == FILE_TYPE_DISK ? std::error_code()
                                                        : make_error_code(FileRefusal::NotRegularFile);
}

// Windows keeps no owner that decides who may write: every file is judged
// as this user's (ROOT stands for that in file_rules.h).
FileFacts factsOf(const BY_HANDLE_FILE_INFORMATION& information)
{
    FileFacts facts;
    facts.links = information.nNumberOfLinks;
    facts.ownerMayWrite = (information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) == 0;
    return facts;
}

// A disk file gives all that was asked in one read, less only at its end.
std::error_code readWhole(HANDLE file, std::size_t limit, std::string& bytes)
{
    bytes.resize(limit + 1);  // the byte more shows a file too long
    DWORD count = 0;
    if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr)) {
        return lastError();
    }
    bytes.resize(count);
    return count > limit ? std::make_error_code(std::errc::file_too_large) : std::error_code();
}

std::string temporaryPrefixOf(const FilePlace& file)
{
    return temporaryPrefix(file.name.substr(file.name.find_last_of("/\\") + 1), 255);
}

std::error_code makeTemporary(const FilePlace& file, Handle& made, FilePlace& temporary, DWORD flags = 0)
{
    const std::string prefix = temporaryPrefixOf(file);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = placeBeside(file, prefix + temporarySuffix());
        made.reset(CreateFileW(widenedPath(temporary.name).c_str(), GENERIC_WRITE | WRITE_DAC, 0, nullptr,
                               CREATE_NEW, FILE_ATTRIBUTE_NORMAL | flags, nullptr));
        if (made.handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
            return made.handle != INVALID_HANDLE_VALUE ? std::error_code() : lastError();
        }
    }
    return std::make_error_code(std::errc::file_exists);
}

// Gives the new file the old one's attributes, and its access list as its
// own, still inheriting from its folder; the owner is the maker's.
void takeOverFrom(const std::wstring& target, HANDLE made, const std::wstring& temporary)
{
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    constexpr DWORD KEPT =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    SetFileAttributesW(temporary.c_str(), (attributes & KEPT) != 0 ? attributes & KEPT : FILE_ATTRIBUTE_NORMAL);
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(target.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &list,
                              nullptr, &descriptor) == ERROR_SUCCESS) {
        SetSecurityInfo(made, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION,
                        nullptr, nullptr, list, nullptr);
        LocalFree(descriptor);
    }
}

// Takes step again while another program holds the file open without
// sharing, as a virus scanner does a file just saved, for up to patience.
std::error_code waitingForOthers(std::chrono::milliseconds patience, const std::function<std::error_code()>& step)
{
    return retrying(patience, FileRefusal::HeldOpen, [&step] {
        const std::error_code error = step();
        const bool held = error.category() == windowsCategory() &&
                          (error.value() == ERROR_SHARING_VIOLATION || error.value() == ERROR_LOCK_VIOLATION);
        return held ? make_error_code(FileRefusal::HeldOpen) : error;
    });
}

// Moves temporary over target in one step. A file another program holds
// open refuses that as access denied, which is then not a lack of permission.
std::error_code moveInPlace(const std::wstring& temporary, const std::wstring& target,
                            std::chrono::milliseconds patience)
{
    return waitingForOthers(patience, [&]() -> std::error_code {
        if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return {};
        }
        const std::error_code error = lastError();
        if (error.value() == ERROR_ACCESS_DENIED &&
            Handle(CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)).handle ==
                INVALID_HANDLE_VALUE &&
            GetLastError() == ERROR_SHARING_VIOLATION) {
            return windowsError(ERROR_SHARING_VIOLATION);
        }
        return error;
    });
}

}  // namespace

const char* const PATH_SEPARATORS = "/\\";

FileState stateOf(const FilePlace& place)
{
    const DWORD attributes = GetFileAttributesW(widenedPath(place.name).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = GetLastError();
        return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? FileState::Missing : FileState::Other;
    }
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0 ? FileState::Other
                                                                                  : FileState::Regular;
}

std::error_code checkKeepable(const FilePlace& file)
{
    Handle opened(INVALID_HANDLE_VALUE);
    BY_HANDLE_FILE_INFORMATION information{};
    const std::error_code error =
        waitingForOthers(OPEN_PATIENCE, [&] { return openToRead(file, opened, information); });
    if (error) {
        return error == std::errc::no_such_file_or_directory ? std::error_code() : error;
    }
    return judgeFile(factsOf(information), ROOT);
}

std::error_code checkCanSave(const FilePlace& file)
{
    Handle made(INVALID_HANDLE_VALUE);
    FilePlace temporary;
    return makeTemporary(file, made, temporary, FILE_FLAG_DELETE_ON_CLOSE);
}

std::error_code readFile(const FilePlace& file, std::size_t limit, std::string& bytes)
{
    Handle opened(INVALID_HANDLE_VALUE);
    BY_HANDLE_FILE_INFORMATION information{};
    std::string read;
    if (const std::error_code error = waitingForOthers(OPEN_PATIENCE, [&] {
            const std::error_code opening = openToRead(file, opened, information);
            return opening ? opening : readWhole(opened.handle, limit, read);
        })) {
        return error;
    }
    bytes = std::move(read);
    return {};
}

std::error_code replaceFile(const FilePlace& file, const std::string& contents, std::chrono::milliseconds patience)
{
    const std::wstring target = widenedPath(file.name);
    Handle written(INVALID_HANDLE_VALUE);
    FilePlace temporaryFile;
    if (const std::error_code error = makeTemporary(file, written, temporaryFile)) {
        return error;
    }
    const std::wstring temporary = widenedPath(temporaryFile.name);
    takeOverFrom(target, written.handle, temporary);
    DWORD count = 0;
    std::error_code error;
    if (!WriteFile(written.handle, contents.data(), static_cast<DWORD>(contents.size()), &count, nullptr) ||
        !FlushFileBuffers(written.handle)) {
        error = lastError();
    } else if (count != contents.size()) {
        error = windowsError(ERROR_HANDLE_DISK_FULL);
    }
    written.reset(INVALID_HANDLE_VALUE);
    if (!error) {
        error = moveInPlace(temporary, target, patience);
    }
    if (error) {
        DeleteFileW(temporary.c_str());
    }
    return error;
}

std::error_code moveOver(const FilePlace& from, const FilePlace& to)
{
    return moveInPlace(widenedPath(from.name), widenedPath(to.name), SAVE_PATIENCE);
}

void removeFile(const FilePlace& place)
{
    DeleteFileW(widenedPath(place.name).c_str());
}

std::vector<Leftover> leftoversBeside(const FilePlace& file)
{
    const std::string prefix = temporaryPrefixOf(file);
    std::vector<Leftover> found;
    WIN32_FIND_DATAW entry{};
    const HANDLE search = FindFirstFileW(widenedPath(placeBeside(file, prefix + "*").name).c_str(), &entry);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &entry)) {
        const std::string name = narrowed(entry.cFileName);
        const TemporaryForm form = temporaryForm(name, prefix);
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && form != TemporaryForm::None) {
            const auto modified = static_cast<std::int64_t>(
                (static_cast<std::uint64_t>(entry.ftLastWriteTime.dwHighDateTime) << 32) |
                entry.ftLastWriteTime.dwLowDateTime);
            found.push_back({placeBeside(file, name), modified, form, {}});
        }
    }
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
    }
    return found;
}

}  // namespace gorvandel
