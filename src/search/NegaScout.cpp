#include "search/NegaScout.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <iomanip>
#include <limits>
#include <memory>
#include <sstream>

#include "board/Exchange.h"
#include "board/MoveList.h"
#include "board/Rules.h"
#include "search/Activity.h"
#include "search/Evaluate.h"
#include "search/MoveOrdering.h"
#include "search/SearchTrace.h"

namespace {

std::int64_t MonotonicMilliseconds() {
  static const auto start = std::chrono::steady_clock::now();
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

// The full search's margins. A quiet move one or two plies above the capture search is left
// out when even this much over the static score would not reach alpha; a node this close to
// the capture search whose static score beats beta by the margin per ply is cut off at once; a
// capture that leaves the side this far below alpha even with its victim is not looked at.
constexpr int FUTILITY_MARGIN[3] = {0, 150, 300};
constexpr int REVERSE_FUTILITY_MARGIN = 120;
constexpr int REVERSE_FUTILITY_DEPTH = 3;
constexpr int DELTA_MARGIN = 200;
// The depth from which a node without a move from the table is searched a ply less.
constexpr int IIR_DEPTH = 4;

// Late quiet moves: how much less deep they are looked at by the node's depth and the move's
// place in the order, and from which place on a node near the capture search leaves them out.
constexpr int LATE_MOVE_PRUNING_DEPTH = 3;
constexpr int LATE_MOVE_COUNT[LATE_MOVE_PRUNING_DEPTH + 1] = {0, 5, 8, 13};
int LateMoveReduction(int depth, int place) {
  static const auto table = [] {
    std::array<std::array<std::int8_t, 64>, 64> reductions{};
    for (int d = 1; d < 64; ++d)
      for (int p = 1; p < 64; ++p)
        reductions[d][p] = static_cast<std::int8_t>(0.5 + std::log(d) * std::log(p) / 2.0);
    return reductions;
  }();
  return table[static_cast<std::size_t>(std::min(depth, 63))]
              [static_cast<std::size_t>(std::min(place, 63))];
}

// The order priorities of a node's moves: on the stack for any usual number of moves.
class PriorityBuffer {
 public:
  explicit PriorityBuffer(int moves) {
    if (moves > INLINE) heap_ = std::make_unique<std::int32_t[]>(static_cast<std::size_t>(moves));
  }
  std::int32_t* Data() { return heap_ ? heap_.get() : inline_; }

 private:
  static constexpr int INLINE = 256;
  std::int32_t inline_[INLINE];
  std::unique_ptr<std::int32_t[]> heap_;
};

// What a capture or promotion takes: the victim's value (a pawn taken en passant).
int VictimValue(const Move& move) {
  if (move.Kind() == MOVE_EN_PASSANT) return PieceValue[WP];
  return (move.flags & MOVE_CAPTURE) && IsPieceCode(move.captured)
             ? PieceValue[static_cast<std::size_t>(move.captured)]
             : 0;
}

int FindFromTo(const MoveList& list, int from, int to) {
  for (int i = 0; i < list.Size(); ++i)
    if (list[i].from == from && list[i].to == to) return i;
  return -1;
}

// The bound kind of a node's result.
int BoundType(int bestScore, int alpha, int beta) {
  if (bestScore >= beta) return TT_LOWER;
  return bestScore > alpha ? TT_EXACT : TT_UPPER;
}

}  // namespace

NegaScout::NegaScout(SearchLimits limits, Clock clock)
    : limits_(limits), clock_(clock ? std::move(clock) : Clock(MonotonicMilliseconds)) {}

void NegaScout::Begin() {
  searchCount_ += 1;
  stats_ = SearchStatistics();
  stopped_ = false;
  completedDepth_ = 0;
}

void NegaScout::AnswerWithoutSearch() { Begin(); }

void NegaScout::Think(const Board& board, Move* out) {
  Begin();
  Board root = board;
  engineColour_ = root.sideToMove;
  // The full search scores by the game's rules, and keeps what it learnt while the engine
  // plays the same side: the evaluation, and so every stored score, is the engine's side's.
  if (options_.full) options_.gameRules = true;
  if (options_.full && keptFor_ == root.sideToMove) {
    AgeHistory();
  } else {
    ClearHistory(history_);
    counterMoves_ = {};
    ClearTables();
  }
  keptFor_ = options_.full ? root.sideToMove : -1;
  for (auto& killers : killers_) killers = {};
  totalNodes_ = 0;
  int score = 0;
  int depth = 1;
  const std::int64_t start = clock_();
  searchStart_ = start;
  lastReportMs_ = start;
  pollCountdown_ = POLL_INTERVAL;
  ply_ = 0;
  selectiveDepth_ = 0;
  rootBoard_ = root;
  pathKeys_[0] = options_.gameRules ? RepetitionKey(root) : 0;
  reversiblePlies_[0] = options_.reversiblePlies;
  // A front end's game looks at no more lines than there are moves to choose from.
  int rootChoices = 0;
  if (options_.lines > 1 || options_.adaptTime) {
    for (const Move& move : LegalMoves(root)) rootChoices += RootMayTry(move);
  }
  lines_ = std::clamp(std::min(options_.lines, rootChoices), 1, MAX_LINES);
  Move best;
  int previousScore = 0;
  for (;;) {
    depth += 1;
    iterationDepth_ = depth;
    stats_ = SearchStatistics();
    const std::int64_t iterationStart = clock_();
    score = SearchLines(root, depth, out, score);
    if (stopped_) {
      // The unfinished iteration proves nothing: the last finished one decides.
      *out = completedDepth_ > 0 ? best : FallbackMove(root);
      totalNodes_ += std::int64_t{stats_.regularNodes} + stats_.quiescenceNodes;
      break;
    }
    const bool bestChanged = completedDepth_ > 0 && !(best == *out);
    const int scoreDrop = completedDepth_ > 0 ? previousScore - score : 0;
    previousScore = score;
    best = *out;
    completedDepth_ = depth;
    const std::int64_t iterationEnd = clock_();
    const std::int64_t iterationTime = iterationEnd - iterationStart;
    const std::int64_t nodes = std::int64_t{stats_.regularNodes} + stats_.quiescenceNodes;
    totalNodes_ += nodes;

    if constexpr (Tracing(0)) {
      SearchTraceLog() << "\nITERATION FOR DEPTH " << depth << "\nScore: " << score
                       << "\tNumNodes: " << stats_.regularNodes
                       << "\tNumCutoffs: " << stats_.regularCutoffs << '\n';
    }
    if (iterationOutput_) {
      const int hashFull = options_.progress ? HashFull() : 0;
      for (int line = 0; line < foundLines_; ++line) {
        const RootLine& found = rootLines_[static_cast<std::size_t>(line)];
        IterationReport report;
        report.depth = depth;
        report.score = found.score;
        report.iterationNodes = nodes;
        report.nodes = totalNodes_;
        report.elapsedMs = iterationEnd - start;
        report.best = line == 0 ? *out : found.move;
        report.moves = found.variation;
        for (const Move& move : found.variation)
          report.variation += (report.variation.empty() ? "" : " ") + CoordinateText(move);
        report.mateMoves = found.mateMoves;
        report.line = line + 1;
        report.selectiveDepth = std::max(selectiveDepth_, depth);
        report.hashFull = hashFull;
        iterationOutput_(report);
      }
    }

    // The clock of a game and the front end may end the search before its usual depth.
    if (control_.softMs != SearchControl::NO_LIMIT &&
        ((options_.adaptTime && rootChoices == 1) ||
         clock_() - start >= SoftLimit(bestChanged, scoreDrop)))
      break;
    if (totalNodes_ >= control_.maxNodes || (control_.interrupted && control_.interrupted())) {
      stopped_ = true;
      break;
    }
    const int mate = foundLines_ > 0 ? rootLines_[0].mateMoves : 0;
    if (options_.mateMoves > 0 && mate > 0 && mate <= options_.mateMoves) break;
    if (depth >= MAX_SEARCH_DEPTH) break;
    if (depth < limits_.minDepth) continue;
    // A mate ends the search; in the full search only once the iteration was deep enough to
    // have seen any quicker one.
    const bool mateFound = out->score >= SCORE_MATE_FOUND && limits_.endAtMate &&
                           (!options_.full || SCORE_WINDOW - out->score <= depth);
    if (nodes > limits_.maxNodes || depth >= limits_.maxDepth ||
        iterationTime > limits_.maxIterTimeMs || clock_() - start > limits_.maxTimeMs || mateFound)
      break;
  }
  elapsedMs_ = clock_() - start;
}

std::int64_t NegaScout::SoftLimit(bool bestChanged, int scoreDrop) const {
  if (!options_.adaptTime) return control_.softMs;
  // An unsettled search gets more of its share, never more than the hard limit allows.
  const std::int64_t soft = control_.softMs;
  std::int64_t stretched = soft;
  if (bestChanged) stretched += soft * 3 / 5;
  if (scoreDrop >= 30) stretched += soft / 2;
  return std::min(stretched, std::max(control_.hardMs / 2, soft));
}

void NegaScout::RestartClock(const SearchControl& budget) {
  const std::int64_t elapsed = clock_() - searchStart_;
  const auto from = [elapsed](std::int64_t limit) {
    return limit == SearchControl::NO_LIMIT ? limit : elapsed + limit;
  };
  control_.softMs = from(budget.softMs);
  control_.hardMs = from(budget.hardMs);
}

int NegaScout::SearchLines(Board& board, int depth, Move* out, int previous) {
  excluded_.clear();
  foundLines_ = 0;
  const int score = Iterate(board, depth, out, previous);
  if (stopped_) return score;
  RootLine& first = rootLines_[0];
  first.move = rootBest_;
  first.score = score;
  first.variation = RootVariation(board, rootBest_, &first.mateMoves);
  if (first.mateMoves == 0) first.mateMoves = MateFromScore(score, depth);
  foundLines_ = 1;
  // Each further line is the best of the moves not yet in a line, in the full window.
  while (foundLines_ < lines_) {
    excluded_.push_back(rootLines_[static_cast<std::size_t>(foundLines_ - 1)].move);
    Move other;
    const int otherScore = SearchRoot(board, depth, &other, -SCORE_WINDOW, SCORE_WINDOW);
    if (stopped_ || rootBest_.from < 0) break;
    RootLine& line = rootLines_[static_cast<std::size_t>(foundLines_)];
    line.move = rootBest_;
    line.score = otherScore;
    line.variation = RootVariation(board, rootBest_, &line.mateMoves);
    if (line.mateMoves == 0) line.mateMoves = MateFromScore(otherScore, depth);
    foundLines_ += 1;
  }
  excluded_.clear();
  return score;
}

bool NegaScout::RootMayTry(const Move& move) const {
  const auto listed = [&move](const std::vector<Move>& list) {
    return std::find(list.begin(), list.end(), move) != list.end();
  };
  return (options_.rootMoves.empty() || listed(options_.rootMoves)) && !listed(excluded_);
}

void NegaScout::ExtendVariation(const Move& move) {
  auto& row = variations_[static_cast<std::size_t>(ply_)];
  row[0] = move;
  const int length = std::min(variationLength_[static_cast<std::size_t>(ply_ + 1)], MAX_PLY - 1);
  const auto& below = variations_[static_cast<std::size_t>(ply_ + 1)];
  std::copy_n(below.begin(), length, row.begin() + 1);
  variationLength_[static_cast<std::size_t>(ply_)] = length + 1;
}

std::vector<Move> NegaScout::RootVariation(const Board& root, const Move& best,
                                           int* mateMoves) const {
  const auto& row = variations_[0];
  std::vector<Move> moves(row.begin(), row.begin() + variationLength_[0]);
  // A root whose every move failed low has no variation of its own: its move starts one.
  if (moves.empty() || !(moves[0] == best)) moves.assign(1, best);
  return LegalPrefix(root, moves, mateMoves);
}

std::vector<Move> NegaScout::LegalPrefix(const Board& board, const std::vector<Move>& moves,
                                         int* mateMoves) {
  std::vector<Move> legal;
  Board walk = board;
  for (const Move& move : moves) {
    Move found;
    if (!FindCoordinateMove(walk, CoordinateText(move), found)) break;
    PlayMove(walk, found);
    legal.push_back(found);
  }
  int mate = 0;
  if (!legal.empty() && StandingOf(walk) == Standing::CHECKMATE) {
    const int plies = static_cast<int>(legal.size());
    // An odd number of plies ends with the side to move giving mate.
    mate = plies % 2 == 1 ? (plies + 1) / 2 : -plies / 2;
  }
  if (mateMoves) *mateMoves = mate;
  return legal;
}

int NegaScout::MateFromScore(int score, int depth) const {
  if (score < SCORE_MATE_FOUND && score > -SCORE_MATE_FOUND) return 0;
  // A side mated at `ply` of an iteration of `depth` scores SCORE_NONE + (depth - ply), or,
  // in a front end's game, -SCORE_WINDOW + ply.
  const int plies = std::max(
      options_.gameRules ? SCORE_WINDOW - std::abs(score) : std::abs(score) + SCORE_NONE + depth,
      1);
  return score > 0 ? (plies + 1) / 2 : -std::max(plies / 2, 1);
}

bool NegaScout::DrawnByRule(std::uint64_t key) const {
  const int reversible = reversiblePlies_[static_cast<std::size_t>(ply_)];
  if (reversible >= 100) return true;
  const auto& earlier = options_.earlierPositions;
  // The same side is to move every second ply.
  for (int back = 2; back <= reversible; back += 2) {
    const int at = ply_ - back;
    if (at >= 0) {
      if (pathKeys_[static_cast<std::size_t>(at)] == key) return true;
    } else {
      const auto index = static_cast<std::ptrdiff_t>(earlier.size()) + at;
      if (index < 0) break;
      if (earlier[static_cast<std::size_t>(index)] == key) return true;
    }
  }
  return false;
}

int NegaScout::HashFull() const {
  // The first thousand entries of each table stand for the rest.
  const auto used = [](const TranspositionTable& table) {
    int count = 0;
    const int sample = std::min(table.Size(), 1000);
    for (int index = 0; index < sample; ++index) count += table.EntryAt(index).type != TT_EMPTY;
    return sample > 0 ? count * 1000 / sample : 0;
  };
  return (used(*tables_[WHITE]) + used(*tables_[BLACK])) / 2;
}

void NegaScout::Report(SearchProgress::Kind kind, const Move* move, int moveNumber, int score) {
  const std::int64_t now = clock_();
  if (kind == SearchProgress::Kind::PERIODIC)
    lastReportMs_ = now;
  else if (now - searchStart_ < 1000)
    return;  // a quick search shows only its iterations
  SearchProgress progress;
  progress.kind = kind;
  progress.depth = iterationDepth_;
  progress.selectiveDepth = std::max(selectiveDepth_, ply_);
  progress.nodes = NodesSoFar();
  progress.elapsedMs = now - searchStart_;
  progress.hashFull = HashFull();
  if (move) progress.move = *move;
  progress.moveNumber = moveNumber;
  progress.score = score;
  if (kind == SearchProgress::Kind::NEW_BEST) {
    const auto& row = variations_[0];
    progress.variation = LegalPrefix(
        rootBoard_, std::vector<Move>(row.begin(), row.begin() + variationLength_[0]), nullptr);
  }
  options_.progress(progress);
}

void NegaScout::Poll() {
  pollCountdown_ = POLL_INTERVAL;
  const std::int64_t nodes =
      totalNodes_ + std::int64_t{stats_.regularNodes} + stats_.quiescenceNodes;
  if (nodes >= control_.maxNodes ||
      (control_.hardMs != SearchControl::NO_LIMIT && clock_() - searchStart_ >= control_.hardMs))
    stopped_ = true;
  else if (control_.interrupted && control_.interrupted())
    stopped_ = true;
  if (options_.progress && !stopped_ && clock_() - lastReportMs_ >= 1000)
    Report(SearchProgress::Kind::PERIODIC);
}

Move NegaScout::FallbackMove(Board& board) const {
  MoveList moves;
  moves.Generate(board);
  for (const Move& move : moves)
    if (IsLegal(board, move)) return move;
  Move end;
  end.piece = WK + board.sideToMove;
  end.flags = GameEndFlags(board, moves);
  return end;
}

int NegaScout::Iterate(Board& board, int depth, Move* out, int previous) {
  const int alpha = previous - ASPIRATION_WINDOW;
  const int beta = previous + ASPIRATION_WINDOW;
  int score = SearchRoot(board, depth, out, alpha, beta);
  if (stopped_) return score;
  if (score <= alpha || score >= beta)
    score = SearchRoot(board, depth, out, -SCORE_WINDOW, SCORE_WINDOW);
  out->score = score;
  return score;
}

int NegaScout::SearchRoot(Board& board, int depth, Move* out, int alpha, int beta) {
  stats_.regularNodes += 1;
  std::uint32_t lock;
  const TableSlot slot = SlotOf(board, lock);

  MoveList generated;
  if (!generated.Generate(board)) {
    if constexpr (Tracing(10)) SearchTraceLog() << "illegal position\n";
    return -SCORE_ILLEGAL;
  }
  // The front end may leave root moves out; so do the lines already found.
  MoveList chosen;
  const bool choosing = !options_.rootMoves.empty() || !excluded_.empty();
  if (choosing) {
    for (const Move& move : generated)
      if (RootMayTry(move)) chosen.Add(move);
  }
  MoveList& moves = choosing ? chosen : generated;
  ply_ = 0;
  variationLength_[0] = 0;
  rootBest_ = Move();
  if (moves.Empty()) {
    out->piece = WK + board.sideToMove;
    out->flags = GameEndFlags(board, generated);
    return SCORE_NONE;
  }
  Node node{alpha, beta};
  inCheck_[0] = options_.full && InCheck(board);
  afterNull_[0] = false;
  // The first mate found ends the root's moves; the full search, whose kept tables may know a
  // longer mate than the iteration sees, goes on to find the quickest.
  // The full search tries first the best move of the iteration before, or in the first
  // iteration the move the kept table knows for the root.
  int hashFrom = -1, hashTo = -1;
  if (options_.full && completedDepth_ > 0) {
    hashFrom = rootLines_[0].move.from;
    hashTo = rootLines_[0].move.to;
  } else if (options_.full && slot.MayBeUsed() && slot.MayAnswer(lock) &&
             slot.Entry().Answers(lock)) {
    hashFrom = slot.Entry().from;
    hashTo = slot.Entry().to;
  }
  TryMoves(board, moves, hashFrom, hashTo, depth,
           options_.full ? std::numeric_limits<int>::max() : SCORE_MATE_FOUND, node);
  if (stopped_) return 0;

  Move best = node.bestMove >= 0 ? moves[node.bestMove] : Move();
  rootBest_ = best;
  // No acceptable move, or only moves that delay a mate found against the side to move.
  if (node.bestScore <= SCORE_GIVE_UP) {
    best.piece = WK + board.sideToMove;
    best.flags = GameEndFlags(board, generated);
  }
  *out = best;
  // The root also replaces an entry of depth 0.
  const bool replace = slot.Entry().depth == 0;
  return Complete(board, slot, lock, depth, replace, best.from, best.to, moves, node);
}

int NegaScout::GameEndFlags(const Board& board, const MoveList& moves) const {
  if (InCheck(board)) return MOVE_RESIGN;
  // Not in check: stalemate, unless a legal move exists after all (the search saw it lose).
  return HasPlayableMove(board, moves) ? MOVE_RESIGN : MOVE_STALEMATE;
}

TableSlot NegaScout::SlotOf(const Board& board, std::uint32_t& lock) {
  std::int64_t key;
  board.Hashes(key, lock);
  return tables_[board.sideToMove]->PlaceAt(key);
}

int NegaScout::TableScore(const TTEntry& entry, int moveNumber, int nodePly) const {
  if (!options_.full) return entry.CorrectedScore(moveNumber);
  if (entry.score >= SCORE_MATE_FOUND) return entry.score - nodePly;
  if (entry.score <= -SCORE_MATE_FOUND) return entry.score + nodePly;
  return entry.score;
}

int NegaScout::StoredScore(int score, int nodePly) const {
  if (!options_.full) return score;
  if (score >= SCORE_MATE_FOUND) return score + nodePly;
  if (score <= -SCORE_MATE_FOUND) return score - nodePly;
  return score;
}

NegaScout::TableAnswer NegaScout::Consult(const TTEntry& entry, int score, int& alpha, int& beta) {
  TableAnswer answer;
  answer.score = score;
  if (entry.type == TT_EXACT || (entry.type == TT_LOWER && answer.score >= beta) ||
      (entry.type == TT_UPPER && answer.score <= alpha)) {
    answer.ends = true;
  } else if (entry.type == TT_LOWER && alpha < answer.score) {
    alpha = answer.score;
    answer.raisedAlpha = true;
    answer.from = entry.from;
    answer.to = entry.to;
  } else if (entry.type == TT_UPPER && answer.score < beta) {
    beta = answer.score;
    answer.from = entry.from;
    answer.to = entry.to;
  }
  return answer;
}

void NegaScout::TryMoves(Board& board, MoveList& moves, int hashFrom, int hashTo, int depth,
                         int stopScore, Node& node) {
  // The table's move first, then the others by their counters (the full search: by captures,
  // killers and counters).
  const bool full = options_.full;
  const int hashIndex = hashFrom >= 0 ? FindFromTo(moves, hashFrom, hashTo) : -1;
  PriorityBuffer priorities(full ? moves.Size() : 0);
  if (full) Prioritise(board, moves, true, priorities.Data());
  MoveOrder order = full ? MoveOrder(moves, hashIndex, MoveOrder::Priorities{priorities.Data()})
                         : MoveOrder(moves, hashIndex, &history_[board.sideToMove]);
  const TranspositionTable& childTable = *tables_[1 - board.sideToMove];
  const bool inCheck = full && inCheck_[static_cast<std::size_t>(ply_)];
  const bool variationNode = node.beta - node.alpha > 1;
  int nullBound = node.beta;
  int searched = 0;
  // The full search's quiet moves tried so far, for the counters.
  constexpr int TRIED_ROOM = 64;
  int quietTried[TRIED_ROOM];
  int quietCount = 0;
  Move reply;
  // The first move's table entry is asked for at once; a later move is picked, and its entry
  // asked for, only when the node goes on to it.
  const int first = order.Next();
  childTable.Prefetch(board.HashKeyAfter(moves[first]));
  for (int k = 0; k < moves.Size() && node.bestScore < node.beta && node.bestScore < stopScore;
       ++k) {
    const int index = k == 0 ? first : order.Next();
    if (k > 0) childTable.Prefetch(board.HashKeyAfter(moves[index]));
    Board child = board;
    child.MakeMove(&moves[index]);
    searched += 1;
    if (ply_ == 0 && options_.progress)
      Report(SearchProgress::Kind::CURRENT_MOVE, &moves[index], searched);
    const std::size_t below = static_cast<std::size_t>(ply_ + 1);
    variationLength_[below] = 0;
    if (options_.gameRules)
      reversiblePlies_[below] = IsIrreversible(moves[index]) ? 0 : reversiblePlies_[below - 1] + 1;
    int childDepth = depth - 1;
    bool givesCheck = false;
    if (full) {
      afterNull_[below] = false;
      // A check is searched a ply deeper, as far as the rows of the variations reach.
      givesCheck = InCheck(child);
      if (givesCheck && ply_ + depth < MAX_SEARCH_DEPTH) childDepth += 1;
      // Next to the capture search, a quiet move cannot lift a hopeless static score: once
      // a move has been looked at, so that the side has one, the others are counted at the
      // score they could reach at best.
      const bool quietAfterFirst = ply_ > 0 && !inCheck && !givesCheck &&
                                   moves[index].flags == MOVE_NORMAL && index != hashIndex &&
                                   node.bestScore > -SCORE_WINDOW;
      if (depth <= 2 && quietAfterFirst) {
        const int futile = staticScores_[static_cast<std::size_t>(ply_)] + FUTILITY_MARGIN[depth];
        if (futile <= node.alpha) {
          node.bestScore = std::max(node.bestScore, futile);
          continue;
        }
      }
      // Outside the principal variation, the late quiet moves of a shallow node are left out.
      if (depth <= LATE_MOVE_PRUNING_DEPTH && quietAfterFirst && !variationNode &&
          k >= LATE_MOVE_COUNT[depth] && !IsKiller(moves[index]))
        continue;
    }
    played_[static_cast<std::size_t>(ply_)] = moves[index];
    const auto searchChild = [&](int childAlpha, int childBeta, int searchDepth) {
      ply_ += 1;
      const int childScore = searchDepth >= 1
                                 ? -Search(child, searchDepth, &reply, childAlpha, childBeta)
                                 : -Quiesce(child, childAlpha, childBeta, 0);
      ply_ -= 1;
      return childScore;
    };
    int score;
    // The full search looks at a late quiet move less deep, the more so the deeper the node
    // and the later the move (a little less in the principal variation), and again at its
    // full depth when it turns out better than the moves before it. Never the first moves, a
    // check or a move out of check, the table's move or a killer.
    if (full && depth >= 3 && k >= 3 && ply_ > 0 && !inCheck && !givesCheck &&
        moves[index].flags == MOVE_NORMAL && index != hashIndex && !IsKiller(moves[index])) {
      const int reduction = std::clamp(LateMoveReduction(depth, k) - (variationNode ? 1 : 0), 1,
                                       std::max(childDepth - 1, 1));
      score = searchChild(-node.alpha - 1, -node.alpha, childDepth - reduction);
      if (score > node.alpha) score = searchChild(-nullBound, -node.alpha, childDepth);
    } else {
      score = searchChild(-nullBound, -node.alpha, childDepth);
    }
    if (node.alpha < score && score < node.beta) {
      // A front end's game searches again in the node's own window, so that a move whose
      // score the null window found exactly brings its variation along.
      const int again =
          searchChild(-node.beta, options_.gameRules ? -node.alpha : -score, childDepth);
      if (again > score) score = again;
    }
    if (stopped_) return;
    const bool quiet = full && moves[index].flags == MOVE_NORMAL;
    if (quiet && score >= node.beta)
      RewardQuietCut(board.sideToMove, moves, index, quietTried, quietCount, depth);
    if (quiet && quietCount < TRIED_ROOM) quietTried[quietCount++] = index;
    if (score > node.bestScore) {
      node.bestScore = score;
      node.bestIndex = searched;
      node.bestMove = index;
      if (score > node.alpha) {
        node.alpha = score;
        // A cut needs no variation, but for the root's own.
        if (score < node.beta || ply_ == 0) ExtendVariation(moves[index]);
        if (ply_ == 0 && options_.progress && excluded_.empty())
          Report(SearchProgress::Kind::NEW_BEST, &moves[index], searched, score);
      }
    }
    nullBound = node.alpha + 1;
  }
}

bool NegaScout::NullMoveCuts(const Board& board, int depth, int beta, int staticScore, int& score) {
  const int side = board.sideToMove;
  const Bitboard pieces = board.bitboards[WN + side] | board.bitboards[WB + side] |
                          board.bitboards[WR + side] | board.bitboards[WQ + side];
  const std::size_t here = static_cast<std::size_t>(ply_);
  if (depth < 3 || ply_ == 0 || afterNull_[here] || inCheck_[here] || pieces == 0 ||
      beta >= SCORE_MATE_FOUND || beta <= -SCORE_MATE_FOUND || ply_ + 1 >= MAX_PLY)
    return false;
  if (staticScore < beta) return false;

  Board passed = board;
  passed.RemoveCastlePaths();
  passed.sideToMove = 1 - side;
  passed.enPassant = 0;
  passed.moveNumber += 1;
  const std::size_t below = here + 1;
  variationLength_[below] = 0;
  reversiblePlies_[below] = 0;  // no repetition reaches back across a pass
  afterNull_[below] = true;
  played_[here] = Move();
  const int reduced = depth - 1 - (depth >= 6 ? 3 : 2);
  Move reply;
  ply_ += 1;
  const int passScore = reduced >= 1 ? -Search(passed, reduced, &reply, -beta, -beta + 1)
                                     : -Quiesce(passed, -beta, -beta + 1, 0);
  ply_ -= 1;
  if (stopped_ || passScore < beta) return false;
  stats_.regularCutoffs += 1;
  // A mate seen after a pass proves no mate.
  score = passScore >= SCORE_MATE_FOUND ? beta : passScore;
  return true;
}

int NegaScout::StaticScore(const Board& board) {
  const int evaluation = options_.full ? EvaluateFull(board, engineColour_, pawnCache_)
                                       : Evaluate(board, engineColour_, pawnCache_, false);
  return board.sideToMove == engineColour_ ? evaluation : -evaluation;
}

void NegaScout::Prioritise(const Board& board, const MoveList& moves, bool weighLosses,
                           std::int32_t* priorities) const {
  constexpr std::int32_t CAPTURES = 1 << 28;
  constexpr std::int32_t KILLERS = 1 << 27;
  constexpr std::int32_t LOSSES = -(1 << 28);
  const auto& counters = history_[board.sideToMove];
  for (int i = 0; i < moves.Size(); ++i) {
    const Move& move = moves[i];
    const std::size_t mover = static_cast<std::size_t>(move.piece);
    if (move.flags & (MOVE_CAPTURE | MOVE_EN_PASSANT | PROMOTION_MASK)) {
      const int victim = VictimValue(move);
      const int promotion = (move.flags & PROMOTE_QUEEN) ? PieceValue[WQ] : 0;
      const bool loses = weighLosses && !(move.flags & PROMOTION_MASK) &&
                         PieceValue[mover] > victim && StaticExchange(board, move) < 0;
      priorities[i] =
          (loses ? LOSSES : CAPTURES) + (victim + promotion) * 16 - PieceValue[mover] / 100;
    } else if (IsKiller(move)) {
      const Killer& first = killers_[static_cast<std::size_t>(ply_)][0];
      priorities[i] = KILLERS + (first.from == move.from && first.to == move.to ? 1 : 0);
    } else if (IsCounterMove(move)) {
      priorities[i] = KILLERS - 1;
    } else {
      priorities[i] = std::min(counters[move.from][move.to], KILLERS - 2);
    }
  }
}

bool NegaScout::IsKiller(const Move& move) const {
  for (const Killer& killer : killers_[static_cast<std::size_t>(ply_)])
    if (killer.from == move.from && killer.to == move.to) return true;
  return false;
}

bool NegaScout::IsCounterMove(const Move& move) const {
  if (ply_ == 0) return false;
  const Move& before = played_[static_cast<std::size_t>(ply_ - 1)];
  if (!IsPieceCode(before.piece)) return false;
  const Killer& answer =
      counterMoves_[static_cast<std::size_t>(before.piece)][static_cast<std::size_t>(before.to)];
  return answer.from == move.from && answer.to == move.to;
}

void NegaScout::RewardQuietCut(int side, const MoveList& moves, int cut, const int* tried,
                               int triedCount, int depth) {
  // Each change shrinks as the counter nears the bound, which it never passes.
  constexpr int BOUND = 1 << 14;
  const int change = std::min(depth * depth, BOUND);
  const auto update = [&](const Move& move, int by) {
    std::int32_t& counter = history_[side][move.from][move.to];
    counter += by - counter * std::abs(by) / BOUND;
  };
  update(moves[cut], change);
  for (int i = 0; i < triedCount; ++i) update(moves[tried[i]], -change);
  if (ply_ > 0) {
    const Move& before = played_[static_cast<std::size_t>(ply_ - 1)];
    if (IsPieceCode(before.piece))
      counterMoves_[static_cast<std::size_t>(before.piece)][static_cast<std::size_t>(before.to)] =
          Killer{moves[cut].from, moves[cut].to};
  }
}

void NegaScout::RememberKiller(const Move& move) {
  if (move.flags != MOVE_NORMAL) return;
  auto& killers = killers_[static_cast<std::size_t>(ply_)];
  if (killers[0].from == move.from && killers[0].to == move.to) return;
  killers[1] = killers[0];
  killers[0] = Killer{move.from, move.to};
}

void NegaScout::AgeHistory() {
  for (OrderingCounters& side : history_)
    for (auto& row : side)
      for (std::int32_t& counter : row) counter /= 2;
}

int NegaScout::Complete(const Board& board, const TableSlot& slot, std::uint32_t lock, int depth,
                        bool replace, int bestFrom, int bestTo, const MoveList& moves,
                        const Node& node) {
  const int type = BoundType(node.bestScore, node.alphaBefore, node.beta);
  if (type == TT_LOWER) {
    stats_.regularCutoffs += 1;
    // The full search has counted its quiet cuts as they happened.
    if (bestFrom >= 0 && !options_.full)
      history_[board.sideToMove][bestFrom][bestTo] += depth * depth;
    if (options_.full && node.bestMove >= 0) RememberKiller(moves[node.bestMove]);
  }
  if (replace || !slot.MayBeUsed() ||
      slot.Entry().TakesSearchResult(type, depth, lock, board.moveNumber)) {
    slot.Store(type, StoredScore(node.bestScore, ply_), depth, lock, board.moveNumber, bestFrom,
               bestTo, stats_.regularNodes);
  }
  stats_.regularMoveSum += moves.Size() - 1;
  stats_.regularBestIndexSum += node.bestIndex - 1;
  return node.bestScore;
}

int NegaScout::Search(Board& board, int depth, Move* out, int alpha, int beta) {
  stats_.regularNodes += 1;
  if (--pollCountdown_ == 0) Poll();
  if (stopped_) return 0;
  // Under a front end's game: a draw by rule ends the line, and a node of the principal
  // variation is searched even when the table knows its result.
  bool variationNode = false;
  if (options_.gameRules) {
    const std::uint64_t key = RepetitionKey(board);
    // Only a lawful position is drawn (a move into check stays refused), and the fiftieth
    // move may still mate.
    if (DrawnByRule(key) && !KingCanBeTaken(board) && (!InCheck(board) || HasLegalMove(board)))
      return 0;
    pathKeys_[static_cast<std::size_t>(ply_)] = key;
    variationNode = beta - alpha > 1;
  }
  std::uint32_t lock;
  const TableSlot slot = SlotOf(board, lock);
  const TTEntry& entry = slot.Entry();

  int bestScore = SCORE_NONE;
  int bestFrom = -1, bestTo = -1;
  int hashFrom = -1, hashTo = -1;
  if (!slot.MayBeUsed()) {
    // An empty slot: nothing to learn.
  } else if (!slot.MayAnswer(lock)) {
    stats_.regularCollisions += 1;  // another position's entry, known from the mark alone
  } else if (entry.Answers(lock)) {
    if (variationNode) {
      hashFrom = entry.from;
      hashTo = entry.to;
    } else if (entry.depth >= depth) {
      stats_.regularTtHits += 1;
      const TableAnswer answer =
          Consult(entry, TableScore(entry, board.moveNumber, ply_), alpha, beta);
      if (answer.ends) {
        out->from = entry.from;
        out->to = entry.to;
        stats_.regularCutoffs += 1;
        return answer.score;
      }
      if (answer.raisedAlpha) {
        bestScore = answer.score;
        bestFrom = answer.from;
        bestTo = answer.to;
      }
      hashFrom = answer.from;
      hashTo = answer.to;
    } else if (options_.full) {
      // Too shallow to answer, the entry still knows which move to try first.
      hashFrom = entry.from;
      hashTo = entry.to;
    }
  } else if (entry.type != TT_EMPTY) {
    stats_.regularCollisions += 1;
  }

  MoveList moves;
  if (!moves.Generate(board)) {
    if constexpr (Tracing(10)) SearchTraceLog() << "illegal position\n";
    return SCORE_ILLEGAL;
  }
  // The full search passes only in a lawful position: the generation above has shown it.
  if (options_.full) {
    const std::size_t here = static_cast<std::size_t>(ply_);
    inCheck_[here] = InCheck(board);
    // A node of the principal variation uses its static score only next to the capture
    // search (futility).
    const bool needsStaticScore = !inCheck_[here] && (!variationNode || depth <= 2);
    staticScores_[here] = needsStaticScore ? StaticScore(board) : -SCORE_WINDOW;
    // Close to the capture search, a static score far above beta is trusted.
    const int margin = REVERSE_FUTILITY_MARGIN * depth;
    if (!variationNode && !inCheck_[here] && depth <= REVERSE_FUTILITY_DEPTH &&
        beta < SCORE_MATE_FOUND && beta > -SCORE_MATE_FOUND && staticScores_[here] - margin >= beta)
      return staticScores_[here] - margin;
    int nullScore = 0;
    if (!variationNode && NullMoveCuts(board, depth, beta, staticScores_[here], nullScore))
      return nullScore;
    // A deep node the table knows no move for is searched a ply less: the search of it is
    // as much a way to find the move as to score it.
    if (hashFrom < 0 && depth >= IIR_DEPTH) depth -= 1;
  }
  Node node{alpha, beta};
  node.bestScore = bestScore;
  TryMoves(board, moves, hashFrom, hashTo, depth, std::numeric_limits<int>::max(), node);
  if (stopped_) return 0;

  // Every move was refused: mate when in check, else stalemate. A front end's game scores a
  // mate by its distance from the root, so that the quicker mate is the better one.
  if (node.bestScore <= -SCORE_WINDOW) {
    if (!InCheck(board)) return 0;
    return options_.gameRules ? -SCORE_WINDOW + ply_ : node.bestScore + depth;
  }

  if (node.bestMove >= 0) {
    bestFrom = moves[node.bestMove].from;
    bestTo = moves[node.bestMove].to;
  }
  out->from = bestFrom;
  out->to = bestTo;
  return Complete(board, slot, lock, depth, false, bestFrom, bestTo, moves, node);
}

int NegaScout::Quiesce(Board& board, int alpha, int beta, int qdepth) {
  stats_.quiescenceNodes += 1;
  if (ply_ - qdepth > selectiveDepth_) selectiveDepth_ = ply_ - qdepth;
  if (--pollCountdown_ == 0) Poll();
  if (stopped_) return 0;
  // In the full search, a move that left its own king in check is refused here as it is a
  // ply above, and a side in check has to get out of it.
  if (options_.full) {
    if (KingCanBeTaken(board)) return SCORE_ILLEGAL;
    if (InCheck(board)) return Evade(board, alpha, beta, qdepth);
  }
  std::uint32_t lock;
  const TableSlot slot = SlotOf(board, lock);
  const TTEntry& entry = slot.Entry();
  // The static score and the captures do not depend on the table: they are worked out while
  // the entry is on its way from memory, and so are the entries of the captures' positions.
  // The table can only lower beta, so a stand-pat score at or above it needs no captures.
  // With a castling path the generation changes the board, which a search of the same child
  // again would see: then it keeps its place after the table.
  __builtin_prefetch(&entry);
  const int standPat = StaticScore(board);
  MoveList captures;
  const bool early = standPat < beta && board.castlePath[board.sideToMove] == 0;
  bool anyCapture = early && captures.GenerateCaptures(board);
  if (anyCapture) {
    for (const Move& capture : captures)
      tables_[1 - board.sideToMove]->Prefetch(board.HashKeyAfter(capture));
  }

  int hashFrom = -1, hashTo = -1;
  if (!slot.MayBeUsed()) {
    // An empty slot: nothing to learn, and no need to wait for the entry.
  } else if (!slot.MayAnswer(lock)) {
    stats_.quiescenceCollisions += 1;  // another position's entry, known from the mark alone
  } else if (entry.Answers(lock)) {
    if (entry.depth >= 0) {
      stats_.quiescenceTtHits += 1;
      const TableAnswer answer =
          Consult(entry, TableScore(entry, board.moveNumber, ply_ - qdepth), alpha, beta);
      if (answer.ends) {
        stats_.quiescenceCutoffs += 1;
        return answer.score;
      }
      hashFrom = answer.from;
      hashTo = answer.to;
    }
  } else if (entry.type != TT_EMPTY) {
    stats_.quiescenceCollisions += 1;
  }
  const int alphaBefore = alpha;

  if (!early) {
    if (standPat >= beta) {
      board.RemoveCastlePath(board.sideToMove);  // what the generation would have done
      return standPat;
    }
    anyCapture = captures.GenerateCaptures(board);
  }
  if (!anyCapture || standPat >= beta) return standPat;

  int bestScore = standPat;
  if (standPat > alpha) alpha = standPat;
  const int hashIndex = hashFrom >= 0 ? FindFromTo(captures, hashFrom, hashTo) : -1;
  const bool full = options_.full;
  PriorityBuffer priorities(full ? captures.Size() : 0);
  if (full) Prioritise(board, captures, false, priorities.Data());
  MoveOrder order = full ? MoveOrder(captures, hashIndex, MoveOrder::Priorities{priorities.Data()})
                         : MoveOrder(captures, hashIndex, &captureHistory_[board.sideToMove]);

  int searched = 0;
  int bestIndex = 0;
  int bestFrom = -1, bestTo = -1;
  for (int k = 0; k < captures.Size() && bestScore < beta; ++k) {
    const Move& capture = captures[order.Next()];
    // The full search leaves out a capture that cannot bring the score up to alpha, and one
    // that loses material once the square's defenders have taken back.
    if (full && !(capture.flags & PROMOTION_MASK)) {
      const int victim = VictimValue(capture);
      if (standPat + victim + DELTA_MARGIN <= alpha) continue;
      if (PieceValue[static_cast<std::size_t>(capture.piece)] > victim &&
          StaticExchange(board, capture) < 0)
        continue;
    }
    Board child = board;
    child.MakeMove(&capture);
    searched += 1;
    const int score = -Quiesce(child, -beta, -alpha, qdepth - 1);
    if (stopped_) return 0;
    if (score > bestScore) {
      bestScore = score;
      bestIndex = searched;
      bestFrom = capture.from;
      bestTo = capture.to;
      if (score > alpha) alpha = score;
    }
  }

  // Cannot happen, since the stand-pat score is the floor; kept for the mate formula's sake.
  if (bestScore <= -SCORE_WINDOW) return InCheck(board) ? bestScore + qdepth : 0;

  const int type = BoundType(bestScore, alphaBefore, beta);
  if (type == TT_LOWER) {
    stats_.quiescenceCutoffs += 1;
    // The counters live as long as the engine: one that has counted as far as it can stays.
    std::int32_t& counter = captureHistory_[board.sideToMove][bestFrom][bestTo];
    if (counter < std::numeric_limits<std::int32_t>::max()) counter += 1;
  }
  // The captures' searches may have filled the slot meanwhile. An entry of another lock is
  // not empty.
  if (!slot.MayBeUsed() || (slot.MayAnswer(lock) && entry.TakesQuiescenceResult()))
    slot.Store(type, StoredScore(bestScore, ply_ - qdepth), qdepth, lock, board.moveNumber,
               bestFrom, bestTo, stats_.regularNodes);
  if (bestIndex != 0) {
    stats_.quiescenceMoveSum += captures.Size() - 1;
    stats_.quiescenceBestIndexSum += bestIndex - 1;
  }
  return bestScore;
}

int NegaScout::Evade(Board& board, int alpha, int beta, int qdepth) {
  MoveList moves;
  moves.Generate(board);
  PriorityBuffer priorities(moves.Size());
  Prioritise(board, moves, false, priorities.Data());
  MoveOrder order(moves, -1, MoveOrder::Priorities{priorities.Data()});
  // Mated, unless a move turns out lawful.
  int bestScore = -SCORE_WINDOW + (ply_ - qdepth);
  for (int k = 0; k < moves.Size() && bestScore < beta; ++k) {
    Board child = board;
    child.MakeMove(&moves[order.Next()]);
    const int score = -Quiesce(child, -beta, -std::max(alpha, bestScore), qdepth - 1);
    if (stopped_) return 0;
    bestScore = std::max(bestScore, score);
  }
  return bestScore;
}

std::string NegaScout::ParametersReport() {
  const SearchLimits limits;
  std::ostringstream out;
  const auto line = [&out](const char* name, std::int64_t value, const char* unit) {
    out << name << std::setw(7) << value << unit;
  };
  line("MaxSearchNodes =     ", limits.maxNodes, " nodes\n");
  line("MaxSearchTime =      ", limits.maxTimeMs, " ms\n");
  line("MaxSearchIterTime =  ", limits.maxIterTimeMs, " ms\n");
  line("MinSearchDepth =     ", limits.minDepth, " moves\n");
  line("MaxSearchDepth =     ", limits.maxDepth, " moves\n");
  // The size the program has always reported, whatever the tables take.
  line("TranspositionTable = ", TT_SIZE, " x2 entries ( ");
  out << 45.0 << " MB )\n";
  return out.str();
}

std::string NegaScout::StatisticsReport(int& corruptedEntries) const {
  const auto w7 = [](std::int32_t value) {
    return (std::ostringstream() << std::setw(7) << value).str();
  };
  const SearchStatistics& s = stats_;
  std::ostringstream out;
  out << "\n S T A T S  -  NegaScout\n";
  out << "Regular nodes:   " << w7(s.regularNodes)
      << "  Quiescence nodes:   " << w7(s.quiescenceNodes) << "\n";
  out << "Regular TTHits:  " << w7(s.regularTtHits)
      << "  Quiescence TTHits:  " << w7(s.quiescenceTtHits) << "\n";
  out << "Regular Cutoffs: " << w7(s.regularCutoffs)
      << "  Quiescence Cutoffs: " << w7(s.quiescenceCutoffs) << "\n";
  out << "Regular Hash col:" << w7(s.regularCollisions)
      << "  Quiescence Hash col:" << w7(s.quiescenceCollisions) << "\n";
  if (s.regularMoveSum != 0 && s.quiescenceMoveSum != 0) {
    const auto performance = [](std::int32_t bestIndexSum, std::int32_t moveSum) {
      return 100 - static_cast<std::int32_t>(std::int64_t{bestIndexSum} * 10000 / moveSum) / 100.0;
    };
    out << "Regular Moveperf:" << std::setw(7)
        << performance(s.regularBestIndexSum, s.regularMoveSum)
        << "% Quiescence Moveperf:" << std::setw(7)
        << performance(s.quiescenceBestIndexSum, s.quiescenceMoveSum) << "%\n";
  }
  corruptedEntries = tables_[WHITE]->WriteStatistics(out);
  corruptedEntries += tables_[BLACK]->WriteStatistics(out);
  return out.str();
}
