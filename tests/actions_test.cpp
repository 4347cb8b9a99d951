#include "actions.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

using gorvandel::argumentActionTable;
using gorvandel::dateLine;
using gorvandel::plainActionTable;

const std::regex DATE_LINE("[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}\n");

std::string runPlain(std::size_t index)
{
    CapturedOutput output;
    plainActionTable().at(index)();
    return output.text();
}

std::string runWithArgument(std::size_t index, const std::string& argument)
{
    CapturedOutput output;
    argumentActionTable().at(index)(argument);
    return output.text();
}

TEST(PlainActions, WriteTheirFixedLines)
{
    ASSERT_EQ(plainActionTable().size(), 8u);
    EXPECT_EQ(runPlain(0), "Hello World!\n");
    EXPECT_EQ(runPlain(1), "Uploading some data to the internet...\n");
    EXPECT_EQ(runPlain(2), "Downloading some data from the internet...\n");
    EXPECT_EQ(runPlain(3), "Generating some random numbers...\n");
    EXPECT_EQ(runPlain(4), "Calculating the meaning of life...\n");
    EXPECT_TRUE(std::regex_match(runPlain(7), DATE_LINE)) << runPlain(7);
}

TEST(PlainActions, NumberActionsDrawOneValueEachAndLeaveTheStreamDecimal)
{
    std::srand(42);
    const int first = std::rand();
    const int second = std::rand();
    std::ostringstream expected;
    expected << "0x" << std::hex << first << "\n" << std::dec << second << "\n";

    std::srand(42);
    CapturedOutput output;
    plainActionTable()[5]();
    plainActionTable()[6]();
    EXPECT_EQ(output.text(), expected.str());
    EXPECT_EQ(std::cout.flags() & std::ios::basefield, std::ios::dec);
}

TEST(Actions, OnlyTheNumberActionsDraw)
{
    std::srand(7);
    const int firstDraw = std::rand();
    std::srand(7);
    for (std::size_t index : {0u, 1u, 2u, 3u, 4u, 7u}) {
        runPlain(index);
    }
    for (std::size_t index = 0; index < argumentActionTable().size(); ++index) {
        runWithArgument(index, "x");
    }
    EXPECT_EQ(std::rand(), firstDraw);
}

TEST(ArgumentActions, WriteTheArgumentUnchangedBetweenQuotes)
{
    const std::vector<std::pair<std::string, std::string>> framing{
        {"Uploading \"", "\" to the internet..."},
        {"Downloading \"", "\" from the internet..."},
        {"Downloading random files similar to \"", "\" from the internet..."},
        {"Deleting file \"", "\"..."},
        {"Creating new file \"", "\"..."},
        {"Append random data to file \"", "\"..."},
        {"Transfer file \"", "\" to printer..."},
        {"Print file \"", "\" to secret debug log..."},
        {"Send file \"", "\" to EA..."},
        {"Send file \"", "\" to Ubisoft"},
    };
    ASSERT_EQ(argumentActionTable().size(), framing.size());
    for (const std::string argument : {"report", "", "  two \"quoted\" words, \\ and 100%\t"}) {
        for (std::size_t index = 0; index < framing.size(); ++index) {
            EXPECT_EQ(runWithArgument(index, argument), framing[index].first + argument + framing[index].second + "\n")
                << "action " << index;
        }
    }
}

TEST(DateLine, IsTheRuntimeTextOrAPlainLineOfOurOwn)
{
    EXPECT_TRUE(std::regex_match(dateLine(0), DATE_LINE)) << dateLine(0);
    EXPECT_TRUE(std::regex_match(dateLine(1'700'000'000), DATE_LINE)) << dateLine(1'700'000'000);
    EXPECT_EQ(dateLine(std::numeric_limits<std::int64_t>::max()), "Date and time unavailable\n");
    EXPECT_EQ(dateLine(std::numeric_limits<std::int64_t>::min()), "Date and time unavailable\n");
}

}  // namespace
