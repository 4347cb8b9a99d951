// Finding a file on Windows (rule 1 of files.h): the system follows links
// and junctions to its final path; a device's name is refused first.

#include "file_rules.h"
#include "files.h"
#include "windows_system.h"

namespace gorvandel {

namespace {

bool isLinkAt(const std::wstring& path)
{
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    FindClose(search);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
           (found.dwReserved0 == IO_REPARSE_TAG_SYMLINK || found.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT);
}

// The final path of the file a handle is open on; short enough, it drops
// the \\?\ prefix.
bool finalPathOf(HANDLE file, std::string& path)
{
    constexpr DWORD FORM = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
    const DWORD length = GetFinalPathNameByHandleW(file, nullptr, 0, FORM);
    std::wstring buffer(length, L'\0');
    if (length == 0 || GetFinalPathNameByHandleW(file, buffer.data(), length, FORM) != length - 1) {
        return false;
    }
    buffer.resize(length - 1);
    const std::wstring_view prefix = L"\\\\?\\";
    const bool drive = buffer.compare(0, prefix.size(), prefix) == 0 && buffer.size() > 6 && buffer[5] == L':';
    // Room for the names made beside it (".lock", ".tmp-" and letters).
    constexpr std::size_t ROOM = 32;
    path = narrowed(drive && buffer.size() - prefix.size() + ROOM < MAX_PATH ? buffer.substr(prefix.size()) : buffer);
    return true;
}

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
    if (namesDevice(path)) {
        return FileRefusal::NamesDevice;
    }
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
    const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(length, L'\0');
    if (length == 0 || GetFullPathNameW(wide.c_str(), length, full.data(), nullptr) != length - 1) {
        return lastError();
    }
    full.resize(length - 1);
    place = {nullptr, narrowed(full), narrowed(full)};
    return {};
}

FilePlace placeBeside(const FilePlace& file, const std::string& name)
{
    const std::string path = file.name.substr(0, file.name.find_last_of("/\\") + 1) + name;
    return {nullptr, path, path};
}

}  // namespace gorvandel
