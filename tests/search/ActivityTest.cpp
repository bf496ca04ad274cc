#include <gtest/gtest.h>

#include <string>

#include "search/Activity.h"
#include "support/TestBoards.h"

namespace {

const char* const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// What threatens a side, by pairs of positions that differ in it alone. Each pair is also
// looked at from the other side, so that a term read for the wrong colour shows.
TEST(Activity, ChargesThreatsToTheSideThatSuffersThem) {
  const auto threats = [](const char* fen) {
    const int white = EvaluateThreats(FromFen(fen));
    EXPECT_EQ(white, -EvaluateThreats(FromFen(MirroredFen(fen)))) << fen;
    return white;
  };
  // The side to move has the move in hand.
  EXPECT_GT(threats(START), 0);
  EXPECT_LT(threats("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1"), 0);
  // A defended knight attacked by a pawn whose side is to move, against one out of reach.
  EXPECT_LT(threats("4k3/8/3p4/4N3/5K2/8/8/8 b - - 0 1"),
            threats("4k3/8/3p4/8/5K1N/8/8/8 b - - 0 1") - 30);
  // A defended rook attacked by a bishop, and an endgame rook attacked and not defended.
  EXPECT_LT(threats("4k3/8/8/8/8/2b5/8/RK6 w - - 0 1"),
            threats("4k3/8/8/8/8/1b6/8/RK6 w - - 0 1") - 30);
  EXPECT_LT(threats("4k3/8/8/8/8/r7/8/R6K b - - 0 1"),
            threats("4k3/8/8/8/8/r7/8/RK6 b - - 0 1") - 50);
  // A queen and a knight bearing on the king, against the same pieces far from it.
  EXPECT_LT(threats("1r4k1/5ppp/8/8/6nq/8/5PPP/R4QK1 w - - 0 1"),
            threats("1rnq2k1/5ppp/8/8/8/8/5PPP/R4QK1 w - - 0 1") - 30);
  // A queen that could check from a square the king's side does not cover, against the same
  // square covered by a rook.
  EXPECT_LT(threats("6k1/5ppp/1q6/8/8/8/5PPP/6K1 w - - 0 1"),
            threats("6k1/5ppp/1q6/8/8/8/5PPP/R5K1 w - - 0 1"));
}

// What each term is for, by pairs of positions that differ in it alone.
TEST(Activity, RewardsFreePiecesShelteredKingsAndFarPassedPawns) {
  const auto activity = [](const char* fen) { return EvaluateActivity(FromFen(fen)); };
  // A bishop shut in by its own pawns against one on the long diagonal.
  EXPECT_GT(activity("4k3/8/8/8/8/1P6/PBP5/4K3 w - - 0 1"),
            activity("4k3/8/8/8/8/1P6/P1P5/1B2K3 w - - 0 1") + 10);
  // A castled king behind its pawns against the same king with its pawns gone forward.
  EXPECT_GT(activity("r2qk2r/5ppp/8/8/8/8/5PPP/3Q1RK1 w - - 0 1"),
            activity("r2qk2r/5ppp/8/8/5PPP/8/8/3Q1RK1 w - - 0 1") + 10);
  // Queen, knight and rook bearing on the king against the same pieces far from it.
  EXPECT_GT(activity("rn1q1rk1/ppp2ppp/8/6NQ/8/8/PPP2PPP/2KR4 w - - 0 1"),
            activity("rn1q1rk1/ppp2ppp/8/8/8/N7/PPPQ1PPP/2KR4 w - - 0 1") + 40);
  // In the endgame a passed pawn is worth more the further it has come, and more when the
  // enemy king is far from its path; the king belongs in the centre.
  EXPECT_GT(activity("8/1P6/8/8/8/8/8/k3K3 w - - 0 1"),
            activity("8/8/8/8/8/1P6/8/k3K3 w - - 0 1") + 80);
  EXPECT_GT(activity("7k/8/8/1P6/8/8/8/4K3 w - - 0 1"),
            activity("1k6/8/8/1P6/8/8/8/4K3 w - - 0 1") + 30);
  EXPECT_GT(activity("7k/8/8/8/4K3/8/8/8 w - - 0 1"), activity("7k/8/8/8/8/8/8/K7 w - - 0 1"));
}

}  // namespace
