#include "file_rules.h"
#include "files.h"
#include "test_support.h"

namespace {

using gorvandel::FileFacts;
using gorvandel::FileRefusal;
using gorvandel::ROOT;

constexpr gorvandel::UserId ANN = 1000;
constexpr gorvandel::UserId BOB = 1001;

TEST(FileRules, LinksAndLocksOfThisUserOrRootAreUsed)
{
    // Root's lock in a user's folder is that user's; a lock of another user's is nobody's to trust.
    EXPECT_TRUE(gorvandel::mayUseLock(ANN, ROOT, ANN) && gorvandel::mayUseLock(ROOT, ANN, ANN));
    EXPECT_FALSE(gorvandel::mayUseLock(BOB, ANN, ANN) || gorvandel::mayUseLock(BOB, ROOT, ANN));
    EXPECT_TRUE(gorvandel::mayFollowLink(ANN, ANN) && gorvandel::mayFollowLink(ROOT, ANN));
    EXPECT_FALSE(gorvandel::mayFollowLink(BOB, ANN) || gorvandel::mayFollowLink(ANN, ROOT));  // root: only root's
}

TEST(FileRules, WhatASaveMayReplace)
{
    const auto judged = [](FileFacts facts, gorvandel::UserId me = ANN) {
        facts.owner = facts.owner == ROOT ? ANN : facts.owner;
        return gorvandel::judgeFile(facts, me);
    };
    EXPECT_FALSE(judged({}));
    FileFacts bobs, linked, readOnly, appendOnly, mounted;
    bobs.owner = BOB;
    linked.links = 2;
    readOnly.ownerMayWrite = false;
    appendOnly.unchangeable = true;
    mounted.mountPoint = true;
    EXPECT_EQ(judged(bobs), FileRefusal::OtherUsersFile);
    EXPECT_FALSE(judged(bobs, ROOT));  // root may save a user's file
    EXPECT_EQ(judged(linked), FileRefusal::OtherNames);
    EXPECT_EQ(judged(readOnly), FileRefusal::ReadOnly);
    EXPECT_EQ(judged(readOnly, ROOT), FileRefusal::ReadOnly);
    EXPECT_EQ(judged(appendOnly), FileRefusal::Unchangeable);
    EXPECT_EQ(judged(mounted, ROOT), FileRefusal::MountPoint);

    EXPECT_EQ(gorvandel::ownerOfNewFile(ROOT, ANN), ANN);  // what root makes in Ann's folder is hers
    EXPECT_EQ(gorvandel::ownerOfNewFile(ANN, BOB), ANN);
}

TEST(FileRules, WindowsDeviceNamesInEveryForm)
{
    for (const char* device :
         {"CON", "con", "C:\\dir\\Con.txt", "dir/aux.memory", "NUL.", "nul ", "PRN .txt", "COM1", "com0", "LPT9.x",
          "COM\xC2\xB9", "lpt\xC2\xB3", "CONIN$", "conout$.log", "con:", "COM1:"}) {
        EXPECT_TRUE(gorvandel::namesDevice(device)) << device;
    }
    for (const char* file : {"CONX", "COM10", "COM", "LPT", "my CON", "CON\\memory", "con-memory", "COM\xC2\xB4",
                             "", "dir/"}) {
        EXPECT_FALSE(gorvandel::namesDevice(file)) << file;
    }
}

TEST(FileRules, TemporaryNamesAreTheFilesOwnAndCutNamesStayApart)
{
    using gorvandel::TemporaryForm, gorvandel::SUFFIX_LENGTH, gorvandel::temporaryForm, gorvandel::temporaryPrefix;
    const std::string fits(255 - std::string(".tmp-").size() - SUFFIX_LENGTH, 'x');
    // Kept whole where it fits; names cut alike get prefixes of their own, split by no character (e acute).
    const std::string cut = temporaryPrefix(fits + "b", 255);
    EXPECT_EQ(temporaryPrefix(fits, 255), fits + ".tmp-");
    EXPECT_TRUE(cut != temporaryPrefix(fits + "c", 255) && cut.size() + SUFFIX_LENGTH == 255 && cut.find(fits) != 0);
    for (std::size_t at = fits.size() - 20; at < fits.size(); ++at) {
        const std::string split = temporaryPrefix(std::string(at, 'x') + "\xC3\xA9" + fits, 255);
        EXPECT_EQ(split.find('\xC3'), split.find("\xC3\xA9")) << at;
    }
    const std::string suffix = gorvandel::temporarySuffix();
    EXPECT_TRUE(suffix.size() == SUFFIX_LENGTH && suffix != gorvandel::temporarySuffix());
    EXPECT_EQ(temporaryForm("m.tmp-" + suffix, "m.tmp-"), TemporaryForm::Current);
    EXPECT_EQ(temporaryForm("m.tmp-12345678901234567890", "m.tmp-"), TemporaryForm::Older);  // as 1.2.0 named them
    for (const char* name : {"m.tmp-", "m.tmp-draft", "m.tmp-A1", "m.tmp-1.lock", "n.tmp-1", "m.tmp-1234567890abc",
                             "m.tmp-abcdefghijk", "m.tmp-Abcdefghijkl", "m.tmp-123456789012345678901"}) {
        EXPECT_EQ(temporaryForm(name, "m.tmp-"), TemporaryForm::None) << name;
    }
}

}  // namespace
