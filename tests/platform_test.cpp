#include "platform.h"
#include "test_support.h"

#include <chrono>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

namespace fs = std::filesystem;
using gorvandel::FileContents;
using gorvandel::FileRefusal;

TEST(Platform, ReadsAWholeRegularFileAndTellsWhatASaveMustRespect)
{
    const TemporaryFolder folder;
    const std::string file = folder / "f";
    write(file, "a\r\nb");
    FileContents read;
    EXPECT_FALSE(gorvandel::readFile(file, 4, read));
    EXPECT_EQ(read.bytes, "a\r\nb");
    EXPECT_FALSE(gorvandel::checkReplaceable(read));

    EXPECT_EQ(gorvandel::readFile(file, 3, read), std::errc::file_too_large);
    EXPECT_EQ(gorvandel::readFile(folder / "missing", 3, read), std::errc::no_such_file_or_directory);
    EXPECT_EQ(gorvandel::readFile(folder / "missing/f", 3, read), std::errc::no_such_file_or_directory);
    EXPECT_EQ(gorvandel::readFile(folder / "", 3, read), std::errc::is_a_directory);
}

TEST(Platform, ReplacesAFileWholeOrNotAtAll)
{
    const TemporaryFolder folder;
    const std::string file = folder / "f";
    const std::string temporary = folder / "f.tmp";
    EXPECT_FALSE(gorvandel::replaceFile(file, "first", temporary));
    EXPECT_FALSE(gorvandel::replaceFile(file, "second", temporary));
    EXPECT_EQ(contentsOf(file), "second");
    EXPECT_FALSE(fs::exists(temporary));

    // Whatever stands at the temporary name is not written through.
    write(temporary, "someone's");
    EXPECT_EQ(gorvandel::replaceFile(file, "third", temporary), std::errc::file_exists);
    EXPECT_EQ(contentsOf(file), "second");
    EXPECT_EQ(contentsOf(temporary), "someone's");

    EXPECT_EQ(gorvandel::replaceFile(folder / "no/f", "x", folder / "no/f.tmp"), std::errc::no_such_file_or_directory);
    EXPECT_EQ(gorvandel::checkCanCreate(folder / "no/f"), std::errc::no_such_file_or_directory);
    EXPECT_EQ(gorvandel::checkCanCreate(file), std::errc::file_exists);
    EXPECT_FALSE(gorvandel::checkCanCreate(folder / "new"));
    EXPECT_FALSE(fs::exists(folder / "new"));
}

TEST(Platform, ALockIsHeldForTheRestOfTheRun)
{
    const TemporaryFolder folder;
    const gorvandel::RunLock lock = gorvandel::lockForThisRun(folder / "l");
    ASSERT_TRUE(lock) << lock.error.message();
    EXPECT_FALSE(lock.identity.empty());
    EXPECT_EQ(gorvandel::lockForThisRun(folder / "l").error, FileRefusal::InUse);
    EXPECT_TRUE(gorvandel::lockForThisRun(folder / "m"));

    // A lock held while work runs, and let go after it.
    int runs = 0;
    const auto work = [&runs](const std::string& identity) { runs += identity.empty() ? 0 : 1; };
    const std::chrono::milliseconds moment(50);
    EXPECT_EQ(gorvandel::whileLocked(folder / "l", moment, work), FileRefusal::InUse);
    EXPECT_FALSE(gorvandel::whileLocked(folder / "n", moment, work));
    EXPECT_FALSE(gorvandel::whileLocked(folder / "n", moment, work));
    EXPECT_EQ(runs, 2);
}

