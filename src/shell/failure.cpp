#include "failure.h"

#include <cstdio>

namespace gorvandel {

void reportFailure(std::string_view what)
{
    // Standard error is unbuffered: one call, one write.
    std::fprintf(stderr, "gorvandel: %.*s\n", static_cast<int>(what.size()), what.data());
}

}  // namespace gorvandel
