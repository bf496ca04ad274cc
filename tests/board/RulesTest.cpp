#include <gtest/gtest.h>

#include "board/Rules.h"
#include "support/TestBoards.h"

namespace {

// Coordinate text both ways: either case, a promotion only with its letter (k is a king, which
// no pawn becomes), and nothing that is not a legal move.
TEST(Rules, CoordinateTextOfMovesBothWays) {
  const Board board = FromFen("4k3/P7/8/8/8/8/8/R3K3 w Q - 0 1");
  Move move;
  ASSERT_TRUE(FindCoordinateMove(board, "A7A8Q", move));
  EXPECT_EQ(CoordinateText(move), "a7a8q");
  ASSERT_TRUE(FindCoordinateMove(board, "a7a8N", move));
  EXPECT_EQ(CoordinateText(move), "a7a8n");
  ASSERT_TRUE(FindCoordinateMove(board, "e1c1", move));
  EXPECT_EQ(std::pair(move.Kind(), CoordinateText(move)),
            std::pair(MOVE_CASTLE_LONG, std::string("e1c1")));
  for (const char* refused : {"a7a8", "a7a8x", "a7a8k", "e1e2q", "e1f8", "e1d2 ", "a1a9", "", "e1"})
    EXPECT_FALSE(FindCoordinateMove(board, refused, move)) << refused;
  EXPECT_FALSE(FindCoordinateMove(FromFen("4k3/4r3/8/8/8/8/8/4K3 w - - 0 1"), "e1e2", move));
}

}  // namespace
