// Colours, piece codes and the per-piece constant tables.
#pragma once

#include <array>
#include <cstdint>

using Square = int;  // 0..63, a8 = 0, h8 = 7, a1 = 56, h1 = 63; -1 is no square
using Color = int;   // WHITE or BLACK

inline constexpr Color WHITE = 0;
inline constexpr Color BLACK = 1;

// A piece's colour is its code modulo 2, its kind is the code minus its colour.
enum PieceCode : int {
  WP = 0,
  BP = 1,
  WN = 2,
  BN = 3,
  WB = 4,
  BB = 5,
  WR = 6,
  BR = 7,
  WQ = 8,
  BQ = 9,
  WK = 10,
  BK = 11,
  NO_PIECE = 12,
};

// Kind numbers, as answered by Board::PieceAt.
inline constexpr int KIND_PAWN = 0;
inline constexpr int KIND_KNIGHT = 2;
inline constexpr int KIND_BISHOP = 4;
inline constexpr int KIND_ROOK = 6;
inline constexpr int KIND_QUEEN = 8;
inline constexpr int KIND_KING = 10;

// Indices of the two colour sets in Board::bitboards.
inline constexpr int ALL_WHITE = 12;
inline constexpr int ALL_BLACK = 13;

inline constexpr std::array<int, 12> PieceValue = {100, 100, 300, 300, 350,  350,
                                                   500, 500, 900, 900, 2000, 2000};

inline constexpr std::array<const char*, 13> PieceLabel = {"WP", "BP", "WN", "BN", "WB", "BB", "WR",
                                                           "BR", "WQ", "BQ", "WK", "BK", "  "};

constexpr bool IsPieceCode(int piece) { return piece >= WP && piece <= BK; }

// The kind (KIND_*) a piece letter names: P, N, B, R, Q, K in either case; -1 for any other.
constexpr int KindOfLetter(char letter) {
  switch (letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter) {
    case 'P':
      return KIND_PAWN;
    case 'N':
      return KIND_KNIGHT;
    case 'B':
      return KIND_BISHOP;
    case 'R':
      return KIND_ROOK;
    case 'Q':
      return KIND_QUEEN;
    case 'K':
      return KIND_KING;
    default:
      return -1;
  }
}

// The label of any code; codes outside the table (only found in damaged data) print as "??".
constexpr const char* LabelOf(int piece) {
  return piece >= 0 && piece <= NO_PIECE ? PieceLabel[static_cast<std::size_t>(piece)] : "??";
}
