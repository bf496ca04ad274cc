// Indices into the constant square tables. The sanitizer build (the one that defines
// _GLIBCXX_ASSERTIONS) checks every one, so that an off-by-one square is caught even where it
// still lands inside a table, as in the flat piece-and-square tables; other builds pay nothing.
#pragma once

#include <cstddef>
#include <cstdlib>

#include "console/Console.h"

#if defined(_GLIBCXX_ASSERTIONS)
inline constexpr bool CHECKED_TABLE_INDICES = true;
#else
inline constexpr bool CHECKED_TABLE_INDICES = false;
#endif

// `index`, checked in the sanitizer build to lie in 0 .. size - 1.
constexpr std::size_t TableIndex(int index, int size) {
  if (CHECKED_TABLE_INDICES && (index < 0 || index >= size)) {
    TableIndexFault(index, size);
  }
  return static_cast<std::size_t>(index);
}

// The place of a piece (0..11, or 12 for none where `withNone`) on a square in a table of
// 64 values per piece.
constexpr std::size_t PieceSquareIndex(int piece, int square, bool withNone = false) {
  return TableIndex(piece, withNone ? 13 : 12) * 64 + TableIndex(square, 64);
}
