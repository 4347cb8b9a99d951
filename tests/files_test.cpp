#include "file_rules.h"
#include "files.h"
#include "test_support.h"

#include <chrono>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using gorvandel::FileLock;
using gorvandel::FilePlace;
using gorvandel::FileRefusal;
using namespace std::chrono_literals;

// The place of path, found as the program finds it.
FilePlace at(const std::string& path)
{
    FilePlace place;
    const std::error_code error = gorvandel::findFile(path, place);
    EXPECT_FALSE(error) << path << ": " << error.message();
    return place;
}

using Names = std::vector<std::string>;

TEST(Files, ReadsWholeOrJustTheEnd)
{
    const TemporaryFolder folder;
    write(folder / "f", "a\r\nb");
    std::string read;
    EXPECT_FALSE(gorvandel::readFile(at(folder / "f"), 4, read));
    EXPECT_EQ(read, "a\r\nb");
    EXPECT_EQ(gorvandel::readFile(at(folder / "f"), 3, read), std::errc::file_too_large);
    EXPECT_EQ(gorvandel::readFile(at(folder / "missing"), 3, read), std::errc::no_such_file_or_directory);

#ifndef _WIN32  // the history's reads and appends, which Windows never keeps
    bool more = false;
    write(folder / "lines", "1\n2\n3\n");
    EXPECT_FALSE(gorvandel::readFileEnd(at(folder / "lines"), 2, 9, read, more));
    EXPECT_TRUE(read == "2\n3\n" && more) << read;
    EXPECT_FALSE(gorvandel::readFileEnd(at(folder / "lines"), 3, 6, read, more));
    EXPECT_TRUE(read == "1\n2\n3\n" && !more) << read;
    // Only lines that start in the last bytes asked for.
    EXPECT_FALSE(gorvandel::readFileEnd(at(folder / "lines"), 3, 4, read, more));
    EXPECT_TRUE(read == "2\n3\n" && more) << read;
    write(folder / "word", "word");
    EXPECT_FALSE(gorvandel::readFileEnd(at(folder / "word"), 3, 2, read, more));
    EXPECT_EQ(read, "");
    // After a gigabyte of nothing, a line longer than a first step: read back in steps, as far as asked.
    {
        std::ofstream sparse(folder / "long", std::ios::binary);
        sparse.seekp(1 << 30);
        sparse << "\n" << std::string(100000, 'y') << "\nlast";
    }
    EXPECT_FALSE(gorvandel::readFileEnd(at(folder / "long"), 3, 1 << 20, read, more));
    EXPECT_TRUE(read == std::string(100000, 'y') + "\nlast" && more) << read.size();
#endif
}

TEST(Files, ASaveReplacesTheFileWholeAndLeavesNothingBeside)
{
    const TemporaryFolder folder;
    const FilePlace file = at(folder / "f");
    // Another user's files under names like the temporary file's never stand in the way.
    for (const char* squatted : {"f.tmp-0", "f.tmp-a", "f.tmp-zzzzzzzzzzzz"}) {
        fs::create_directory(folder / squatted);
    }
    EXPECT_FALSE(gorvandel::replaceFile(file, "first"));
    EXPECT_FALSE(gorvandel::replaceFile(file, "second"));
    EXPECT_EQ(contentsOf(folder / "f"), "second");
    EXPECT_EQ(namesOf(folder.path), (Names{"f", "f.tmp-0", "f.tmp-a", "f.tmp-zzzzzzzzzzzz"}));
    // Nor does a file put at the very name that comes next: the new one is made new, under another name.
    gorvandel::restartTemporarySuffixes(7);
    const std::string next = "f.tmp-" + gorvandel::temporarySuffix();
    gorvandel::restartTemporarySuffixes(7);
    write(folder / next, "someone's");
    EXPECT_FALSE(gorvandel::replaceFile(file, "third"));
    EXPECT_EQ(contentsOf(folder / "f"), "third");
    EXPECT_EQ(contentsOf(folder / next), "someone's");
    fs::remove(folder / next);

    EXPECT_FALSE(gorvandel::checkCanSave(file));
    EXPECT_EQ(namesOf(folder.path).size(), 4u);
#ifndef _WIN32
    // Nothing is appended to a file with other names, which a replace would part from them.
    fs::create_hard_link(folder / "f", folder / "other name");
    EXPECT_EQ(gorvandel::appendLines(file, "x\n"), FileRefusal::OtherNames);
    EXPECT_EQ(contentsOf(folder / "f"), "third");
#endif
    fs::remove_all(folder.path);
    EXPECT_EQ(gorvandel::checkCanSave(file), std::errc::no_such_file_or_directory);
}

