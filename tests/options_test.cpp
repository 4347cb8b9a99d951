#include "options.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using gorvandel::Options;
using gorvandel::Request;

Options parse(const std::vector<const char*>& words)
{
    std::vector<std::string> arguments{"gorvandel"};
    arguments.insert(arguments.end(), words.begin(), words.end());
    return gorvandel::parseOptions(arguments);
}

TEST(Options, EverySpellingOfAnOptionWithAValue)
{
    for (const auto& words : std::vector<std::vector<const char*>>{{"-s5", "-mf"},
                                                                   {"-s", "5", "-m", "f"},
                                                                   {"--seed", "5", "--memory", "f"},
                                                                   {"--seed=5", "--memory=f"},
                                                                   {"--se=5", "--m=f"},
                                                                   {"-ms", "-s005"}}) {
        const Options options = parse(words);
        EXPECT_EQ(options.request, Request::Run) << words[0] << ": " << options.problem;
        EXPECT_EQ(options.seed, 5u) << words[0];
        EXPECT_EQ(options.memoryFile, words[0] == std::string("-ms") ? "s" : "f") << words[0];
    }
    EXPECT_FALSE(parse({}).seed.has_value());
}

TEST(Options, SeedsFromZeroToTheLargestUnsigned32BitNumber)
{
    EXPECT_EQ(parse({"-s", "0"}).seed, 0u);
    EXPECT_EQ(parse({"-s", "4294967295"}).seed, 4294967295u);
    for (const char* refused : {"4294967296", "99999999999999999999", "-1", " 1", "1 ", "+1", "", "1x", "0x1"}) {
        const Options options = parse({"--seed", refused});
        EXPECT_EQ(options.request, Request::UsageError) << refused;
        EXPECT_EQ(options.problem,
                  "invalid seed '" + std::string(refused) + "': expected a number from 0 to 4294967295");
    }
}

TEST(Options, UsageErrorsInTheWordsOfGnuTools)
{
    const std::pair<std::vector<const char*>, std::string> errors[] = {
        {{"-x"}, "invalid option -- 'x'"},
        {{"-s1", "-\xC3\xA9"}, "invalid option -- '\xC3\xA9'"},
        {{"--frob"}, "unrecognized option '--frob'"},
        {{"--=5"}, "unrecognized option '--=5'"},
        {{"--s=5"}, "option '--s=5' is ambiguous; possibilities: '--seed' '--show'"},
        {{"--help=yes"}, "option '--help' doesn't allow an argument"},
        {{"-s"}, "option requires an argument -- 's'"},
        {{"-ms", "-s"}, "option requires an argument -- 's'"},
        {{"--seed"}, "option '--seed' requires an argument"},
        {{"--memory="}, "the memory file needs a name"},
        {{"operand"}, "extra operand 'operand'"},
        {{"-"}, "extra operand '-'"},
        {{"-s", "1", "--", "-h"}, "extra operand '-h'"},
    };
    for (const auto& [words, problem] : errors) {
        const Options options = parse(words);
        EXPECT_EQ(options.request, Request::UsageError) << words[0];
        EXPECT_EQ(options.problem, problem) << words[0];
    }
}

TEST(Options, HelpAndVersionActWhereTheyStand)
{
    EXPECT_EQ(parse({"-h", "--frob", "operand"}).request, Request::Help);
    EXPECT_EQ(parse({"--he"}).request, Request::Help);
    EXPECT_EQ(parse({"-Vh"}).request, Request::Version);
    EXPECT_EQ(parse({"--v", "-h"}).request, Request::Version);
    EXPECT_EQ(parse({"--frob", "-h"}).request, Request::UsageError);
}

}  // namespace
