#include "operating_system.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using gorvandel::ActionKind;
using gorvandel::OperatingSystem;
using gorvandel::Weight;

const std::string NO_DATA = "Operating system has no data about its last action!\n";

class Persona : public testing::Test {
protected:
    Persona() { std::srand(1234); }

    std::vector<Weight> zeros(ActionKind kind) const { return std::vector<Weight>(persona.weights(kind).size(), 0); }

    // The weights of one table with a single entry changed.
    std::vector<Weight> zerosWith(ActionKind kind, std::size_t index, Weight weight) const
    {
        auto weights = zeros(kind);
        weights.at(index) = weight;
        return weights;
    }

    CapturedOutput output;
    OperatingSystem persona;
};

TEST_F(Persona, StartsWithAllWeightsZeroAndNothingToJudge)
{
    EXPECT_EQ(persona.weights(ActionKind::Plain), std::vector<Weight>(8, 0));
    EXPECT_EQ(persona.weights(ActionKind::Argument), std::vector<Weight>(10, 0));
    EXPECT_EQ(persona.lastActionIndex(), -1);
    EXPECT_EQ(output.text(), "");
}

TEST_F(Persona, JudgingWithNothingToJudgeOnlyComplains)
{
    persona.reward();
    persona.punish();
    EXPECT_EQ(output.text(), NO_DATA + NO_DATA);
    EXPECT_EQ(persona.weights(ActionKind::Plain), zeros(ActionKind::Plain));
    EXPECT_EQ(persona.weights(ActionKind::Argument), zeros(ActionKind::Argument));
}

TEST_F(Persona, EachActionIsJudgedOnce)
{
    persona.doSomething();
    const auto index = static_cast<std::size_t>(persona.lastActionIndex());
    persona.reward();
    EXPECT_EQ(persona.lastActionIndex(), -1);
    const std::string afterFirst = output.text();
    persona.reward();
    persona.punish();
    EXPECT_EQ(output.text(), afterFirst + NO_DATA + NO_DATA);
    EXPECT_EQ(persona.weights(ActionKind::Plain), zerosWith(ActionKind::Plain, index, 1));
}

TEST_F(Persona, PlainAndArgumentActionsAreJudgedInTheirOwnTables)
{
    persona.doSomethingWith("report");
    const auto argumentIndex = static_cast<std::size_t>(persona.lastActionIndex());
    EXPECT_EQ(persona.lastActionKind(), ActionKind::Argument);
    persona.reward();

    persona.doSomething();
    const auto plainIndex = static_cast<std::size_t>(persona.lastActionIndex());
    EXPECT_EQ(persona.lastActionKind(), ActionKind::Plain);
    persona.punish();

    EXPECT_EQ(persona.weights(ActionKind::Argument), zerosWith(ActionKind::Argument, argumentIndex, 1));
    EXPECT_EQ(persona.weights(ActionKind::Plain), zerosWith(ActionKind::Plain, plainIndex, -1));
}

TEST_F(Persona, OnlyTheLatestOfTwoActionsIsJudged)
{
    persona.doSomething();
    persona.doSomething();
    const auto second = static_cast<std::size_t>(persona.lastActionIndex());
    persona.reward();
    EXPECT_EQ(persona.weights(ActionKind::Plain), zerosWith(ActionKind::Plain, second, 1));
}

TEST_F(Persona, EmptyArgumentIsJudgedInTheArgumentTable)
{
    // Indices 8 and 9 exist only in the argument table: judging them in the
    // plain table would reach past its end.
    for (unsigned seed = 1; persona.lastActionIndex() < 8; ++seed) {
        ASSERT_LT(seed, 1000u) << "no argument action beyond the plain table was chosen";
        std::srand(seed);
        persona.doSomethingWith("");
    }
    const auto index = static_cast<std::size_t>(persona.lastActionIndex());
    persona.reward();
    EXPECT_EQ(persona.weights(ActionKind::Argument), zerosWith(ActionKind::Argument, index, 1));
    EXPECT_EQ(persona.weights(ActionKind::Plain), zeros(ActionKind::Plain));
}

TEST_F(Persona, RewardsStopAtFiveAndTheFavouriteThenAlwaysRuns)
{
    for (int round = 0; round < 200; ++round) {
        persona.doSomething();
        persona.reward();
    }
    const auto& weights = persona.weights(ActionKind::Plain);
    EXPECT_EQ(*std::max_element(weights.begin(), weights.end()), 5);
    const int favourite = gorvandel::findFavourite(weights);
    for (int round = 0; round < 20; ++round) {
        persona.doSomething();
        EXPECT_EQ(persona.lastActionIndex(), favourite);
        persona.reward();
    }
    EXPECT_EQ(persona.weights(ActionKind::Plain)[static_cast<std::size_t>(favourite)], 5);
}

TEST_F(Persona, PunishmentsStopAtMinusFive)
{
    for (int round = 0; round < 400; ++round) {
        persona.doSomethingWith("x");
        persona.punish();
    }
    EXPECT_EQ(persona.weights(ActionKind::Argument), std::vector<Weight>(10, -5));
    EXPECT_EQ(persona.weights(ActionKind::Plain), zeros(ActionKind::Plain));
}

}  // namespace
