#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "board/Move.h"
#include "support/ConsoleCapture.h"
#include "support/TestBoards.h"

namespace {

Move MoveOf(int piece, const char* from, const char* to, int flags) {
  return Move{piece, NO_PIECE, At(from), At(to), flags};
}

TEST(MoveTextTest, RecordTextAndConsoleLineOfEveryMoveKind) {
  ConsoleCapture console;
  const std::pair<Move, const char*> cases[] = {
      {MoveOf(BN, "g8", "f6", MOVE_NORMAL), "Ng8f6"},
      {MoveOf(WP, "e2", "e4", MOVE_NORMAL), "e2e4"},
      {MoveOf(WB, "f1", "b5", MOVE_CAPTURE), "Bf1xb5"},
      {MoveOf(BR, "a8", "a1", MOVE_CAPTURE), "Ra8xa1"},
      {MoveOf(WP, "e5", "d6", MOVE_EN_PASSANT), "e5xd6"},
      {MoveOf(WP, "d7", "c8", MOVE_CAPTURE | PROMOTE_KNIGHT), "d7xc8=N"},
      {MoveOf(BP, "b2", "a1", MOVE_CAPTURE | PROMOTE_QUEEN), "b2xa1=Q"},
      {MoveOf(BP, "h2", "h1", MOVE_NORMAL | PROMOTE_ROOK), "h2h1=R"},
      {MoveOf(BP, "c2", "c1", MOVE_NORMAL | PROMOTE_BISHOP), "c2c1=B"},
      {MoveOf(WK, "e1", "g1", MOVE_CASTLE_SHORT), "Ke1g1"},
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
  EXPECT_FALSE(Move().ToText(nullptr));

  // The console line, even for damaged moves.
  for (const auto& c : cases) *ConsoleOut << c.first.Line();
  *ConsoleOut << MoveOf(13, "e2", "e4", MOVE_NORMAL).Line();
  // A default move has no squares: the conversion's message follows the label.
  *ConsoleOut << Move().Line();
  EXPECT_EQ(console.Take(),
            "BN - g8f6\nWP - e2e4\nWB - f1b5\nBR - a8a1\nWP - e5d6\nWP - d7c8\nBP - b2a1\n"
            "BP - h2h1\nBP - c2c1\nWK - e1g1\nWQ - h5f7\nRESIGNATION!\nSTALEMATE!!!\n?? - e2e4\n"
            "   - Board::SquareToCoord() whichSquare = -1 is invalid!\n\n");
}

}  // namespace
