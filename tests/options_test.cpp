#include "actions.h"
#include "failure.h"
#include "options.h"
#include "test_support.h"

#include <cctype>
#include <cstdlib>
#include <regex>
#include <set>
#include <tuple>
#include <utility>

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
    EXPECT_EQ(parse({"--v", "-h"}).request, Request::Version);
    EXPECT_EQ(parse({"--frob", "-h"}).request, Request::UsageError);
    // "/?" asks for help as Windows tools do, and elsewhere is a name.
    EXPECT_EQ(gorvandel::parseOptions({"gorvandel", "-s1", "/?", "x"}, true).request, Request::Help);
    EXPECT_EQ(gorvandel::parseOptions({"gorvandel", "--", "/?"}, true).problem, "extra operand '/?'");
#ifdef _WIN32
    EXPECT_EQ(parse({"/?"}).request, Request::Help);
#else
    EXPECT_EQ(parse({"/?"}).request, Request::UsageError);
#endif
}

std::string sourceFile(const std::string& name)
{
    return contentsOf(GORVANDEL_SOURCE_DIR "/" + name);
}

// --help, the manual page and the READMEs spell each option as the table does.
TEST(Options, ManualsNameEveryOptionOfTheTable)
{
    const std::string manual = sourceFile("man/gorvandel.6.in"), synopsis = manual.substr(0, manual.find(".SH DESC")),
                      help = gorvandel::helpText(false);
    for (const gorvandel::CommandLineOption& option : gorvandel::commandLineOptions()) {
        const bool value = !option.argument.empty(), hasShort = option.shortName != '\0';
        const std::string name(option.longName), letter(1, option.shortName), argument(option.argument);
        const std::string spaced = value ? " " + argument : "";
        std::string lower = spaced;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        for (const auto& [file, spelling] :
             {std::pair("man/gorvandel.6.in", (value ? ".TP\n.BI \"" : ".TP\n.B ") +
                                                  (hasShort ? "\\-" + letter + ", " : "") + "\\-\\-" + name +
                                                  (value ? "=\"" + lower : "") + "\n"),
              std::pair("README.md", (hasShort ? "`-" + letter + spaced + "`, " : "") + "`--" + name +
                                         (value ? "=" + argument : "") + "`"),
              std::pair("packaging/windows/README.txt.in",
                        (hasShort ? "-" + letter + spaced + ", " : "") + "--" + name + spaced)}) {
            EXPECT_NE(sourceFile(file).find(spelling), std::string::npos) << file << " lacks " << spelling;
        }
        const std::regex inSynopsis("\\\\-" + (hasShort ? letter : "\\\\-" + name) + "\\b");
        const std::size_t inHelp = help.find(" --" + name + (value ? "=" + argument : "") + " ");
        EXPECT_TRUE(std::regex_search(synopsis, inSynopsis) && inHelp != std::string::npos)
            << "the manual's synopsis or --help lacks " << name;
    }
}

// What pattern's first group matches in text from where start is found.
std::set<std::string> named(const std::string& text, const std::string& pattern, const std::string& start = "")
{
    std::set<std::string> found;
    const std::string rest = text.substr(std::min(text.find(start), text.size()));
    const std::regex expression(pattern);
    for (std::sregex_iterator match(rest.begin(), rest.end(), expression), end; match != end; ++match) {
        found.insert((*match)[1]);
    }
    return found;
}

// --help is laid out in columns; the exit statuses the program gives are those
// that it, the READMEs and the manual page name; the keys it names, they name too.
TEST(Options, HelpReadmesAndManualAgree)
{
    using gorvandel::countInWords, gorvandel::PLAIN_ACTION_COUNT, gorvandel::ARGUMENT_ACTION_COUNT, std::to_string;
    const std::set<std::string> statuses = {to_string(EXIT_SUCCESS), to_string(gorvandel::EXIT_STATUS_FAILURE),
                                            to_string(gorvandel::EXIT_STATUS_USAGE)};
    const std::string help = gorvandel::helpText(true, false), windowsHelp = gorvandel::helpText(false, true),
                      readme = sourceFile("README.md"), windowsReadme = sourceFile("packaging/windows/README.txt.in"),
                      manual = sourceFile("man/gorvandel.6.in");
    const std::string afterColon = "[:;] ([0-9]+) (?:after|when|for)";
    for (const std::string& text : {help, windowsHelp, readme}) {
        EXPECT_EQ(named(text, afterColon, "Exit status:"), statuses) << text.substr(0, 20);
    }
    EXPECT_EQ(named(windowsReadme, "\n  ([0-9]+)  ", "Exit status"), statuses);
    EXPECT_EQ(named(manual, "\n\\.TP\n\\.B ([0-9]+)\n", ".SH EXIT STATUS"), statuses);
    // --help's options stand in two columns, the second at one column on every line.
    std::istringstream lines(help.substr(help.find("Options:\n") + 9));
    std::set<std::size_t> columns;
    for (std::string line; std::getline(lines, line) && !line.empty();) {
        const std::size_t text = line.find_first_not_of(' ');
        columns.insert(line[text] == '-' ? line.find_first_not_of(' ', line.find("  ", text)) : text);
    }
    EXPECT_EQ(columns.size(), 1u) << help;
    // The docs count the actions the tables hold.
    const std::set<std::string> counts = {countInWords(PLAIN_ACTION_COUNT), countInWords(ARGUMENT_ACTION_COUNT),
                                          countInWords(PLAIN_ACTION_COUNT + ARGUMENT_ACTION_COUNT)};
    for (const std::string& text : {readme, windowsReadme, manual}) {
        EXPECT_EQ(named(text, R"(one of\s+(\w+)\s+(?:plain\s+|pretend\s+)?actions)"), counts) << text.substr(0, 20);
    }
    const std::string key = "\\b(Tab|Up|Down|Enter|Ctrl-[A-Z])\\b";
    EXPECT_EQ(named(help, key), (std::set<std::string>{"Ctrl-C", "Ctrl-D", "Ctrl-R", "Down", "Tab", "Up"}));
    EXPECT_EQ(named(windowsHelp, key), (std::set<std::string>{"Ctrl-C", "Ctrl-Z", "Down", "Enter", "Up"}));
    for (const auto& [keys, text, file] :
         {std::tuple(help, readme, "README.md"), std::tuple(help, manual, "the manual"),
          std::tuple(windowsHelp, windowsReadme, "README.txt.in")}) {
        for (const std::string& name : named(keys, key)) {
            EXPECT_TRUE(named(text, key).count(name)) << file << " does not name " << name;
        }
    }
}

}  // namespace
