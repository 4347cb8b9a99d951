#include "failure.h"

#include "characters.h"
#include "console.h"
#include "standard_output.h"

#include <cstdio>

namespace gorvandel {

Outcome outputFailure(const std::error_code& reason)
{
    return {reason ? "cannot write to standard output: " + reason.message() : "cannot write to standard output"};
}

std::string printable(std::string_view text, bool asciiOnly)
{
    std::string shown;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const std::size_t control = terminalControlLength(text.substr(at));
        const bool hidden = control > 0 || (asciiOnly && static_cast<unsigned char>(text[at]) >= 0x80);
        shown += hidden ? '?' : text[at];
        at += control > 1 ? control - 1 : 0;
    }
    return shown;
}

void reportFailure(std::string_view what)
{
    flushOutput();
    // Shown with '?' for a line end, the report stays one line.
    if (findTerminalControl(what) != std::string_view::npos) {
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
