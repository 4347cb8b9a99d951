#pragma once

// What both platforms' pathBeside share.

#include <cstddef>
#include <string>

namespace gorvandel {

// path with suffix added, the name that starts at nameStart cut short so
// that it and the suffix take at most longest bytes. The cut never falls
// inside a UTF-8 character.
std::string shortenedName(const std::string& path, std::size_t nameStart, std::size_t longest,
                          const std::string& suffix);

}  // namespace gorvandel
