#include "actions.h"
#include "test_support.h"

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <sstream>

namespace {

TEST(Actions, OnlyTheNumberActionsDrawOneValueEachAndLeaveTheStreamDecimal)
{
    std::srand(42);
    const int first = std::rand();
    const int second = std::rand();
    std::ostringstream expected;
    expected << "0x" << std::hex << first << "\n" << std::dec << second << "\n";

    std::srand(42);
    CapturedOutput output;
    const auto plain = gorvandel::plainActionTable();
    for (std::size_t index : {0u, 1u, 2u, 3u, 4u, 7u}) {
        plain.at(index)();
    }
    for (auto action : gorvandel::argumentActionTable()) {
        action("x");
    }
    const std::string others = output.text();
    plain.at(5)();
    plain.at(6)();
    EXPECT_EQ(output.text().substr(others.size()), expected.str());
}

TEST(Actions, DateLineWithoutARepresentableTimeIsAPlainLineOfOurOwn)
{
    EXPECT_EQ(gorvandel::dateLine(std::numeric_limits<std::int64_t>::max()), "Date and time unavailable\n");
    EXPECT_EQ(gorvandel::dateLine(std::numeric_limits<std::int64_t>::min()), "Date and time unavailable\n");
    EXPECT_EQ(gorvandel::dateLine(1'700'000'000).size(), 25u);  // "Tue Nov 14 22:13:20 2023\n"
}

}  // namespace
