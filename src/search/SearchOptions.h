// What a game under a front end adds to the search of the console game: the positions played
// before the root, the root moves to look at, how many best lines to find, when a mate is
// enough, and reports while an iteration runs. The default adds nothing: the search is then
// exactly the console game's.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "board/Move.h"

// The deepest iteration a front end may ask for; the console game stops far earlier.
inline constexpr int MAX_SEARCH_DEPTH = 64;

// Where the search is while an iteration runs, reported about once a second.
struct SearchProgress {
  enum class Kind {
    PERIODIC,      // the counters only
    CURRENT_MOVE,  // the root begins to search `move`, the `moveNumber`-th of the iteration
    NEW_BEST,      // the root has a new best move: `score` and `variation` say which
  };
  Kind kind = Kind::PERIODIC;
  int depth = 0;
  int selectiveDepth = 0;  // the deepest ply reached, the capture search included
  std::int64_t nodes = 0;
  std::int64_t elapsedMs = 0;
  int hashFull = 0;  // the tables' use in thousandths
  Move move;
  int moveNumber = 0;
  int score = 0;
  std::vector<Move> variation;
};

struct SearchOptions {
  // Repetitions and the fifty-move rule score as draws, and nodes of the principal variation
  // are searched rather than answered by the tables, so that the variation stays whole.
  bool gameRules = false;
  // RepetitionKey of the game's positions before the root since its last capture or pawn move,
  // oldest first, and the number of plies played since that move.
  std::vector<std::uint64_t> earlierPositions;
  int reversiblePlies = 0;
  // Only these moves are searched at the root (none: every move).
  std::vector<Move> rootMoves;
  // The number of best root moves found, each with its own score and variation.
  int lines = 1;
  // The search ends once it has found a mate in this many moves (0: no such end).
  int mateMoves = 0;
  // Lets the time the clock gives grow when the best move changes or the score drops, and
  // ends a search with a single legal move after its first iteration.
  bool adaptTime = false;
  // Receives the reports while an iteration runs (none: nothing is reported).
  std::function<void(const SearchProgress&)> progress;
};
