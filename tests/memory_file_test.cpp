#include "memory_file.h"
#include "memory_format.h"
#include "test_support.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;
using gorvandel::MemoryFile;
using gorvandel::openMemoryFile;

const std::string LEARNED = "gorvandel memory 1\nplain 0 0 3 0 0 0 0 0\nargument 0 0 0 0 0 0 0 0 0 -2\n";

TEST(MemoryFile, LoadsWhatWasLearnedAndSavesOnlyAChange)
{
    const TemporaryFolder folder;
    const std::string name = folder / "m";
    write(name, LEARNED);
    MemoryFile memory;
    ASSERT_TRUE(openMemoryFile(name, memory));
    EXPECT_EQ(memory.saved.plain.at(2), 3);
    EXPECT_EQ(memory.saved.argument.at(9), -2);

    ScriptedDraws draws{{2, 2}};
    gorvandel::OperatingSystem persona(memory.saved, std::ref(draws));
    CapturedOutput output;
    persona.doSomething();
    fs::remove(name);
    EXPECT_TRUE(keepLearning(memory, persona));
    EXPECT_FALSE(fs::exists(name)) << "saved without a change";
    persona.reward();
    write(memory.temporary.path, "put in the way");
    EXPECT_TRUE(keepLearning(memory, persona));
    const std::string saved = contentsOf(name);
    fs::remove(name);
    EXPECT_TRUE(keepLearning(memory, persona));  // what was saved is known: no second save
    EXPECT_FALSE(fs::exists(name));
    write(name, saved);
    EXPECT_EQ(contentsOf(name), "gorvandel memory 1\nplain 0 0 4 0 0 0 0 0\nargument 0 0 0 0 0 0 0 0 0 -2\n");

    // The save's temporary file is named after the lock; where it cannot be made, the save fails whole.
    fs::create_directory(memory.temporary.path);
    persona.doSomething();
    persona.reward();
    EXPECT_EQ(keepLearning(memory, persona).failure, "cannot save memory file " + name + ": File exists");
    EXPECT_EQ(contentsOf(name), "gorvandel memory 1\nplain 0 0 4 0 0 0 0 0\nargument 0 0 0 0 0 0 0 0 0 -2\n");

    MemoryFile again;
    EXPECT_EQ(openMemoryFile(name, again).failure, name + " is in use by another gorvandel");

#ifndef _WIN32  // on Windows a lock file cannot go while it is held
    // A lock file that was removed keeps no other run away: saving then could undo that run's saves.
    fs::remove(name + ".lock");
    EXPECT_EQ(keepLearning(memory, persona).failure, "cannot save memory file " + name +
                                                         ": its lock file was removed or replaced, so another program "
                                                         "may be using it");
#endif
}

#ifndef _WIN32
// Found out at the start, not at the first save after an hour of teaching.
TEST(MemoryFile, NoStartWhereTheTemporaryFileCannotBeMade)
{
    const TemporaryFolder folder;
    write(folder / "m.lock", "");
    struct stat lock {};
    ASSERT_EQ(::stat((folder / "m.lock").c_str(), &lock), 0);
    fs::create_directory(folder / ("m.tmp-" + std::to_string(lock.st_ino)));
    MemoryFile memory;
    EXPECT_EQ(openMemoryFile(folder / "m", memory).failure,
              "cannot keep a memory in " + (folder / "m") + ": File exists");
}
#endif

TEST(MemoryFile, AFileThatCannotBeKeptIsLeftAsItWas)
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
    fs::create_hard_link(name, folder / "other name");
    EXPECT_EQ(openMemoryFile(name, memory).failure,
              "cannot keep a memory in " + name +
                  ": the file has other names (hard links) that a save would part from it");
    fs::remove(folder / "other name");
    fs::permissions(name, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ(openMemoryFile(name, memory).failure, "cannot keep a memory in " + name + ": the file is read-only");
    EXPECT_EQ(contentsOf(name), LEARNED);
    EXPECT_FALSE(fs::exists(name + ".lock") || fs::exists(folder / "d.lock") || fs::exists(folder / "no"));
}

}  // namespace
