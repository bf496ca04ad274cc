// How long the engine may think about one move of a game played on a clock.
#pragma once

#include <cstdint>

#include "search/SearchControl.h"

struct GameClock {
  std::int64_t remainingMs = -1;  // on the engine's clock; -1 while nobody has said
  std::int64_t incrementMs = 0;   // added after every move
  int movesToGo = 0;              // moves until the next time control; 0: the rest of the game
  std::int64_t fixedMoveMs = -1;  // exactly this long per move instead, when not -1
  // Kept back on every move for the pipe and the front end (UCI "Move Overhead").
  std::int64_t overheadMs = DEFAULT_OVERHEAD_MS;
  static constexpr std::int64_t DEFAULT_OVERHEAD_MS = 100;
};

// The soft limit (no new iteration after it) and the hard one (the running iteration is given
// up) for the next move. Without any clock both are unlimited. The budget keeps a reserve for
// the pipe and the front end, so the engine never oversteps its clock.
SearchControl BudgetFor(const GameClock& clock);
