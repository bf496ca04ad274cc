#include "search/NegaScout.h"

#include <iomanip>
#include <limits>
#include <sstream>

#include "board/Rules.h"
#include "search/Evaluate.h"
#include "search/MoveOrdering.h"
#include "search/SearchTrace.h"

void NegaScout::BeginSearch(const Board& /*root*/) {
  ClearHistory(history_);
  ClearTables();
}

int NegaScout::SearchRoot(Board& board, int depth, Move* out, int alpha, int beta) {
  stats_.regularNodes += 1;
  std::uint32_t lock;
  const TableSlot slot = SlotOf(board, lock);

  RootMoves root;
  int score;
  if (!OpenRoot(board, root, out, score)) return score;
  // One ply is too shallow to see a move into check refused (by the king's capture): a search
  // of one ply, which only a front end asks for, tries the legal moves alone.
  if (depth == 1) {
    MoveList legal;
    for (const Move& move : root.Moves())
      if (IsLegal(board, move)) legal.Add(move);
    if (!legal.Empty()) {
      root.chosen = legal;
      root.choosing = true;
    }
  }
  MoveList& moves = root.Moves();
  Node node{alpha, beta};
  // The first mate found ends the root's moves.
  TryMoves(board, moves, -1, -1, depth, SCORE_MATE_FOUND, node);
  if (stopped_) return 0;

  CloseRoot(board, root, node, out);
  // The root also replaces an entry of depth 0.
  const bool replace = slot.Entry().depth == 0;
  return Complete(board, slot, lock, depth, replace, out->from, out->to, moves, node);
}

TableSlot NegaScout::SlotOf(const Board& board, std::uint32_t& lock) {
  std::int64_t key;
  board.Hashes(key, lock);
  return tables_[board.sideToMove]->PlaceAt(key);
}

void NegaScout::TryMoves(Board& board, MoveList& moves, int hashFrom, int hashTo, int depth,
                         int stopScore, Node& node) {
  // The table's move first, then the others by their counters.
  const int hashIndex = hashFrom >= 0 ? FindFromTo(moves, hashFrom, hashTo) : -1;
  MoveOrder order(moves, hashIndex, &history_[board.sideToMove]);
  const TranspositionTable& childTable = *tables_[1 - board.sideToMove];
  int nullBound = node.beta;
  int searched = 0;
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
    const int childDepth = depth - 1;
    const auto searchChild = [&](int childAlpha, int childBeta, int searchDepth) {
      ply_ += 1;
      const int childScore = searchDepth >= 1
                                 ? -Search(child, searchDepth, &reply, childAlpha, childBeta)
                                 : -Quiesce(child, childAlpha, childBeta, 0);
      ply_ -= 1;
      return childScore;
    };
    int score = searchChild(-nullBound, -node.alpha, childDepth);
    if (node.alpha < score && score < node.beta) {
      // A front end's game searches again in the node's own window, so that a move whose
      // score the null window found exactly brings its variation along.
      const int again =
          searchChild(-node.beta, options_.gameRules ? -node.alpha : -score, childDepth);
      if (again > score) score = again;
    }
    if (stopped_) return;
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

int NegaScout::StaticScore(const Board& board) {
  const int evaluation = Evaluate(board, engineColour_, pawnCache_, false);
  return board.sideToMove == engineColour_ ? evaluation : -evaluation;
}

int NegaScout::Complete(const Board& board, const TableSlot& slot, std::uint32_t lock, int depth,
                        bool replace, int bestFrom, int bestTo, const MoveList& moves,
                        const Node& node) {
  const int type = BoundType(node.bestScore, node.alphaBefore, node.beta);
  if (type == TT_LOWER) {
    stats_.regularCutoffs += 1;
    if (bestFrom >= 0) history_[board.sideToMove][bestFrom][bestTo] += depth * depth;
  }
  if (replace || !slot.MayBeUsed() ||
      slot.Entry().TakesSearchResult(type, depth, lock, board.moveNumber)) {
    slot.Store(type, node.bestScore, depth, lock, board.moveNumber, bestFrom, bestTo,
               stats_.regularNodes);
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
    // move may still mate. A position where no mate is possible is drawn too.
    if ((DrawnByRule(key) || IsDeadPosition(board)) && !KingCanBeTaken(board) &&
        (!InCheck(board) || HasLegalMove(board)))
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
          Consult(entry, entry.CorrectedScore(board.moveNumber), alpha, beta);
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
    }
  } else if (entry.type != TT_EMPTY) {
    stats_.regularCollisions += 1;
  }

  MoveList moves;
  if (!moves.Generate(board)) {
    if constexpr (Tracing(10)) SearchTraceLog() << "illegal position\n";
    return SCORE_ILLEGAL;
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
  if (options_.gameRules && IsDeadPosition(board) && !KingCanBeTaken(board)) return 0;
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
  int tableScore = 0;
  const auto corrected = [&board](const TTEntry& stored) {
    return stored.CorrectedScore(board.moveNumber);
  };
  if (ProbeForCaptures(slot, lock, corrected, alpha, beta, tableScore, hashFrom, hashTo))
    return tableScore;
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
  MoveOrder order(captures, hashIndex, &captureHistory_[board.sideToMove]);

  int searched = 0;
  int bestIndex = 0;
  int bestFrom = -1, bestTo = -1;
  for (int k = 0; k < captures.Size() && bestScore < beta; ++k) {
    const Move& capture = captures[order.Next()];
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
    slot.Store(type, bestScore, qdepth, lock, board.moveNumber, bestFrom, bestTo,
               stats_.regularNodes);
  if (bestIndex != 0) {
    stats_.quiescenceMoveSum += captures.Size() - 1;
    stats_.quiescenceBestIndexSum += bestIndex - 1;
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
