#include "files.h"
#include "shortened_name.h"

#include <iterator>

namespace gorvandel {

namespace {

class FileRefusalCategory : public std::error_category {
public:
    std::string message(int refusal) const override;
    const char* name() const noexcept override;
};

const char* FileRefusalCategory::name() const noexcept(true)
{
    return "gorvandel file";
}

std::string FileRefusalCategory::message(int refusal) const
{
    // In the order of FileRefusal, from 1.
    static const char* const reasons[] = {
        "not a regular file",
        "the file is read-only",
        "the file has other names (hard links) that a save would part from it",
        "in use by another program",
        "it is a symbolic link, which is not followed",
        "a symbolic link that another user owns in a shared sticky folder is not followed",
        "it is a symbolic link that leads to no file",
        "its lock file was removed or replaced, so another program may be using it",
    };
    const auto index = static_cast<std::size_t>(refusal) - 1;
    return index < std::size(reasons) ? reasons[index] : "refused";
}

}  // namespace

std::error_code make_error_code(FileRefusal refusal)
{
    static const FileRefusalCategory category;
    return {static_cast<int>(refusal), category};
}

std::error_code checkReplaceable(const FileContents& file)
{
    // A save puts a new file in its place: that would not respect a file
    // made read-only, and would part it from its other names.
    if (!file.writable) {
        return FileRefusal::ReadOnly;
    }
    if (file.links > 1) {
        return FileRefusal::OtherNames;
    }
    return {};
}

std::string shortenedName(const std::string& path, std::size_t nameStart, std::size_t longest,
                          const std::string& suffix)
{
    std::size_t keep = path.size() - nameStart;
    if (keep + suffix.size() > longest) {
        keep = longest > suffix.size() ? longest - suffix.size() : 0;
        // Back to the first byte of a character: continuation bytes are 10xxxxxx.
        while (keep > 0 && (static_cast<unsigned char>(path[nameStart + keep]) & 0xC0) == 0x80) {
            --keep;
        }
    }
    return path.substr(0, nameStart + keep) + suffix;
}

}  // namespace gorvandel
