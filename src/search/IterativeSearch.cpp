#include "search/IterativeSearch.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <iomanip>
#include <sstream>

#include "board/Rules.h"
#include "search/SearchTrace.h"

namespace {

std::int64_t MonotonicMilliseconds() {
  static const auto start = std::chrono::steady_clock::now();
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

}  // namespace

IterativeSearch::IterativeSearch(SearchLimits limits, Clock clock)
    : limits_(limits), clock_(clock ? std::move(clock) : Clock(MonotonicMilliseconds)) {}

void IterativeSearch::Begin() {
  searchCount_ += 1;
  stats_ = SearchStatistics();
  stopped_ = false;
  completedDepth_ = 0;
}

void IterativeSearch::AnswerWithoutSearch() { Begin(); }

void IterativeSearch::Think(const Board& board, Move* out) {
  Begin();
  // What the engine forgets between searches counts on the clock.
  const std::int64_t start = clock_();
  searchStart_ = start;
  Board root = board;
  engineColour_ = root.sideToMove;
  BeginSearch(root);
  totalNodes_ = 0;
  int score = 0;
  int depth = std::clamp(limits_.firstDepth, 1, MAX_SEARCH_DEPTH) - 1;
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
  int sameBest = 0;
  for (;;) {
    depth += 1;
    iterationDepth_ = depth;
    stats_ = SearchStatistics();
    const std::int64_t iterationStart = clock_();
    iterating_ = true;
    score = SearchLines(root, depth, out, score);
    iterating_ = false;
    if (stopped_) {
      // The unfinished iteration proves nothing: the last finished one decides.
      *out = completedDepth_ > 0 ? best : FallbackMove(root);
      totalNodes_ += std::int64_t{stats_.regularNodes} + stats_.quiescenceNodes;
      break;
    }
    Settling settling;
    settling.bestChanged = completedDepth_ > 0 && !(best == *out);
    settling.scoreDrop = completedDepth_ > 0 ? previousScore - score : 0;
    sameBest = settling.bestChanged ? 0 : sameBest + 1;
    settling.sameBest = sameBest;
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
        report.nodes = totalNodes_ + HelperNodes();
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

    // The clock of a game and the front end may end the search before its usual depth. A
    // forced move is answered after a short look, long enough for its score to say what
    // the position holds.
    if (control_.softMs != SearchControl::NO_LIMIT &&
        clock_() - start >= (options_.adaptTime && rootChoices == 1
                                 ? control_.softMs / FORCED_MOVE_SHARE
                                 : SoftLimit(settling)))
      break;
    if (totalNodes_ + HelperNodes() >= std::min(control_.maxNodes, control_.nodeCeiling) ||
        (control_.interrupted && control_.interrupted())) {
      stopped_ = true;
      break;
    }
    const int mate = foundLines_ > 0 ? rootLines_[0].mateMoves : 0;
    if (options_.mateMoves > 0 && mate > 0 && mate <= options_.mateMoves) break;
    if (depth >= MAX_SEARCH_DEPTH) break;
    if (depth < limits_.minDepth) continue;
    const bool mateFound =
        out->score >= SCORE_MATE_FOUND && limits_.endAtMate && MateEndsSearch(out->score, depth);
    if (nodes > limits_.maxNodes || depth >= limits_.maxDepth ||
        iterationTime > limits_.maxIterTimeMs || clock_() - start > limits_.maxTimeMs || mateFound)
      break;
  }
  elapsedMs_ = clock_() - start;
}

std::int64_t IterativeSearch::SoftLimit(const Settling& settling) const {
  if (!options_.adaptTime) return control_.softMs;
  // An unsettled search gets more of its share, never more than the hard limit allows.
  const std::int64_t soft = control_.softMs;
  std::int64_t stretched = soft;
  if (settling.bestChanged) stretched += soft * 3 / 5;
  if (settling.scoreDrop >= 30) stretched += soft / 2;
  return std::min(stretched, std::max(control_.hardMs / 2, soft));
}

void IterativeSearch::RestartClock(const SearchControl& budget) {
  const std::int64_t elapsed = clock_() - searchStart_;
  const auto from = [elapsed](std::int64_t limit) {
    return limit == SearchControl::NO_LIMIT ? limit : elapsed + limit;
  };
  control_.softMs = from(budget.softMs);
  control_.hardMs = from(budget.hardMs);
}

int IterativeSearch::SearchLines(Board& board, int depth, Move* out, int previous) {
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
  // The lines come best first, whatever order they were found in; the first is the answer.
  const auto lines = rootLines_.begin();
  std::stable_sort(lines, lines + foundLines_,
                   [](const RootLine& a, const RootLine& b) { return a.score > b.score; });
  rootBest_ = rootLines_[0].move;
  const int kind = out->Kind();
  if (foundLines_ > 1 && kind != MOVE_RESIGN && kind != MOVE_STALEMATE) {
    *out = rootLines_[0].move;
    out->score = rootLines_[0].score;
  }
  return foundLines_ > 1 ? rootLines_[0].score : score;
}

bool IterativeSearch::RootMayTry(const Move& move) const {
  const auto listed = [&move](const std::vector<Move>& list) {
    return std::find(list.begin(), list.end(), move) != list.end();
  };
  return (options_.rootMoves.empty() || listed(options_.rootMoves)) && !listed(excluded_);
}

void IterativeSearch::ExtendVariation(const Move& move) {
  auto& row = variations_[static_cast<std::size_t>(ply_)];
  row[0] = move;
  const int length = std::min(variationLength_[static_cast<std::size_t>(ply_ + 1)], MAX_PLY - 1);
  const auto& below = variations_[static_cast<std::size_t>(ply_ + 1)];
  std::copy_n(below.begin(), length, row.begin() + 1);
  variationLength_[static_cast<std::size_t>(ply_)] = length + 1;
}

std::vector<Move> IterativeSearch::RootVariation(const Board& root, const Move& best,
                                                 int* mateMoves) const {
  const auto& row = variations_[0];
  std::vector<Move> moves(row.begin(), row.begin() + variationLength_[0]);
  // A root whose every move failed low has no variation of its own: its move starts one.
  if (moves.empty() || !(moves[0] == best)) moves.assign(1, best);
  moves = LegalPrefix(root, moves, nullptr);
  // Where the search knew only a bound the variation stops short: the moves the tables know
  // carry it on, as deep as the iteration went, short of a repetition.
  Board walk = root;
  std::vector<std::uint64_t> seen{RepetitionKey(walk)};
  for (const Move& move : moves) {
    PlayMove(walk, move);
    seen.push_back(RepetitionKey(walk));
  }
  int from = -1, to = -1;
  while (static_cast<int>(moves.size()) < iterationDepth_ && TableMove(walk, from, to)) {
    Move next;
    bool found = false;
    for (const Move& legal : LegalMoves(walk)) {
      // A promotion the table names by its squares alone is the queen's.
      if (legal.from != from || legal.to != to) continue;
      if (!found || (legal.flags & PROMOTE_QUEEN)) next = legal;
      found = true;
    }
    if (!found) break;
    PlayMove(walk, next);
    const std::uint64_t key = RepetitionKey(walk);
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) break;
    seen.push_back(key);
    moves.push_back(next);
  }
  return LegalPrefix(root, moves, mateMoves);
}

