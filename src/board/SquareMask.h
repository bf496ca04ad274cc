// Square sets: one bit per square, bit s standing for square s.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "board/Piece.h"

using Bitboard = std::uint64_t;

inline constexpr std::array<Bitboard, 64> SquareMask = [] {
  std::array<Bitboard, 64> masks{};
  for (int s = 0; s < 64; ++s) masks[static_cast<std::size_t>(s)] = Bitboard{1} << s;
  return masks;
}();

constexpr Bitboard MaskOf(Square s) { return SquareMask[static_cast<std::size_t>(s)]; }

// The board's geometry. Squares are numbered from a8 along the rows: row 0 is rank 8.
constexpr int FileOf(Square s) { return s % 8; }
constexpr int RowOf(Square s) { return s / 8; }
// The rank of a square seen from the colour's side: 0 for its back rank, 7 for the far one.
constexpr int RankFor(Color color, Square s) { return color == WHITE ? 7 - RowOf(s) : RowOf(s); }
// The king's distance between two squares.
constexpr int Distance(Square a, Square b) {
  const int rows = RowOf(a) > RowOf(b) ? RowOf(a) - RowOf(b) : RowOf(b) - RowOf(a);
  const int files = FileOf(a) > FileOf(b) ? FileOf(a) - FileOf(b) : FileOf(b) - FileOf(a);
  return rows > files ? rows : files;
}

inline constexpr Bitboard FILE_A = 0x0101010101010101ULL;
inline constexpr Bitboard FILE_H = FILE_A << 7;
inline constexpr Bitboard RANK_8 = 0xFFULL;       // row 0
inline constexpr Bitboard RANK_7 = RANK_8 << 8;   // row 1
inline constexpr Bitboard RANK_2 = RANK_8 << 48;  // row 6
inline constexpr Bitboard RANK_1 = RANK_8 << 56;  // row 7
constexpr Bitboard FileMask(int file) { return FILE_A << file; }

// Squares are numbered from a8; rank 1 is the row 56..63.
constexpr Square SquareAt(int file, int rank) { return file + 8 * (8 - rank); }

constexpr Square LowestSquare(Bitboard set) { return std::countr_zero(set); }
constexpr Square HighestSquare(Bitboard set) { return 63 - std::countl_zero(set); }

// Castling constants, indexed by colour.
inline constexpr std::array<Bitboard, 2> CASTLE_SHORT_EMPTY = {
    SquareMask[SquareAt(5, 1)] | SquareMask[SquareAt(6, 1)],
    SquareMask[SquareAt(5, 8)] | SquareMask[SquareAt(6, 8)]};
inline constexpr std::array<Bitboard, 2> CASTLE_LONG_EMPTY = {
    SquareMask[SquareAt(1, 1)] | SquareMask[SquareAt(2, 1)] | SquareMask[SquareAt(3, 1)],
    SquareMask[SquareAt(1, 8)] | SquareMask[SquareAt(2, 8)] | SquareMask[SquareAt(3, 8)]};
// The squares that count as king squares right after castling: the start square and the
// crossed square. An enemy attack on either one makes the castling capturable.
inline constexpr std::array<Bitboard, 2> CASTLE_SHORT_PATH = {
    SquareMask[SquareAt(4, 1)] | SquareMask[SquareAt(5, 1)],
    SquareMask[SquareAt(4, 8)] | SquareMask[SquareAt(5, 8)]};
inline constexpr std::array<Bitboard, 2> CASTLE_LONG_PATH = {
    SquareMask[SquareAt(3, 1)] | SquareMask[SquareAt(4, 1)],
    SquareMask[SquareAt(3, 8)] | SquareMask[SquareAt(4, 8)]};
