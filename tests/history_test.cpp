#include "history.h"
#include "test_support.h"

#include <chrono>

#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using gorvandel::HistoryFile;
using Lines = std::vector<std::string>;
using namespace std::chrono_literals;
constexpr int LIMIT = static_cast<int>(gorvandel::HISTORY_LIMIT);

// Only the default place makes its folders; a relative HOME gives none, saying why.
TEST(History, PlaceFromTheEnvironment)
{
    using gorvandel::historyPlace;
    const auto is = [](const gorvandel::HistoryPlace& place, const std::string& path, bool makeFolders) {
        return place.path == path && place.makeFolders == makeFolders && place.problem.empty();
    };
    EXPECT_TRUE(is(historyPlace("/h/mine", "/state", "/home/u"), "/h/mine", false));
    EXPECT_TRUE(is(historyPlace("", "/state", "/home/u"), "", false));
    EXPECT_TRUE(is(historyPlace(nullptr, "/state", "homerel"), "/state/gorvandel/history", true));
    EXPECT_TRUE(is(historyPlace(nullptr, "relative", "/home/u"), "/home/u/.local/state/gorvandel/history", true));
    EXPECT_TRUE(is(historyPlace(nullptr, "", "/home/u"), "/home/u/.local/state/gorvandel/history", true));
    EXPECT_TRUE(is(historyPlace(nullptr, nullptr, nullptr), "", false));
    HistoryFile none;  // nowhere, and taking it up says why
    EXPECT_EQ(gorvandel::openHistory(historyPlace(nullptr, "relative", "homerel"), none).outcome.failure,
              "the history is not kept: HOME (homerel) is not an absolute path");
    EXPECT_TRUE(none.path.empty());
}

std::string numbered(int from, int to)
{
    std::string lines;
    for (int line = from; line < to; ++line) {
        lines += std::to_string(line) + "\n";
    }
    return lines;
}

// Each line is in the file as soon as it is typed: a closed window loses none.
TEST(History, EachLineGoesToTheFileAtOnceAndTheFileIsCutAtTheEnd)
{
    const TemporaryFolder folder;
    const std::string file = folder / "state/gorvandel/history";
    HistoryFile history;
    EXPECT_EQ(gorvandel::openHistory({file, true, ""}, history).outcome.failure, "");
    EXPECT_FALSE(fs::exists(folder / "state"));  // made with the first line
    for (const char* line : {"first", "", "first", "second"}) {
        gorvandel::appendToHistory(history, line);
    }
    EXPECT_EQ(contentsOf(file), "first\nsecond\n");
    EXPECT_EQ(fs::status(folder / "state").permissions(), fs::perms::owner_all);

    // Another session's lines come between; a session that holds the lock a moment
    // longer puts a line off to the next one.
    write(file, contentsOf(file) + "other session\n\nother session\nwithout a newline");
    {
        HistoryFile other;
        gorvandel::openHistory({file, true, ""}, other);
        gorvandel::FileLock held;
        ASSERT_FALSE(gorvandel::FileLock::take(other.place, 0ms, held));
        const auto start = std::chrono::steady_clock::now();
        gorvandel::appendToHistory(history, "third");
        EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
    }
    gorvandel::appendToHistory(history, "fourth");
    EXPECT_EQ(contentsOf(file), "first\nsecond\nother session\n\nother session\nwithout a newline\nthird\nfourth\n");
    HistoryFile last;  // taken up with no empty line and no line twice in a row
    EXPECT_EQ(gorvandel::openHistory({file, true, ""}, last).lines,
              (Lines{"first", "second", "other session", "without a newline", "third", "fourth"}));

    write(file, numbered(0, LIMIT + 100));
    EXPECT_EQ(gorvandel::openHistory({file, true, ""}, last).lines.front(), "100");
    gorvandel::closeHistory(last);
    EXPECT_TRUE(contentsOf(file) == numbered(100, LIMIT + 100)) << "not the last lines";
    EXPECT_EQ(namesOf(folder / "state/gorvandel"), (std::vector<std::string>{"history", "history.lock"}));
}

// A long history is cut when it is taken up: only its end is read.
TEST(History, OnlyTheEndOfALongHistoryIsRead)
{
    const TemporaryFolder folder;
    write(folder / "history", "too long a line to be kept\n" + numbered(0, 2 * LIMIT));
    HistoryFile history;
    const Lines lines = gorvandel::openHistory({folder / "history", true, ""}, history).lines;
    EXPECT_EQ(lines.size(), gorvandel::HISTORY_LIMIT);
    EXPECT_EQ(lines.back(), std::to_string(2 * LIMIT - 1));
    EXPECT_TRUE(contentsOf(folder / "history") == numbered(LIMIT, 2 * LIMIT)) << "not the last lines";
    // Nor more than its last bytes: a line that starts before them goes, however few the lines.
    write(folder / "history", std::string(gorvandel::HISTORY_READ_LIMIT, 'x') + "\nlast\n");
    EXPECT_EQ(gorvandel::openHistory({folder / "history", true, ""}, history).lines, Lines{"last"});
    EXPECT_EQ(contentsOf(folder / "history"), "last\n");
}

TEST(History, OneThatCannotBeUsedIsPassedOverAndNothingIsMadeForIt)
{
    const TemporaryFolder folder;
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    fs::create_directory(folder / "d");
    write(folder / "linked", "one\n");
    fs::create_hard_link(folder / "linked", folder / "other name");
    const std::pair<std::string, std::string> passedOver[] = {
        {"fifo", "not a regular file"},
        {"d", "Is a directory"},
        {"linked", "the file has other names (hard links) that a save would part from it"},
        {"missing/history", "its folder does not exist"},  // named: no folder is made for it
    };
    for (const auto& [name, why] : passedOver) {
        HistoryFile history;
        const gorvandel::OpenedHistory opened = gorvandel::openHistory({folder / name, false, ""}, history);
        EXPECT_TRUE(opened.lines.empty());
        EXPECT_EQ(opened.outcome.failure, "the history is not kept in " + (folder / name) + ": " + why);
        gorvandel::appendToHistory(history, "typed");
        gorvandel::closeHistory(history);
    }
    EXPECT_EQ(contentsOf(folder / "linked"), "one\n");
    EXPECT_EQ(namesOf(folder.path), (std::vector<std::string>{"d", "fifo", "linked", "other name"}));
}

}  // namespace
