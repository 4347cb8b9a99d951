#include "operating_system.h"
#include "test_support.h"

#include <functional>
#include <vector>

namespace {

using gorvandel::chooseIndex;
using gorvandel::findFavourite;
using Weights = std::vector<gorvandel::Weight>;

std::size_t choose(const Weights& weights, ScriptedDraws& draws)
{
    return chooseIndex(weights, std::ref(draws));
}

TEST(Choice, FavouriteIsTheLowestIndexAmongTheHighestPositiveWeights)
{
    EXPECT_EQ(findFavourite(Weights(8, 0)), -1);
    EXPECT_EQ(findFavourite({-1, -5, 0, -3, 0, 0, 0, -2}), -1);
    EXPECT_EQ(findFavourite({1, 0, 0, 0, 0, 0, 0, 0}), 0);
    EXPECT_EQ(findFavourite({0, 2, 0, 2, 0, 0, 0, 1}), 1);
    EXPECT_EQ(findFavourite({1, 0, 3, -5, 4, 4, 0, 2, 0, 0}), 4);
    EXPECT_EQ(findFavourite({3}), -1);  // a lone action is no favourite
}

TEST(Choice, WithoutFavouriteOneDrawModuloTheCount)
{
    for (int draw : {0, 13, 32767, 2147483647}) {
        ScriptedDraws draws{{draw}};
        EXPECT_EQ(choose({-1, -2, 0, -5, 0, 0, 0, 0, 0, 0}, draws), static_cast<std::size_t>(draw) % 10);
        EXPECT_EQ(draws.taken, 1u);
    }
}

TEST(Choice, FavouriteOfWeightFiveDrawsNothing)
{
    ScriptedDraws none;
    EXPECT_EQ(choose({0, 0, 5, 0, 0, 5, 0, 0}, none), 2u);
    EXPECT_EQ(none.taken, 0u);
}

// Every pair of first and second draw once: the counts are the chances.
TEST(Choice, FavouriteRunsWithChanceWeightPlusOneInFiveAndExploringSkipsIt)
{
    for (std::size_t n : {8u, 10u}) {
        for (std::size_t favourite : {std::size_t{0}, std::size_t{3}, n - 1}) {
            for (int weight = 1; weight <= 4; ++weight) {
                Weights weights(n, favourite == 0 ? 0 : -5);
                weights[favourite] = static_cast<gorvandel::Weight>(weight);
                std::vector<int> runs(n, 0);
                for (int first = 0; first < 5; ++first) {
                    for (int second = 0; second < static_cast<int>(n) - 1; ++second) {
                        ScriptedDraws draws{{first + 5000, second + 1000 * static_cast<int>(n - 1)}};
                        const std::size_t chosen = choose(weights, draws);
                        ++runs.at(chosen);
                        EXPECT_EQ(draws.taken, chosen == favourite ? 1u : 2u);
                    }
                }
                for (std::size_t i = 0; i < n; ++i) {
                    const int expected = i == favourite ? (weight + 1) * static_cast<int>(n - 1) : 4 - weight;
                    EXPECT_EQ(runs[i], expected) << "n=" << n << " favourite=" << favourite << " weight=" << weight;
                }
            }
        }
    }
}

}  // namespace
