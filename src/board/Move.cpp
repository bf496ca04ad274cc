// The console line of a move and its text in the game record.
#include "board/Move.h"

#include "board/Coordinates.h"
#include "board/SquareText.h"

std::string Move::Line() const {
  if (flags == MOVE_RESIGN) return "RESIGNATION!\n";
  if (flags == MOVE_STALEMATE) return "STALEMATE!!!\n";
  // A bad square's message follows the label on the same line.
  std::string coords;
  std::string error;
  SquareToCoord(from, to, coords, error);
  return std::string(LabelOf(piece)) + " - " + error + coords + "\n";
}

bool Move::ToText(std::string* text) const {
  if (text == nullptr) return false;
  text->clear();
  if (flags == MOVE_RESIGN || flags == MOVE_STALEMATE) return true;

  // Pawns have no letter; the other kinds have the same letter for both colours.
  static constexpr const char* KIND_LETTERS[] = {"", "N", "B", "R", "Q", "K"};
  if (IsPieceCode(piece)) *text += KIND_LETTERS[piece / 2];

  const auto onBoard = [](int square) { return square >= 0 && square < 64; };
  if (onBoard(from)) *text += SquareName(from);
  if (Kind() == MOVE_CAPTURE || Kind() == MOVE_EN_PASSANT) *text += "x";
  // A castling is written as the king's move: Ke1g1, Ke1c1.
  if (onBoard(to)) *text += SquareName(to);

  if (const auto* promotion = PromotionOfFlags(flags))
    *text += std::string("=") + promotion->letter;
  return true;
}

const char* Move::PromotionLetter() const {
  static constexpr const char* LETTERS[] = {"n", "b", "r", "q"};
  for (std::size_t i = 0; i < std::size(PROMOTIONS); ++i)
    if (PROMOTIONS[i].flag == Promotion()) return LETTERS[i];
  return "";
}