std::vector<Move> IterativeSearch::LegalPrefix(const Board& board, const std::vector<Move>& moves,
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

int IterativeSearch::MateFromScore(int score, int depth) const {
  if (score < SCORE_MATE_FOUND && score > -SCORE_MATE_FOUND) return 0;
  // A side mated at `ply` of an iteration of `depth` scores SCORE_NONE + (depth - ply), or,
  // in a front end's game, -SCORE_WINDOW + ply.
  const int plies = std::max(
      options_.gameRules ? SCORE_WINDOW - std::abs(score) : std::abs(score) + SCORE_NONE + depth,
      1);
  return score > 0 ? (plies + 1) / 2 : -std::max(plies / 2, 1);
}

bool IterativeSearch::DrawnByRule(std::uint64_t key) const {
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

int IterativeSearch::HashFull() const {
  // The first thousand entries of each table stand for the rest.
  const auto used = [](const TranspositionTable& table) {
    int count = 0;
    const int sample = std::min(table.Size(), 1000);
    for (int index = 0; index < sample; ++index) count += table.EntryAt(index).type != TT_EMPTY;
    return sample > 0 ? count * 1000 / sample : 0;
  };
  return (used(*tables_[WHITE]) + used(*tables_[BLACK])) / 2;
}

void IterativeSearch::Report(SearchProgress::Kind kind, const Move* move, int moveNumber,
                             int score) {
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

void IterativeSearch::Poll() {
  pollCountdown_ = POLL_INTERVAL;
  const std::int64_t nodes = NodesSoFar();
  // The first iteration always finishes, so that every search answers with a searched move:
  // only a stop request ends it.
  if (nodes >= control_.nodeCeiling ||
      (completedDepth_ > 0 &&
       (nodes >= control_.maxNodes || (control_.hardMs != SearchControl::NO_LIMIT &&
                                       clock_() - searchStart_ >= control_.hardMs))))
    stopped_ = true;
  else if (control_.interrupted && control_.interrupted())
    stopped_ = true;
  if (options_.progress && !stopped_ && clock_() - lastReportMs_ >= 1000)
    Report(SearchProgress::Kind::PERIODIC);
}

Move IterativeSearch::FallbackMove(Board& board) const {
  MoveList moves;
  moves.Generate(board);
  for (const Move& move : moves)
    if (IsLegal(board, move)) return move;
  Move end;
  end.piece = WK + board.sideToMove;
  end.flags = GameEndFlags(board, moves);
  return end;
}

int IterativeSearch::Iterate(Board& board, int depth, Move* out, int previous) {
  const int alpha = previous - ASPIRATION_WINDOW;
  const int beta = previous + ASPIRATION_WINDOW;
  int score = SearchRoot(board, depth, out, alpha, beta);
  if (stopped_) return score;
  if (score <= alpha || score >= beta)
    score = SearchRoot(board, depth, out, -SCORE_WINDOW, SCORE_WINDOW);
  out->score = score;
  return score;
}

bool IterativeSearch::OpenRoot(Board& board, RootMoves& root, Move* out, int& score) {
  if (!root.generated.Generate(board)) {
    if constexpr (Tracing(10)) SearchTraceLog() << "illegal position\n";
    score = -SCORE_ILLEGAL;
    return false;
  }
  // The front end may leave root moves out; so do the lines already found.
  root.choosing = !options_.rootMoves.empty() || !excluded_.empty();
  if (root.choosing) {
    for (const Move& move : root.generated)
      if (RootMayTry(move)) root.chosen.Add(move);
  }
  ply_ = 0;
  variationLength_[0] = 0;
  rootBest_ = Move();
  if (root.Moves().Empty()) {
    out->piece = WK + board.sideToMove;
    out->flags = GameEndFlags(board, root.generated);
    score = SCORE_NONE;
    return false;
  }
  return true;
}

void IterativeSearch::CloseRoot(const Board& board, RootMoves& root, const Node& node, Move* out) {
  Move best = node.bestMove >= 0 ? root.Moves()[node.bestMove] : Move();
  rootBest_ = best;
  if (node.bestScore <= SCORE_GIVE_UP) {
    best.piece = WK + board.sideToMove;
    best.flags = GameEndFlags(board, root.generated);
  }
  *out = best;
}

bool IterativeSearch::MateEndsSearch(int /*score*/, int /*depth*/) const { return true; }

int IterativeSearch::GameEndFlags(const Board& board, const MoveList& moves) const {
  if (InCheck(board)) return MOVE_RESIGN;
  // Not in check: stalemate, unless a legal move exists after all (the search saw it lose).
  return HasPlayableMove(board, moves) ? MOVE_RESIGN : MOVE_STALEMATE;
}

IterativeSearch::TableAnswer IterativeSearch::Consult(const TTEntry& entry, int score, int& alpha,
                                                      int& beta) {
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

std::string IterativeSearch::StatisticsReport(int& corruptedEntries) const {
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
