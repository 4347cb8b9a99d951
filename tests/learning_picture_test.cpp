#include "learning_picture.h"
#include "test_support.h"

#include <regex>

namespace {

using gorvandel::fittedName;

// Columns a line takes on a terminal: its characters (each one column wide), colours left out.
std::size_t columns(const std::string& line)
{
    const std::string plain = std::regex_replace(line, std::regex("\033\\[[0-9;]*m"), "");
    return static_cast<std::size_t>(std::count_if(plain.begin(), plain.end(), [](char byte) { return (byte & 0xC0) != 0x80; }));
}

// A cut never leaves a quote open: a line holds "TEXT" whole or no quote at all.
bool quotesWhole(const std::string& line)
{
    const auto quotes = std::count(line.begin(), line.end(), '"');
    return quotes == 0 || (quotes == 2 && line.find("\"TEXT\"") != std::string::npos);
}

// Every action as the picture names it (as Actions.EachWritesItsTextInTableOrder pins).
std::vector<std::string> allNames()
{
    std::vector<std::string> names = expectedTexts("plain described");
    for (const std::string& text : expectedTexts("argument")) {
        names.push_back(withArgument(text, "TEXT"));
    }
    return names;
}

TEST(LearningPicture, ANameIsCutAtAWordAndNeverInsideItsQuotedText)
{
    EXPECT_EQ(fittedName("Downloading random files similar to \"TEXT\" from the internet...", 36, "\u2026"), "Downloading random files\u2026 \"TEXT\"\u2026");
    EXPECT_EQ(fittedName("Uploading some data to the internet...", 37, "\u2026"), "Uploading some data to the internet\u2026");
    EXPECT_EQ(fittedName("Send file \"TEXT\" to EA...", 8, "..."), "Send...");  // no room for the quote
    for (const std::string& name : allNames()) {
        for (std::size_t width = 8; width <= name.size() + 1; ++width) {
            for (const std::string ellipsis : {"...", "\u2026"}) {
                const std::string cut = fittedName(name, width, ellipsis);
                EXPECT_TRUE(columns(cut) <= width && quotesWhole(cut) && (width < name.size()) == (cut != name))
                    << width << ": " << cut;
            }
        }
    }
}

// Every form at every width: no line reaches the window's last column, no
// quote is left open, names whole where there is room, bars from 40 columns.
TEST(LearningPicture, FitsTheWindowInEveryForm)
{
    gorvandel::Learning learned;
    learned.plain.at(1) = 4;
    learned.argument.at(2) = -5;
    for (std::size_t window = 24; window <= 200; ++window) {
        for (const bool blocks : {false, true}) {
            const std::string picture = gorvandel::drawLearning(
                learned, gorvandel::pictureTitle(blocks ? "kept/m" : "", true, "", window), {blocks, blocks, window});
            std::istringstream lines(picture);
            for (std::string line; std::getline(lines, line);) {
                ASSERT_TRUE(columns(line) < window && quotesWhole(line)) << window << ": " << line;
            }
            const bool bars = picture.find(blocks ? "\u2502" : "|") != std::string::npos;
            EXPECT_EQ(bars, window >= gorvandel::NARROWEST_WITH_BARS) << window;
            for (const std::string& name : allNames()) {
                // Beside the bars from 79 columns, where the 80-column picture's rows fit; above them below that.
                const bool room = window >= 79 ? window >= name.size() + 37 : window >= name.size() + 3;
                EXPECT_EQ(picture.find(name) != std::string::npos, room) << window << ": " << name;
            }
        }
    }
}

}  // namespace
