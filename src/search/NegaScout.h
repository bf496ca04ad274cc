// The console game's search: a principal-variation alpha-beta search with two transposition
// tables, history ordering and a capture-only quiescence search, under the shared iteration
// driver. Its node counts are part of what the program is: velmora-bench pins them.
#pragma once

#include <cstdint>
#include <string>

#include "board/Board.h"
#include "board/Move.h"
#include "board/MoveList.h"
#include "search/IterativeSearch.h"

class NegaScout : public IterativeSearch {
 public:
  explicit NegaScout(SearchLimits limits = SearchLimits(), Clock clock = nullptr)
      : IterativeSearch(limits, std::move(clock)) {}

  // The fixed search parameters, as the program shows them at start.
  static std::string ParametersReport();

  int SearchRoot(Board& board, int depth, Move* out, int alpha, int beta) override;
  int Search(Board& board, int depth, Move* out, int alpha, int beta);
  int Quiesce(Board& board, int alpha, int beta, int qdepth);

 protected:
  // Every search starts with empty tables and counters.
  void BeginSearch(const Board& root) override;

 private:
  // The slot of the position in the table of its side to move, and the position's lock.
  TableSlot SlotOf(const Board& board, std::uint32_t& lock);

  // Sorts the moves and tries them (the table's move first) while the best score stays
  // below beta and below `stopScore`.
  void TryMoves(Board& board, MoveList& moves, int hashFrom, int hashTo, int depth, int stopScore,
                Node& node);
  // The bound kind, the history counter, the table store and the statistics of a finished node.
  int Complete(const Board& board, const TableSlot& slot, std::uint32_t lock, int depth,
               bool replace, int bestFrom, int bestTo, const MoveList& moves, const Node& node);

  // The static score of the position for its side to move: the engine's side's evaluation.
  int StaticScore(const Board& board);
};
