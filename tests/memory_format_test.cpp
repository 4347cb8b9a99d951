#include "lines.h"
#include "memory_format.h"
#include "test_support.h"

#include <numeric>
#include <utility>

namespace {

using gorvandel::parseMemory;
using namespace std::string_literals;
using Lines = std::vector<std::string>;

Lines linesOf(const std::string& text)
{
    const auto views = gorvandel::splitLines(text);
    return {views.begin(), views.end()};
}

std::string textOf(const Lines& lines)
{
    return std::accumulate(lines.begin(), lines.end(), std::string(), [](auto text, auto& line) { return text + line + "\n"; });
}

gorvandel::Learning learning(gorvandel::Weight firstPlain, gorvandel::Weight firstArgument)
{
    gorvandel::Learning learned;
    learned.plain.front() = firstPlain;
    learned.argument.front() = firstArgument;
    return learned;
}

void expectLearning(const std::string& text, const gorvandel::Learning& learned)
{
    const gorvandel::MemoryText read = parseMemory(text);
    EXPECT_EQ(read.problemLine, 0u) << read.problem << "\nin\n" << text;
    EXPECT_TRUE(read.learned.plain == learned.plain && read.learned.argument == learned.argument) << text;
}

TEST(MemoryFormat, EachWeightStandsByItsActionsNameInAnyOrder)
{
    const std::string text = gorvandel::formatMemory(learning(-5, 4));
    Lines lines = linesOf(text);
    ASSERT_EQ(lines.size(), 2 + gorvandel::PLAIN_ACTION_COUNT + gorvandel::ARGUMENT_ACTION_COUNT);
    EXPECT_EQ(lines[0] + "|" + lines[1] + "|" + lines.back(),
              "gorvandel memory 2|plain "s + std::string(gorvandel::PLAIN_ACTIONS[0].name) + " -5|end");
    std::shuffle(lines.begin() + 1, lines.end() - 1, std::mt19937(7));
    expectLearning(textOf(lines), learning(-5, 4));
    // A person's edits: marks, blanks, signs, CR LF ends and blank lines; an action not named is 0.
    const std::string first = "plain "s + std::string(gorvandel::PLAIN_ACTIONS[0].name) + " -5";
    std::string edited = "\xEF\xBB\xBF gorvandel\tmemory  02\r\n\n";
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        const std::size_t blank = lines[i].rfind(' ');
        edited += lines[i] == first ? "" : " " + lines[i].substr(0, blank) + "\t+" + lines[i].substr(blank + 1) + " \r\n";
    }
    expectLearning(edited + "end\r\n\n \n", learning(0, 4));
    for (const bool bigEndian : {false, true}) {
        expectLearning(utf16(std::u16string(text.begin(), text.end()), bigEndian), learning(-5, 4));
    }
    // 1.3.0's format, by position.
    expectLearning("gorvandel memory 1\n" + positional("plain", gorvandel::FIRST_FORMAT_PLAIN_COUNT) +
                       positional("argument", gorvandel::FIRST_FORMAT_ARGUMENT_COUNT, "+4"),
                   learning(0, 4));
    // An empty file is a memory that has learned nothing yet.
    EXPECT_TRUE(parseMemory("").empty && parseMemory("\n \r\n").empty);
    expectLearning("\n \r\n", {});
}

TEST(MemoryFormat, ALineNamingNoKnownActionIsKeptAsItStands)
{
    Lines lines = linesOf(gorvandel::formatMemory(learning(-5, 4)));
    const Lines unknown{"plain teleport 3", " plian\thello  +2 ", "argument"};
    lines.insert(lines.begin() + 3, unknown[0]);
    lines.insert(lines.end() - 1, unknown.begin() + 1, unknown.end());
    const gorvandel::MemoryText read = parseMemory(textOf(lines));
    expectLearning(textOf(lines), learning(-5, 4));
    Lines kept;
    for (const auto& line : read.unknown) {
        kept.push_back(std::to_string(line.number) + " " + line.name + "|" + line.text);
    }
    EXPECT_EQ(kept, (Lines{"4 plain teleport|" + unknown[0], std::to_string(lines.size() - 2) + " plian hello|" + unknown[1],
                           std::to_string(lines.size() - 1) + " argument|argument"}));
    const std::string saved = gorvandel::formatMemory(read.learned, {unknown[1], unknown[0]});
    EXPECT_EQ(saved.substr(saved.size() - textOf({unknown[1], unknown[0], "end"}).size()),
              textOf({unknown[1], unknown[0], "end"}));
}

TEST(MemoryFormat, ARefusalNamesTheLineAndWhatIsWrong)
{
    const std::string plain = positional("plain", gorvandel::FIRST_FORMAT_PLAIN_COUNT);
    const std::string argument = positional("argument", gorvandel::FIRST_FORMAT_ARGUMENT_COUNT);
    const std::string header = "gorvandel memory 1\n";
    const std::string whole = gorvandel::formatMemory({});
    const std::string hello = "plain "s + std::string(gorvandel::PLAIN_ACTIONS[0].name);
    const std::string named = "gorvandel memory 2\n" + hello;
    const std::pair<std::string, std::string> refused[] = {
        {"gorvandel\n", "1: not a gorvandel memory file (the first line must be 'gorvandel memory 2')"},
        {"gorvandel memory 0\n" + plain + argument, "1: not a gorvandel memory file"},
        {"gorvandel memories 1\n" + plain + argument, "1: not a gorvandel memory file"},
        {"gorvandel memory 3\n" + plain + argument, "1: memory format version 3 is newer than this program reads (2)"},
        {"gorvandel memory 99999999999\n", "1: memory format version 99999999999 is newer"},
        {header + positional("plain", gorvandel::FIRST_FORMAT_PLAIN_COUNT - 1) + argument, "2: expected 'plain' and "},
        {header + argument + plain, "2: expected 'plain' and "},
        {header + positional("plain", gorvandel::FIRST_FORMAT_PLAIN_COUNT, "6") + argument, "2: weight 6 is outside -5 to 5"},
        {header + plain + positional("argument", gorvandel::FIRST_FORMAT_ARGUMENT_COUNT, "-6"), "3: weight -6 is outside"},
        {header + positional("plain", gorvandel::FIRST_FORMAT_PLAIN_COUNT, "+-3") + argument, "2: weight '+-3' is not a"},
        {header + plain, "3: missing: 'argument' and "},
        {header + plain + argument + "reward\n", "4: more lines than a memory holds"},
        {header + "plain 0 0 0 0\0 0 0 0 0\n"s + argument, "2: not text"},
        // Cut off anywhere, a copy lacks its end.
        {whole.substr(0, whole.size() - 4) + "\n\n", std::to_string(linesOf(whole).size()) + ": missing: 'end', the last"},
        {named + " 1\nend\n" + hello + " 2\n", "4: more lines than a memory holds (after 'end')"},
        {named + " 1\n\n" + hello + " 2\nend\n", "4: '" + hello + "' is given twice (first on line 2)"},
        {named + " 1 2\nend\n", "2: expected '" + hello + "' and one weight"},
        {named + " 6\nend\n", "2: weight 6 is outside -5 to 5"},
        {"\xFF\xFEg\0\x01\0"s, "1: not text"},
    };
    for (const auto& [text, expected] : refused) {
        const gorvandel::MemoryText read = parseMemory(text);
        EXPECT_EQ((std::to_string(read.problemLine) + ": " + read.problem).compare(0, expected.size(), expected), 0)
            << "read " << read.problemLine << ": " << read.problem << "\nexpected " << expected;
    }
}

}  // namespace
