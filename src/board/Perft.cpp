#include "board/Perft.h"

#include "board/MoveList.h"

namespace {

std::uint64_t CountLeaves(const Board& board, const MoveList& list, int depth);

// Makes `move` on `next` (a copy of the position) and generates the replies, which are the
// legality test and, when there are any, the next level's moves. Answers the leaves
// `depth` plies below the position before the move, or nothing for an illegal move.
bool LeavesUnder(const Move& move, Board& next, MoveList& replies, int depth,
                 std::uint64_t& leaves) {
  next.MakeMove(&move);
  const bool hasReplies = replies.Generate(next);
  if (!hasReplies && replies.LastFailure() == GenerationFailure::KING_CAPTURE) return false;
  if (depth == 1) {
    leaves = 1;
  } else {
    leaves = hasReplies ? CountLeaves(next, replies, depth - 1) : 0;
  }
  return true;
}

// `list` holds the generated moves of `board`.
std::uint64_t CountLeaves(const Board& board, const MoveList& list, int depth) {
  std::uint64_t total = 0;
  MoveList replies;
  for (const Move& move : list) {
    Board next = board;
    std::uint64_t leaves = 0;
    if (LeavesUnder(move, next, replies, depth, leaves)) total += leaves;
  }
  return total;
}

}  // namespace

std::uint64_t Perft(const Board& board, int depth) {
  if (depth <= 0) return 1;
  Board root = board;
  MoveList list;
  return list.Generate(root) ? CountLeaves(root, list, depth) : 0;
}

std::vector<PerftDivision> PerftDivide(const Board& board, int depth) {
  std::vector<PerftDivision> divisions;
  Board root = board;
  MoveList list;
  if (depth <= 0 || !list.Generate(root)) return divisions;
  MoveList replies;
  for (const Move& move : list) {
    Board next = root;
    std::uint64_t leaves = 0;
    if (LeavesUnder(move, next, replies, depth, leaves)) divisions.push_back({move, leaves});
  }
  return divisions;
}

std::string PerftMoveText(const Move& move) {
  std::string text;
  Board::SquareToCoord(move.from, move.to, text);
  return text + move.PromotionLetter();
}
