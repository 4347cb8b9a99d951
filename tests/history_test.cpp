#include "history.h"
#include "test_support.h"

#include <fstream>

#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

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

TEST(History, SavedAfterWhatAnotherRunSavedMeanwhile)
{
    const TemporaryFolder folder;
    const std::string file = folder / "state/gorvandel/history";
    gorvandel::saveHistory(file, {"first", "second"});
    std::ofstream(file, std::ios::app) << "other run\n\nother run\nlast line without a newline";
    gorvandel::saveHistory(file, {"second", "third"});
    EXPECT_EQ(
        gorvandel::loadHistory(file),
        (std::vector<std::string>{"first", "second", "other run", "last line without a newline", "second", "third"}));
    EXPECT_EQ(std::filesystem::status(folder / "state").permissions(), std::filesystem::perms::owner_all);

    // A save that a kill cut short left its temporary file, named after the lock: the next save takes its place.
    struct stat lock {};
    ASSERT_EQ(::stat((file + ".lock").c_str(), &lock), 0);
    write(file + ".tmp-" + std::to_string(lock.st_ino), "half");
    gorvandel::saveHistory(file, {"fourth"});
    EXPECT_FALSE(std::filesystem::exists(file + ".tmp-" + std::to_string(lock.st_ino)));
    EXPECT_EQ(gorvandel::loadHistory(file).back(), "fourth");
    std::string lines;
    for (int line = 0; line < 1100; ++line) {
        lines += std::to_string(line) + "\n";
    }
    write(file, lines);
    EXPECT_EQ(gorvandel::loadHistory(file).front(), "100");  // a longer file is read to its last thousand

    // Through a link the file itself is kept; a read-only one is left alone.
    std::filesystem::create_symlink(file, folder / "link");
    gorvandel::saveHistory(folder / "link", {"fifth"});
    std::filesystem::permissions(file, std::filesystem::perms::owner_read);
    gorvandel::saveHistory(folder / "link", {"sixth"});
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link"));
    EXPECT_EQ(gorvandel::loadHistory(folder / "link").back(), "fifth");

    // Folders root makes for a history in another user's home are that user's.
    if (::geteuid() == 0) {
        std::filesystem::create_directory(folder / "home");
        ASSERT_EQ(::chown((folder / "home").c_str(), 65534, 65534), 0);
        gorvandel::saveHistory(folder / "home/.local/state/gorvandel/history", {"root's"});
        struct stat made {};
        ASSERT_EQ(::stat((folder / "home/.local/state").c_str(), &made), 0);
        EXPECT_EQ(made.st_uid, 65534u);
    }
}

}  // namespace
