#include "actions.h"
#include "platform.h"
#include "test_support.h"

#include <cstdint>
#include <limits>
#include <regex>

namespace {

using gorvandel::argumentActionTable;
using gorvandel::plainActionTable;

// An action's index is its identity: each writes its own text and a line end.
TEST(Actions, EachWritesItsTextInTableOrder)
{
    const auto plainTexts = expectedTexts("plain");
    const auto argumentTexts = expectedTexts("argument");
    ASSERT_EQ(plainTexts.size(), 5u);
    ASSERT_EQ(argumentTexts.size(), argumentActionTable().size());
    for (std::size_t i = 0; i < plainTexts.size(); ++i) {
        CapturedOutput output;
        plainActionTable().at(i)();
        EXPECT_EQ(output.text(), plainTexts[i] + "\n") << "plain action " << i;
    }
    const std::string argument = R"(  say "hi", \n 100% %s)";
    for (std::size_t i = 0; i < argumentTexts.size(); ++i) {
        CapturedOutput output;
        argumentActionTable().at(i)(argument);
        EXPECT_EQ(output.text(), withArgument(argumentTexts[i], argument) + "\n") << "argument action " << i;
    }
}

TEST(Actions, NumbersInHexadecimalThenDecimalAgain)
{
    CapturedOutput output;
    const auto plain = plainActionTable();
    ASSERT_EQ(plain.size(), 8u);
    for (int round = 0; round < 20; ++round) {
        plain.at(5)();
        plain.at(6)();
    }
    std::cout << 255 << '\n';
    EXPECT_TRUE(std::regex_match(output.text(), std::regex("(0x[0-9a-f]+\n[0-9]+\n){20}255\n"))) << output.text();
}

TEST(Actions, DateLineIsTheCalendarTextOrASayWhenThereIsNone)
{
    const auto before = gorvandel::currentCalendarTime();
    CapturedOutput output;
    plainActionTable().at(7)();
    const auto after = gorvandel::currentCalendarTime();
    EXPECT_TRUE(output.text() == gorvandel::dateLine(before) || output.text() == gorvandel::dateLine(after));

    EXPECT_EQ(gorvandel::dateLine(std::numeric_limits<std::int64_t>::max()), "Date and time unavailable\n");
    EXPECT_EQ(gorvandel::dateLine(std::numeric_limits<std::int64_t>::min()), "Date and time unavailable\n");
    EXPECT_TRUE(std::regex_match(gorvandel::dateLine(1'700'000'000),
                                 std::regex("[A-Z][a-z]{2} Nov 1[45] [0-9]{2}:[0-9]{2}:20 2023\n")));
}

}  // namespace
