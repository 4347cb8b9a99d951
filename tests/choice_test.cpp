#include "operating_system.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

namespace {

using gorvandel::chooseIndex;
using gorvandel::findFavourite;
using gorvandel::Weight;

std::size_t chooseWith(const std::vector<Weight>& weights, ScriptedDraws& draws)
{
    return chooseIndex(weights, std::ref(draws));
}

TEST(Favourite, IsTheLowestIndexAmongTheHighestPositiveWeights)
{
    EXPECT_EQ(findFavourite({0, 0, 0, 0, 0, 0, 0, 0}), -1);
    EXPECT_EQ(findFavourite({-1, -5, 0, -3, 0, 0, 0, -2}), -1);
    EXPECT_EQ(findFavourite({1, 0, 0, 0, 0, 0, 0, 0}), 0);
    EXPECT_EQ(findFavourite({0, 0, 0, 0, 0, 0, 0, 1}), 7);
    EXPECT_EQ(findFavourite({0, 2, 0, 2, 0, 0, 0, 0}), 1);
    EXPECT_EQ(findFavourite({1, 0, 3, -5, 4, 4, 0, 2, 0, 0}), 4);
    EXPECT_EQ(findFavourite({-4, 5, -4, 3, 5, 0, 0, 0}), 1);
}

TEST(Favourite, NeedsAtLeastTwoActions)
{
    EXPECT_EQ(findFavourite({3}), -1);
    EXPECT_EQ(findFavourite({}), -1);
}

TEST(Choice, WithoutFavouriteIsOneDrawModuloTheCount)
{
    for (const std::vector<Weight>& weights :
         {std::vector<Weight>(8, 0), std::vector<Weight>{-1, -2, 0, -5, 0, 0, 0, 0}}) {
        for (int draw : {0, 5, 13, 32767, 2147483647}) {
            ScriptedDraws draws({draw});
            EXPECT_EQ(chooseWith(weights, draws), static_cast<std::size_t>(draw) % 8);
            EXPECT_EQ(draws.count(), 1u);
        }
    }
    std::vector<Weight> single{4};
    ScriptedDraws draws({7});
    EXPECT_EQ(chooseWith(single, draws), 0u);
    EXPECT_EQ(draws.count(), 1u);
}

TEST(Choice, FavouriteOfWeightFiveDrawsNothing)
{
    std::vector<Weight> weights{0, 0, 5, 0, 0, 5, 0, 0, 0, 0};
    ScriptedDraws draws({});
    EXPECT_EQ(chooseWith(weights, draws), 2u);
    EXPECT_EQ(draws.count(), 0u);
}

// Every pair of first and second draw, counted once: the counts are the chances.
std::map<std::size_t, int> outcomesOverAllDraws(const std::vector<Weight>& weights)
{
    const int others = static_cast<int>(weights.size()) - 1;
    std::map<std::size_t, int> outcomes;
    for (int first = 0; first < 5; ++first) {
        for (int second = 0; second < others; ++second) {
            ScriptedDraws draws({first, second});
            ++outcomes[chooseWith(weights, draws)];
        }
    }
    return outcomes;
}

TEST(Choice, FavouriteRunsWithChanceWeightPlusOneInFive)
{
    for (std::size_t n : {8u, 10u}) {
        for (std::size_t favourite : {std::size_t{0}, std::size_t{3}, n - 1}) {
            for (Weight weight = 1; weight <= 4; ++weight) {
                std::vector<Weight> weights(n, 0);
                weights[favourite] = weight;
                if (favourite != 0) {
                    weights[0] = -5;  // negative weights change nothing
                }
                const auto outcomes = outcomesOverAllDraws(weights);
                const int total = 5 * static_cast<int>(n - 1);
                SCOPED_TRACE(testing::Message() << "n=" << n << " favourite=" << favourite << " weight=" << weight);

                // Favourite: (weight + 1) of 5 first draws; exploring: the rest,
                // spread evenly over the n - 1 other actions.
                EXPECT_EQ(outcomes.count(favourite) ? outcomes.at(favourite) : 0, total * (weight + 1) / 5);
                for (std::size_t other = 0; other < n; ++other) {
                    if (other != favourite) {
                        EXPECT_EQ(outcomes.count(other) ? outcomes.at(other) : 0, 4 - weight) << "action " << other;
                    }
                }
            }
        }
    }
}

TEST(Choice, ExploringDrawsTwiceAndSkipsTheFavourite)
{
    std::vector<Weight> weights{0, 0, 0, 1, 0, 0, 0, 0};
    const std::vector<std::size_t> expected{0, 1, 2, 4, 5, 6, 7};
    for (int k = 0; k < 7; ++k) {
        ScriptedDraws draws({4, k});
        EXPECT_EQ(chooseWith(weights, draws), expected[static_cast<std::size_t>(k)]);
        EXPECT_EQ(draws.count(), 2u);
    }
    // Large draws are reduced modulo 5 and modulo n - 1.
    ScriptedDraws large({5 * 1000 + 3, 7 * 1000 + 3});
    EXPECT_EQ(chooseWith(weights, large), 4u);
}

TEST(Choice, StayingWithTheFavouriteDrawsOnce)
{
    std::vector<Weight> weights{0, 0, 0, 0, 0, 0, 0, 0, 0, 2};
    for (int first : {0, 1, 2, 5, 7}) {
        ScriptedDraws draws({first});
        EXPECT_EQ(chooseWith(weights, draws), 9u);
        EXPECT_EQ(draws.count(), 1u);
    }
}

}  // namespace
