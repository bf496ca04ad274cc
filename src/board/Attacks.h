// Attack sets by square: the sliders' through multiplication-indexed tables, lines and the
// squares between two squares. For counting legal moves; move generation walks the rays of
// MoveTables.h, whose order is part of the program's behaviour.
#pragma once

#include <cstdint>

#include "board/SquareMask.h"
#include "board/TableIndex.h"

namespace attacks_detail {

struct Magic {
  Bitboard mask = 0;    // the squares whose occupation matters: the rays without their ends
  Bitboard factor = 0;  // spreads the occupied mask squares into distinct high bits
  const Bitboard* table = nullptr;
  unsigned shift = 0;

  Bitboard Lookup(Bitboard occupied) const { return table[((occupied & mask) * factor) >> shift]; }
};

struct Tables {
  Magic rook[64];
  Magic bishop[64];
  Bitboard line[64][64];     // the whole line through two squares of a rank, file or diagonal
  Bitboard between[64][64];  // the squares strictly between two such squares
  Bitboard rookAttacks[102400];
  Bitboard bishopAttacks[5248];
};

extern const Tables& tables;

}  // namespace attacks_detail

// The squares a rook (bishop) on the square attacks: up to and including the first occupied
// square in every direction.
inline Bitboard RookAttacks(Square square, Bitboard occupied) {
  return attacks_detail::tables.rook[TableIndex(square, 64)].Lookup(occupied);
}
inline Bitboard BishopAttacks(Square square, Bitboard occupied) {
  return attacks_detail::tables.bishop[TableIndex(square, 64)].Lookup(occupied);
}
// Edge to edge through both squares, or 0 when they share no rank, file or diagonal.
inline Bitboard LineThrough(Square a, Square b) {
  return attacks_detail::tables.line[TableIndex(a, 64)][TableIndex(b, 64)];
}
// The squares strictly between, or 0 when they share no line.
inline Bitboard Between(Square a, Square b) {
  return attacks_detail::tables.between[TableIndex(a, 64)][TableIndex(b, 64)];
}
