#include "windows_system.h"

#include <algorithm>
#include <memory>
#include <string>

namespace gorvandel {

std::wstring widened(std::string_view text)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string narrowed(std::wstring_view wide)
{
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr, nullptr);
    return text;
}

std::wstring widenedPath(std::string_view path)
{
    std::wstring wide = widened(path);
    if (wide.compare(0, 4, L"\\\\?\\") != 0) {
        std::replace(wide.begin(), wide.end(), L'/', L'\\');
    }
    return wide;
}

namespace {

class WindowsCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "windows"; }
    std::string message(int code) const override;
    std::error_condition default_error_condition(int code) const noexcept override;
};

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
    case ERROR_ACCESS_DENIED:
        return std::errc::permission_denied;
    case ERROR_FILENAME_EXCED_RANGE:
        return std::errc::filename_too_long;
    default:
        return {code, *this};
    }
}

}  // namespace

const std::error_category& windowsCategory()
{
    static const WindowsCategory category;
    return category;
}

}  // namespace gorvandel
