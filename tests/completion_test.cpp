#include "completion.h"

#include "test_support.h"

#include <clocale>
#include <cstdlib>

namespace {

using gorvandel::complete;
using Names = std::vector<std::string>;

Names noFolder()
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
    EXPECT_EQ(complete("p", noFolder).insertion, "unish");
    EXPECT_EQ(complete("exit", noFolder).insertion, "");
    EXPECT_TRUE(complete("x", noFolder).choices.empty());
    EXPECT_EQ(complete("do something", noFolder).choices, (Names{"do something", "do something with "}));
    EXPECT_EQ(complete("", noFolder).choices.size(), 5u);
}

TEST(Completion, FileNamesAfterTheArgumentPrefix)
{
    const auto folder = [] { return Names{"report.txt", "report.md", "notes", ".hidden", "my file"}; };
    EXPECT_EQ(complete("do something with my", folder).insertion, " file");
    EXPECT_EQ(complete("do something with rep", folder).insertion, "ort.");
    EXPECT_EQ(complete("do something with report.", folder).choices, (Names{"report.md", "report.txt"}));
    EXPECT_EQ(complete("do something with .", folder).insertion, "hidden");
    EXPECT_EQ(complete("do something with ", folder).choices.size(), 4u);  // the hidden name waits for its dot
}

// A name holds anything but '/': what would act on the terminal, or is not the locale's, is never inserted or shown.
TEST(Completion, NamesThatWouldTakeOverTheTerminalAreShownSafely)
{
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    const auto hostile = [] {
        return Names{"a\033[2J\033[31mRED", "ab", "line\nbreak", "x\ty", "c1\xC2\x9Bx", "bi\u202Ed"};
    };
    EXPECT_EQ(complete("do something with c", hostile).insertion, "1");  // not U+009B, a C1 control
    EXPECT_EQ(complete("do something with b", hostile).insertion, "i");  // nor U+202E, which turns the line
    const auto accents = [] { return Names{"\xC3\xA9t\xC3\xA9", "\xC3\xA8re"}; };
    EXPECT_EQ(complete("do something with ", accents).choices.size(), 2u);  // not half of their first letters
    const auto latin1 = [] { return Names{"a\xB0\xB0", "a\xB0\xB1"}; };
    EXPECT_EQ(complete("do something with a", latin1).choices.size(), 2u);  // no UTF-8 here
    EXPECT_EQ(complete("do something with a\xB0", latin1).choices.size(), 2u);
    EXPECT_EQ(complete("do something with a", hostile).choices.size(), 2u);
    const gorvandel::Completion newline = complete("do something with l", hostile);
    EXPECT_TRUE(newline.choices.empty() && newline.insertion.empty());
    EXPECT_EQ(complete("do something with x", hostile).choices, Names{"x\ty"});  // none inserted
    // U+202E would show "a\u202Etxt.exe" as "aexe.txt".
    EXPECT_EQ(gorvandel::choicesInColumns(
                  {"a\033[2J", "caf\xC3\xA9", "\xE6\x97\xA5\xE6\x9C\xAC", "\xFF", "a\u202Etxt.exe"}, 26),
              "a?[2J      ?\n"
              "caf\xC3\xA9       a?txt.exe\n"
              "\xE6\x97\xA5\xE6\x9C\xAC\n");
}

// In the locale's characters: Latin-1 names that UTF-8 would read as the same '?'s are told apart; a byte
// from 0x80 to 0x9F, a C1 control to an 8-bit terminal, is hidden even where KOI8-R draws a line with it.
TEST(Completion, ListedInTheLocalesCharacters)
{
    const TemporaryFolder locales;
    for (const std::string locale : {"en_US.ISO-8859-1", "ru_RU.KOI8-R"}) {
        const std::string made = "localedef -i " + locale.substr(0, 5) + " -f " + locale.substr(6) + " '" +
                                 (locales / locale) + "' >/dev/null 2>&1";
        if (std::system(made.c_str()) != 0) {
            GTEST_SKIP() << "localedef could not make " << locale << " (Debian package locales)";
        }
    }
    setenv("LOCPATH", locales.path.c_str(), 1);
    ASSERT_NE(std::setlocale(LC_CTYPE, "en_US.ISO-8859-1"), nullptr);
    EXPECT_EQ(gorvandel::choicesInColumns({"a\xB0\xB0", "a\xB0\xB1", "\x9B"}, 80), "a\xB0\xB0  a\xB0\xB1  ?\n");
    ASSERT_NE(std::setlocale(LC_CTYPE, "ru_RU.KOI8-R"), nullptr);
    EXPECT_EQ(gorvandel::choicesInColumns({"\x9B", "\xC1"}, 80), "?  \xC1\n");
}

}  // namespace
