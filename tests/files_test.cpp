#include "files.h"
#include "test_support.h"

#include <chrono>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;
using gorvandel::FileContents;
using gorvandel::FilePlace;
using gorvandel::FileRefusal;

// The place of path, found as the program finds it.
FilePlace at(const std::string& path)
{
    FilePlace place;
    const std::error_code error = gorvandel::findFile(path, place);
    EXPECT_FALSE(error) << path << ": " << error.message();
    return place;
}

TEST(Files, ReadsAWholeRegularFile)
{
    const TemporaryFolder folder;
    write(folder / "f", "a\r\nb");
    FileContents read;
    EXPECT_FALSE(gorvandel::readFile(at(folder / "f"), 4, read));
    EXPECT_EQ(read.bytes, "a\r\nb");
    EXPECT_FALSE(gorvandel::checkReplaceable(read));
    EXPECT_EQ(gorvandel::readFile(at(folder / "f"), 3, read), std::errc::file_too_large);
    EXPECT_EQ(gorvandel::readFile(at(folder / "missing"), 3, read), std::errc::no_such_file_or_directory);
}

TEST(Files, ReplacesAFileWholeOrNotAtAll)
{
    const TemporaryFolder folder;
    const FilePlace file = at(folder / "f");
    const FilePlace temporary = gorvandel::placeBeside(file, ".tmp");
    EXPECT_FALSE(gorvandel::replaceFile(file, "first", temporary));
    EXPECT_FALSE(gorvandel::replaceFile(file, "second", temporary));
    EXPECT_EQ(contentsOf(folder / "f"), "second");
    EXPECT_FALSE(fs::exists(folder / "f.tmp"));

    // Whatever stands at the temporary name is not written through.
    write(folder / "f.tmp", "someone's");
    EXPECT_EQ(gorvandel::replaceFile(file, "third", temporary), std::errc::file_exists);
    EXPECT_EQ(contentsOf(folder / "f"), "second");
    EXPECT_EQ(contentsOf(folder / "f.tmp"), "someone's");

    EXPECT_EQ(gorvandel::checkCanCreate(file), std::errc::file_exists);
    EXPECT_FALSE(gorvandel::checkCanCreate(at(folder / "new")));
    EXPECT_FALSE(fs::exists(folder / "new"));
}

TEST(Files, ALockIsHeldForTheRestOfTheRun)
{
    const TemporaryFolder folder;
    const gorvandel::RunLock lock = gorvandel::lockForThisRun(at(folder / "l"));
    ASSERT_TRUE(lock) << lock.error.message();
    EXPECT_FALSE(lock.identity.empty());
    EXPECT_EQ(gorvandel::lockForThisRun(at(folder / "l")).error, FileRefusal::InUse);
    EXPECT_TRUE(gorvandel::lockForThisRun(at(folder / "m")));

    // A lock held while work runs, and let go after it.
    int runs = 0;
    const auto work = [&runs](const std::string& identity) { runs += identity.empty() ? 0 : 1; };
    const std::chrono::milliseconds moment(50);
    EXPECT_EQ(gorvandel::whileLocked(at(folder / "l"), moment, work), FileRefusal::InUse);
    EXPECT_FALSE(gorvandel::whileLocked(at(folder / "n"), moment, work));
    EXPECT_FALSE(gorvandel::whileLocked(at(folder / "n"), moment, work));
    EXPECT_EQ(runs, 2);
}

