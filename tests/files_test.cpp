#include "file_rules.h"
#include "files.h"
#include "test_support.h"

#include <chrono>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include "posix_files.h"

#include <csignal>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <sys/uio.h>
#include <sys/wait.h>
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

TEST(Files, AFileIsReadWholeUpToALimitAndASaveReplacesItWholeLeavingNothingBeside)
{
    const TemporaryFolder folder;
    const FilePlace file = at(folder / "f");
    // The history's end alone: history_test.
    write(folder / "f", "a\r\nb");
    std::string read;
    EXPECT_TRUE(!gorvandel::readFile(file, 4, read) && read == "a\r\nb");
    EXPECT_EQ(gorvandel::readFile(file, 3, read), std::errc::file_too_large);
    EXPECT_EQ(gorvandel::readFile(at(folder / "missing"), 3, read), std::errc::no_such_file_or_directory);
    // Another user's files under names like the temporary file's never stand in the way.
    for (const char* squatted : {"f.tmp-0", "f.tmp-a", "f.tmp-zzzzzzzzzzzz"}) {
        fs::create_directory(folder / squatted);
    }
    EXPECT_TRUE(!gorvandel::replaceFile(file, "first") && !gorvandel::replaceFile(file, "second"));
    EXPECT_EQ(contentsOf(folder / "f"), "second");
    EXPECT_EQ(namesOf(folder.path), (Names{"f", "f.tmp-0", "f.tmp-a", "f.tmp-zzzzzzzzzzzz"}));
    // Nor does a file put at the very name that comes next: the new one is made new, under another name.
    gorvandel::restartTemporarySuffixes(7);
    const std::string next = "f.tmp-" + gorvandel::temporarySuffix();
    gorvandel::restartTemporarySuffixes(7);
    write(folder / next, "someone's");
    EXPECT_TRUE(!gorvandel::replaceFile(file, "third") && contentsOf(folder / "f") == "third");
    EXPECT_EQ(contentsOf(folder / next), "someone's");
    fs::remove(folder / next);
    EXPECT_TRUE(!gorvandel::checkCanSave(file) && namesOf(folder.path).size() == 4u);
    // A file with other names, which a replace would part from them, is refused; nothing is appended to one.
    fs::create_hard_link(folder / "f", folder / "other name");
    EXPECT_EQ(gorvandel::checkKeepable(file), FileRefusal::OtherNames);
#ifndef _WIN32
    EXPECT_TRUE(gorvandel::appendLines(file, "x\n") == FileRefusal::OtherNames && contentsOf(folder / "f") == "third");
#endif
    fs::remove_all(folder.path);
    EXPECT_EQ(gorvandel::checkCanSave(file), std::errc::no_such_file_or_directory);
}

TEST(Files, ALockIsHeldWhileItLivesAndMadeOnlyBesideAFileToKeep)
{
    const TemporaryFolder folder;
    FileLock lock;
    ASSERT_TRUE(!FileLock::take(at(folder / "m"), 0ms, lock) && lock.stillOurs());
    FileLock second;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(FileLock::take(at(folder / "m"), 100ms, second), FileRefusal::InUse);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms);  // it waited for the other to let go
    // A refused start removes the lock it made, and only that.
    lock.releaseAndRemoveIfMade();
    write(folder / "found.lock", "");
    ASSERT_FALSE(FileLock::take(at(folder / "found"), 0ms, second));
    second.releaseAndRemoveIfMade();
    fs::create_directory(folder / "d");
    EXPECT_EQ(FileLock::take(at(folder / "d"), 0ms, second), std::errc::is_a_directory);
    EXPECT_EQ(namesOf(folder.path), (Names{"d", "found.lock"}));
}

