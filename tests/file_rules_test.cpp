#include "file_rules.h"
#include "files.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using gorvandel::FileFacts;
using gorvandel::FileRefusal;
using gorvandel::ROOT;

constexpr gorvandel::UserId ANN = 1000;
constexpr gorvandel::UserId BOB = 1001;

TEST(FileRules, LinksOfThisUserOrRootAreFollowed)
{
    EXPECT_TRUE(gorvandel::mayFollowLink(ANN, ANN));
    EXPECT_TRUE(gorvandel::mayFollowLink(ROOT, ANN));
    EXPECT_FALSE(gorvandel::mayFollowLink(BOB, ANN));
    EXPECT_FALSE(gorvandel::mayFollowLink(ANN, ROOT));  // root follows only root's
}

TEST(FileRules, WhatASaveMayReplace)
{
    const auto judged = [](FileFacts facts, gorvandel::UserId me = ANN) {
        facts.owner = facts.owner == ROOT ? ANN : facts.owner;
        return gorvandel::judgeFile(facts, me);
    };
    EXPECT_FALSE(judged({}));
    FileFacts folder;
    folder.directory = true;
    EXPECT_EQ(judged(folder), std::errc::is_a_directory);
    FileFacts device;
    device.regular = false;
    EXPECT_EQ(judged(device), FileRefusal::NotRegularFile);
    FileFacts bobs;
    bobs.owner = BOB;
    EXPECT_EQ(judged(bobs), FileRefusal::OtherUsersFile);
    EXPECT_FALSE(judged(bobs, ROOT));  // root may save a user's file
    FileFacts linked;
    linked.links = 2;
    EXPECT_EQ(judged(linked), FileRefusal::OtherNames);
    FileFacts readOnly;
    readOnly.ownerMayWrite = false;
    EXPECT_EQ(judged(readOnly), FileRefusal::ReadOnly);
    EXPECT_EQ(judged(readOnly, ROOT), FileRefusal::ReadOnly);
    FileFacts appendOnly;
    appendOnly.unchangeable = true;
    EXPECT_EQ(judged(appendOnly), FileRefusal::Unchangeable);

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

TEST(FileRules, TemporaryNamesAreThoseOfTheFileAndCutBetweenCharacters)
{
    bool whole = false;
    EXPECT_EQ(gorvandel::temporaryPrefix("memory", 255, whole), "memory.tmp-");
    EXPECT_TRUE(whole);
    // Room is left for twenty letters after ".tmp-": an e with an acute accent (two bytes) is not split.
    const std::string name = std::string(229, 'x') + "\xC3\xA9";
    EXPECT_EQ(gorvandel::temporaryPrefix(name, 255, whole), std::string(229, 'x') + ".tmp-");
    EXPECT_FALSE(whole);

    const std::string suffix = gorvandel::temporarySuffix();
    EXPECT_EQ(suffix.size(), 12u);
    EXPECT_NE(suffix, gorvandel::temporarySuffix());
    EXPECT_TRUE(gorvandel::isTemporaryName("m.tmp-" + suffix, "m.tmp-"));
    EXPECT_TRUE(gorvandel::isTemporaryName("m.tmp-1234567", "m.tmp-"));  // as an older version named them
    for (const char* other : {"m.tmp-", "m.tmp-A1", "m.tmp-1.lock", "n.tmp-1", "m.tmp-123456789012345678901"}) {
        EXPECT_FALSE(gorvandel::isTemporaryName(other, "m.tmp-")) << other;
    }
}

}  // namespace