#ifdef _WIN32
// Names in any language reach the file system as given; a replaced file keeps its attributes.
TEST(Files, WindowsNamesAnyFileAndKeepsWhatAReplacedFileHad)
{
    const TemporaryFolder folder;
    const std::string file = (folder.path / fs::u8path("Jos\xC3\xA9")).string() + "\\\xE6\x97\xA5\xE6\x9C\xAC.memory";
    fs::create_directory(folder.path / fs::u8path("Jos\xC3\xA9"));
    const FilePlace place = at(file);
    EXPECT_FALSE(gorvandel::replaceFile(place, "first", gorvandel::temporaryBeside(place, "1")));
    const std::wstring wide = (folder.path / fs::u8path("Jos\xC3\xA9/\xE6\x97\xA5\xE6\x9C\xAC.memory")).wstring();
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(gorvandel::replaceFile(place, "second", gorvandel::temporaryBeside(place, "1")));
    EXPECT_NE(GetFileAttributesW(wide.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    // Found again, the file's final path names the same file.
    FileContents read;
    EXPECT_FALSE(gorvandel::readFile(at(file), 9, read)) << at(file).path;
    EXPECT_EQ(read.bytes, "second");
}
#else
TEST(Files, PosixFilesKeepTheirModeAndLinksAreFollowedOnlyToTheFile)
{
    const TemporaryFolder folder;
    const FilePlace file = at(folder / "f");
    const FilePlace temporary = gorvandel::temporaryBeside(file, "1");
    EXPECT_FALSE(gorvandel::replaceFile(file, "new", temporary));
    EXPECT_EQ(fs::status(folder / "f").permissions(), fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(folder / "f", fs::perms::group_read, fs::perm_options::add);
    EXPECT_FALSE(gorvandel::replaceFile(file, "again", temporary));
    EXPECT_EQ(fs::status(folder / "f").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // A link left at the temporary name leads nowhere it could write.
    fs::create_symlink(folder / "victim", folder / "f.tmp-1");
    EXPECT_EQ(gorvandel::replaceFile(file, "x", temporary), std::errc::file_exists);
    EXPECT_FALSE(fs::exists(folder / "victim"));

    fs::create_symlink("f", folder / "near");
    fs::create_symlink(folder / "near", folder / "far");
    fs::create_symlink("nowhere", folder / "dangling");
    fs::create_directory_symlink(folder.path, folder / "here");
    EXPECT_EQ(at(folder / "far").path, folder / "f");
    EXPECT_EQ(at(folder / "here/../" + folder.path.filename().string() + "/here/far").path, folder / "f");
    EXPECT_EQ(at(folder / "dangling").path, folder / "nowhere");
    FileContents read;
    EXPECT_EQ(gorvandel::readFile(FilePlace{file.folder, "far", ""}, 9, read),
              std::errc::too_many_symbolic_link_levels);
    FilePlace place;
    EXPECT_EQ(gorvandel::findFile(folder / "missing/f", place), std::errc::no_such_file_or_directory);
    EXPECT_EQ(gorvandel::findFile(folder / "", place), std::errc::is_a_directory);
    EXPECT_EQ(gorvandel::findFile(folder / "f/", place), std::errc::not_a_directory);  // a slash names a folder

    fs::create_symlink("f", folder / "linked.lock");
    EXPECT_EQ(gorvandel::lockForThisRun(gorvandel::placeBeside(at(folder / "linked"), ".lock")).error,
              FileRefusal::LinkedLock);
    EXPECT_EQ(gorvandel::temporaryBeside(at(folder / std::string(250, 'x')), "123").path,
              folder / (std::string(247, 'x') + ".tmp-123"));
    // Cut before the two bytes of an e with an acute accent, not between them.
    EXPECT_EQ(gorvandel::temporaryBeside(at(folder / (std::string(246, 'x') + "\xC3\xA9")), "123").path,
              folder / (std::string(246, 'x') + ".tmp-123"));

    FilePlace made;
    EXPECT_FALSE(gorvandel::findFile(folder / "a/b/history", made, gorvandel::MissingFolders::Make));
    EXPECT_EQ(fs::status(folder / "a/b").permissions(), fs::perms::owner_all);
    // Five links in a row are followed too.
    for (const char* link : {"l1", "l2", "l3", "l4"}) {
        fs::create_symlink(std::string(link) == "l1" ? "far" : std::string("l") + char(link[1] - 1), folder / link);
    }
    EXPECT_EQ(at(folder / "l4").path, folder / "f");
}

// What was checked when the file was found is what a save uses: a folder on
// the way swapped later for a link to elsewhere leads nowhere.
TEST(Files, AFoundFileStaysInItsFolder)
{
    const TemporaryFolder folder;
    fs::create_directories(folder / "d");
    fs::create_directories(folder / "elsewhere");
    const FilePlace file = at(folder / "d/f");
    fs::rename(folder / "d", folder / "moved");
    fs::create_directory_symlink(folder / "elsewhere", folder / "d");
    EXPECT_FALSE(gorvandel::replaceFile(file, "saved", gorvandel::temporaryBeside(file, "1")));
    EXPECT_EQ(contentsOf(folder / "moved/f"), "saved");
    EXPECT_TRUE(fs::is_empty(folder / "elsewhere"));

    // A FIFO, or a lock file made under a strict umask, stalls or shuts out no one.
    ASSERT_EQ(::mkfifo((folder / "fifo.lock").c_str(), 0600), 0);
    EXPECT_EQ(gorvandel::lockForThisRun(gorvandel::placeBeside(at(folder / "fifo"), ".lock")).error,
              FileRefusal::NotRegularFile);
    const mode_t umask = ::umask(077);
    EXPECT_TRUE(gorvandel::lockForThisRun(at(folder / "strict.lock")));
    ::umask(umask);
    EXPECT_EQ(fs::status(folder / "strict.lock").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    // A lock file found there (perhaps someone's file linked there) is left as it is.
    write(folder / "found.lock", "");
    fs::permissions(folder / "found.lock", fs::perms::owner_read);
    EXPECT_TRUE(gorvandel::lockForThisRun(at(folder / "found.lock")));
    EXPECT_EQ(fs::status(folder / "found.lock").permissions(), fs::perms::owner_read);
    // A link put where the file was takes nothing of its target's owner or mode.
    fs::remove(folder / "moved/f");
    fs::create_symlink("/", folder / "moved/f");
    EXPECT_FALSE(gorvandel::replaceFile(file, "saved", gorvandel::temporaryBeside(file, "1")));
    EXPECT_EQ(fs::symlink_status(folder / "moved/f").permissions(), fs::perms::owner_read | fs::perms::owner_write);
}
#endif

}  // namespace
