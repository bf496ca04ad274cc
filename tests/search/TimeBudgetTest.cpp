#include <gtest/gtest.h>

#include "search/TimeBudget.h"

namespace {

// Plays a whole time control in which every move takes its full hard limit: the clock must
// never run out, whatever the control.
std::int64_t LeftAfterWorstCase(std::int64_t baseMs, int moves, std::int64_t incrementMs,
                                int movesPlayed) {
  std::int64_t remaining = baseMs;
  for (int i = 0; i < movesPlayed; ++i) {
    GameClock clock;
    clock.remainingMs = remaining;
    clock.incrementMs = incrementMs;
    clock.movesToGo = moves > 0 ? moves - i % moves : 0;
    const SearchControl control = BudgetFor(clock);
    EXPECT_LE(control.softMs, control.hardMs);
    remaining -= control.hardMs;
    if (remaining <= 0) return remaining;
    remaining += incrementMs;
    if (moves > 0 && (i + 1) % moves == 0) remaining += baseMs;
  }
  return remaining;
}

TEST(TimeBudget, NeverOverstepsTheClock) {
  // 40 moves in 1 minute, 40 in 5, sudden death 1 minute over 120 moves, 2 s + 1 s increment.
  EXPECT_GT(LeftAfterWorstCase(60000, 40, 0, 80), 0);
  EXPECT_GT(LeftAfterWorstCase(300000, 40, 0, 80), 0);
  EXPECT_GT(LeftAfterWorstCase(60000, 0, 0, 120), 0);
  EXPECT_GT(LeftAfterWorstCase(2000, 0, 1000, 200), 0);

  GameClock nearlyOut;
  nearlyOut.remainingMs = 150;
  EXPECT_LE(BudgetFor(nearlyOut).hardMs, 150 / 3);

  // A fixed time per move keeps back room for the pipe; no clock at all limits nothing.
  GameClock fixed;
  fixed.fixedMoveMs = 2000;
  EXPECT_LT(BudgetFor(fixed).hardMs, 2000);
  fixed.fixedMoveMs = 200;  // a short one is mostly used, not spent on the reserve
  EXPECT_GT(BudgetFor(fixed).hardMs, 150);
  EXPECT_LT(BudgetFor(fixed).hardMs, 200);
  EXPECT_EQ(BudgetFor(GameClock()).hardMs, SearchControl::NO_LIMIT);
  EXPECT_EQ(BudgetFor(GameClock()).softMs, SearchControl::NO_LIMIT);
}

// A fixed time is used to within its reserve (the front end's Move Overhead); the moves to go
// share the time left: no move may take much more than its share.
TEST(TimeBudget, UsesAFixedTimeAndSharesTheMovesToGo) {
  GameClock fixed;
  fixed.fixedMoveMs = 3000;
  EXPECT_EQ(BudgetFor(fixed).softMs, BudgetFor(fixed).hardMs);
  EXPECT_EQ(BudgetFor(fixed).hardMs, 2900);
  fixed.overheadMs = 30;
  EXPECT_EQ(BudgetFor(fixed).hardMs, 2970);
  for (const int movesToGo : {1, 2, 5, 23, 40}) {
    for (const std::int64_t left : {500, 16100, 60000}) {
      GameClock clock;
      clock.remainingMs = left;
      clock.movesToGo = movesToGo;
      EXPECT_LE(BudgetFor(clock).hardMs, 3 * left / movesToGo) << movesToGo << " " << left;
    }
  }
}

}  // namespace
