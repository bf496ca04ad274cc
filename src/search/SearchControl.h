// What may end a search before its own limits: the clock of a game played under time control,
// and commands that arrive while the engine thinks.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>

struct SearchControl {
  static constexpr std::int64_t NO_LIMIT = std::numeric_limits<std::int64_t>::max();

  std::int64_t softMs = NO_LIMIT;  // no new iteration once the search has run this long
  std::int64_t hardMs = NO_LIMIT;  // the running iteration is given up at this time
  // The search ends once it has visited this many nodes and finished its first iteration.
  std::int64_t maxNodes = NO_LIMIT;
  // The search ends at this many nodes even inside its first iteration (and then answers with
  // any legal move): a bound for tools that run many searches, never set by a game.
  std::int64_t nodeCeiling = NO_LIMIT;
  // Asked every few thousand nodes and after every iteration: true ends the search at once.
  std::function<bool()> interrupted;
};
