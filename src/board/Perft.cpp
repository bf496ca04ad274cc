#include "board/Perft.h"

#include <bit>

#include "board/Attacks.h"
#include "board/Exchange.h"
#include "board/MoveList.h"
#include "board/MoveTables.h"
#include "board/Rules.h"

namespace {

constexpr Bitboard PAWN_SQUARES = 0x00FFFFFFFFFFFF00ULL;  // pawns elsewhere never move
// Indexed by colour: the row a pawn promotes on, the row of its double step's first step.
constexpr Bitboard LAST_ROW[2] = {0xFFULL, 0xFFULL << 56};
constexpr Bitboard THIRD_ROW[2] = {0xFFULL << 40, 0xFFULL << 16};

constexpr std::int64_t ILLEGAL = -1;  // the side to move can capture the enemy king
constexpr std::int64_t UNUSUAL = -2;  // a position the counting below does not handle

Bitboard Forward(Bitboard set, Color color) { return color == WHITE ? set >> 8 : set << 8; }

int Count(Bitboard set) { return std::popcount(set); }

// Every square `by` attacks with the occupation given.
Bitboard AttackMap(const Board& board, Color by, Bitboard occupied) {
  const Bitboard* sets = board.bitboards;
  Bitboard map = PawnAttacks(sets[WP + by] & PAWN_SQUARES, by) |
                 KingMask[static_cast<std::size_t>(LowestSquare(sets[WK + by]))];
  for (Bitboard set = sets[WN + by]; set; set &= set - 1)
    map |= KnightMask[static_cast<std::size_t>(LowestSquare(set))];
  for (Bitboard set = sets[WB + by] | sets[WQ + by]; set; set &= set - 1)
    map |= BishopAttacks(LowestSquare(set), occupied);
  for (Bitboard set = sets[WR + by] | sets[WQ + by]; set; set &= set - 1)
    map |= RookAttacks(LowestSquare(set), occupied);
  return map;
}

// Whether, once `move` is made on a copy, the opponent can capture a square of the mover's
// king set (the castling path included). The opponent's own path must already be gone.
bool LeavesKingCapturable(const Board& board, const Move& move) {
  Board next = board;
  next.MakeMove(&move);
  const Color mover = board.sideToMove;
  const Bitboard occupied = next.Occupied();
  const Bitboard kingSquares = next.bitboards[WK + mover] & next.bitboards[ALL_WHITE + mover] &
                               ~next.bitboards[ALL_BLACK - mover];
  for (Bitboard set = kingSquares; set; set &= set - 1)
    if (AttackersOf(next, 1 - mover, LowestSquare(set), occupied)) return true;
  return false;
}

// The moves of `board` (both castling paths gone) after which the own king cannot be captured.
std::int64_t CountByMaking(const Board& board) {
  Board position = board;
  MoveList moves;
  if (!moves.Generate(position)) return 0;
  std::int64_t count = 0;
  for (const Move& move : moves) count += LeavesKingCapturable(position, move) ? 0 : 1;
  return count;
}

// The number of replies to the last move in `board` whose making leaves no king capture, as
// generating, making every move and generating again would find: ILLEGAL when the side to move
// can capture the enemy king. Counts without making the moves for pieces that are neither the
// king nor pinned when the side to move is not in check. UNUSUAL, with the board unchanged,
// for a side without exactly one king. Leaves the board with both castling paths removed.
std::int64_t CountReplies(Board& board) {
  const Color us = board.sideToMove;
  const Color them = 1 - us;
  const Bitboard* sets = board.bitboards;
  if (Count(sets[WK + us] & ~board.castlePath[us]) != 1 ||
      Count(sets[WK + them] & ~board.castlePath[them]) != 1)
    return UNUSUAL;
  board.RemoveCastlePath(us);  // as the generation does first

  // A capture of any of the enemy's king squares, its castling path included.
  Bitboard occupied = board.Occupied();
  const Bitboard own = sets[ALL_WHITE + us];
  for (Bitboard set = sets[WK + them] & sets[ALL_WHITE + them] & ~own; set; set &= set - 1)
    if (AttackersOf(board, us, LowestSquare(set), occupied)) return ILLEGAL;
  // Every reply is answered by a generation that removes the enemy's path first. Without an
  // enemy king capture no move of ours touches the path, so the moves stay the same.
  board.RemoveCastlePath(them);

  occupied = board.Occupied();
  const Bitboard enemy = sets[ALL_WHITE + them];
  const Square king = LowestSquare(sets[WK + us]);
  const Bitboard kingMask = MaskOf(king);
  // The enemy's reach with our king off the board, so that it covers the squares behind it.
  const Bitboard attacked = AttackMap(board, them, occupied ^ kingMask);
  if (attacked & kingMask) return CountByMaking(board);

  Bitboard pinned = 0;
  const Bitboard snipers = (RookAttacks(king, 0) & (sets[WR + them] | sets[WQ + them])) |
                           (BishopAttacks(king, 0) & (sets[WB + them] | sets[WQ + them]));
  for (Bitboard set = snipers; set; set &= set - 1) {
    const Bitboard between = Between(king, LowestSquare(set)) & occupied;
    if (Count(between) == 1) pinned |= between & own;
  }

  const Bitboard targets = ~own;
  // A pinned piece keeps to the line through the king and itself.
  const auto reach = [&](Square from, Bitboard squares) {
    return MaskOf(from) & pinned ? squares & LineThrough(king, from) : squares;
  };
  std::int64_t count = Count(KingMask[static_cast<std::size_t>(king)] & targets & ~attacked);
  for (Bitboard set = sets[WN + us] & ~pinned; set; set &= set - 1)
    count += Count(KnightMask[static_cast<std::size_t>(LowestSquare(set))] & targets);
  for (Bitboard set = sets[WB + us]; set; set &= set - 1) {
    const Square from = LowestSquare(set);
    count += Count(reach(from, BishopAttacks(from, occupied) & targets));
  }
  for (Bitboard set = sets[WR + us]; set; set &= set - 1) {
    const Square from = LowestSquare(set);
    count += Count(reach(from, RookAttacks(from, occupied) & targets));
  }
  for (Bitboard set = sets[WQ + us]; set; set &= set - 1) {
    const Square from = LowestSquare(set);
    count +=
        Count(reach(from, (BishopAttacks(from, occupied) | RookAttacks(from, occupied)) & targets));
  }

  // Castling as generated: from the rights and the empty squares; the path decides legality.
  const Square kingFrom = us == WHITE ? 60 : 4;
  if (board.castleRights[us] && !(occupied & CASTLE_SHORT_EMPTY[static_cast<std::size_t>(us)])) {
    const Move castle{WK + us, NO_PIECE, kingFrom, kingFrom + 2, MOVE_CASTLE_SHORT};
    count += LeavesKingCapturable(board, castle) ? 0 : 1;
  }
  if (board.castleRights[2 + us] && !(occupied & CASTLE_LONG_EMPTY[static_cast<std::size_t>(us)])) {
    const Move castle{WK + us, NO_PIECE, kingFrom, kingFrom - 2, MOVE_CASTLE_LONG};
    count += LeavesKingCapturable(board, castle) ? 0 : 1;
  }

  // Pawns: a move onto the last row is four promotions.
  const Bitboard pawns = sets[WP + us] & PAWN_SQUARES;
  const Bitboard last = LAST_ROW[static_cast<std::size_t>(us)];
  const auto moves = [last](Bitboard arrivals) {
    return Count(arrivals & ~last) + 4 * Count(arrivals & last);
  };
  const Bitboard free = pawns & ~pinned;
  const Bitboard pushed = Forward(free, us) & ~occupied;
  count += moves(pushed);
  count += Count(Forward(pushed & THIRD_ROW[static_cast<std::size_t>(us)], us) & ~occupied);
  const Bitboard east = free & ~FILE_H;
  const Bitboard west = free & ~FILE_A;
  count += moves((us == WHITE ? east >> 7 : east << 9) & enemy);
  count += moves((us == WHITE ? west >> 9 : west << 7) & enemy);
  for (Bitboard set = pawns & pinned; set; set &= set - 1) {
    const Square from = LowestSquare(set);
    const Bitboard line = LineThrough(king, from);
    const Bitboard step = Forward(MaskOf(from), us) & ~occupied;
    const Bitboard jump = Forward(step & THIRD_ROW[static_cast<std::size_t>(us)], us) & ~occupied;
    count += moves((step | jump | (PawnAttacks(MaskOf(from), us) & enemy)) & line);
  }
  // En passant, made on a copy: it takes two pieces off one row.
  const Bitboard passing = board.enPassant & ~enemy;
  for (Bitboard set = pawns & PawnAttacks(passing, them); set; set &= set - 1) {
    const Square from = LowestSquare(set);
    for (Bitboard to = PawnAttacks(MaskOf(from), us) & passing; to; to &= to - 1) {
      const Move capture{WP + us, WP + them, from, LowestSquare(to), MOVE_EN_PASSANT};
      count += LeavesKingCapturable(board, capture) ? 0 : 1;
    }
  }
  return count;
}

std::uint64_t CountLeaves(const Board& board, const MoveList& list, int depth);

// Makes `move` on `next` (a copy of the position) and generates the replies, which are the
// legality test and, when there are any, the next level's moves. Answers the leaves
// `depth` plies below the position before the move, or nothing for an illegal move.
bool LeavesUnder(const Move& move, Board& next, MoveList& replies, int depth,
                 std::uint64_t& leaves) {
  next.MakeMove(&move);
  if (depth == 2) {
    const std::int64_t count = CountReplies(next);
    if (count == ILLEGAL) return false;
    if (count != UNUSUAL) {
      leaves = static_cast<std::uint64_t>(count);
      return true;
    }
  }
  if (!GenerateReplies(next, replies)) return false;
  // A side without any move has no leaves below it.
  const bool hasReplies = replies.LastFailure() == GenerationFailure::NONE;
  leaves = depth == 1 ? 1 : hasReplies ? CountLeaves(next, replies, depth - 1) : 0;
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
