#include "failure.h"
#include "standard_output.h"
#include "test_support.h"

namespace {

// What waits goes out at a flush, before a text too long to wait and a failure report; none after its own failure.
TEST(StandardOutput, WaitsForAFlushKeepsItsOrderAndItsFirstFailure)
{
    CapturedOutput output;
    gorvandel::writeOutput("Sun Dec  6 19:26:12 2026\n");
    EXPECT_EQ(output.delivered(), "");
    // As 1.2.0's stream wrote them: a text of 1 KiB or more leaves at once, with what waited.
    const std::string shorter(1023, 'x'), argument(1024, 'y');
    gorvandel::writeOutput("Deleting file \"");
    gorvandel::writeOutput(shorter);
    EXPECT_EQ(output.delivered(), "");
    gorvandel::writeOutput(argument);
    EXPECT_EQ(output.delivered(), "Sun Dec  6 19:26:12 2026\nDeleting file \"" + shorter + argument);
    gorvandel::writeOutputLine("\"...");
    gorvandel::writeOutput("waited\n");
    gorvandel::reportFailure("a failure a test reports, after what waited");
    const std::string sent = output.delivered();
    EXPECT_EQ(sent.substr(sent.size() - 7), "waited\n");

    output.failure = std::make_error_code(std::errc::no_space_on_device);
    EXPECT_EQ(gorvandel::writeOutputLine("lost"), std::errc::no_space_on_device);
    output.failure = std::make_error_code(std::errc::broken_pipe);  // the first reason is the one given
    gorvandel::writeOutputLine("dropped");
    EXPECT_EQ(gorvandel::flushOutput(), std::errc::no_space_on_device);
    EXPECT_EQ(output.text(), sent);
}

}  // namespace
