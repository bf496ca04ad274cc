// Where a pawn is going: the squares in front of it on its own file and on the neighbouring
// ones. A pawn with no enemy pawn there is passed.
#pragma once

#include "board/Piece.h"
#include "board/SquareMask.h"

struct PawnSpanTable {
  Bitboard passed[2][64];  // per colour and square: in front, on the file and its neighbours
  Bitboard ahead[2][64];   // in front, on the file alone
};
inline constexpr PawnSpanTable PAWN_SPANS = [] {
  PawnSpanTable spans{};
  for (Square square = 0; square < 64; ++square) {
    for (Square other = 0; other < 64; ++other) {
      const int files = FileOf(other) - FileOf(square);
      if (files < -1 || files > 1) continue;
      for (Color color : {WHITE, BLACK}) {
        if (RankFor(color, other) <= RankFor(color, square)) continue;
        spans.passed[color][square] |= MaskOf(other);
        if (files == 0) spans.ahead[color][square] |= MaskOf(other);
      }
    }
  }
  return spans;
}();

// Whether a pawn of the colour on the square is passed: no enemy pawn in front of it on its
// own file or a neighbouring one.
constexpr bool IsPassedPawn(Color color, Square square, Bitboard enemyPawns) {
  return !(PAWN_SPANS.passed[color][square] & enemyPawns);
}
// The most advanced of a colour's pawns on a file (there must be one).
constexpr Square FrontPawn(Color color, Bitboard pawnsOnFile) {
  return color == WHITE ? LowestSquare(pawnsOnFile) : HighestSquare(pawnsOnFile);
}
