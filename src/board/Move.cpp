// The console line of a move and its text in the game record.
#include "board/Move.h"

#include <ostream>

#include "board/Board.h"
#include "console/Console.h"

void Move::Print() const {
  if (flags == MOVE_RESIGN) {
    *ConsoleOut << "RESIGNATION!" << std::endl;
    return;
  }
  if (flags == MOVE_STALEMATE) {
    *ConsoleOut << "STALEMATE!!!" << std::endl;
    return;
  }
  // The label goes out first: a bad square's message then follows it on the same line.
  *ConsoleOut << LabelOf(piece) << " - ";
  std::string coords;
  Board::SquareToCoord(from, to, coords);
  *ConsoleOut << coords << std::endl;
}

bool Move::ToText(std::string* text) const {
  if (text == nullptr) return false;
  text->clear();
  if (flags == MOVE_RESIGN || flags == MOVE_STALEMATE) return true;

  // Pawns have no letter; the other kinds have the same letter for both colours.
  static constexpr const char* KIND_LETTERS[] = {"", "N", "B", "R", "Q", "K"};
  if (IsPieceCode(piece)) *text += KIND_LETTERS[piece / 2];

  // Squares that fail to convert have printed their message; the rest of the text is kept.
  std::string square;
  if (Board::SquareToCoord(from, square)) *text += square;
  if (Kind() == MOVE_CAPTURE || Kind() == MOVE_EN_PASSANT) *text += "x";
  // A castling is written as the king's move: Ke1g1, Ke1c1.
  if (Board::SquareToCoord(to, square)) *text += square;

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
