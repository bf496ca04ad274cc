// The move record: what moves, what it captures, where, and how the search rated it.
#pragma once

#include <cstdint>
#include <string>

#include "board/Piece.h"

// Move kinds, in bits 0..4 of Move::flags.
inline constexpr int KIND_MASK = 0x1F;
inline constexpr int MOVE_NORMAL = 0;
inline constexpr int MOVE_CAPTURE = 1;
inline constexpr int MOVE_EN_PASSANT = 2;
inline constexpr int MOVE_CASTLE_SHORT = 4;
inline constexpr int MOVE_CASTLE_LONG = 8;
inline constexpr int MOVE_RESIGN = 16;
inline constexpr int MOVE_STALEMATE = 17;
inline constexpr int MOVE_CHECKMATE = 18;

// Promotions, in bits 5..8 of Move::flags; combined with MOVE_NORMAL or MOVE_CAPTURE.
inline constexpr int PROMOTION_MASK = 0x1E0;
inline constexpr int PROMOTE_KNIGHT = 32;
inline constexpr int PROMOTE_BISHOP = 64;
inline constexpr int PROMOTE_ROOK = 128;
inline constexpr int PROMOTE_QUEEN = 256;

// The four promotions: their flag, the kind of piece the pawn becomes (KIND_*, add the colour
// for the piece code) and its letter, upper case as the game record writes it.
struct PromotionPiece {
  int flag;
  int kind;
  char letter;
};
inline constexpr PromotionPiece PROMOTIONS[] = {{PROMOTE_KNIGHT, KIND_KNIGHT, 'N'},
                                                {PROMOTE_BISHOP, KIND_BISHOP, 'B'},
                                                {PROMOTE_ROOK, KIND_ROOK, 'R'},
                                                {PROMOTE_QUEEN, KIND_QUEEN, 'Q'}};

// The promotion of a move's flags (its promotion bits), or null for none.
constexpr const PromotionPiece* PromotionOfFlags(int flags) {
  for (const PromotionPiece& promotion : PROMOTIONS)
    if ((flags & PROMOTION_MASK) == promotion.flag) return &promotion;
  return nullptr;
}

// The promotion a letter names, in either case, or null.
constexpr const PromotionPiece* PromotionOfLetter(char letter) {
  const char upper =
      letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter;
  for (const PromotionPiece& promotion : PROMOTIONS)
    if (upper == promotion.letter) return &promotion;
  return nullptr;
}

struct Move {
  std::int32_t piece = NO_PIECE;
  std::int32_t captured = NO_PIECE;
  std::int32_t from = -1;
  std::int32_t to = -1;
  std::int32_t flags = -1;
  std::int32_t score = -1;      // written by the search and the transposition table
  std::int32_t scoreType = -1;  // the kind of bound of score
  std::int32_t depth = -1;      // the search depth belonging to score

  int Kind() const { return flags & KIND_MASK; }
  int Promotion() const { return flags & PROMOTION_MASK; }
  // The lower-case letter of the piece a promotion makes ("n", "b", "r", "q"), empty for none.
  const char* PromotionLetter() const;

  // The console line, with its line end: label, " - ", coordinates ("WP - e2e4\n"), or the end
  // of a game. A square off the board gives its conversion's message after the label.
  std::string Line() const;

  // The move's text in the game record (Ng1f3, e5xd6, e7e8=Q, Ke1g1). Resignation and
  // stalemate give an empty text; a square off the board is left out. False only when no
  // output is given.
  bool ToText(std::string* text) const;

  // The same move: the search's score, bound kind and depth do not take part.
  friend bool operator==(const Move& a, const Move& b) {
    return a.piece == b.piece && a.captured == b.captured && a.flags == b.flags &&
           a.from == b.from && a.to == b.to;
  }
};
