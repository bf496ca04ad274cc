// The iteration driver both searches share: iterative deepening with an aspiration window at
// the root, the best lines (MultiPV), the reports of every finished iteration and of the
// running one, the limits, the clock's budget and the stop request, the variations and the
// draw rules of a front end's game. What a node does is the search's own: the console game's
// NegaScout and the engine modes' StrongSearch each search their root and everything below it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "board/Board.h"
#include "board/Move.h"
#include "board/MoveList.h"
#include "search/SearchControl.h"
#include "search/SearchEngine.h"
#include "search/SearchLimits.h"
#include "search/SearchOptions.h"

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
// the whole search so far, the time since the search began and the principal variation. With
// several lines, one report per line, the best first.
struct IterationReport {
  int depth = 0;
  int score = 0;
  std::int64_t iterationNodes = 0;
  std::int64_t nodes = 0;
  std::int64_t elapsedMs = 0;
  Move best;
  std::string variation;    // the moves of `moves` as coordinate text
  std::vector<Move> moves;  // the principal variation: legal moves, the first one `best`
  int mateMoves = 0;        // > 0: the side to move mates in so many moves; < 0: is mated
  int line = 1;             // which of the best lines this is, from 1
  int selectiveDepth = 0;   // the deepest ply reached, the capture search included
  int hashFull = 0;         // the tables' use in thousandths
};

class IterativeSearch : public SearchEngine {
 public:
  // Milliseconds from a monotonic clock.
  using Clock = std::function<std::int64_t()>;

  explicit IterativeSearch(SearchLimits limits = SearchLimits(), Clock clock = nullptr);

  // Searches the position; the board is not changed.
  void Think(const Board& board, Move* out) override;
  // Counts a move that came from elsewhere (the opening book) as this engine's search: the
  // search count goes up and the counters start afresh, as a search would leave them.
  void AnswerWithoutSearch();
  std::string StatisticsReport(int& corruptedEntries) const override;

  // Receives every finished iteration of the following searches (none: nothing is reported,
  // and no variation is worked out).
  using IterationOutput = std::function<void(const IterationReport&)>;
  void SetIterationOutput(IterationOutput output) { iterationOutput_ = std::move(output); }
  void SetLimits(const SearchLimits& limits) { limits_ = limits; }
  // What a front end's game adds to the following searches.
  void SetOptions(SearchOptions options) { options_ = std::move(options); }
  const SearchOptions& Options() const { return options_; }
  // Gives the running search the budget from now on (when a pondered move was played).
  void RestartClock(const SearchControl& budget);
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

  // Nodes (regular and quiescence) of all iterations of the last search, those of the
  // threads beside it included.
  std::int64_t TotalNodes() const { return totalNodes_ + HelperNodes(); }

  // One iteration: the root search in the aspiration window around `previous`, and again in the
  // full window when the score falls outside. Sets out's score.
  virtual int Iterate(Board& board, int depth, Move* out, int previous);
  // The root of one iteration, in the window; `out` gets the best move, or the resignation or
  // stalemate when no move is acceptable.
  virtual int SearchRoot(Board& board, int depth, Move* out, int alpha, int beta) = 0;

  // The moves a variation takes as long as they are legal, and the mate it ends in: moves
  // to mate from the side to move of `board`, negative when it is mated, 0 for none.
  static std::vector<Move> LegalPrefix(const Board& board, const std::vector<Move>& moves,
                                       int* mateMoves);
  // The moves to mate that a mate score of an iteration of `depth` stands for (see
  // IterationReport::mateMoves), when the variation does not reach the mate; 0 for others.
  int MateFromScore(int score, int depth) const;
  // The share of table entries in use, in thousandths, from a sample.
  int HashFull() const;

 protected:
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
  // `score` is the entry's score as seen from the node.
  static TableAnswer Consult(const TTEntry& entry, int score, int& alpha, int& beta);
  // What the table tells a node of the capture search, with the entry's score as seen from the
  // node (`entryScore(entry)`, asked only of an entry of the node's position): true when the
  // entry ends the node with `score`; else the window may narrow and `from`/`to` get the
  // entry's move. Counts the hits, cuts and collisions. An empty slot is known from its mark,
  // without waiting for the entry.
  template <typename EntryScore>
  bool ProbeForCaptures(const TableSlot& slot, std::uint32_t lock, EntryScore entryScore,
                        int& alpha, int& beta, int& score, int& from, int& to) {
    if (!slot.MayBeUsed()) return false;
    const TTEntry& entry = slot.Entry();
    if (!slot.MayAnswer(lock) || !entry.Answers(lock)) {
      // Another position's entry, known from the mark alone or from the entry.
      if (!slot.MayAnswer(lock) || entry.type != TT_EMPTY) stats_.quiescenceCollisions += 1;
      return false;
    }
    if (entry.depth < 0) return false;
    stats_.quiescenceTtHits += 1;
    const TableAnswer answer = Consult(entry, entryScore(entry), alpha, beta);
    if (answer.ends) {
      stats_.quiescenceCutoffs += 1;
      score = answer.score;
      return true;
    }
    from = answer.from;
    to = answer.to;
    return false;
  }
  // The bound kind of a node's result (TT_LOWER, TT_EXACT or TT_UPPER).
  static int BoundType(int bestScore, int alpha, int beta) {
    if (bestScore >= beta) return TT_LOWER;
    return bestScore > alpha ? TT_EXACT : TT_UPPER;
  }
  // The index of the move from `from` to `to` in the list, -1 when it has none.
  static int FindFromTo(const MoveList& list, int from, int to) {
    for (int i = 0; i < list.Size(); ++i)
      if (list[i].from == from && list[i].to == to) return i;
    return -1;
  }

