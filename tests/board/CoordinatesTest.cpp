#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>

#include "board/Board.h"
#include "support/ConsoleCapture.h"

namespace {

TEST(CoordinatesTest, SquaresConvertToTextAndBack) {
  ConsoleCapture console;
  for (int square = 0; square < 64; ++square) {
    std::string coord;
    ASSERT_TRUE(Board::SquareToCoord(square, coord));
    EXPECT_EQ(Board::CoordToSquare(coord), square) << coord;
  }
  std::string coord;
  Board::SquareToCoord(36, coord);
  EXPECT_EQ(coord, "e4");
  EXPECT_EQ(Board::CoordToSquare("E4"), 36);
  EXPECT_EQ(Board::CoordToSquare("a1"), 56);
  EXPECT_EQ(Board::CoordToSquare("h8"), 7);
  EXPECT_EQ(console.Take(), "");

  EXPECT_EQ(Board::CoordToSquare("e"), -1);
  EXPECT_EQ(Board::CoordToSquare("i4"), -1);
  EXPECT_EQ(Board::CoordToSquare("e9"), -1);
  EXPECT_EQ(console.Take(),
            "Board::CoordToSquare() coord = e is not 2 characters long!\n"
            "Board::CoordToSquare() coord[ 0 ] of \"i4\" is not a valid file!\n"
            "Board::CoordToSquare() coord[ 1 ] of \"e9\" is not a valid rank!\n");
}

TEST(CoordinatesTest, MoveTextWithSeparatorOrPromotion) {
  ConsoleCapture console;
  int from = 0, to = 0;
  char promotion = 'x';
  EXPECT_TRUE(Board::CoordToSquare("e2-e4", &from, &to));
  EXPECT_EQ(std::pair(from, to), std::pair(52, 36));
  EXPECT_TRUE(Board::CoordToSquare("e7e8q", &from, &to, &promotion));
  EXPECT_EQ(std::pair(from, to), std::pair(12, 4));
  EXPECT_EQ(promotion, 'q');
  EXPECT_TRUE(Board::CoordToSquare("g1f3", &from, &to, &promotion));
  EXPECT_EQ(promotion, '\0');
  EXPECT_EQ(console.Take(), "");

  // Without the promotion form the fifth character belongs to the destination.
  EXPECT_FALSE(Board::CoordToSquare("e2e4q", &from, &to));
  // Both squares are judged before the text is refused.
  EXPECT_FALSE(Board::CoordToSquare("z2e9", &from, &to));
  EXPECT_EQ(std::pair(from, to), std::pair(-1, -1));
  EXPECT_FALSE(Board::CoordToSquare("e2e", &from, &to));
  EXPECT_FALSE(Board::CoordToSquare("e2e4qq", &from, &to, &promotion));
  EXPECT_FALSE(Board::CoordToSquare("e2e4qq", nullptr, &to, &promotion));
  EXPECT_EQ(console.Take(),
            "Board::CoordToSquare() coord[ 0 ] of \"4q\" is not a valid file!\n"
            "Board::CoordToSquare() coords = \"e2e4q\" is invalid!\n"
            "Board::CoordToSquare() coord[ 0 ] of \"z2\" is not a valid file!\n"
            "Board::CoordToSquare() coord[ 1 ] of \"e9\" is not a valid rank!\n"
            "Board::CoordToSquare() coords = \"z2e9\" is invalid!\n"
            "Board::CoordToSquare() coords = \"e2e\" must be 4 or 5 characters long!\n"
            "Board::CoordToSquare() coords = \"e2e4qq\" must be exactly 4 or 5 characters long!\n"
            "Board::CoordToSquare() At least Parameter = NULL!\n");
}

TEST(CoordinatesTest, SquareNumbersAndFailuresThatKeepTheOutput) {
  ConsoleCapture console;
  std::string text;
  EXPECT_TRUE(Board::SquareToCoord("52 36", &text));
  EXPECT_EQ(text, "e2e4");
  EXPECT_TRUE(Board::SquareToCoord("00 63", &text));
  EXPECT_EQ(text, "a8h1");
  EXPECT_EQ(console.Take(), "");

  for (const char* bad : {"52", "52-36", "5236", "e2 e4", "52 36 "}) {
    EXPECT_FALSE(Board::SquareToCoord(bad, &text)) << bad;
    EXPECT_EQ(console.Take(), std::string("Board::SquareToCoord() Parameter whichSquares = ") +
                                  bad + " is invalid ( try \"e2 f3\" or \"a1\" )!\n");
  }
  EXPECT_FALSE(Board::SquareToCoord("52 64", &text));
  EXPECT_FALSE(Board::SquareToCoord("52 36", nullptr));
  EXPECT_FALSE(Board::SquareToCoord(-1, text));
  // The destination is not tried once the start square has failed.
  EXPECT_FALSE(Board::SquareToCoord(99, 100, text));
  EXPECT_EQ(text, "a8h1");
  EXPECT_EQ(console.Take(),
            "Board::SquareToCoord() whichSquare = 64 is invalid!\n"
            "Board::SquareToCoord() Parameter coord = NULL!\n"
            "Board::SquareToCoord() whichSquare = -1 is invalid!\n"
            "Board::SquareToCoord() whichSquare = 99 is invalid!\n");
}

}  // namespace