#ifdef _WIN32
// Names in any language reach the file system as given; a replaced file keeps its attributes.
TEST(Platform, WindowsNamesAnyFileAndKeepsWhatAReplacedFileHad)
{
    const TemporaryFolder folder;
    const std::string file = (folder.path / fs::u8path("Jos\xC3\xA9")).string() + "\\\xE6\x97\xA5\xE6\x9C\xAC.memory";
    EXPECT_EQ(gorvandel::replaceFile(file, "x", file + ".tmp"), std::errc::no_such_file_or_directory);
    fs::create_directory(folder.path / fs::u8path("Jos\xC3\xA9"));
    EXPECT_FALSE(gorvandel::replaceFile(file, "first", file + ".tmp"));
    EXPECT_TRUE(fs::exists(folder.path / fs::u8path("Jos\xC3\xA9/\xE6\x97\xA5\xE6\x9C\xAC.memory")));
    const std::wstring wide = (folder.path / fs::u8path("Jos\xC3\xA9/\xE6\x97\xA5\xE6\x9C\xAC.memory")).wstring();
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(gorvandel::replaceFile(file, "second", file + ".tmp"));
    EXPECT_NE(GetFileAttributesW(wide.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    FileContents read;
    EXPECT_FALSE(gorvandel::readFile(file, 9, read));
    EXPECT_EQ(read.bytes, "second");
    std::string followed;
    EXPECT_FALSE(gorvandel::followLinks(file, followed));
    EXPECT_FALSE(gorvandel::readFile(followed, 9, read)) << followed;  // the final path names the same file
    EXPECT_EQ(read.bytes, "second");
    EXPECT_FALSE(gorvandel::followLinks(folder / "missing", followed));
    EXPECT_EQ(followed, folder / "missing");
}
#else
TEST(Platform, PosixFilesKeepTheirModeAndLinksAreFollowedOnlyToTheFile)
{
    const TemporaryFolder folder;
    const std::string file = folder / "f";
    EXPECT_FALSE(gorvandel::replaceFile(file, "new", file + ".tmp"));
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(file, fs::perms::group_read, fs::perm_options::add);
    EXPECT_FALSE(gorvandel::replaceFile(file, "again", file + ".tmp"));
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // A link left at the temporary name leads nowhere it could write.
    fs::create_symlink(folder / "victim", file + ".tmp");
    EXPECT_EQ(gorvandel::replaceFile(file, "x", file + ".tmp"), std::errc::file_exists);
    EXPECT_FALSE(fs::exists(folder / "victim"));

    fs::create_symlink("f", folder / "near");
    fs::create_symlink(folder / "near", folder / "far");
    fs::create_symlink("nowhere", folder / "dangling");
    fs::create_directory_symlink(folder.path, folder / "here");
    const auto followed = [](const std::string& path) {
        std::string target;
        const std::error_code error = gorvandel::followLinks(path, target);
        return error ? error.message() : target;
    };
    EXPECT_EQ(followed(folder / "far"), file);
    EXPECT_EQ(followed(folder / "here/../" + folder.path.filename().string() + "/here/far"), file);
    EXPECT_EQ(followed(folder / "dangling"), folder / "nowhere");
    EXPECT_EQ(followed("./relative"), "./relative");
    FileContents read;
    EXPECT_EQ(gorvandel::readFile(folder / "far", 9, read), std::errc::too_many_symbolic_link_levels);

    fs::create_symlink("f", folder / "linked.lock");
    EXPECT_EQ(gorvandel::lockForThisRun(folder / "linked.lock").error, FileRefusal::LinkedLock);
    EXPECT_EQ(gorvandel::pathBeside(folder / std::string(250, 'x'), ".tmp-123"),
              folder / (std::string(247, 'x') + ".tmp-123"));
    // Cut before the two bytes of an e with an acute accent, not between them.
    EXPECT_EQ(gorvandel::pathBeside(folder / (std::string(246, 'x') + "\xC3\xA9"), ".tmp-123"),
              folder / (std::string(246, 'x') + ".tmp-123"));

    EXPECT_FALSE(gorvandel::makeParentFolders(folder / "a/b/history"));
    EXPECT_EQ(fs::status(folder / "a/b").permissions(), fs::perms::owner_all);
}

#endif

}  // namespace
