#include "operating_system.h"
#include "test_support.h"

#include <functional>
#include <stdexcept>

namespace {

using gorvandel::ActionKind;
using gorvandel::chooseIndex;
using gorvandel::findFavourite;
using gorvandel::OperatingSystem;
using Weights = std::vector<gorvandel::Weight>;

TEST(Choice, FavouriteIsTheFirstOfTheHighestPositiveWeightsAndAtFiveTakesNoDraw)
{
    EXPECT_EQ(findFavourite({-1, -5, 0, -3, 0, 0, 0, -2}), -1);
    EXPECT_EQ(findFavourite({1, 0, 0, 0, 0, 0, 0, 0}), 0);
    EXPECT_EQ(findFavourite({0, 2, 0, 2, 0, 0, 0, 1}), 1);
    EXPECT_EQ(findFavourite({1, 0, 3, -5, 4, 4, 0, 2, 0, 0}), 4);
    EXPECT_EQ(findFavourite({3}), -1);  // a lone action is no favourite
    ScriptedDraws none;
    EXPECT_EQ(chooseIndex({0, 0, 5, 0, 0, 5, 0, 0}, std::ref(none)), 2u);
    EXPECT_EQ(none.taken, 0u);
}

// Over every pair of draws, each action runs as often as its chance says, and the chances are the choice rule's:
// (w + 1) in 5 for a favourite of weight w, always from 4 up, the others equally likely.
TEST(Choice, TheChancesAreThoseOfTheChoice)
{
    for (const Weights& weights :
         {Weights{0, 3, 0, 0, 0, 0, 0, 0}, Weights{0, 0, 0, 0, 0, 0, 0, 0, 0, -2}, Weights{1, 1, 0, 0, 0, 0, 0, -5},
          Weights{0, 0, 4, 5, 0, 0, 0, 0, 0, 0}, Weights{0, 0, 0, 0, 0, 0, 0, 4}}) {
        const int n = static_cast<int>(weights.size());
        std::vector<double> runs(weights.size(), 0);
        for (int first = 0; first < 5 * n * (n - 1); ++first) {
            for (int second = 0; second < n - 1; ++second) {
                ScriptedDraws draws{{first, second}};
                ++runs.at(chooseIndex(weights, std::ref(draws)));
            }
        }
        const std::vector<double> chances = gorvandel::choiceChances(weights);
        ASSERT_EQ(chances.size(), weights.size());
        for (std::size_t i = 0; i < weights.size(); ++i) {
            EXPECT_NEAR(chances[i], runs[i] / (5 * n * (n - 1) * (n - 1)), 1e-12) << "action " << i;
        }
    }
}

// Zero weights for a table, but for one entry.
Weights zerosWith(ActionKind kind, int index, int weight)
{
    const gorvandel::Learning nothing;
    Weights weights = kind == ActionKind::Plain ? nothing.plain : nothing.argument;
    weights.at(static_cast<std::size_t>(index)) = static_cast<gorvandel::Weight>(weight);
    return weights;
}

TEST(Persona, JudgesTheLatestActionOnceInItsOwnTable)
{
    const std::string noData = expectedTexts("no-data").at(0) + "\n";
    // Action 0 is judged like any other; past the favourite, the second draw picks the argument table's last.
    ScriptedDraws draws{{0, 1, 6, 4, static_cast<int>(gorvandel::ARGUMENT_ACTION_COUNT) - 2}};
    OperatingSystem persona({}, std::ref(draws));
    CapturedOutput output;
    persona.reward();  // nothing to judge yet
    persona.doSomethingWith("report");
    persona.reward();
    persona.doSomething();
    persona.doSomething();
    persona.punish();
    persona.punish();  // judged already
    EXPECT_EQ(output.text().substr(0, noData.size()), noData);
    EXPECT_EQ(output.text().substr(output.text().size() - noData.size()), noData);
    EXPECT_EQ(persona.weights(ActionKind::Argument), zerosWith(ActionKind::Argument, 0, 1));
    EXPECT_EQ(persona.weights(ActionKind::Plain), zerosWith(ActionKind::Plain, 6, -1));
    persona.doSomethingWith("");
    persona.punish();
    Weights judged = zerosWith(ActionKind::Argument, 0, 1);
    judged.back() = -1;
    EXPECT_EQ(persona.weights(ActionKind::Argument), judged);
}

TEST(Persona, WeightsStopAtFiveAndMinusFive)
{
    gorvandel::Learning learned;
    learned.plain.at(2) = 4;
    learned.argument.at(7) = -4;
    // The favourite of weight 4 draws one number; the argument choice one.
    ScriptedDraws draws{{0, 7, 7}};
    OperatingSystem persona(learned, std::ref(draws));
    CapturedOutput output;
    for (int round = 0; round < 2; ++round) {
        persona.doSomething();
        persona.reward();
        persona.doSomethingWith("x");
        persona.punish();
    }
    EXPECT_EQ(persona.weights(ActionKind::Plain), zerosWith(ActionKind::Plain, 2, 5));
    EXPECT_EQ(persona.weights(ActionKind::Argument), zerosWith(ActionKind::Argument, 7, -5));
}

TEST(Persona, StartsFromWhatItLearnedAndOnlyFromWhatFits)
{
    gorvandel::Learning learned;
    learned.argument.back() = 5;
    const OperatingSystem persona(learned);
    EXPECT_EQ(persona.weights(ActionKind::Argument), learned.argument);
    EXPECT_EQ(persona.weights(ActionKind::Plain), zerosWith(ActionKind::Plain, 0, 0));

    learned.plain.at(0) = 6;
    EXPECT_THROW(OperatingSystem{learned}, std::invalid_argument);
    learned.plain = Weights(gorvandel::PLAIN_ACTION_COUNT + 1, 0);
    EXPECT_THROW(OperatingSystem{learned}, std::invalid_argument);
}

}  // namespace
