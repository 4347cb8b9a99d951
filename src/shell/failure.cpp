#include "failure.h"

#include "platform.h"

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
    // One write, and no allocation for a message as short as "out of memory".
    char line[256];
    const int length =
        std::snprintf(line, sizeof line, "gorvandel: %.*s\n", static_cast<int>(what.size()), what.data());
    if (length > 0 && static_cast<std::size_t>(length) < sizeof line) {
        writeToStandardError(std::string_view(line, static_cast<std::size_t>(length)));
        return;
    }
    writeToStandardError("gorvandel: " + std::string(what) + "\n");
}

}  // namespace gorvandel