  // How the iterations so far have gone: whether the last one changed the best move, how far
  // its score fell below the one before, and how many iterations in a row the best move has
  // stayed the same.
  struct Settling {
    bool bestChanged = false;
    int scoreDrop = 0;
    int sameBest = 0;
  };
  // The soft limit after an iteration of a game on the clock (options_.adaptTime): stretched
  // when the search is unsettled, never beyond half the hard limit.
  virtual std::int64_t SoftLimit(const Settling& settling) const;

  // What the search keeps and forgets from one search to the next (tables, counters), and the
  // options it always searches with; called at the start of every search.
  virtual void BeginSearch(const Board& root) = 0;
  // Whether a mate score found by an iteration of `depth` ends the search.
  virtual bool MateEndsSearch(int score, int depth) const;
  // The best move the tables know for `board`, as its from and to squares; false when they
  // know none (a search whose tables cannot tell positions apart knows none).
  virtual bool TableMove(const Board& /*board*/, int& /*from*/, int& /*to*/) const { return false; }

  // The moves of a root: those generated, and those it may try (searchmoves, and not the moves
  // of lines already found).
  struct RootMoves {
    MoveList generated;
    MoveList chosen;
    bool choosing = false;
    MoveList& Moves() { return choosing ? chosen : generated; }
  };
  // Generates the root's moves and starts its variation. False when the root ends at once,
  // with `score` its result: an illegal position, or no move to try (`out` then resigns or
  // sees stalemate).
  bool OpenRoot(Board& board, RootMoves& root, Move* out, int& score);
  // The root's best move after its moves were tried into `out`: resignation or stalemate when
  // none is acceptable, or all only delay a mate found against the side to move.
  void CloseRoot(const Board& board, RootMoves& root, const Node& node, Move* out);
  // The answer of a root where no move is acceptable: resignation, or stalemate.
  int GameEndFlags(const Board& board, const MoveList& moves) const;
  // Every few thousand nodes: asks the control whether to stop.
  void Poll();
  static constexpr int POLL_INTERVAL = 2048;
  // A forced move is searched for this share of the soft limit of time.
  static constexpr int FORCED_MOVE_SHARE = 10;
  // Principal variations of the running iteration, one row per ply: a node's best line is its
  // move and the line of the child below it.
  static constexpr int MAX_PLY = MAX_SEARCH_DEPTH + 2;
  void ExtendVariation(const Move& move);
  // Draw by the fifty-move rule or a repetition of the game or the path (gameRules only).
  bool DrawnByRule(std::uint64_t key) const;
  // The reports while an iteration runs, when options_.progress asks for them.
  void Report(SearchProgress::Kind kind, const Move* move = nullptr, int moveNumber = 0,
              int score = 0);
  // Whether the root looks at the move (searchmoves, and moves of lines already found).
  bool RootMayTry(const Move& move) const;
  // The best move of the last finished iteration (none before the first).
  const Move& LastBest() const { return rootLines_[0].move; }
  // The nodes so far of the running search's iterations, finished or not, and of the threads
  // that search beside it.
  std::int64_t NodesSoFar() const {
    const std::int64_t running =
        iterating_ ? std::int64_t{stats_.regularNodes} + stats_.quiescenceNodes : 0;
    return totalNodes_ + running + HelperNodes();
  }
  // The nodes of threads that search beside this one (none here).
  virtual std::int64_t HelperNodes() const { return 0; }

  SearchLimits limits_;
  SearchOptions options_;
  SearchControl control_;
  int ply_ = 0;
  int selectiveDepth_ = 0;
  std::vector<std::array<Move, MAX_PLY>> variations_ =
      std::vector<std::array<Move, MAX_PLY>>(MAX_PLY + 1);
  std::array<int, MAX_PLY + 1> variationLength_{};
  std::array<std::uint64_t, MAX_PLY + 1> pathKeys_{};
  std::array<int, MAX_PLY + 1> reversiblePlies_{};
  std::vector<Move> excluded_;  // root moves of the lines already found in this iteration
  Move rootBest_;               // the best move of the last root search, as generated
  int pollCountdown_ = POLL_INTERVAL;
  bool stopped_ = false;
  int completedDepth_ = 0;

 private:
  // The start of every search, and of a move answered without one.
  void Begin();
  // The move of a search stopped before its first iteration finished: the first legal move.
  Move FallbackMove(Board& board) const;
  // The root's variation, checked move by move, and its mate distance.
  std::vector<Move> RootVariation(const Board& root, const Move& best, int* mateMoves) const;
  // One pass over the root for each wanted line; the lines found go to `lines`.
  struct RootLine {
    Move move;
    int score = 0;
    std::vector<Move> variation;
    int mateMoves = 0;
  };
  static constexpr int MAX_LINES = 8;
  int SearchLines(Board& board, int depth, Move* out, int previous);

  int iterationDepth_ = 0;
  bool iterating_ = false;  // an iteration runs, and its nodes are not yet in totalNodes_
  std::int64_t lastReportMs_ = 0;
  Board rootBoard_;
  int lines_ = 1;
  int foundLines_ = 0;
  std::array<RootLine, MAX_LINES> rootLines_;
  std::int64_t searchStart_ = 0;
  Clock clock_;
  IterationOutput iterationOutput_;
  std::int64_t totalNodes_ = 0;
  std::int64_t elapsedMs_ = 0;
};
