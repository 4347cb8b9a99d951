#include "actions.h"
#include "platform.h"
#include "test_support.h"

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <sstream>

namespace {

using gorvandel::argumentActionTable;
using gorvandel::plainActionTable;

// An action's index is its identity: each writes its own text, then a line end with a flush.
TEST(Actions, EachWritesItsTextInTableOrderAndFlushes)
{
    const auto plainTexts = expectedTexts("plain");
    const auto argumentTexts = expectedTexts("argument");
    ASSERT_EQ(plainTexts.size(), 5u);
    ASSERT_EQ(argumentTexts.size(), argumentActionTable().size());
    for (std::size_t i = 0; i < plainTexts.size(); ++i) {
        CapturedOutput output;
        plainActionTable().at(i)();
        EXPECT_EQ(output.text(), plainTexts[i] + "\n") << "plain action " << i;
        EXPECT_EQ(output.flushes(), 1) << "plain action " << i;
    }
    const std::string argument = R"(  say "hi", \n 100% %s)";
    for (std::size_t i = 0; i < argumentTexts.size(); ++i) {
        CapturedOutput output;
        argumentActionTable().at(i)(argument);
        EXPECT_EQ(output.text(), withArgument(argumentTexts[i], argument) + "\n") << "argument action " << i;
        EXPECT_EQ(output.flushes(), 1) << "argument action " << i;
    }
}

TEST(Actions, OnlyTheNumberActionsDrawOneValueEachAndLeaveTheStreamDecimal)
{
    std::srand(42);
    const int first = std::rand();
    const int second = std::rand();
    std::ostringstream expected;
    expected << "0x" << std::hex << first << "\n" << std::dec << second << "\n";

    std::srand(42);
    CapturedOutput output;
    const auto plain = plainActionTable();
    ASSERT_EQ(plain.size(), 8u);
    for (std::size_t index : {0u, 1u, 2u, 3u, 4u, 7u}) {
        plain.at(index)();
    }
    for (auto action : argumentActionTable()) {
        action("x");
    }
    const std::string others = output.text();
    const int flushesBefore = output.flushes();
    plain.at(5)();
    plain.at(6)();
    EXPECT_EQ(output.text().substr(others.size()), expected.str());
    EXPECT_EQ(output.flushes() - flushesBefore, 2);
}

TEST(Actions, DateLineIsTheCalendarTextWrittenWithoutAFlush)
{
    const auto before = gorvandel::currentCalendarTime();
    CapturedOutput output;
    plainActionTable().at(7)();
    const auto after = gorvandel::currentCalendarTime();
    EXPECT_TRUE(output.text() == gorvandel::dateLine(before) || output.text() == gorvandel::dateLine(after));
    EXPECT_EQ(output.flushes(), 0);

    EXPECT_EQ(gorvandel::dateLine(std::numeric_limits<std::int64_t>::max()), "Date and time unavailable\n");
    EXPECT_EQ(gorvandel::dateLine(std::numeric_limits<std::int64_t>::min()), "Date and time unavailable\n");
    EXPECT_EQ(gorvandel::dateLine(1'700'000'000).size(), 25u);  // "Tue Nov 14 22:13:20 2023\n"
}

}  // namespace
