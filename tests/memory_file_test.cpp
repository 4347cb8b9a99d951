#include "memory_file.h"
#include "memory_format.h"
#include "test_support.h"

#ifdef _WIN32
#include <windows.h>

#include <thread>
#endif

namespace {

namespace fs = std::filesystem;
using gorvandel::MemoryFile;
using gorvandel::openMemoryFile;

// Plain action 2 of weight plain, the last argument action of weight last.
gorvandel::Learning learning(gorvandel::Weight plain, gorvandel::Weight last = -2)
{
    gorvandel::Learning learned;
    learned.plain.at(2) = plain;
    learned.argument.back() = last;
    return learned;
}

const std::string LEARNED = gorvandel::formatMemory(learning(3));

struct Judged {
    ScriptedDraws draws{{2, 2, 2, 2}};
    gorvandel::OperatingSystem persona;
    CapturedOutput output;

    explicit Judged(const gorvandel::Learning& learned)
        : persona(learned, std::ref(draws))
    {
    }
    // Runs plain action 2 and rewards it.
    void reward()
    {
        persona.doSomething();
        persona.reward();
    }
};

gorvandel::Outcome keep(MemoryFile& memory, const gorvandel::OperatingSystem& persona)
{
    const gorvandel::Outcome kept = keepLearning(memory, persona);
    EXPECT_TRUE(kept.notices.empty());
    return kept;
}

TEST(MemoryFile, LoadsWhatWasLearnedAndSavesOnlyAChange)
{
    const TemporaryFolder folder;
    const std::string name = folder / "m";
    // A newer version's line: said once, where it stands, and kept by every save.
    const std::string newer = " plain\tteleport  +3 ";
    write(name, LEARNED.substr(0, LEARNED.size() - 4) + newer + "\r\nend\n");
    MemoryFile memory;
    const gorvandel::Outcome opened = openMemoryFile(name, memory);
    ASSERT_TRUE(opened && opened.notices.size() == 1) << opened.failure;  // its wording: the sessions' test
    EXPECT_TRUE(memory.saved.plain == learning(3).plain && memory.saved.argument == learning(3).argument);

    Judged judged(memory.saved);
    judged.persona.doSomething();
    fs::remove(name);
    EXPECT_TRUE(keep(memory, judged.persona));
    EXPECT_FALSE(fs::exists(name)) << "saved without a change";
    judged.persona.reward();
    EXPECT_TRUE(keep(memory, judged.persona));
    EXPECT_EQ(contentsOf(name), gorvandel::formatMemory(learning(4), {newer}));
    fs::remove(name);
    EXPECT_TRUE(keep(memory, judged.persona));  // what was saved is known: no second save
    EXPECT_FALSE(fs::exists(name));
    EXPECT_TRUE(finishMemory(memory, judged.persona));
    EXPECT_FALSE(fs::exists(name));

#ifndef _WIN32  // on Windows a lock file cannot go while it is held
    // A lock file that was removed keeps no other run away: saving then could undo that run's saves.
    // It is taken again only where nobody holds it and the file is what this run last saved.
    const std::string lastSaved = gorvandel::formatMemory(learning(4), {newer});  // what this run saved last
    const std::string gone = "cannot save memory file " + name +
                             ": its lock file was removed or replaced, so another program may be using it";
    fs::remove(name + ".lock");
    judged.reward();
    EXPECT_EQ(keep(memory, judged.persona).failure, gone);  // the file went: another run may have removed it
    gorvandel::FileLock other;
    ASSERT_FALSE(gorvandel::FileLock::take(memory.file, {}, other));
    write(name, lastSaved);
    EXPECT_EQ(keep(memory, judged.persona).failure, gone);  // another run holds it
    other = gorvandel::FileLock();
    write(name, LEARNED);
    EXPECT_EQ(keep(memory, judged.persona).failure, gone);  // another run saved
    write(name, lastSaved);
    EXPECT_TRUE(keep(memory, judged.persona) && memory.lock.stillOurs() && contentsOf(name) != lastSaved);
#endif
}

// The last save a crash left beside a missing file is what the next run starts from.
TEST(MemoryFile, ALeftoverSaveIsTakenUp)
{
    const TemporaryFolder folder;
    const std::string name = folder / "m";
    write(name + ".tmp-12345", LEARNED);
    // Newer, but empty: a save stopped before it wrote is never taken, and an empty file of the older form is the user's.
    for (const char* empty : {".tmp-0123456789ab", ".tmp-2024"}) {
        write(name + empty, "");
        fs::last_write_time(name + empty, fs::last_write_time(name + ".tmp-12345") + std::chrono::hours(1));
    }
    MemoryFile memory;
    ASSERT_TRUE(openMemoryFile(name, memory));
    EXPECT_EQ(memory.saved.plain.at(2), 3);
    EXPECT_EQ(contentsOf(name), LEARNED);
    EXPECT_FALSE(fs::exists(name + ".tmp-12345") || fs::exists(name + ".tmp-0123456789ab"));
    EXPECT_TRUE(fs::exists(name + ".tmp-2024"));

    // No save leaves an empty file: one is no leftover.
    write(folder / "e.tmp-12345", "");
    gorvandel::MemoryLook look;
    ASSERT_TRUE(gorvandel::readMemoryFile(folder / "e", look));
    EXPECT_FALSE(look.exists || !look.leftover.empty()) << look.leftover;
}

// Saves are in the second format, whatever was read: an empty file, or 1.3.0's.
TEST(MemoryFile, AnEmptyOrFirstFormatMemoryIsSavedInTheSecond)
{
    const TemporaryFolder folder;
    const std::string name = folder / "m";
    const std::string firstFormat = "gorvandel memory 1\n" + positional("plain", gorvandel::FIRST_FORMAT_PLAIN_COUNT) +
                                    positional("argument", gorvandel::FIRST_FORMAT_ARGUMENT_COUNT);
    for (const std::string& before : {std::string(), firstFormat}) {
        write(name, before);
        gorvandel::MemoryLook look;
        EXPECT_TRUE(gorvandel::readMemoryFile(name, look) && look.exists == !before.empty());  // --show: nothing yet
        MemoryFile memory;
        ASSERT_TRUE(openMemoryFile(name, memory));
        Judged judged(memory.saved);
        EXPECT_TRUE(keep(memory, judged.persona));
        EXPECT_EQ(contentsOf(name), before) << "saved without a change";
        judged.reward();
        EXPECT_TRUE(keep(memory, judged.persona));
        EXPECT_EQ(contentsOf(name), gorvandel::formatMemory(learning(1, 0)));
    }
}

TEST(MemoryFile, AFileThatCannotBeKeptIsLeftAsItWasWithNothingBesideIt)
{
    const TemporaryFolder folder;
    const std::string name = folder / "m";
    MemoryFile memory;
    fs::create_directory(folder / "d");
    EXPECT_EQ(openMemoryFile(folder / "d", memory).failure,
              "cannot read memory file " + (folder / "d") + ": Is a directory");
    write(name, LEARNED);
    fs::permissions(name, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ(openMemoryFile(name, memory).failure, "cannot keep a memory in " + name + ": the file is read-only");
    EXPECT_EQ(contentsOf(name), LEARNED);
    EXPECT_FALSE(openMemoryFile(folder / "nodir/m", memory) || fs::exists(folder / "nodir"));  // made by none
    fs::create_directory(folder / "locked.lock");  // a lock that cannot be one is named as the lock
    const std::string locked = openMemoryFile(folder / "locked", memory).failure;
    EXPECT_TRUE(locked.rfind("cannot use the lock file ", 0) == 0 && locked.find("locked.lock: ") != std::string::npos)
        << locked;
    // Not a memory: the lock made to read it goes again, and a whole save beside it may be its only copy.
    write(folder / "bad", "gorvandel memory 2\nplain hello 6\n");
    write(folder / "bad.tmp-12345", LEARNED);
    EXPECT_EQ(openMemoryFile(folder / "bad", memory).failure, (folder / "bad") + ":2: weight 6 is outside -5 to 5");
    EXPECT_EQ(contentsOf(folder / "bad"), "gorvandel memory 2\nplain hello 6\n");
    EXPECT_EQ(contentsOf(folder / "bad.tmp-12345"), LEARNED);
    // Kept lines that leave no room for the actions' own: its save could not be read back.
    const std::string kept = "gorvandel memory 2\n" + std::string(gorvandel::MEMORY_FILE_LIMIT - 30, 'x') + "\nend\n";
    fs::permissions(name, fs::perms::owner_write, fs::perm_options::add);
    write(name, kept);
    gorvandel::MemoryLook look;
    EXPECT_EQ(gorvandel::readMemoryFile(name, look).failure, "cannot read memory file " + name + ": File too large");
    EXPECT_EQ(openMemoryFile(name, memory).failure, "cannot read memory file " + name + ": File too large");
    EXPECT_TRUE(contentsOf(name) == kept);
    EXPECT_FALSE(fs::exists(name + ".lock") || fs::exists(folder / "d.lock") || fs::exists(folder / "bad.lock"));
}

#ifdef _WIN32
HANDLE holdOpen(const std::string& name)
{
    return CreateFileW(fs::u8path(name).wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

// A file another program holds for a moment is waited for at the start, and refused when held on. A save it
// blocks is put off, said once, tried at each change without waiting, said again when made, or made at the end.
TEST(MemoryFile, AFileAnotherProgramHoldsIsWaitedForAtTheStartAndSavedAtTheNextChange)
{
    const TemporaryFolder folder;
    const std::string name = folder / "m";
    write(name, LEARNED);
    MemoryFile memory;
    gorvandel::MemoryLook look;
    for (const bool session : {false, true}) {  // --show, then a session
        std::thread letGo([held = holdOpen(name)] {
            std::this_thread::sleep_for(gorvandel::OPEN_PATIENCE / 4);
            CloseHandle(held);
        });
        const bool started = session ? bool(openMemoryFile(name, memory)) : bool(readMemoryFile(name, look));
        letGo.join();
        ASSERT_TRUE(started) << session;
    }
    const HANDLE held = holdOpen(name);
    EXPECT_EQ(readMemoryFile(name, look).failure, "cannot keep a memory in " + name + ": another program has it open");
    Judged judged(memory.saved);
    judged.draws.script.assign(40, 2);
    const auto start = std::chrono::steady_clock::now();
    for (int change = 0; change < 20; ++change) {  // 20 waits if each waited as the first does
        judged.persona.doSomething();
        change % 2 == 1 || change == 0 ? judged.persona.reward() : judged.persona.punish();  // 4 5 4 5 ...
        const gorvandel::Outcome kept = keepLearning(memory, judged.persona);
        EXPECT_TRUE(kept);
        EXPECT_EQ(kept.notices, change > 0 ? std::vector<std::string>() : std::vector<std::string>{
            "cannot save memory file " + name + " yet: another program has it open; trying again at each change"});
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 15 * gorvandel::SAVE_PATIENCE);
    EXPECT_EQ(finishMemory(memory, judged.persona).failure,
              "cannot save memory file " + name + ": another program has it open");
    CloseHandle(held);
    EXPECT_EQ(namesOf(folder.path), (std::vector<std::string>{"m", "m.lock"}));  // the tries left nothing
    judged.persona.doSomething();
    judged.persona.punish();
    EXPECT_EQ(keepLearning(memory, judged.persona).notices, std::vector<std::string>{"saved memory file " + name + " at last"});
    EXPECT_EQ(contentsOf(name), gorvandel::formatMemory(learning(4)));
}
#endif

}  // namespace
