#include "search/TimeBudget.h"

#include <algorithm>

namespace {

// For a game without a move count: the moves still to come are assumed to be this many.
constexpr int MOVES_EXPECTED = 25;

}  // namespace

SearchControl BudgetFor(const GameClock& clock) {
  SearchControl control;
  if (clock.fixedMoveMs >= 0) {
    // The time asked for is used, up to the reserve; a short one keeps back a tenth of itself
    // rather than the whole reserve.
    const std::int64_t lag = std::min(clock.overheadMs, clock.fixedMoveMs / 10);
    const std::int64_t usable = std::max<std::int64_t>(clock.fixedMoveMs - lag, 1);
    control.hardMs = usable;
    control.softMs = usable;
    return control;
  }
  if (clock.remainingMs < 0) return control;
  const std::int64_t usable = std::max<std::int64_t>(clock.remainingMs - clock.overheadMs, 0);
  const int moves = clock.movesToGo > 0 ? clock.movesToGo + 1 : MOVES_EXPECTED;
  const std::int64_t share = usable / moves + clock.incrementMs * 3 / 4;
  // An iteration takes a few times longer than the one before: none is begun after half the
  // share, and none runs past two and a half shares or a third of what is left.
  control.softMs = std::max<std::int64_t>(share / 2, 1);
  control.hardMs = std::max<std::int64_t>(std::min(share * 5 / 2, usable / 3), 1);
  return control;
}
