#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>

#include "board/Board.h"
#include "board/Move.h"
#include "support/ConsoleCapture.h"

namespace {

Move MoveOf(int piece, const char* from, const char* to, int flags) {
  Move move;
  move.piece = piece;
  move.from = Board::CoordToSquare(from);
  move.to = Board::CoordToSquare(to);
  move.flags = flags;
  return move;
}

TEST(MoveTextTest, RecordTextOfEveryMoveKind) {
  ConsoleCapture console;
  const std::pair<Move, const char*> cases[] = {
      {MoveOf(BN, "g8", "f6", MOVE_NORMAL), "Ng8f6"},
      {MoveOf(WP, "e2", "e4", MOVE_NORMAL), "e2e4"},
      {MoveOf(WB, "f1", "b5", MOVE_CAPTURE), "Bf1xb5"},
      {MoveOf(BR, "a8", "a1", MOVE_CAPTURE), "Ra8xa1"},
      {MoveOf(WQ, "d1", "h5", MOVE_NORMAL), "Qd1h5"},
      {MoveOf(WP, "e5", "d6", MOVE_EN_PASSANT), "e5xd6"},
      {MoveOf(WP, "e7", "e8", MOVE_NORMAL | PROMOTE_QUEEN), "e7e8=Q"},
      {MoveOf(WP, "d7", "c8", MOVE_CAPTURE | PROMOTE_KNIGHT), "d7xc8=N"},
      {MoveOf(BP, "b2", "a1", MOVE_CAPTURE | PROMOTE_QUEEN), "b2xa1=Q"},
      {MoveOf(BP, "h2", "h1", MOVE_NORMAL | PROMOTE_ROOK), "h2h1=R"},
      {MoveOf(BP, "c2", "c1", MOVE_NORMAL | PROMOTE_BISHOP), "c2c1=B"},
      {MoveOf(WK, "e1", "g1", MOVE_CASTLE_SHORT), "Ke1g1"},
      {MoveOf(BK, "e8", "c8", MOVE_CASTLE_LONG), "Ke8c8"},
      {MoveOf(WQ, "h5", "f7", MOVE_CHECKMATE), "Qh5f7"},
      // The end of a game without a board move has no text.
      {MoveOf(WK, "e1", "e1", MOVE_RESIGN), ""},
      {MoveOf(BK, "e8", "e8", MOVE_STALEMATE), ""},
  };
  for (const auto& [move, expected] : cases) {
    std::string text = "not cleared";
    EXPECT_TRUE(move.ToText(&text));
    EXPECT_EQ(text, expected);
  }
  EXPECT_EQ(console.Take(), "");
  EXPECT_FALSE(Move().ToText(nullptr));
}

TEST(MoveTextTest, ConsoleLineEvenForDamagedMoves) {
  ConsoleCapture console;
  MoveOf(WP, "e2", "e4", MOVE_NORMAL).Print();
  MoveOf(BQ, "d8", "h4", MOVE_CHECKMATE).Print();
  MoveOf(BK, "e8", "e8", MOVE_RESIGN).Print();
  MoveOf(WK, "e1", "e1", MOVE_STALEMATE).Print();
  MoveOf(13, "e2", "e4", MOVE_NORMAL).Print();
  // A default move has no squares: the conversion's message follows the label.
  Move().Print();
  EXPECT_EQ(console.Take(),
            "WP - e2e4\nBQ - d8h4\nRESIGNATION!\nSTALEMATE!!!\n?? - e2e4\n"
            "   - Board::SquareToCoord() whichSquare = -1 is invalid!\n\n");
}

}  // namespace
