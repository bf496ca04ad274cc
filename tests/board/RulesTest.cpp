#include <gtest/gtest.h>

#include "board/Rules.h"
#include "support/TestBoards.h"

namespace {

bool Legal(const char* fen, const char* text) {
  const Board board = FromFen(fen);
  return IsLegal(board, GeneratedMove(board, text));
}

// Every way a move can leave the own king attackable, including the ones that only show after
// the move: castling through an attacked square and an en passant capture that opens a rank.
TEST(Rules, LegalityCheckAndHowAPositionStands) {
  EXPECT_FALSE(Legal("4k3/4r3/8/8/8/8/4N3/4K3 w - - 0 1", "e2c3"));  // pinned
  EXPECT_TRUE(Legal("4k3/4r3/8/8/8/8/4N3/3K4 w - - 0 1", "e2c3"));
  EXPECT_FALSE(Legal("4k3/8/8/8/8/8/5r2/4K2R w K - 0 1", "e1g1"));  // crosses an attacked f1
  EXPECT_FALSE(Legal("4k3/8/8/8/8/6r1/8/4K2R w K - 0 1", "e1g1"));  // lands on an attacked g1
  EXPECT_TRUE(Legal("4k3/8/8/8/8/7r/8/4K2R w K - 0 1", "e1g1"));    // only the rook is attacked
  EXPECT_FALSE(Legal("8/8/8/K2pP2r/8/8/8/7k w - d6 0 1", "e5d6"));  // the rank opens
  EXPECT_TRUE(Legal("8/8/8/K2pP3/8/8/8/7k w - d6 0 1", "e5d6"));

  EXPECT_FALSE(InCheck(FromFen("4k3/8/8/8/8/8/8/R3K3 b Q - 0 1")));
  EXPECT_TRUE(InCheck(FromFen("R3k3/8/8/8/8/8/8/4K3 b - - 0 1")));
  EXPECT_EQ(StandingOf(FromFen("R5k1/5ppp/8/8/8/8/8/4K3 b - - 0 1")), Standing::CHECKMATE);
  EXPECT_EQ(StandingOf(FromFen("7k/5K2/6Q1/8/8/8/8/8 b - - 0 1")), Standing::STALEMATE);
  EXPECT_EQ(StandingOf(FromFen("R5k1/5pp1/8/8/8/8/8/4K3 b - - 0 1")), Standing::PLAY_ON);
}

// Coordinate text both ways: either case, the console's k for a knight, a promotion only with
// its letter, and nothing that is not a legal move.
TEST(Rules, CoordinateTextOfMovesBothWays) {
  const Board board = FromFen("4k3/P7/8/8/8/8/8/R3K3 w Q - 0 1");
  Move move;
  ASSERT_TRUE(FindCoordinateMove(board, "A7A8Q", move));
  EXPECT_EQ(CoordinateText(move), "a7a8q");
  ASSERT_TRUE(FindCoordinateMove(board, "a7a8k", move));
  EXPECT_EQ(CoordinateText(move), "a7a8n");
  ASSERT_TRUE(FindCoordinateMove(board, "e1c1", move));
  EXPECT_EQ(std::pair(move.Kind(), CoordinateText(move)),
            std::pair(MOVE_CASTLE_LONG, std::string("e1c1")));
  for (const char* refused : {"a7a8", "a7a8x", "e1e2q", "e1f8", "e1d2 ", "a1a9", "", "e1"})
    EXPECT_FALSE(FindCoordinateMove(board, refused, move)) << refused;
  EXPECT_FALSE(FindCoordinateMove(FromFen("4k3/4r3/8/8/8/8/8/4K3 w - - 0 1"), "e1e2", move));
}

}  // namespace
