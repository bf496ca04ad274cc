// The names of squares, "a8" to "h1": the one place where square text is read and written.
#pragma once

#include <string>
#include <string_view>

#include "board/Piece.h"

// The square named by two characters ("e4"; the file letter in either case), or -1.
constexpr Square ParseSquare(std::string_view text) {
  if (text.size() != 2) return -1;
  const char file =
      text[0] >= 'A' && text[0] <= 'H' ? static_cast<char>(text[0] - 'A' + 'a') : text[0];
  const char rank = text[1];
  if (file < 'a' || file > 'h' || rank < '1' || rank > '8') return -1;
  return (file - 'a') + 8 * ('8' - rank);
}

// The name of a square 0..63: "a8" for 0, "h1" for 63.
inline std::string SquareName(Square square) {
  return {static_cast<char>('a' + square % 8), static_cast<char>('8' - square / 8)};
}
