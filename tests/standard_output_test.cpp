#include "failure.h"
#include "standard_output.h"
#include "test_support.h"

namespace {

// What waits goes out at a flush, before a text too long to wait and before
// a failure report; after a failure of its own, nothing more is sent.
TEST(StandardOutput, WaitsForAFlushKeepsItsOrderAndItsFirstFailure)
{
    CapturedOutput output;
    gorvandel::writeOutput("Sun Dec  6 19:26:12 2026\n");
    EXPECT_EQ(output.delivered(), "");
    // As the C++ runtime's stream wrote them: a text of 1 KiB or more leaves at once, with what waited.
    gorvandel::writeOutput("Deleting file \"");
    gorvandel::writeOutput(std::string(1023, 'x'));
    EXPECT_EQ(output.delivered(), "");
    const std::string argument(1024, 'y');
    gorvandel::writeOutput(argument);
    const std::string before = "Sun Dec  6 19:26:12 2026\nDeleting file \"" + std::string(1023, 'x') + argument;
    EXPECT_EQ(output.delivered(), before);
    gorvandel::writeOutputLine("\"...");
    EXPECT_EQ(output.delivered(), before + "\"...\n");
    gorvandel::writeOutput("waited\n");
    gorvandel::reportFailure("a failure a test reports, after what waited");
    const std::string sent = output.delivered();
    EXPECT_EQ(sent.substr(sent.size() - 7), "waited\n");

    output.failure = std::make_error_code(std::errc::no_space_on_device);
    gorvandel::writeOutputLine("lost");
    output.failure.clear();  // the destination would take bytes again
    gorvandel::writeOutputLine("dropped");
    EXPECT_FALSE(gorvandel::flushOutput());
    EXPECT_EQ(gorvandel::outputError(), std::errc::no_space_on_device);
    EXPECT_EQ(output.text(), sent);
}

}  // namespace
