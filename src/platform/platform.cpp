#include "platform.h"

#include <filesystem>
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

std::string followedPath(const std::string& path)
{
    std::error_code error;
    std::filesystem::path followed(path);
    for (int hops = 0; hops < 40 && is_symlink(symlink_status(followed, error)); ++hops) {
        const std::filesystem::path target = read_symlink(followed, error);
        if (error) {
            break;
        }
        followed = target.is_absolute() ? target : followed.parent_path() / target;
    }
    return followed.string();
}

}  // namespace gorvandel
