#include "command_loop.h"
#include "commands.h"
#include "test_support.h"

#include <functional>
#include <system_error>
#include <utility>

namespace {

using gorvandel::Outcome;
using gorvandel::ReadResult;

// Hands the loop a fixed list of lines, then the end of input.
struct ScriptedReader {
    std::vector<std::string> lines;
    std::size_t reads = 0;

    gorvandel::LineRead operator()(std::string& line)
    {
        gorvandel::writeOutput(gorvandel::PROMPT);  // as the plain reader does
        gorvandel::flushOutput();
        if (reads < lines.size()) {
            line = lines[reads++];
            return {ReadResult::Line};
        }
        ++reads;
        return {ReadResult::EndOfInput};
    }
};

const std::string P(gorvandel::PROMPT);
const std::string UNKNOWN = expectedTexts("unknown").at(0) + "\n";
const std::string NO_DATA = expectedTexts("no-data").at(0) + "\n";
const std::string BYE = expectedTexts("farewell").at(0) + "\n" + expectedTexts("farewell").at(1) + "\n";

struct Session {
    explicit Session(std::vector<std::string> lines, std::vector<int> script = {})
        : reader{std::move(lines)},
          draws{std::move(script)}
    {
    }

    ScriptedReader reader;
    ScriptedDraws draws;
    gorvandel::OperatingSystem persona{{}, std::ref(draws)};
    CapturedOutput output;

    Outcome run(const gorvandel::AfterCommand& afterCommand = {})
    {
        return runCommandLoop(std::ref(reader), persona, afterCommand);
    }
};

TEST(CommandLoop, EachLineIsMatchedExactlyUntilExit)
{
    Session session({"reward", "", "EXIT", " exit", "exit ", "do something ", "do something with", "do somethingx",
                     "do something", "do something with  two", "do something with ", "punish", "exit", "unread"},
                    {4, 3, 8});
    EXPECT_TRUE(session.run());
    const std::string calculating = expectedTexts("plain").at(4) + "\n";
    const auto argument = [](int index, const std::string& text) {
        return withArgument(expectedTexts("argument").at(static_cast<std::size_t>(index)), text) + "\n";
    };
    std::string expected = P + NO_DATA;
    for (int unknown = 0; unknown < 7; ++unknown) {
        expected += P + UNKNOWN;
    }
    expected += P + calculating + P + argument(3, " two") + P + argument(8, "") + P + P + BYE;
    EXPECT_EQ(session.output.text(), expected);
    EXPECT_EQ(session.reader.reads, 13u);
    EXPECT_EQ(session.persona.weights(gorvandel::ActionKind::Argument).at(8), -1);
}

TEST(CommandLoop, AfterEveryCommandItsJudgementIsKeptAndAFailureThereEndsTheLoop)
{
    Session session({"punish", "do something", "reward", "hello", "exit"}, {4});
    std::vector<int> weightsSeen;
    const Outcome outcome = session.run([&weightsSeen, &session](const gorvandel::OperatingSystem& persona) {
        weightsSeen.push_back(persona.weights(gorvandel::ActionKind::Plain).at(4));
        // Every answer is on its way before the program saves or waits.
        EXPECT_EQ(session.output.delivered(), session.output.text());
        return weightsSeen.size() < 4 ? Outcome() : Outcome{"cannot save"};
    });
    EXPECT_EQ(outcome.failure, "cannot save");
    EXPECT_EQ(weightsSeen, (std::vector<int>{0, 0, 1, 1}));
    EXPECT_EQ(session.reader.reads, 4u);
}

}  // namespace