TEST(Files, OnlyTheProgramsOwnLeftoversAreTakenBackOrRemoved)
{
    const TemporaryFolder folder;
    const auto whole = [](const std::string& bytes) { return bytes.rfind("whole", 0) == 0; };
    // Newest first. Beside a history only the name decides, and only the program's form of today.
    const std::vector<std::pair<std::string, std::string>> files{{"m.tmp-torn00000000", "torn"},
                                                                 {"m.tmp-abcdefghijkl", "whole"},
                                                                 {"m.tmp-12345", "whole"},
                                                                 {"m.tmp-0123456789abc", "whole"},
                                                                 {"h", ""},
                                                                 {"h.tmp-abcdefghijkl", "cut"},
                                                                 {"h.tmp-2024", "mine"}};
    for (std::size_t age = 0; age < files.size(); ++age) {
        write(folder / files[age].first, files[age].second);
        fs::last_write_time(folder / files[age].first,
                            fs::last_write_time(folder / files[age].first) - std::chrono::hours(age));
    }
    const FilePlace m = at(folder / "m");
    std::string path, bytes, taken;  // a look takes nothing
    EXPECT_TRUE(gorvandel::newestLeftover(m, whole, path, bytes) && !gorvandel::recoverLeftovers(m, whole, taken));
    EXPECT_TRUE(path == folder / files[1].first && taken == path && !gorvandel::newestLeftover(m, whole, path, bytes));
    Names left{"h", "h.tmp-2024", "m", "m.tmp-0123456789abc", "m.tmp-torn00000000"};
#ifndef _WIN32
    fs::create_symlink("h", folder / "h.tmp-00000000link");  // a link is no save's
    left.insert(left.begin() + 1, "h.tmp-00000000link");
#endif
    EXPECT_FALSE(gorvandel::recoverLeftovers(at(folder / "h"), gorvandel::IsWhole(), taken));
    EXPECT_EQ(namesOf(folder.path), left);
#ifndef _WIN32
    // A name cut to leave room for the suffix finds its leftovers under the cut name.
    const std::string cut(250, 'c'), cutLeftover = gorvandel::temporaryPrefix(cut, 255) + "abcdefghijkl";
    write(folder / cutLeftover, "whole");
    EXPECT_TRUE(!gorvandel::recoverLeftovers(at(folder / cut), whole, taken) && taken == folder / cutLeftover);
#endif
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
std::string saved;                             // the name a save puts its file at
std::vector<std::pair<ino_t, ino_t>> flushed;  // what fsync flushed, and what then stood at that name
std::size_t failingFlush = 0;                  // the one of them, from 1, that fails as a disk's fault would
bool accessListUnread = false;                 // fgetxattr then fails as a disk's fault would
bool writesFail = false;                       // writev then fails as a full disk would

}  // namespace

extern "C" ssize_t writev(int fd, const iovec* pieces, int count)
{
    return writesFail ? (errno = ENOSPC, -1) : ::syscall(SYS_writev, fd, pieces, count);
}

extern "C" ssize_t fgetxattr(int fd, const char* name, void* value, size_t size)
{
    return accessListUnread ? (errno = EIO, -1) : ::syscall(SYS_fgetxattr, fd, name, value, size);
}

