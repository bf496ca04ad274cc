// The pieces that attack a square, and what a capture wins once both sides have taken back
// on its square as long as that pays.
#pragma once

#include "board/Attacks.h"
#include "board/Board.h"
#include "board/Move.h"
#include "board/MoveTables.h"

// The squares the pawns of `color` on `pawns` attack.
inline Bitboard PawnAttacks(Bitboard pawns, Color color) {
  return color == WHITE ? ((pawns & ~FILE_H) >> 7) | ((pawns & ~FILE_A) >> 9)
                        : ((pawns & ~FILE_H) << 9) | ((pawns & ~FILE_A) << 7);
}

// The pieces of `by` that could capture on the square, as its move generation sees them:
// pawns only from the second to the seventh rank, the king from its lowest square. Sliders
// see through the squares missing from `occupied`.
inline Bitboard AttackersOf(const Board& board, Color by, Square square, Bitboard occupied) {
  constexpr Bitboard PAWN_SQUARES = 0x00FFFFFFFFFFFF00ULL;  // pawns elsewhere never move
  const Bitboard* sets = board.bitboards;
  const Bitboard queens = sets[WQ + by];
  const Bitboard kings = sets[WK + by];
  return (PawnAttacks(MaskOf(square), 1 - by) & sets[WP + by] & PAWN_SQUARES) |
         (KnightMask[static_cast<std::size_t>(square)] & sets[WN + by]) |
         (kings ? KingMask[static_cast<std::size_t>(square)] & MaskOf(LowestSquare(kings)) : 0) |
         (BishopAttacks(square, occupied) & (sets[WB + by] | queens)) |
         (RookAttacks(square, occupied) & (sets[WR + by] | queens));
}

// The material a capture wins for the side that makes it when each side goes on taking on
// the square with its least valuable piece, or stops when that loses: the victim's value
// less whatever the exchange gives back (negative when the capture loses material). A move
// that takes nothing starts at 0; a promotion's new piece is not counted.
int StaticExchange(const Board& board, const Move& move);
