#include "platform.h"
#include "test_support.h"

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

    fs::create_hard_link(file, folder / "g");
    EXPECT_FALSE(gorvandel::readFile(file, 4, read));
    EXPECT_EQ(gorvandel::checkReplaceable(read), FileRefusal::OtherNames);
    fs::remove(folder / "g");
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_FALSE(gorvandel::readFile(file, 4, read));
    EXPECT_EQ(gorvandel::checkReplaceable(read), FileRefusal::ReadOnly);
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
}

#ifndef _WIN32
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
    EXPECT_EQ(gorvandel::followedPath(folder / "far"), file);
    EXPECT_EQ(gorvandel::followedPath(folder / "dangling"), folder / "nowhere");
    EXPECT_EQ(gorvandel::followedPath("relative"), "relative");

    fs::create_symlink("f", folder / "linked.lock");
    EXPECT_EQ(gorvandel::lockForThisRun(folder / "linked.lock").error, std::errc::too_many_symbolic_link_levels);

    EXPECT_FALSE(gorvandel::makeParentFolders(folder / "a/b/history"));
    EXPECT_EQ(fs::status(folder / "a/b").permissions(), fs::perms::owner_all);
}
#endif

}  // namespace
