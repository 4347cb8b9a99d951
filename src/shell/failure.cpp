#include "failure.h"

#include "console.h"
#include "shown_text.h"
#include "standard_output.h"

#include <cstdio>

namespace gorvandel {

Outcome outputFailure(const std::error_code& reason)
{
    return reason ? Outcome("cannot write to standard output: " + reason.message()) : Outcome();
}

Outcome inputFailure(const std::error_code& reason)
{
    return {reason ? "cannot read standard input: " + reason.message() : "cannot read standard input"};
}

namespace {

void writeFailureLine(std::string_view what)
{
    flushOutput();
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

}  // namespace

void reportFailure(std::string_view what)
{
    if (isPrintableAscii(what)) {
        writeFailureLine(what);
    } else {
        writeFailureLine(shownSafely(what));
    }
}

void reportUsageFailure(std::string_view problem)
{
    reportFailure(problem);
    writeToStandardError("Try 'gorvandel --help' for more information.\n");
}

void reportOutcome(const Outcome& outcome)
{
    for (const std::string& notice : outcome.notices) {
        reportFailure(notice);
    }
    if (!outcome) {
        reportFailure(outcome.failure);
    }
}

}  // namespace gorvandel
