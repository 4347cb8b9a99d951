#pragma once

#include <string>

namespace gorvandel {

// What a step that can fail gives back, up to the entry: true when it
// worked, else the one line that says what failed.
struct Outcome {
    std::string failure;
    explicit operator bool() const { return failure.empty(); }
};

}  // namespace gorvandel
