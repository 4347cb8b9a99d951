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

const std::string LEARNED = "gorvandel memory 1\nplain 0 0 3 0 0 0 0 0\nargument 0 0 0 0 0 0 0 0 0 -2\n";
const std::string REWARDED = "gorvandel memory 1\nplain 0 0 4 0 0 0 0 0\nargument 0 0 0 0 0 0 0 0 0 -2\n";

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
    std::string notice;
    const gorvandel::Outcome kept = keepLearning(memory, persona, notice);
    EXPECT_EQ(notice, "");
    return kept;
}

TEST(MemoryFile, LoadsWhatWasLearnedAndSavesOnlyAChange)
{
    const TemporaryFolder folder;
    const std::string name = folder / "m";
    write(name, LEARNED);
    MemoryFile memory;
    ASSERT_TRUE(openMemoryFile(name, memory));
    EXPECT_EQ(memory.saved.plain.at(2), 3);
    EXPECT_EQ(memory.saved.argument.at(9), -2);

    Judged judged(memory.saved);
    judged.persona.doSomething();
    fs::remove(name);
    EXPECT_TRUE(keep(memory, judged.persona));
    EXPECT_FALSE(fs::exists(name)) << "saved without a change";
    judged.persona.reward();
    EXPECT_TRUE(keep(memory, judged.persona));
    EXPECT_EQ(contentsOf(name), REWARDED);
    fs::remove(name);
    EXPECT_TRUE(keep(memory, judged.persona));  // what was saved is known: no second save
    EXPECT_FALSE(fs::exists(name));
    EXPECT_TRUE(finishMemory(memory, judged.persona));
    EXPECT_FALSE(fs::exists(name));

    MemoryFile again;
    EXPECT_EQ(openMemoryFile(name, again).failure, name + " is in use by another gorvandel");

#ifndef _WIN32  // on Windows a lock file cannot go while it is held
    // A lock file that was removed keeps no other run away: saving then could undo that run's saves.
    fs::remove(name + ".lock");
    judged.reward();
    EXPECT_EQ(keep(memory, judged.persona).failure,
              "cannot save memory file " + name +
                  ": its lock file was removed or replaced, so another program may be using it");
#endif
}

// The last save a crash left beside a missing file is what the next run starts from.
TEST(MemoryFile, ALeftoverSaveIsTakenUp)
{
    const TemporaryFolder folder;
    const std::string name = folder / "m";
    write(name + ".tmp-12345", LEARNED);
    write(name + ".tmp-67890", "gorvandel memory 1\nplain 0 0");  // torn
    gorvandel::MemoryLook look;
    ASSERT_TRUE(gorvandel::readMemoryFile(name, look));
    EXPECT_EQ(look.leftover, name + ".tmp-12345");
    EXPECT_EQ(look.learned.plain.at(2), 3);
    EXPECT_FALSE(fs::exists(name));  // a look takes nothing

    MemoryFile memory;
    ASSERT_TRUE(openMemoryFile(name, memory));
    EXPECT_EQ(memory.saved.plain.at(2), 3);
    EXPECT_EQ(contentsOf(name), LEARNED);
    EXPECT_FALSE(fs::exists(name + ".tmp-12345") || fs::exists(name + ".tmp-67890"));
}

TEST(MemoryFile, AFileThatCannotBeKeptIsLeftAsItWasWithNothingBesideIt)
{
    const TemporaryFolder folder;
    const std::string name = folder / "m";
    MemoryFile memory;
    fs::create_directory(folder / "d");
    EXPECT_EQ(openMemoryFile(folder / "d", memory).failure,
              "cannot read memory file " + (folder / "d") + ": Is a directory");
    const std::string noFolder = "cannot keep a memory in " + (folder / "no/m") + ": ";
    EXPECT_EQ(openMemoryFile(folder / "no/m", memory).failure.substr(0, noFolder.size()), noFolder);
    write(name, LEARNED);
    fs::permissions(name, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ(openMemoryFile(name, memory).failure, "cannot keep a memory in " + name + ": the file is read-only");
    EXPECT_EQ(contentsOf(name), LEARNED);
    fs::create_directory(folder / "locked.lock");  // a lock that cannot be one is named as the lock
    const std::string locked = openMemoryFile(folder / "locked", memory).failure;
    EXPECT_TRUE(locked.rfind("cannot use the lock file ", 0) == 0 && locked.find("locked.lock: ") != std::string::npos)
        << locked;
    // Not a memory: the lock made to read it goes again.
    write(folder / "bad", "gorvandel memory 1\nplain 0 0 0 0 0 0 0 6\n");
    EXPECT_EQ(openMemoryFile(folder / "bad", memory).failure, (folder / "bad") + ":2: weight 6 is outside -5 to 5");
    EXPECT_EQ(contentsOf(folder / "bad"), "gorvandel memory 1\nplain 0 0 0 0 0 0 0 6\n");
    EXPECT_FALSE(fs::exists(name + ".lock") || fs::exists(folder / "d.lock") || fs::exists(folder / "no") ||
                 fs::exists(folder / "bad.lock"));
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
    EXPECT_EQ(readMemoryFile(name, look).failure, "cannot read memory file " + name + ": another program has it open");
    Judged judged(memory.saved);
    judged.draws.script.assign(40, 2);
    std::string notice;
    const auto start = std::chrono::steady_clock::now();
    for (int change = 0; change < 20; ++change) {  // 20 waits if each waited as the first does
        judged.persona.doSomething();
        change % 2 == 1 || change == 0 ? judged.persona.reward() : judged.persona.punish();  // 4 5 4 5 ...
        EXPECT_TRUE(keepLearning(memory, judged.persona, notice));
        EXPECT_EQ(std::exchange(notice, ""), change > 0 ? "" : "cannot save memory file " + name +
                  " yet: another program has it open; trying again at each change");
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 15 * gorvandel::SAVE_PATIENCE);
    EXPECT_EQ(finishMemory(memory, judged.persona).failure,
              "cannot save memory file " + name + ": another program has it open");
    CloseHandle(held);
    EXPECT_EQ(namesOf(folder.path), (std::vector<std::string>{"m", "m.lock"}));  // the tries left nothing
    judged.persona.doSomething();
    judged.persona.punish();
    EXPECT_TRUE(keepLearning(memory, judged.persona, notice));
    EXPECT_EQ(notice, "saved memory file " + name + " at last");
    EXPECT_EQ(contentsOf(name), REWARDED);
}
#endif

}  // namespace