extern "C" int fsync(int fd)
{
    struct stat status {};
    struct stat named {};
    flushed.emplace_back(::fstat(fd, &status) == 0 ? status.st_ino : 0,
                         ::stat(saved.c_str(), &named) == 0 ? named.st_ino : 0);
    return flushed.size() == failingFlush ? (errno = EIO, -1) : static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace {

// A power cut leaves the old file or the new: its bytes are flushed before the rename, its folder after it.
TEST(Files, ASaveFlushesTheNewFileAndThenItsFolder)
{
    const TemporaryFolder folder;
    flushed.clear();
    saved = folder / "f";
    ASSERT_FALSE(gorvandel::replaceFile(at(saved), "x"));
    struct stat file {};
    struct stat held {};
    ASSERT_TRUE(::stat(saved.c_str(), &file) == 0 && ::stat(folder.path.c_str(), &held) == 0);
    EXPECT_EQ(flushed, (std::vector<std::pair<ino_t, ino_t>>{{file.st_ino, 0}, {held.st_ino, file.st_ino}}));
    for (failingFlush = 1; failingFlush <= 2; ++failingFlush) {  // either flush failing fails the save
        flushed.clear();
        EXPECT_EQ(gorvandel::replaceFile(at(saved), "y"), std::errc::io_error) << failingFlush;
    }
    failingFlush = 0;
    EXPECT_EQ(namesOf(folder.path), (Names{"f"}));
}

TEST(Files, PosixSavesKeepTheModeAndLinksAreFollowedOnlyToTheFile)
{
    const TemporaryFolder folder;
    const FilePlace file = at(folder / "f");
    const fs::perms mine = fs::perms::owner_read | fs::perms::owner_write, shown = mine | fs::perms::group_read;
    const mode_t umask = ::umask(0277);  // a new file is its maker's to read and write, whatever the umask
    EXPECT_FALSE(gorvandel::replaceFile(file, "new"));
    ::umask(umask);
    EXPECT_EQ(fs::status(folder / "f").permissions(), mine);
    fs::permissions(folder / "f", shown);
    EXPECT_TRUE(!gorvandel::replaceFile(file, "again") && fs::status(folder / "f").permissions() == shown);
    // So does an access list (owner rw-, user 65534 rw-, group ---, mask rw-, others ---), its mask in the group bits.
    const std::string list("\2\0\0\0\1\0\6\0\xFF\xFF\xFF\xFF\2\0\6\0\xFE\xFF\0\0\4\0\0\0\xFF\xFF\xFF\xFF"
                           "\20\0\6\0\xFF\xFF\xFF\xFF\40\0\0\0\xFF\xFF\xFF\xFF",
                           44);
    std::string kept(64, '\0');
    if (::setxattr((folder / "f").c_str(), "system.posix_acl_access", list.data(), list.size(), 0) == 0) {
        accessListUnread = true;  // a list not read fails the save rather than widen who may use the file
        EXPECT_EQ(gorvandel::replaceFile(file, "lost"), std::errc::io_error);
        accessListUnread = false;
        EXPECT_FALSE(gorvandel::replaceFile(file, "again"));
        kept.resize(::getxattr((folder / "f").c_str(), "system.posix_acl_access", kept.data(), 64) == 44 ? 44 : 0);
        EXPECT_EQ(kept, list);
        // A file with none gets none, though the folder's default list would give it one.
        write(folder / "g", "old");
        fs::permissions(folder / "g", shown);
        ASSERT_EQ(::setxattr(folder.path.c_str(), "system.posix_acl_default", list.data(), list.size(), 0), 0);
        EXPECT_FALSE(gorvandel::replaceFile(at(folder / "g"), "new"));
        EXPECT_LT(::getxattr((folder / "g").c_str(), "system.posix_acl_access", kept.data(), 64), 0);
        EXPECT_EQ(fs::status(folder / "g").permissions(), shown);
        // A list that cannot be read, here for want of a descriptor, fails the save: nothing is replaced.
        const pid_t child = fork();
        if (child == 0) {
            int fd = 0;
            for (int free = 0; free < 3; free += ::fcntl(fd++, F_GETFD) < 0) {
            }
            const rlimit limit{static_cast<rlim_t>(fd - 1), static_cast<rlim_t>(fd - 1)};
            // Nothing more is done here: with no descriptor to spare, a sanitizer's own checks fail.
            _exit(::setrlimit(RLIMIT_NOFILE, &limit) == 0 && gorvandel::replaceFile(file, "lost") ? 0 : 1);
        }
        int status = -1;
        EXPECT_TRUE(::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0);
        EXPECT_TRUE(contentsOf(folder / "f") == "again" && namesOf(folder.path).size() == 2);
    }

    fs::create_symlink("f", folder / "near");
    fs::create_symlink(folder / "near", folder / "far");
    fs::create_symlink("nowhere", folder / "dangling");
    fs::create_directory_symlink(folder.path, folder / "here");
    EXPECT_EQ(at(folder / "far").path, folder / "f");
    EXPECT_EQ(at(folder / "here/../" + folder.path.filename().string() + "/here/far").path, folder / "f");
    EXPECT_EQ(at(folder / "dangling").path, folder / "nowhere");
    std::string read;
    EXPECT_EQ(gorvandel::readFile(gorvandel::placeBeside(file, "far"), 9, read), FileRefusal::NotRegularFile);
    EXPECT_EQ(gorvandel::checkKeepable(gorvandel::placeBeside(file, "far")), FileRefusal::NotRegularFile);
    FilePlace place;
    EXPECT_EQ(gorvandel::findFile(folder / "missing/f", place), std::errc::no_such_file_or_directory);
    EXPECT_EQ(gorvandel::findFile(folder / "", place), std::errc::is_a_directory);
    EXPECT_EQ(gorvandel::findFile(folder / "f/", place), std::errc::not_a_directory);  // a slash names a folder
    fs::create_symlink("f/", folder / "slashed");
    EXPECT_EQ(gorvandel::findFile(folder / "slashed", place), std::errc::not_a_directory);
    fs::create_symlink("loop", folder / "loop");
    EXPECT_EQ(gorvandel::findFile(folder / "loop", place), std::errc::too_many_symbolic_link_levels);
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
    const mode_t umask = ::umask(077);
    ASSERT_FALSE(FileLock::take(at(folder / "strict"), 0ms, lock));
    ::umask(umask);
    EXPECT_EQ(fs::status(folder / "strict.lock").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    fs::rename(folder / "fifo", folder / "strict.lock");  // replaced
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
        // A leftover this user cannot read is not taken for an empty one, which beside a whole file would go.
        write(folder / "m", "");
        write(folder / "m.tmp-abcdefghijkl", "mine");
        fs::permissions(folder / "m.tmp-abcdefghijkl", fs::perms::none);
        EXPECT_FALSE(gorvandel::recoverLeftovers(
            at(folder / "m"), [](const std::string&) { return false; }, read));
        EXPECT_TRUE(fs::exists(folder / "m.tmp-abcdefghijkl"));
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
    EXPECT_TRUE(!gorvandel::checkKeepable(at(folder / "home/m")) && !gorvandel::replaceFile(at(folder / "home/m"), ""));
    EXPECT_EQ(fs::status(folder / "home/m").permissions() & fs::perms::all, fs::perms(0640));

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

    // Leftovers are the file's owner's, to whom its saves give them: not root's, nor the folder's owner's.
    for (const char* name : {"n", "n.tmp-abcdefghijkl", "n.tmp-000000000000"}) {
        write(folder / name, "");
    }
    for (const char* name : {"n", "n.tmp-abcdefghijkl"}) {
        ASSERT_EQ(::chown((folder / name).c_str(), NOBODY, NOBODY), 0);
    }
    EXPECT_FALSE(gorvandel::recoverLeftovers(at(folder / "n"), {}, read));
    EXPECT_EQ(namesOf(folder.path), (Names{"flip", "flop", "home", "n", "n.tmp-000000000000"}));
}

// A write that a signal cuts short goes on where it stopped, in the first piece or the second.
TEST(Files, PosixWritesGoOnWhereAShortWriteStopped)
{
    int ends[2];
    struct sigaction interrupt = {}, before = {};
    interrupt.sa_handler = [](int) {};  // without SA_RESTART, a write under way returns what it took
    ASSERT_TRUE(::pipe(ends) == 0 && ::sigaction(SIGALRM, &interrupt, &before) == 0);
    std::string sent(4 << 20, '\0'), received;
    std::generate(sent.begin(), sent.end(), [i = 0]() mutable { return static_cast<char>(i++ % 251); });
    std::thread reader([&] {  // slower than the writer: the pipe stays full
        char buffer[4096];
        for (ssize_t n; (n = ::read(ends[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR);) {
            received.append(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
            std::this_thread::sleep_for(20us);
        }
    });
    const itimerval everyMillisecond{{0, 1000}, {0, 1000}}, off{};
    ::setitimer(ITIMER_REAL, &everyMillisecond, nullptr);
    const std::string_view all(sent);
    EXPECT_FALSE(gorvandel::writeAll(ends[1], all.substr(0, 1500001), all.substr(1500001)));
    ::setitimer(ITIMER_REAL, &off, nullptr);
    ::sigaction(SIGALRM, &before, nullptr);
    ::close(ends[1]);
    reader.join();
    ::close(ends[0]);
    EXPECT_TRUE(received == sent) << received.size() << " of " << sent.size() << " bytes, or not in order";
    // A write that fails fails the append and the save, and the file stays as it was.
    const TemporaryFolder folder;
    write(folder / "f", "old\n");
    writesFail = true;
    EXPECT_EQ(gorvandel::appendLines(at(folder / "f"), "x\n"), std::errc::no_space_on_device);
    EXPECT_EQ(gorvandel::replaceFile(at(folder / "f"), "new"), std::errc::no_space_on_device);
    writesFail = false;
    EXPECT_TRUE(contentsOf(folder / "f") == "old\n" && namesOf(folder.path) == Names{"f"});
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
    // Refused before a session makes its lock, as a read-only file is: memory_file_test.
    EXPECT_EQ(gorvandel::checkKeepable(at(folder / "f")).message(), "the file is append-only or immutable");
    ASSERT_TRUE(mark(folder / "f", "-a +i"));
    EXPECT_EQ(gorvandel::checkKeepable(at(folder / "f")), FileRefusal::Unchangeable);
    ASSERT_TRUE(mark(folder / "f", "-i") && mark(folder.path, "+a"));
    EXPECT_EQ(gorvandel::checkKeepable(at(folder / "f")), FileRefusal::FolderUnchangeable);
    ASSERT_TRUE(mark(folder.path, "-a"));
    // A leftover that cannot be put in place fails the start, not said to be taken.
    write(folder / "g.tmp-abcdefghijkl", "whole");
    ASSERT_TRUE(mark(folder / "g.tmp-abcdefghijkl", "+i"));
    std::string taken;
    EXPECT_EQ(gorvandel::recoverLeftovers(
                  at(folder / "g"), [](const std::string&) { return true; }, taken),
              std::errc::operation_not_permitted);
    ASSERT_TRUE(mark(folder / "g.tmp-abcdefghijkl", "-i"));
}
#endif

}  // namespace
