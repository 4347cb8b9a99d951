#include "completion.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using gorvandel::complete;

std::vector<std::string> folder()
{
    return {"report.txt", "report.md", "notes", ".hidden", "my file"};
}

std::vector<std::string> noFolder()
{
    ADD_FAILURE() << "file names asked for outside an argument";
    return {};
}

TEST(Completion, CommandWordsWithoutABlankTheLineDoesNotNeed)
{
    EXPECT_EQ(complete("d", noFolder).insertion, "o something");
    EXPECT_EQ(complete("do som", noFolder).insertion, "ething");
    EXPECT_EQ(complete("do something w", noFolder).insertion, "ith ");
    EXPECT_EQ(complete("do something ", noFolder).insertion, "with ");
    EXPECT_EQ(complete("r", noFolder).insertion, "eward");
    EXPECT_EQ(complete("p", noFolder).insertion, "unish");
    EXPECT_EQ(complete("e", noFolder).insertion, "xit");
    EXPECT_EQ(complete("exit", noFolder).insertion, "");
    EXPECT_TRUE(complete("x", noFolder).choices.empty());
    const std::vector<std::string> both{"do something", "do something with "};
    EXPECT_EQ(complete("do something", noFolder).choices, both);
    EXPECT_EQ(complete("", noFolder).choices.size(), 5u);
}

TEST(Completion, FileNamesAfterTheArgumentPrefix)
{
    EXPECT_EQ(complete("do something with n", folder).insertion, "otes");
    EXPECT_EQ(complete("do something with my", folder).insertion, " file");
    EXPECT_EQ(complete("do something with rep", folder).insertion, "ort.");
    const std::vector<std::string> reports{"report.md", "report.txt"};
    EXPECT_EQ(complete("do something with report.", folder).choices, reports);
    EXPECT_EQ(complete("do something with .", folder).insertion, "hidden");
    EXPECT_EQ(complete("do something with ", folder).choices.size(), 4u);  // the hidden name waits for its dot
    EXPECT_TRUE(complete("do something with x", folder).choices.empty());
    EXPECT_EQ(gorvandel::choicesInColumns({"a", "bb", "c"}, 8), "a   c\nbb\n");
}

}  // namespace
