#include "operating_system.h"

#include "standard_output.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <stdexcept>
#include <utility>

namespace gorvandel {

namespace {

std::size_t drawBelow(const Draw& draw, std::size_t bound)
{
    return static_cast<std::size_t>(draw()) % bound;
}

// A build without exceptions (the WebAssembly module) checks the learning
// before it makes a persona, so that this is never reached there.
[[noreturn]] void refuseLearning()
{
#if defined(__cpp_exceptions)
    throw std::invalid_argument("learned weights do not fit the persona's actions");
#else
    std::abort();
#endif
}

}  // namespace

int runtimeDraw()
{
    return std::rand();
}

bool fitsTheTables(const Learning& learned)
{
    const auto fits = [](const std::vector<Weight>& weights, std::size_t count) {
        return weights.size() == count &&
               std::all_of(weights.begin(), weights.end(), [](Weight weight) { return inWeightRange(weight); });
    };
    return fits(learned.plain, PLAIN_ACTION_COUNT) && fits(learned.argument, ARGUMENT_ACTION_COUNT);
}

int findFavourite(const std::vector<Weight>& weights)
{
    if (weights.size() < 2) {
        return -1;
    }
    int favourite = -1;
    Weight best = 0;
    for (std::size_t i = 0; i < weights.size(); ++i) {
        if (weights[i] > best) {
            favourite = static_cast<int>(i);
            best = weights[i];
        }
    }
    return favourite;
}

std::size_t chooseIndex(const std::vector<Weight>& weights, const Draw& draw)
{
    assert(!weights.empty());
    const std::size_t n = weights.size();
    const int found = findFavourite(weights);
    if (found < 0) {
        return drawBelow(draw, n);
    }
    const auto favourite = static_cast<std::size_t>(found);
    const Weight weight = weights[favourite];
    if (weight >= WEIGHT_MAX) {
        return favourite;
    }
    if (drawBelow(draw, 5) <= static_cast<std::size_t>(weight)) {
        return favourite;
    }
    // Explore: a uniform pick among the n - 1 others, skipping the favourite.
    const std::size_t other = drawBelow(draw, n - 1);
    return other >= favourite ? other + 1 : other;
}

std::vector<double> choiceChances(const std::vector<Weight>& weights)
{
    const std::size_t n = weights.size();
    const int found = findFavourite(weights);
    if (found < 0) {
        return std::vector<double>(n, 1.0 / static_cast<double>(n));
    }
    const auto favourite = static_cast<std::size_t>(found);
    // The favourite runs when a draw modulo 5 is at most its weight.
    const double chance = std::min(1.0, (weights[favourite] + 1) / 5.0);
    std::vector<double> chances(n, (1.0 - chance) / static_cast<double>(n - 1));
    chances[favourite] = chance;
    return chances;
}

OperatingSystem::OperatingSystem(Learning learned, Draw source)
    : plainActions(plainActionTable()),
      argumentActions(argumentActionTable()),
      argumentWeights(std::move(learned.argument)),
      plainWeights(std::move(learned.plain)),
      draw(std::move(source))
{
    if (!fitsTheTables({plainWeights, argumentWeights})) {
        refuseLearning();
    }
}

void OperatingSystem::doSomething()
{
    const std::size_t index = chooseIndex(plainWeights, draw);
    plainActions[index]();
    lastAction = static_cast<std::int16_t>(index);
    lastKind = ActionKind::Plain;
    lastArgument.clear();
}

void OperatingSystem::doSomethingWith(std::string argument)
{
    const std::size_t index = chooseIndex(argumentWeights, draw);
    argumentActions[index](argument);
    lastAction = static_cast<std::int16_t>(index);
    lastKind = ActionKind::Argument;
    lastArgument = std::move(argument);
}

void OperatingSystem::reward()
{
    judge(+1);
}

void OperatingSystem::punish()
{
    judge(-1);
}

const std::vector<Weight>& OperatingSystem::weights(ActionKind kind) const
{
    return kind == ActionKind::Plain ? plainWeights : argumentWeights;
}

void OperatingSystem::judge(int step)
{
    if (lastAction < 0) {
        writeOutputLine("Operating system has no data about its last action!");
        return;
    }
    auto& judged = lastKind == ActionKind::Plain ? plainWeights : argumentWeights;
    Weight& weight = judged.at(static_cast<std::size_t>(lastAction));
    weight = static_cast<Weight>(std::clamp(weight + step, int{WEIGHT_MIN}, int{WEIGHT_MAX}));
    lastAction = -1;
}

}  // namespace gorvandel
