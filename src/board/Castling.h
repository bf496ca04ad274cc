// The four castling rights, each an index of Board::castleRights, with their FEN letters and
// the squares their king and rook start from.
#pragma once

#include "board/Piece.h"
#include "board/SquareMask.h"

inline constexpr Square A1 = SquareAt(0, 1), E1 = SquareAt(4, 1), H1 = SquareAt(7, 1);
inline constexpr Square A8 = SquareAt(0, 8), E8 = SquareAt(4, 8), H8 = SquareAt(7, 8);

enum CastlingRight : int {
  CASTLE_WHITE_SHORT = 0,
  CASTLE_BLACK_SHORT = 1,
  CASTLE_WHITE_LONG = 2,
  CASTLE_BLACK_LONG = 3,
};

constexpr int ShortCastling(Color color) { return CASTLE_WHITE_SHORT + color; }
constexpr int LongCastling(Color color) { return CASTLE_WHITE_LONG + color; }

struct CastlingHome {
  char letter;  // in FEN
  Square king;
  Square rook;
};
// By right; a right's colour is its index modulo 2.
inline constexpr CastlingHome CASTLING[4] = {
    {'K', E1, H1}, {'k', E8, H8}, {'Q', E1, A1}, {'q', E8, A8}};
