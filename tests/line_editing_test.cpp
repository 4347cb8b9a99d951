#include "completion.h"
#include "history.h"

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

TEST(History, FileFromTheEnvironment)
{
    using gorvandel::historyFile;
    EXPECT_EQ(historyFile("/h/mine", "/state", "/home/u"), "/h/mine");
    EXPECT_EQ(historyFile("", "/state", "/home/u"), "");
    EXPECT_EQ(historyFile(nullptr, "/state", "/home/u"), "/state/gorvandel/history");
    EXPECT_EQ(historyFile(nullptr, "relative", "/home/u"), "/home/u/.local/state/gorvandel/history");
    EXPECT_EQ(historyFile(nullptr, "", "/home/u"), "/home/u/.local/state/gorvandel/history");
    EXPECT_EQ(historyFile(nullptr, nullptr, nullptr), "");
}

TEST(History, NoEmptyLinesNoRepeatsAndAThousandAtMost)
{
    std::vector<std::string> history;
    for (const char* line : {"a", "", "a", "b", "a"}) {
        gorvandel::addToHistory(history, line);
    }
    EXPECT_EQ(history, (std::vector<std::string>{"a", "b", "a"}));
    for (int i = 0; i < 1100; ++i) {
        gorvandel::addToHistory(history, std::to_string(i));
    }
    ASSERT_EQ(history.size(), gorvandel::HISTORY_LIMIT);
    EXPECT_EQ(history.front(), "100");
}

}  // namespace
