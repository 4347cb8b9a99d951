#include "operating_system.h"
#include "test_support.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using gorvandel::ActionKind;
using Weights = std::vector<gorvandel::Weight>;

const std::string NO_DATA = expectedTexts("no-data").at(0) + "\n";

class Persona : public testing::Test {
protected:
    Persona() { std::srand(1234); }

    // Zero weights for a table, but for one entry.
    Weights zerosWith(ActionKind kind, int index, int weight) const
    {
        Weights weights(persona.weights(kind).size(), 0);
        if (index >= 0) {
            weights.at(static_cast<std::size_t>(index)) = static_cast<gorvandel::Weight>(weight);
        }
        return weights;
    }

    CapturedOutput output;
    gorvandel::OperatingSystem persona;
};

TEST_F(Persona, JudgesTheLatestActionOnceInItsOwnTable)
{
    persona.reward();  // nothing to judge yet
    persona.doSomethingWith("report");
    const int argumentIndex = persona.lastActionIndex();
    persona.reward();
    persona.doSomething();
    persona.doSomething();
    const int plainIndex = persona.lastActionIndex();
    persona.punish();
    persona.punish();  // judged already
    EXPECT_EQ(output.text().substr(0, NO_DATA.size()), NO_DATA);
    EXPECT_EQ(output.text().substr(output.text().size() - NO_DATA.size()), NO_DATA);
    EXPECT_EQ(persona.weights(ActionKind::Argument), zerosWith(ActionKind::Argument, argumentIndex, 1));
    EXPECT_EQ(persona.weights(ActionKind::Plain), zerosWith(ActionKind::Plain, plainIndex, -1));
}

TEST_F(Persona, EmptyArgumentIsJudgedInTheArgumentTable)
{
    // Indices 8 and 9 exist only in the argument table.
    for (unsigned seed = 1; persona.lastActionIndex() < 8; ++seed) {
        ASSERT_LT(seed, 1000u);
        std::srand(seed);
        persona.doSomethingWith("");
    }
    const int index = persona.lastActionIndex();
    persona.reward();
    EXPECT_EQ(persona.weights(ActionKind::Argument), zerosWith(ActionKind::Argument, index, 1));
    EXPECT_EQ(persona.weights(ActionKind::Plain), zerosWith(ActionKind::Plain, -1, 0));
}

TEST_F(Persona, WeightsStopAtFiveAndMinusFive)
{
    for (int round = 0; round < 400; ++round) {
        persona.doSomething();
        persona.reward();
        persona.doSomethingWith("x");
        persona.punish();
    }
    const int favourite = gorvandel::findFavourite(persona.weights(ActionKind::Plain));
    EXPECT_EQ(persona.weights(ActionKind::Plain).at(static_cast<std::size_t>(favourite)), 5);
    persona.doSomething();  // a favourite of weight 5 always runs
    EXPECT_EQ(persona.lastActionIndex(), favourite);
    EXPECT_EQ(persona.weights(ActionKind::Argument), Weights(10, -5));
}

}  // namespace
