#include "memory_format.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using gorvandel::parseMemory;
using namespace std::string_literals;
using Weights = std::vector<gorvandel::Weight>;

TEST(MemoryFormat, WhatIsWrittenReadsBackAndAPersonMayEditItsLayout)
{
    const Weights plain{0, -5, 1, 0, 0, 0, 0, 5};
    const Weights argument{0, 0, 0, 4, 0, 0, 0, 0, 0, -1};
    const std::string text = gorvandel::formatMemory(plain, argument);
    EXPECT_EQ(text, "gorvandel memory 1\nplain 0 -5 1 0 0 0 0 5\nargument 0 0 0 4 0 0 0 0 0 -1\n");
    for (const std::string& edited :
         {"\xEF\xBB\xBF" + text,
          " gorvandel\tmemory  01\r\n  plain\t0 -5  +1 0 0 0 0 +5 \r\nargument +0 0 0 4 0 0 0 0 0 -1\n \n"s}) {
        const gorvandel::MemoryText read = parseMemory(edited);
        EXPECT_EQ(read.problem, "");
        EXPECT_EQ(read.learned.plain, plain);
        EXPECT_EQ(read.learned.argument, argument);
    }
}

TEST(MemoryFormat, ARefusalNamesTheLineAndWhatIsWrong)
{
    const std::string plain = "plain 0 0 0 0 0 0 0 0\n";
    const std::string argument = "argument 0 0 0 0 0 0 0 0 0 0\n";
    const std::string header = "gorvandel memory 1\n";
    const std::pair<std::string, std::string> refused[] = {
        {"", "1: not a gorvandel memory file (the first line must be 'gorvandel memory 1')"},
        {"gorvandel memory 0\n" + plain + argument, "1: not a gorvandel memory file"},
        {"gorvandel memories 1\n" + plain + argument, "1: not a gorvandel memory file"},
        {"gorvandel memory 2\n" + plain + argument, "1: memory format version 2 is newer than this program reads (1)"},
        {"gorvandel memory 99999999999\n", "1: memory format version 99999999999 is newer"},
        {header + "plain 0 0 0 0 0 0 0\n" + argument, "2: expected 'plain' and 8 weights, found 7"},
        {header + argument + plain, "2: expected 'plain' and 8 weights"},
        {header + "plain 0 0 0 0 0 0 0 6\n" + argument, "2: weight 6 is outside -5 to 5"},
        {header + plain + "argument 0 0 0 0 0 0 0 0 0 -6\n", "3: weight -6 is outside -5 to 5"},
        {header + plain + "argument 0 0 0 0 0 0 0 0 0 +1000000000\n", "3: weight '+1000000000' is not a whole"},
        {header + "plain 0 0 0 0 0 0 0 +-3\n" + argument, "2: weight '+-3' is not a whole number"},
        {header + "plain 0 0 0 0 0 0 + 3\n" + argument, "2: weight '+' is not a whole number"},
        {header + plain, "3: missing: 'argument' and 10 weights"},
        {header + plain + argument + "reward\n", "4: more lines than a memory holds"},
        {header + "plain 0 0 0 0\0 0 0 0 0\n"s + argument, "2: not text"},
    };
    for (const auto& [text, expected] : refused) {
        const gorvandel::MemoryText read = parseMemory(text);
        EXPECT_EQ((std::to_string(read.problemLine) + ": " + read.problem).compare(0, expected.size(), expected), 0)
            << "read " << read.problemLine << ": " << read.problem << "\nexpected " << expected;
    }
}

}  // namespace
