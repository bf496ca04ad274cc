#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "board/Board.h"
#include "support/ConsoleCapture.h"

namespace {

TEST(CoordinatesTest, SquareAndMoveTextsConvertBothWays) {
  ConsoleCapture console;
  std::string coord;
  for (int square = 0; square < 64; ++square) {
    ASSERT_TRUE(Board::SquareToCoord(square, coord));
    EXPECT_EQ(Board::CoordToSquare(coord), square) << coord;
  }
  Board::SquareToCoord(36, coord);
  EXPECT_EQ(coord, "e4");
  EXPECT_EQ(Board::CoordToSquare("E4"), 36);
  int from = 0, to = 0;
  char promotion = 'x';
  EXPECT_TRUE(Board::CoordToSquare("e2-e4", &from, &to));
  EXPECT_EQ(std::pair(from, to), std::pair(52, 36));
  EXPECT_TRUE(Board::CoordToSquare("e7e8q", &from, &to, &promotion));
  EXPECT_EQ(std::tuple(from, to, promotion), std::tuple(12, 4, 'q'));
  EXPECT_TRUE(Board::CoordToSquare("g1f3", &from, &to, &promotion));
  EXPECT_EQ(promotion, '\0');
  std::string text;
  EXPECT_TRUE(Board::SquareToCoord("00 63", &text));
  EXPECT_EQ(text, "a8h1");
  EXPECT_EQ(console.Take(), "");

  EXPECT_EQ(Board::CoordToSquare("e"), -1);
  // Without the promotion form the fifth character belongs to the destination.
  EXPECT_FALSE(Board::CoordToSquare("e2e4q", &from, &to));
  // Both squares are judged before the text is refused.
  EXPECT_FALSE(Board::CoordToSquare("z2e9", &from, &to));
  EXPECT_EQ(std::pair(from, to), std::pair(-1, -1));
  EXPECT_FALSE(Board::CoordToSquare("e2e", &from, &to));
  EXPECT_FALSE(Board::CoordToSquare("e2e4qq", &from, &to, &promotion));
  EXPECT_FALSE(Board::CoordToSquare("e2e4qq", nullptr, &to, &promotion));
  EXPECT_EQ(console.Take(),
            "Board::CoordToSquare() coord = e is not 2 characters long!\n"
            "Board::CoordToSquare() coord[ 0 ] of \"4q\" is not a valid file!\n"
            "Board::CoordToSquare() coords = \"e2e4q\" is invalid!\n"
            "Board::CoordToSquare() coord[ 0 ] of \"z2\" is not a valid file!\n"
            "Board::CoordToSquare() coord[ 1 ] of \"e9\" is not a valid rank!\n"
            "Board::CoordToSquare() coords = \"z2e9\" is invalid!\n"
            "Board::CoordToSquare() coords = \"e2e\" must be 4 or 5 characters long!\n"
            "Board::CoordToSquare() coords = \"e2e4qq\" must be exactly 4 or 5 characters long!\n"
            "Board::CoordToSquare() At least Parameter = NULL!\n");

  for (const char* bad : {"52-36", "5236", "e2 e4", "52 36 "}) {
    EXPECT_FALSE(Board::SquareToCoord(bad, &text)) << bad;
    EXPECT_EQ(console.Take(), std::string("Board::SquareToCoord() Parameter whichSquares = ") +
                                  bad + " is invalid ( try \"e2 f3\" or \"a1\" )!\n");
  }
  EXPECT_FALSE(Board::SquareToCoord("52 64", &text));
  EXPECT_FALSE(Board::SquareToCoord("52 36", nullptr));
  // The destination is not tried once the start square has failed; the output is kept.
  EXPECT_FALSE(Board::SquareToCoord(99, 100, text));
  EXPECT_EQ(text, "a8h1");
  EXPECT_EQ(console.Take(),
            "Board::SquareToCoord() whichSquare = 64 is invalid!\n"
            "Board::SquareToCoord() Parameter coord = NULL!\n"
            "Board::SquareToCoord() whichSquare = 99 is invalid!\n");
}

}  // namespace