TEST(Files, ALockIsHeldWhileItLivesAndMadeOnlyBesideAFileToKeep)
{
    const TemporaryFolder folder;
    FileLock lock;
    ASSERT_FALSE(FileLock::take(at(folder / "m"), 0ms, lock));
    EXPECT_TRUE(lock.stillOurs());
    FileLock second;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(FileLock::take(at(folder / "m"), 100ms, second), FileRefusal::InUse);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms);  // it waited for the other to let go
    FileLock moved = std::move(lock);
    EXPECT_TRUE(moved.stillOurs());
    // A refused start removes the lock it made, and only that.
    moved.releaseAndRemoveIfMade();
    EXPECT_FALSE(fs::exists(folder / "m.lock"));
    write(folder / "found.lock", "");
    ASSERT_FALSE(FileLock::take(at(folder / "found"), 0ms, second));
    second.releaseAndRemoveIfMade();
    EXPECT_TRUE(fs::exists(folder / "found.lock"));

    fs::create_directory(folder / "d");
    EXPECT_EQ(FileLock::take(at(folder / "d"), 0ms, second), std::errc::is_a_directory);
    EXPECT_EQ(namesOf(folder.path), (Names{"d", "found.lock"}));
}

TEST(Files, LeftoversOfASaveAreTakenBackOrRemoved)
{
    const TemporaryFolder folder;
    const auto whole = [](const std::string& bytes) { return bytes.rfind("whole", 0) == 0; };
    const FilePlace file = at(folder / "m");
    write(folder / "m.tmp-1", "whole, older");
    fs::last_write_time(folder / "m.tmp-1", fs::last_write_time(folder / "m.tmp-1") - 1h);
    write(folder / "m.tmp-2", "whole, newest");
    write(folder / "m.tmp-3", "torn");
    fs::last_write_time(folder / "m.tmp-3", fs::last_write_time(folder / "m.tmp-3") + 1h);
    write(folder / "m.tmp-x.y", "not a leftover");

    std::string path, bytes;
    ASSERT_TRUE(gorvandel::newestLeftover(file, whole, path, bytes));  // a look takes nothing
    EXPECT_EQ(path, folder / "m.tmp-2");
    EXPECT_EQ(bytes, "whole, newest");
    EXPECT_EQ(namesOf(folder.path).size(), 4u);

    std::string taken;
    EXPECT_FALSE(gorvandel::recoverLeftovers(file, whole, taken));
    EXPECT_EQ(taken, folder / "m.tmp-2");
    EXPECT_EQ(contentsOf(folder / "m"), "whole, newest");
    EXPECT_EQ(namesOf(folder.path), (Names{"m", "m.tmp-x.y"}));
    EXPECT_FALSE(gorvandel::newestLeftover(file, whole, path, bytes));  // the file stands

    // With no whole one beside a missing file, a torn one may be all there is: it stays.
    write(folder / "n.tmp-1", "torn");
    EXPECT_FALSE(gorvandel::recoverLeftovers(at(folder / "n"), whole, taken));
    EXPECT_TRUE(fs::exists(folder / "n.tmp-1"));
}

