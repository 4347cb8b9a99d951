#pragma once

#include <string>
#include <utility>
#include <vector>

namespace gorvandel {

// What a step that can fail gives back, up to the entry: true when it
// worked, else the one line that says what failed; and, either way, what a
// person should know though the program goes on, a line each.
struct Outcome {
    Outcome() = default;
    // Not explicit: a step returns {"cannot ..."}.
    Outcome(std::string failureLine)
        : failure(std::move(failureLine))
    {
    }

    std::string failure;
    std::vector<std::string> notices;
    explicit operator bool() const { return failure.empty(); }
};

}  // namespace gorvandel
