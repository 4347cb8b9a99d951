#include "actions.h"
#include "console.h"
#include "test_support.h"

#include <cstdint>
#include <cstdlib>
#include <limits>

namespace {

using gorvandel::argumentActionTable;
using gorvandel::plainActionTable;

// Where the plain action that writes what the expected text describes stands in its table.
std::size_t plainIndexOf(const std::string& described)
{
    const auto texts = expectedTexts("plain described");
    return static_cast<std::size_t>(std::find(texts.begin(), texts.end(), described) - texts.begin());
}

// An action's index is its identity: each writes its own text and a line end.
TEST(Actions, EachWritesItsTextInTableOrder)
{
    const auto plainTexts = expectedTexts("plain described"), fixed = expectedTexts("plain"),
               argumentTexts = expectedTexts("argument");
    ASSERT_EQ(plainTexts.size(), plainActionTable().size());
    ASSERT_EQ(argumentTexts.size(), argumentActionTable().size());
    for (std::size_t i = 0; i < plainTexts.size(); ++i) {
        EXPECT_EQ(gorvandel::describePlainAction(i), plainTexts[i]);  // as --show names them
        if (std::find(fixed.begin(), fixed.end(), plainTexts[i]) != fixed.end()) {
            CapturedOutput output;
            plainActionTable().at(i)();
            EXPECT_EQ(output.text(), plainTexts[i] + "\n") << "plain action " << i;
        }
    }
    const std::string argument = R"(  say "hi", \n 100% %s)";
    for (std::size_t i = 0; i < argumentTexts.size(); ++i) {
        CapturedOutput output;
        argumentActionTable().at(i)(argument);
        EXPECT_EQ(output.text(), withArgument(argumentTexts[i], argument) + "\n") << "argument action " << i;
        EXPECT_EQ(gorvandel::describeArgumentAction(i, "TEXT"), withArgument(argumentTexts[i], "TEXT"));
    }
}

TEST(Actions, NumbersInHexadecimalAndDecimal)
{
    CapturedOutput output;
    const auto plain = plainActionTable();
    std::srand(7);
    const int first = std::rand(), second = std::rand();
    std::srand(7);
    plain.at(plainIndexOf(expectedTexts("described").at(0)))();
    plain.at(plainIndexOf(expectedTexts("described").at(1)))();
    std::ostringstream expected;
    expected << "0x" << std::hex << first << '\n' << std::dec << second << '\n';
    EXPECT_EQ(output.delivered(), expected.str());
}

TEST(Actions, DateLineIsTheCalendarTextOrASayWhenThereIsNone)
{
    const auto before = gorvandel::currentCalendarTime();
    CapturedOutput output;
    plainActionTable().at(plainIndexOf(expectedTexts("described").at(2)))();
    const auto after = gorvandel::currentCalendarTime();
    EXPECT_TRUE(output.text() == gorvandel::dateLine(before) || output.text() == gorvandel::dateLine(after));
    EXPECT_EQ(output.delivered(), "") << "its newline flushed";

    EXPECT_EQ(gorvandel::dateLine(std::numeric_limits<std::int64_t>::max()), "Date and time unavailable\n");
    EXPECT_EQ(gorvandel::dateLine(std::numeric_limits<std::int64_t>::min()), "Date and time unavailable\n");
    const std::string date = gorvandel::dateLine(1'700'000'000);  // "Tue Nov 14 22:13:20 2023\n" in UTC
    EXPECT_EQ(date.size(), 25u);
    EXPECT_EQ(date.substr(4, 4) + date.substr(18), "Nov 0 2023\n") << date;
}

}  // namespace
