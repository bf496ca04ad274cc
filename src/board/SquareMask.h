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

constexpr Square FileOf(Square s) { return s % 8; }

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
