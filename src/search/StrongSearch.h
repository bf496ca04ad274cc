// The full-strength search of the engine modes, under the shared iteration driver: a
// principal-variation search with the additions of engines of its class (null move, late move
// reductions and pruning, futility, check extensions, killer and counter moves, history that
// rises and falls), a capture search that gets out of check, the colour-blind evaluation of
// StrongEvaluate.h, and tables keyed by the whole position and kept from move to move.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "board/Board.h"
#include "board/Move.h"
#include "board/MoveList.h"
#include "search/IterativeSearch.h"
#include "search/PawnInfo.h"

// Where the strong search keeps a position: the slot's key and the lock that tells the
// position from others in the slot. Both cover the placement, the side to move, the castling
// rights and an en passant capture that can be made.
struct PositionKey {
  std::int64_t key = 0;
  std::uint32_t lock = 0;
};
PositionKey FullPositionKey(const Board& board);

class StrongSearch : public IterativeSearch {
 public:
  explicit StrongSearch(SearchLimits limits = SearchLimits(), Clock clock = nullptr);
  ~StrongSearch() override;

  // The threads of the following searches, 1 to MAX_THREADS (values outside are brought
  // inside). The others search the same root beside this one until it ends, each with its
  // own move order and stack, and share its tables; only this one reports and answers.
  void SetThreads(int threads);
  int Threads() const { return static_cast<int>(helpers_.size()) + 1; }
  static constexpr int MAX_THREADS = 64;

  void Think(const Board& board, Move* out) override;

  int SearchRoot(Board& board, int depth, Move* out, int alpha, int beta) override;
  // The window begins narrow around the score of the iteration before and widens, twice as
  // far each time, on the side the score falls out of, until the score holds.
  int Iterate(Board& board, int depth, Move* out, int previous) override;
  int Search(Board& board, int depth, Move* out, int alpha, int beta);
  int Quiesce(Board& board, int alpha, int beta, int qdepth);

 protected:
  // The tables are kept from one search to the next and the move counters halved: a kept
  // search trusts what it learnt before a little less. It always scores by the game's rules.
  void BeginSearch(const Board& root) override;
  // A mate ends the search only once the iteration was deep enough to have seen any quicker
  // one.
  bool MateEndsSearch(int score, int depth) const override;
  bool TableMove(const Board& board, int& from, int& to) const override;
  std::int64_t HelperNodes() const override;
  // A best move that has held for several iterations ends the search early; one that has just
  // changed, or a falling score, makes it go on for longer.
  std::int64_t SoftLimit(const Settling& settling) const override;

  // By the piece and square of a move one or two plies before, the counters of the quiet
  // moves (by their piece and square) that followed it, rising and falling as the counters by
  // the squares alone do.
  using FollowUps = std::array<std::array<std::int16_t, 64>, 12>;
  using FollowUpTable = std::array<std::array<FollowUps, 64>, 12>;
  std::unique_ptr<FollowUpTable> followUps_;

 private:
  // A search of its own thread that shares this one's tables.
  struct Helper;
  struct Killer {
    int from = -1;
    int to = -1;
  };

  TableSlot SlotOf(const Board& board, std::uint32_t& lock);
  // A table entry's score at a node `nodePly` plies from the root, and the score a node
  // stores: the tables outlive their root, so a mate is stored by its distance from the node.
  static int TableScore(const TTEntry& entry, int nodePly);
  static int StoredScore(int score, int nodePly);

  // Sorts the moves and tries them (the table's move first) while the best score stays
  // below beta.
  void TryMoves(Board& board, MoveList& moves, int hashFrom, int hashTo, int depth, Node& node);
  // The bound kind, the killer move, the table store and the statistics of a finished node.
  int Complete(const Board& board, const TableSlot& slot, std::uint32_t lock, int depth,
               bool replace, int bestFrom, int bestTo, const MoveList& moves, const Node& node);
  // The capture search in check: every move out of it, no stand-pat score, and the mate when
  // there is none.
  int Evade(Board& board, int alpha, int beta, int qdepth);

  // The side to move passes, and a search of reduced depth still fails high: the node's
  // result is then at least `beta`, which `score` gets. Only without check, with a piece
  // besides king and pawns (so pawn endings, where passing is what zugzwang forbids, never
  // do it), never twice in a row and never in the principal variation.
  bool NullMoveCuts(const Board& board, int depth, int beta, int staticScore, int& score);
  // Each move's place in the order: captures and promotions by the most valuable victim and
  // the least valuable attacker, then the killer moves of the ply, the answer to the move
  // before, then the rest by their counters and the counters of the moves they follow. With
  // `weighLosses`, a capture that loses material once the square's defenders have taken back comes
  // after them all.
  void Prioritise(const Board& board, const MoveList& moves, bool weighLosses,
                  std::int32_t* priorities) const;
  bool IsKiller(const Move& move) const;
  // The quiet move that last refuted the move before this ply, if it is `move`.
  bool IsCounterMove(const Move& move) const;
  // A quiet move cut the node off: it gains in the counters, the quiet moves tried before it
  // lose, each by the square of the depth and less the nearer its counter is to the bound;
  // it becomes the answer to the move before.
  void RewardQuietCut(int side, const MoveList& moves, int cut, const int* tried, int triedCount,
                      int depth);
  // A quiet move that cut the node off becomes the ply's first killer move.
  void RememberKiller(const Move& move);

  // The state per ply: the side to move is in check; the node follows a null move; the
  // static score of the node (out of check); the two quiet moves that last cut a node of the
  // ply off; the move played (no piece after a pass).
  std::array<bool, MAX_PLY + 1> inCheck_{};
  std::array<bool, MAX_PLY + 1> afterNull_{};
  std::array<int, MAX_PLY + 1> staticScores_{};
  std::array<std::array<Killer, 2>, MAX_PLY + 1> killers_{};
  std::array<Move, MAX_PLY + 1> played_{};
  // By the piece and square of a move, the quiet move that last cut off the reply to it.
  std::array<std::array<Killer, 64>, 12> counterMoves_{};
  // The rows of the moves one and two plies before this ply (null where there was none).
  std::array<FollowUps*, 2> FollowUpRows() const;
  PawnCache pawns_;  // the pawn scores of this search's own evaluation
  std::vector<std::unique_ptr<Helper>> helpers_;
};
