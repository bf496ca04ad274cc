// The NegaScout engine: iterative deepening over a principal-variation alpha-beta search with
// two transposition tables, history ordering and a capture-only quiescence search.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "board/Board.h"
#include "board/Move.h"
#include "board/MoveList.h"
#include "search/SearchControl.h"
#include "search/SearchEngine.h"
#include "search/SearchLimits.h"

// Scores of the search.
inline constexpr int SCORE_NONE = -30001;   // no move accepted (yet)
inline constexpr int SCORE_WINDOW = 30000;  // the full window
inline constexpr int SCORE_ILLEGAL =
    31000;  // the side to move can capture the king, or has no move
inline constexpr int SCORE_MATE_FOUND = 29900;  // a forced mate has been found
inline constexpr int SCORE_GIVE_UP =
    -29995;  // the root resigns (or sees stalemate) at or below this
inline constexpr int ASPIRATION_WINDOW = 40;

// What a finished iteration tells: its depth, score and best move, its own nodes and those of
// the whole search so far, the time since the search began and the principal variation.
struct IterationReport {
  int depth;
  int score;
  std::int64_t iterationNodes;
  std::int64_t nodes;
  std::int64_t elapsedMs;
  Move best;
  std::string variation;
};

class NegaScout : public SearchEngine {
 public:
  // Milliseconds from a monotonic clock.
  using Clock = std::function<std::int64_t()>;

  explicit NegaScout(SearchLimits limits = SearchLimits(), Clock clock = nullptr);

  // Searches the position; the board is not changed.
  void Think(const Board& board, Move* out) override;
  // Counts a move that came from elsewhere (the opening book) as this engine's search: the
  // search count goes up and the counters start afresh, as a search would leave them.
  void AnswerWithoutSearch();
  std::string StatisticsReport(int& corruptedEntries) const override;

  // The fixed search parameters, as the program shows them at start.
  static std::string ParametersReport();

  // Receives every finished iteration of the following searches (none: nothing is reported,
  // and no variation is worked out).
  using IterationOutput = std::function<void(const IterationReport&)>;
  void SetIterationOutput(IterationOutput output) { iterationOutput_ = std::move(output); }
  void SetLimits(const SearchLimits& limits) { limits_ = limits; }
  const SearchLimits& Limits() const { return limits_; }
  // The clock and the interruptions of the following searches; the default has neither.
  void SetControl(SearchControl control) { control_ = std::move(control); }
  const SearchControl& Control() const { return control_; }
  // Whether the last search was cut short by its control. Its move is then the best one of
  // the last finished iteration (or the first legal move, when none had finished).
  bool Stopped() const { return stopped_; }
  // Depth of the last finished iteration of the last search (0: none, or no search).
  int CompletedDepth() const { return completedDepth_; }
  // Milliseconds the last search took.
  std::int64_t ElapsedMs() const { return elapsedMs_; }

  // Nodes (regular and quiescence) of all iterations of the last search.
  std::int64_t TotalNodes() const { return totalNodes_; }

  // One iteration: the root search in the aspiration window around `previous`, and again in the
  // full window when the score falls outside. Sets out's score.
  int Iterate(Board& board, int depth, Move* out, int previous);
  int SearchRoot(Board& board, int depth, Move* out, int alpha, int beta);
  int Search(Board& board, int depth, Move* out, int alpha, int beta);
  int Quiesce(Board& board, int alpha, int beta, int qdepth);

  // The moves the tables remember from `board` on, as coordinate text ("e2e4 e7e5").
  static std::string PrincipalVariation(int depth, const Board& board,
                                        const TranspositionTable& first,
                                        const TranspositionTable& second);

 private:
  // The running state of a node of the full-width search.
  struct Node {
    Node(int alphaArgument, int betaArgument)
        : alpha(alphaArgument), beta(betaArgument), alphaBefore(alpha) {}
    int alpha;
    int beta;
    int alphaBefore;  // alpha before any move was tried: decides between exact and upper bound
    int bestScore = SCORE_NONE;
    int bestIndex = 0;  // how many moves had been tried when the best score was last raised
    int bestMove = -1;  // index of the best move in the list, -1 when no move raised the score
  };
  // What a table entry that answers deep enough tells a node: the result itself, or a
  // narrower window and a move to try first.
  struct TableAnswer {
    bool ends = false;
    int score = 0;
    bool raisedAlpha = false;
    int from = -1;
    int to = -1;
  };
  // The slot of the position in the table of its side to move, and the position's lock.
  TableSlot SlotOf(const Board& board, std::uint32_t& lock);
  static TableAnswer Consult(const TTEntry& entry, int moveNumber, int& alpha, int& beta);

  // Sorts the moves and tries them (the table's move first) while the best score stays
  // below beta and below `stopScore`.
  void TryMoves(Board& board, MoveList& moves, int hashFrom, int hashTo, int depth, int stopScore,
                Node& node);
  // The bound kind, the history counter, the table store and the statistics of a finished node.
  int Complete(const Board& board, const TableSlot& slot, std::uint32_t lock, int depth,
               bool replace, int bestFrom, int bestTo, const MoveList& moves, const Node& node);
  // The answer of a root where no move is acceptable: resignation, or stalemate.
  int GameEndFlags(const Board& board, const MoveList& moves) const;

  // Every few thousand nodes: asks the control whether to stop.
  void Poll();
  // The move of a search stopped before its first iteration finished: the first legal move.
  Move FallbackMove(Board& board) const;
  static constexpr int POLL_INTERVAL = 2048;

  // The start of every search, and of a move answered without one.
  void Begin();

  SearchLimits limits_;
  SearchControl control_;
  std::int64_t searchStart_ = 0;
  int pollCountdown_ = POLL_INTERVAL;
  bool stopped_ = false;
  int completedDepth_ = 0;
  Clock clock_;
  IterationOutput iterationOutput_;
  std::int64_t totalNodes_ = 0;
  std::int64_t elapsedMs_ = 0;
};
