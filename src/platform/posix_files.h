#pragma once

// What files_posix.cpp and path_walk_posix.cpp share: descriptors that
// close themselves, and the owner of what the program makes.

#include "file_rules.h"
#include "files.h"

#include <cerrno>
#include <cstddef>
#include <string_view>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gorvandel {

inline std::error_code lastError()
{
    return {errno, std::generic_category()};
}

// A descriptor that is closed when it goes out of scope.
struct Descriptor {
    int fd;
    explicit Descriptor(int opened)
        : fd(opened)
    {
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { reset(-1); }
    // Hands the descriptor over: it is no longer closed here.
    int release() { return std::exchange(fd, -1); }
    void reset(int opened)
    {
        if (fd >= 0) {
            ::close(fd);
        }
        fd = opened;
    }
};

struct HeldFolder : Descriptor {
    using Descriptor::Descriptor;
};

inline int folderOf(const FilePlace& place)
{
    return place.folder ? place.folder->fd : AT_FDCWD;
}

// Writes all of first, then all of second, to fd.
std::error_code writeAll(int fd, std::string_view first, std::string_view second = {});

// Opens the regular file at place with flags, never through a link nor
// stalled by a FIFO; given made, makes it when missing (mode 0600, owned as
// rule 5 says) and tells whether it did. Anything else is refused.
std::error_code openRegular(const FilePlace& file, int flags, Descriptor& opened, struct stat& status,
                            bool* made = nullptr);

// The longest name the folder of place takes.
std::size_t longestName(const FilePlace& place);

// Whom a save of file gives it to (rule 5).
UserId ownerOfSaves(const FilePlace& file);

// Gives what root just made in folder (open at fd) to the folder's owner.
void giveToFolderOwner(int folder, int fd);

}  // namespace gorvandel
