#pragma once

#include "actions.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace gorvandel {

using Weight = std::int16_t;

constexpr Weight WEIGHT_MIN = -5;
constexpr Weight WEIGHT_MAX = 5;

constexpr bool inWeightRange(long value)
{
    return value >= WEIGHT_MIN && value <= WEIGHT_MAX;
}

// A source of non-negative random numbers; the persona draws from the
// runtime's rand, tests pass scripted draws.
using Draw = std::function<int()>;

// The program's one random sequence: the runtime's rand, seeded at start,
// which the number actions draw from too.
int runtimeDraw();

// The favourite is the lowest index among the highest positive weights;
// -1 when no weight is positive or there are fewer than two actions.
int findFavourite(const std::vector<Weight>& weights);

// Picks an action index for the given weights. A favourite of weight w runs
// with chance (w + 1) in 5 (always from 4 up); otherwise one of the others
// runs, each equally likely. Without a favourite the choice is uniform.
// Draws at most two numbers; none when the favourite's weight is 5.
std::size_t chooseIndex(const std::vector<Weight>& weights, const Draw& draw);

// Each action's chance to run at the next choice over these weights, from
// 0 to 1, as chooseIndex gives it.
std::vector<double> choiceChances(const std::vector<Weight>& weights);

enum class ActionKind { Plain, Argument };

// What the persona has learned: one weight per action of each table, in
// table order.
struct Learning {
    std::vector<Weight> plain = std::vector<Weight>(PLAIN_ACTION_COUNT, 0);
    std::vector<Weight> argument = std::vector<Weight>(ARGUMENT_ACTION_COUNT, 0);
};

// Whether each list has one weight per action of its table, each within
// WEIGHT_MIN..WEIGHT_MAX.
bool fitsTheTables(const Learning& learned);

// The persona: chooses pretend actions, remembers the last one and learns
// from reward and punishment which action of each table to prefer.
class OperatingSystem {
public:
    // Starts from what an earlier run learned (std::invalid_argument unless
    // it fits the tables) and chooses with draws from draw.
    explicit OperatingSystem(Learning learned = {}, Draw draw = runtimeDraw);

    void doSomething();
    void doSomethingWith(std::string argument);
    void reward();
    void punish();

    // Read-only views, for checks from outside.
    const std::vector<Weight>& weights(ActionKind kind) const;
    std::int16_t lastActionIndex() const { return lastAction; }
    ActionKind lastActionKind() const { return lastKind; }

private:
    void judge(int step);

    std::vector<PlainAction> plainActions;
    std::vector<ArgumentAction> argumentActions;
    std::vector<Weight> argumentWeights;
    std::vector<Weight> plainWeights;
    std::int16_t lastAction = -1;
    std::string lastArgument;
    // Which table lastAction indexes; an argument action may have had an
    // empty argument, so lastArgument cannot tell.
    ActionKind lastKind = ActionKind::Plain;
    Draw draw;
};

}  // namespace gorvandel
