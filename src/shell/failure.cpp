#include "failure.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <system_error>

namespace gorvandel {

namespace {

bool isControl(char c)
{
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
}

}  // namespace

Outcome outputFailure()
{
    const int error = errno;
    if (error == 0) {
        return {"cannot write to standard output"};
    }
    return {"cannot write to standard output: " + std::generic_category().message(error)};
}

std::string printable(std::string_view text)
{
    std::string shown(text);
    std::replace_if(shown.begin(), shown.end(), isControl, '?');
    return shown;
}

void reportFailure(std::string_view what)
{
    // Shown with '?' for a line end, the report stays one line.
    if (std::any_of(what.begin(), what.end(), isControl)) {
        reportFailure(printable(what));
        return;
    }
    // Standard error is unbuffered: one call, one write.
    std::fprintf(stderr, "gorvandel: %.*s\n", static_cast<int>(what.size()), what.data());
}

}  // namespace gorvandel