#ifdef _WIN32
// A replaced file keeps its attributes, and a held lock cannot go (names in any language: windows.sh).
TEST(Files, WindowsKeepsWhatAReplacedFileHadAndItsLock)
{
    const TemporaryFolder folder;
    const FilePlace place = at(folder / "m");
    EXPECT_FALSE(gorvandel::replaceFile(place, "first"));
    const std::wstring wide = (folder.path / "m").wstring();
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(gorvandel::replaceFile(place, "second"));
    EXPECT_NE(GetFileAttributesW(wide.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(contentsOf(folder / "m"), "second");
    FileLock lock;
    ASSERT_FALSE(FileLock::take(place, 0ms, lock));
    EXPECT_FALSE(DeleteFileW((wide + L".lock").c_str()));
}

#else
TEST(Files, PosixSavesKeepTheModeAndLinksAreFollowedOnlyToTheFile)
{
    const TemporaryFolder folder;
    const FilePlace file = at(folder / "f");
    EXPECT_FALSE(gorvandel::replaceFile(file, "new"));
    EXPECT_EQ(fs::status(folder / "f").permissions(), fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(folder / "f", fs::perms::group_read, fs::perm_options::add);
    EXPECT_FALSE(gorvandel::replaceFile(file, "again"));
    EXPECT_EQ(fs::status(folder / "f").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    // So does an access list (owner rw-, user 65534 rw-, group ---, mask rw-, others ---), whose mask the group
    // bits show: alone, they would give the group what the list gave user 65534.
    const std::string list("\2\0\0\0\1\0\6\0\xFF\xFF\xFF\xFF\2\0\6\0\xFE\xFF\0\0\4\0\0\0\xFF\xFF\xFF\xFF"
                           "\20\0\6\0\xFF\xFF\xFF\xFF\40\0\0\0\xFF\xFF\xFF\xFF", 44);
    std::string kept(64, '\0');
    if (::setxattr((folder / "f").c_str(), "system.posix_acl_access", list.data(), list.size(), 0) == 0) {
        EXPECT_FALSE(gorvandel::replaceFile(file, "again"));
        kept.resize(::getxattr((folder / "f").c_str(), "system.posix_acl_access", kept.data(), 64) == 44 ? 44 : 0);
        EXPECT_EQ(kept, list);
    }

    fs::create_symlink("f", folder / "near");
    fs::create_symlink(folder / "near", folder / "far");
    fs::create_symlink("nowhere", folder / "dangling");
    fs::create_directory_symlink(folder.path, folder / "here");
    EXPECT_EQ(at(folder / "far").path, folder / "f");
    EXPECT_EQ(at(folder / "here/../" + folder.path.filename().string() + "/here/far").path, folder / "f");
    EXPECT_EQ(at(folder / "dangling").path, folder / "nowhere");
    fs::create_symlink(folder / "here/", folder / "slashed");  // a link to a folder, spelled with its slash
    EXPECT_EQ(at(folder / "slashed/f").path, folder / "f");
    std::string read;
    EXPECT_EQ(gorvandel::readFile(gorvandel::placeBeside(file, "far"), 9, read),
              std::errc::too_many_symbolic_link_levels);
    EXPECT_EQ(gorvandel::checkKeepable(gorvandel::placeBeside(file, "far")), FileRefusal::NotRegularFile);
    FilePlace place;
    EXPECT_EQ(gorvandel::findFile(folder / "missing/f", place), std::errc::no_such_file_or_directory);
    EXPECT_EQ(gorvandel::findFile(folder / "", place), std::errc::is_a_directory);
    EXPECT_EQ(gorvandel::findFile(folder / "f/", place), std::errc::not_a_directory);  // a slash names a folder
    // Nothing is appended through a link either.
    EXPECT_EQ(gorvandel::appendLines(gorvandel::placeBeside(file, "near"), "x"), FileRefusal::NotRegularFile);
    EXPECT_EQ(contentsOf(folder / "f"), "again");
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
    EXPECT_FALSE(gorvandel::replaceFile(file, "saved"));
    EXPECT_EQ(contentsOf(folder / "moved/f"), "saved");
    EXPECT_TRUE(fs::is_empty(folder / "elsewhere"));
}

TEST(Files, PosixLocksNeverGoThroughALinkAndTellWhenTheyAreGone)
{
    const TemporaryFolder folder;
    FileLock lock;
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(FileLock::take(at(folder / "fifo"), 0ms, lock), FileRefusal::NotRegularFile);
    EXPECT_FALSE(fs::exists(folder / "fifo.lock"));
    fs::create_symlink("f", folder / "linked.lock");
    EXPECT_EQ(FileLock::take(at(folder / "linked"), 0ms, lock), FileRefusal::LinkedLock);
    const mode_t umask = ::umask(077);
    ASSERT_FALSE(FileLock::take(at(folder / "strict"), 0ms, lock));
    ::umask(umask);
    EXPECT_EQ(fs::status(folder / "strict.lock").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    fs::rename(folder / "fifo", folder / "strict.lock");  // replaced
    EXPECT_FALSE(lock.stillOurs());
    ASSERT_FALSE(FileLock::take(at(folder / "removed"), 0ms, lock));
    fs::remove(folder / "removed.lock");
    EXPECT_FALSE(lock.stillOurs());
    ASSERT_FALSE(FileLock::take(at(folder / "moved"), 0ms, lock));
    fs::rename(folder / "moved.lock", folder / "elsewhere");  // a name left, but not the lock's
    EXPECT_FALSE(lock.stillOurs());
}

// Root keeps a user's file theirs, gives what it makes in a user's folder to
// that user, and follows no link but root's. As any other user, another
// user's file is never written.
TEST(Files, OwnersAsRootAndAsAUser)
{
    const TemporaryFolder folder;
    std::string read;
    if (::geteuid() != 0) {
        EXPECT_EQ(gorvandel::checkKeepable(at("/etc/passwd")), FileRefusal::OtherUsersFile);
        // A folder this user may write but not read cannot be flushed after a save: found out before one.
        fs::permissions(folder.path, fs::perms::owner_read, fs::perm_options::remove);
        EXPECT_EQ(gorvandel::checkCanSave(at(folder / "m")), std::errc::permission_denied);
        fs::permissions(folder.path, fs::perms::owner_read, fs::perm_options::add);
        GTEST_SKIP() << "the rest needs root";
    }
    constexpr uid_t NOBODY = 65534;
    fs::create_directory(folder / "home");
    ASSERT_EQ(::chown((folder / "home").c_str(), NOBODY, NOBODY), 0);
    FilePlace place;
    ASSERT_FALSE(gorvandel::findFile(folder / "home/state/history", place, gorvandel::MissingFolders::Make));
    EXPECT_FALSE(gorvandel::appendLines(place, "root's\n"));
    FileLock lock;
    ASSERT_FALSE(FileLock::take(at(folder / "home/m"), 0ms, lock));
    EXPECT_FALSE(gorvandel::replaceFile(at(folder / "home/m"), "new"));
    for (const char* made : {"home/state", "home/state/history", "home/m.lock", "home/m"}) {
        struct stat status {};
        ASSERT_EQ(::stat((folder / made).c_str(), &status), 0);
        EXPECT_EQ(status.st_uid, NOBODY) << made;
    }
    ASSERT_EQ(::chmod((folder / "home/m").c_str(), 0640), 0);
    EXPECT_FALSE(gorvandel::checkKeepable(at(folder / "home/m")));
    EXPECT_FALSE(gorvandel::replaceFile(at(folder / "home/m"), "again"));
    EXPECT_EQ(fs::status(folder / "home/m").permissions(), fs::perms::owner_read | fs::perms::owner_write |
                                                                 fs::perms::group_read);

    fs::create_directory_symlink(folder / "home", folder / "flip");
    fs::create_directory_symlink(folder.path, folder / "flop");
    ASSERT_EQ(::lchown((folder / "flop").c_str(), NOBODY, NOBODY), 0);
    EXPECT_EQ(at(folder / "flip/m").path, folder / "home/m");
    EXPECT_EQ(gorvandel::findFile(folder / "flop/m", place), FileRefusal::ForeignLink);
    // Nor is the other user's link followed when it is swapped in for root's at any moment.
    std::thread swapping([&] {
        for (int swap = 0; swap < 40000; ++swap) {
            ::renameat2(AT_FDCWD, (folder / "flip").c_str(), AT_FDCWD, (folder / "flop").c_str(), RENAME_EXCHANGE);
        }
    });
    int crossed = 0;
    for (int walk = 0; walk < 20000; ++walk) {
        crossed += !gorvandel::findFile(folder / "flip/m", place) && place.path != folder / "home/m";
    }
    swapping.join();
    EXPECT_EQ(crossed, 0);

    // Leftovers of another user's are not the program's to take or remove.
    write(folder / "home/m.tmp-1", "whole");
    ASSERT_EQ(::chown((folder / "home/m.tmp-1").c_str(), 0, 0), 0);
    EXPECT_FALSE(gorvandel::recoverLeftovers(at(folder / "home/m"), [](const std::string&) { return true; }, read));
    EXPECT_TRUE(fs::exists(folder / "home/m.tmp-1"));
}

// Append-only or immutable, a file or its folder refuses a save.
TEST(Files, UnchangeableFilesAndFoldersAreRefused)
{
    const TemporaryFolder folder;
    const auto mark = [](const std::string& path, const char* how) {
        return std::system(("chattr " + std::string(how) + " '" + path + "' 2>/dev/null").c_str()) == 0;
    };
    write(folder / "f", "");
    if (!mark(folder / "f", "+a")) {
        GTEST_SKIP() << "marking a file append-only needs root and a file system that keeps the mark";
    }
    EXPECT_EQ(gorvandel::checkKeepable(at(folder / "f")), FileRefusal::Unchangeable);
    ASSERT_TRUE(mark(folder / "f", "-a +i"));
    EXPECT_EQ(gorvandel::checkKeepable(at(folder / "f")), FileRefusal::Unchangeable);
    ASSERT_TRUE(mark(folder / "f", "-i") && mark(folder.path, "+a"));
    EXPECT_EQ(gorvandel::checkKeepable(at(folder / "f")), FileRefusal::FolderUnchangeable);
    ASSERT_TRUE(mark(folder.path, "-a"));
}
#endif

}  // namespace
