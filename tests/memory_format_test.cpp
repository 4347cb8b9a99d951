#include "memory_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using gorvandel::parseMemory;
using namespace std::string_literals;

// The first format's lines: every weight of a table, by position.
std::string positional(const std::string& table, std::size_t count, const std::string& last = "0")
{
    std::string line = table;
    for (std::size_t i = 1; i < count; ++i) {
        line += " 0";
    }
    return line + " " + last + "\n";
}

gorvandel::Learning someLearning()
{
    gorvandel::Learning learned;
    learned.plain.front() = -5;
    learned.plain.back() = 5;
    learned.argument[1] = 4;
    learned.argument.back() = -1;
    return learned;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

std::string textOf(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

void expectLearning(const std::string& text, const gorvandel::Learning& learned)
{
    const gorvandel::MemoryText read = parseMemory(text);
    EXPECT_EQ(read.problemLine, 0u) << read.problem << "\nin\n" << text;
    EXPECT_EQ(read.learned.plain, learned.plain);
    EXPECT_EQ(read.learned.argument, learned.argument);
}

TEST(MemoryFormat, EachWeightStandsByItsActionsNameInAnyOrder)
{
    const gorvandel::Learning learned = someLearning();
    const std::string text = gorvandel::formatMemory(learned);
    std::vector<std::string> lines = linesOf(text);
    ASSERT_EQ(lines.size(), 2 + gorvandel::PLAIN_ACTION_COUNT + gorvandel::ARGUMENT_ACTION_COUNT);
    EXPECT_EQ(lines.front(), "gorvandel memory 2");
    EXPECT_EQ(lines[1], "plain "s + std::string(gorvandel::PLAIN_ACTIONS[0].name) + " -5");
    EXPECT_EQ(lines.back(), "end");
    std::shuffle(lines.begin() + 1, lines.end() - 1, std::mt19937(7));
    expectLearning(textOf(lines), learned);
    // A person's edits: marks, blanks, signs, CR LF ends and blank lines; an action not named is 0.
    std::string edited = "\xEF\xBB\xBF gorvandel\tmemory  02\r\n\n" + textOf({lines.begin() + 1, lines.end()});
    edited.replace(edited.find(" -1\n"), 4, "\t-1 \r\n");
    expectLearning(edited + "\n \n", learned);
    edited.erase(edited.find("argument "), edited.find('\n', edited.find("argument ")) + 1 - edited.find("argument "));
    gorvandel::Learning lessLearned = learned;
    lessLearned.argument.front() = 0;
    expectLearning(edited, lessLearned);
    // Notepad's "Unicode" and PowerShell's ">": UTF-16 with a byte-order mark.
    std::string littleEndian = "\xFF\xFE", bigEndian = "\xFE\xFF";
    for (const char c : text) {
        littleEndian += {c, '\0'};
        bigEndian += {'\0', c};
    }
    expectLearning(littleEndian, learned);
    expectLearning(bigEndian, learned);
    // The first format, by position, as 1.3.0 wrote it.
    const std::string first = "gorvandel memory 1\n" + positional("plain", gorvandel::PLAIN_ACTION_COUNT, "+5") +
                              positional("argument", gorvandel::ARGUMENT_ACTION_COUNT, "-1");
    gorvandel::Learning firstLearned;
    firstLearned.plain.back() = 5;
    firstLearned.argument.back() = -1;
    expectLearning(first, firstLearned);
    // An empty file is a memory that has learned nothing yet.
    for (const std::string& empty : {""s, "\n \r\n"s}) {
        EXPECT_TRUE(parseMemory(empty).empty);
        expectLearning(empty, {});
    }
    EXPECT_FALSE(parseMemory(text).empty);
}

TEST(MemoryFormat, ALineNamingNoKnownActionIsKeptAsItStands)
{
    std::vector<std::string> lines = linesOf(gorvandel::formatMemory(someLearning()));
    const std::vector<std::string> unknown{"plain teleport 3", " plian\thello  +2 ", "argument send-ea-twice"};
    lines.insert(lines.begin() + 3, unknown[0]);
    lines.insert(lines.end() - 1, unknown.begin() + 1, unknown.end());
    const gorvandel::MemoryText read = parseMemory(textOf(lines));
    EXPECT_EQ(read.problem, "");
    EXPECT_EQ(read.learned.plain, someLearning().plain);
    ASSERT_EQ(read.unknown.size(), 3u);
    EXPECT_EQ(read.unknown[0].number, 4u);
    EXPECT_EQ(read.unknown[0].name, "plain teleport");
    EXPECT_EQ(read.unknown[1].number, lines.size() - 2);
    EXPECT_EQ(read.unknown[1].name, "plian hello");
    std::vector<std::string> kept;
    for (const auto& line : read.unknown) {
        kept.push_back(line.text);
    }
    EXPECT_EQ(kept, unknown);
    const std::string saved = gorvandel::formatMemory(read.learned, kept);
    EXPECT_EQ(saved.substr(saved.size() - 4), "end\n");
    EXPECT_NE(saved.find("\n" + textOf(unknown) + "end\n"), std::string::npos) << saved;
}

TEST(MemoryFormat, ARefusalNamesTheLineAndWhatIsWrong)
{
    const std::string plain = positional("plain", gorvandel::PLAIN_ACTION_COUNT);
    const std::string argument = positional("argument", gorvandel::ARGUMENT_ACTION_COUNT);
    const std::string header = "gorvandel memory 1\n";
    const std::string named = gorvandel::formatMemory({});
    const std::string body = named.substr(0, named.size() - 4);  // without its end
    const std::string hello = "plain "s + std::string(gorvandel::PLAIN_ACTIONS[0].name);
    const std::pair<std::string, std::string> refused[] = {
        {"gorvandel\n", "1: not a gorvandel memory file (the first line must be 'gorvandel memory 2')"},
        {"gorvandel memory 0\n" + plain + argument, "1: not a gorvandel memory file"},
        {"gorvandel memories 1\n" + plain + argument, "1: not a gorvandel memory file"},
        {"gorvandel memory 3\n" + plain + argument, "1: memory format version 3 is newer than this program reads (2)"},
        {"gorvandel memory 99999999999\n", "1: memory format version 99999999999 is newer"},
        {header + positional("plain", gorvandel::PLAIN_ACTION_COUNT - 1) + argument, "2: expected 'plain' and "},
        {header + argument + plain, "2: expected 'plain' and "},
        {header + positional("plain", gorvandel::PLAIN_ACTION_COUNT, "6") + argument, "2: weight 6 is outside -5 to 5"},
        {header + plain + positional("argument", gorvandel::ARGUMENT_ACTION_COUNT, "-6"), "3: weight -6 is outside"},
        {header + plain + positional("argument", gorvandel::ARGUMENT_ACTION_COUNT, "+1000000000"), "3: weight '+1000"},
        {header + positional("plain", gorvandel::PLAIN_ACTION_COUNT, "+-3") + argument, "2: weight '+-3' is not a"},
        {header + plain, "3: missing: 'argument' and "},
        {header + plain + argument + "reward\n", "4: more lines than a memory holds"},
        {header + "plain 0 0 0 0\0 0 0 0 0\n"s + argument, "2: not text"},
        // Cut off anywhere, a copy lacks its end.
        {body + "\n\n", std::to_string(linesOf(body).size() + 1) + ": missing: 'end', the last line of a whole memory"},
        {"gorvandel memory 2\n", "2: missing: 'end'"},
        {"gorvandel memory 2\n" + hello + " 1\nend\n" + hello + " 2\n", "4: more lines than a memory holds (after 'end')"},
        {"gorvandel memory 2\n" + hello + " 1\n\n" + hello + " 2\nend\n", "4: '" + hello + "' is given twice (first on line 2)"},
        {"gorvandel memory 2\nplain x 1\nplain x 1\nend\n", "3: 'plain x' is given twice (first on line 2)"},
        {"gorvandel memory 2\n" + hello + "\nend\n", "2: expected '" + hello + "' and one weight"},
        {"gorvandel memory 2\n" + hello + " 1 2\nend\n", "2: expected '" + hello + "' and one weight"},
        {"gorvandel memory 2\n" + hello + " 6\nend\n", "2: weight 6 is outside -5 to 5"},
        {"\xFF\xFEg\0\x01\0"s, "1: not text"},
    };
    for (const auto& [text, expected] : refused) {
        const gorvandel::MemoryText read = parseMemory(text);
        EXPECT_EQ((std::to_string(read.problemLine) + ": " + read.problem).compare(0, expected.size(), expected), 0)
            << "read " << read.problemLine << ": " << read.problem << "\nexpected " << expected;
    }
}

}  // namespace
