#include "platform.h"

#include <filesystem>
#include <system_error>

namespace gorvandel {

std::string followedPath(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path followed(path);
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(followed, error)); ++hops) {
        const fs::path target = fs::read_symlink(followed, error);
        if (error) {
            break;
        }
        followed = target.is_absolute() ? target : followed.parent_path() / target;
    }
    return followed.string();
}

}  // namespace gorvandel
