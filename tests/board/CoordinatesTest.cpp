#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "board/Coordinates.h"

namespace {

TEST(CoordinatesTest, SquareAndMoveTextsConvertBothWays) {
  std::string error;
  std::string coord;
  for (int square = 0; square < 64; ++square) {
    ASSERT_TRUE(SquareToCoord(square, coord, error));
    EXPECT_EQ(CoordToSquare(coord, error), square) << coord;
  }
  SquareToCoord(36, coord, error);
  EXPECT_EQ(coord, "e4");
  EXPECT_EQ(CoordToSquare("E4", error), 36);
  int from = 0, to = 0;
  char promotion = 'x';
  EXPECT_TRUE(CoordToSquares("e2-e4", from, to, error));
  EXPECT_EQ(std::pair(from, to), std::pair(52, 36));
  EXPECT_TRUE(CoordToSquares("e7e8q", from, to, promotion, error));
  EXPECT_EQ(std::tuple(from, to, promotion), std::tuple(12, 4, 'q'));
  EXPECT_TRUE(CoordToSquares("g1f3", from, to, promotion, error));
  EXPECT_EQ(promotion, '\0');
  std::string text;
  EXPECT_TRUE(SquareNumbersToCoord("00 63", text, error));
  EXPECT_EQ(text, "a8h1");
  EXPECT_EQ(error, "");

  EXPECT_EQ(CoordToSquare("e", error), -1);
  // Without the promotion form the fifth character belongs to the destination.
  EXPECT_FALSE(CoordToSquares("e2e4q", from, to, error));
  // Both squares are judged before the text is refused.
  EXPECT_FALSE(CoordToSquares("z2e9", from, to, error));
  EXPECT_EQ(std::pair(from, to), std::pair(-1, -1));
  EXPECT_FALSE(CoordToSquares("e2e", from, to, error));
  EXPECT_FALSE(CoordToSquares("e2e4qq", from, to, promotion, error));
  EXPECT_EQ(error,
            "Board::CoordToSquare() coord = e is not 2 characters long!\n"
            "Board::CoordToSquare() coord[ 0 ] of \"4q\" is not a valid file!\n"
            "Board::CoordToSquare() coords = \"e2e4q\" is invalid!\n"
            "Board::CoordToSquare() coord[ 0 ] of \"z2\" is not a valid file!\n"
            "Board::CoordToSquare() coord[ 1 ] of \"e9\" is not a valid rank!\n"
            "Board::CoordToSquare() coords = \"z2e9\" is invalid!\n"
            "Board::CoordToSquare() coords = \"e2e\" must be 4 or 5 characters long!\n"
            "Board::CoordToSquare() coords = \"e2e4qq\" must be exactly 4 or 5 characters long!\n");

  for (const char* bad : {"52-36", "5236", "e2 e4", "52 36 "}) {
    error.clear();
    EXPECT_FALSE(SquareNumbersToCoord(bad, text, error)) << bad;
    EXPECT_EQ(error, std::string("Board::SquareToCoord() Parameter whichSquares = ") + bad +
                         " is invalid ( try \"e2 f3\" or \"a1\" )!\n");
  }
  error.clear();
  EXPECT_FALSE(SquareNumbersToCoord("52 64", text, error));
  // The destination is not tried once the start square has failed; the output is kept.
  EXPECT_FALSE(SquareToCoord(99, 100, text, error));
  EXPECT_EQ(text, "a8h1");
  EXPECT_EQ(error,
            "Board::SquareToCoord() whichSquare = 64 is invalid!\n"
            "Board::SquareToCoord() whichSquare = 99 is invalid!\n");
}

}  // namespace
