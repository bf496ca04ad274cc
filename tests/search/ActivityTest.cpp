#include <gtest/gtest.h>

#include <string>

#include "search/Activity.h"
#include "support/TestBoards.h"

namespace {

const char* const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// A position's features; each is also read from the colour-mirrored twin, where it must be the
// same for Black, so that a feature read for the wrong colour shows.
int Feature(const char* fen, ActivityFeature feature) {
  const int white = ActivityFeatures(FromFen(fen))[feature];
  EXPECT_EQ(white, -ActivityFeatures(FromFen(MirroredFen(fen)))[feature]) << fen;
  return white;
}

// What threatens a side, by pairs of positions that differ in it alone: a threat to White
// counts for White's side of the feature.
TEST(Activity, CountsThreatsForTheSideThatSuffersThem) {
  // The side to move has the move in hand.
  EXPECT_EQ(Feature(START, TEMPO), 1);
  EXPECT_EQ(Feature("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1", TEMPO), -1);
  // A defended knight attacked by a pawn whose side is to move, against one out of reach.
  EXPECT_EQ(Feature("4k3/8/3p4/4N3/5K2/8/8/8 b - - 0 1", BY_PAWN_NOT_TO_MOVE), 1);
  EXPECT_EQ(Feature("4k3/8/3p4/8/5K1N/8/8/8 b - - 0 1", BY_PAWN_NOT_TO_MOVE), 0);
  EXPECT_EQ(Feature("4k3/8/3p4/4N3/5K2/8/8/8 w - - 0 1", BY_PAWN_NOT_TO_MOVE), 0);
  // A defended rook attacked by a bishop; rooks attacking each other undefended, until the
  // king defends White's.
  EXPECT_EQ(Feature("4k3/8/8/8/8/2b5/8/RK6 w - - 0 1", BY_LESSER), 1);
  EXPECT_EQ(Feature("4k3/8/8/8/8/1b6/8/RK6 w - - 0 1", BY_LESSER), 0);
  EXPECT_EQ(Feature("4k3/8/8/8/8/r7/8/R6K b - - 0 1", HANGING), 0);
  EXPECT_EQ(Feature("4k3/8/8/8/8/r7/8/R6K b - - 0 1", HANGING_NOT_TO_MOVE), 1);
  EXPECT_EQ(Feature("4k3/8/8/8/8/r7/8/RK6 b - - 0 1", HANGING), -1);
  // A queen and a knight bearing on the king, against the same pieces far from it.
  EXPECT_EQ(Feature("1r4k1/5ppp/8/8/6nq/8/5PPP/R4QK1 w - - 0 1", KING_ATTACKERS), 2);
  EXPECT_EQ(Feature("1rnq2k1/5ppp/8/8/8/8/5PPP/R4QK1 w - - 0 1", KING_ATTACKERS), 0);
  // A queen that could check from squares the king's side does not cover; a rook covers one.
  const int uncovered = Feature("6k1/5ppp/1q6/8/8/8/5PPP/6K1 w - - 0 1", SAFE_CHECKS);
  EXPECT_GT(uncovered, 0);
  EXPECT_LT(Feature("6k1/5ppp/1q6/8/8/8/5PPP/R5K1 w - - 0 1", SAFE_CHECKS), uncovered);
}

// What each feature is for, by pairs of positions that differ in it alone.
TEST(Activity, SeesFreePiecesSheltersAttacksAndFarPassedPawns) {
  // A bishop shut in by its own pawns against one on the long diagonal.
  EXPECT_GT(Feature("4k3/8/8/8/8/1P6/PBP5/4K3 w - - 0 1", BISHOP_MOBILITY),
            Feature("4k3/8/8/8/8/1P6/P1P5/1B2K3 w - - 0 1", BISHOP_MOBILITY) + 1);
  // A castled king behind its pawns against the same king with its pawns gone forward.
  EXPECT_EQ(Feature("r2qk2r/5ppp/8/8/8/8/5PPP/3Q1RK1 w - - 0 1", SHELTER_NEAR), 3);
  EXPECT_EQ(Feature("r2qk2r/5ppp/8/8/5PPP/8/8/3Q1RK1 w - - 0 1", SHELTER_NEAR), 0);
  EXPECT_EQ(Feature("r2qk2r/5ppp/8/8/8/8/5PP1/3Q1RK1 w - - 0 1", SHELTER_OPEN_FILE), 1);
  // Queen, knight and rook bearing on the king against the same pieces far from it.
  EXPECT_GT(Feature("rn1q1rk1/ppp2ppp/8/6NQ/8/8/PPP2PPP/2KR4 w - - 0 1", KING_ATTACK), 10);
  EXPECT_EQ(Feature("rn1q1rk1/ppp2ppp/8/8/8/N7/PPPQ1PPP/2KR4 w - - 0 1", KING_ATTACK), 0);
  // A passed pawn counts the more the further it has come, and in the endgame the more the
  // further the enemy king is from its path; the king belongs in the centre.
  EXPECT_GT(Feature("8/1P6/8/8/8/8/8/k3K3 w - - 0 1", PASSED_RANKS_END),
            Feature("8/8/8/8/8/1P6/8/k3K3 w - - 0 1", PASSED_RANKS_END) + 40);
  EXPECT_GT(Feature("8/1P6/8/8/8/8/8/k3K3 w - - 0 1", PASSED_RANKS_MIDDLE),
            Feature("8/8/8/8/8/1P6/8/k3K3 w - - 0 1", PASSED_RANKS_MIDDLE));
  EXPECT_GT(Feature("7k/8/8/1P6/8/8/8/4K3 w - - 0 1", PASSED_RANKS_END),
            Feature("1k6/8/8/1P6/8/8/8/4K3 w - - 0 1", PASSED_RANKS_END) + 10);
  EXPECT_GT(Feature("7k/8/8/8/4K3/8/8/8 w - - 0 1", KING_CENTRE),
            Feature("7k/8/8/8/8/8/8/K7 w - - 0 1", KING_CENTRE));
  EXPECT_EQ(Feature("2b1kb2/8/8/8/8/8/8/2B1KB2 w - - 0 1", BISHOP_PAIR), 0);
  EXPECT_EQ(Feature("4kb2/8/8/8/8/8/8/2B1KB2 w - - 0 1", BISHOP_PAIR), 1);
}

// The features beyond the plain counts, again by pairs of positions that differ in them alone.
TEST(Activity, SeesShutInPiecesOutpostsStormsAndPassedPawnsThatRun) {
  // A knight in the corner falls short of its usual squares; one in the centre does not.
  EXPECT_EQ(Feature("4k3/8/8/8/8/8/8/N3K3 w - - 0 1", KNIGHT_CRAMPED), 2);
  EXPECT_EQ(Feature("4k3/8/8/8/3N4/8/8/4K3 w - - 0 1", KNIGHT_CRAMPED), 0);
  // A knight on e5 defended by a pawn, until an enemy pawn on a neighbouring file can still
  // drive it off; the same knight on the third rank is no outpost.
  EXPECT_EQ(Feature("4k3/8/8/4N3/3P4/8/8/4K3 w - - 0 1", KNIGHT_OUTPOST), 1);
  EXPECT_EQ(Feature("4k3/5p2/8/4N3/3P4/8/8/4K3 w - - 0 1", KNIGHT_OUTPOST), 0);
  EXPECT_EQ(Feature("4k3/8/8/8/8/4N3/3P4/4K3 w - - 0 1", KNIGHT_OUTPOST), 0);
  EXPECT_EQ(Feature("4k3/8/8/4B3/3P4/8/8/4K3 w - - 0 1", BISHOP_OUTPOST), 1);
  // Enemy pawns on the castled king's files: on the own third rank twice, on the fourth once,
  // further off not at all.
  EXPECT_EQ(Feature("4k3/8/8/8/6p1/7p/5PPP/6K1 w - - 0 1", PAWN_STORM), 3);
  EXPECT_EQ(Feature("4k3/8/6p1/7p/8/8/5PPP/6K1 w - - 0 1", PAWN_STORM), 0);
  // A passed pawn with its path free, blocked, and defended by a pawn.
  EXPECT_GT(Feature("4k3/8/8/1P6/8/8/8/4K3 w - - 0 1", PASSED_FREE), 0);
  EXPECT_EQ(Feature("4k3/8/1n6/1P6/8/8/8/4K3 w - - 0 1", PASSED_FREE), 0);
  EXPECT_EQ(Feature("4k3/8/8/1P6/2P5/8/8/4K3 w - - 0 1", PASSED_DEFENDED), 1);
}

// The rule of the square: a pawn runs unstopped when the enemy king is outside its square,
// counting the move in hand and the first double step, and never while the enemy has a piece.
TEST(Activity, KnowsAPassedPawnTheKingCannotCatch) {
  EXPECT_EQ(Feature("5k2/8/8/1P6/8/8/8/4K3 w - - 0 1", PASSED_UNSTOPPABLE), 1);
  EXPECT_EQ(Feature("5k2/8/8/1P6/8/8/8/4K3 b - - 0 1", PASSED_UNSTOPPABLE), 0);
  EXPECT_EQ(Feature("4k3/8/8/1P6/8/8/8/4K3 w - - 0 1", PASSED_UNSTOPPABLE), 0);
  EXPECT_EQ(Feature("8/7k/8/8/8/8/1P6/4K3 w - - 0 1", PASSED_UNSTOPPABLE), 1);
  EXPECT_EQ(Feature("8/6k1/8/8/8/8/1P6/4K3 w - - 0 1", PASSED_UNSTOPPABLE), 0);
  EXPECT_EQ(Feature("5k2/8/8/1P6/8/8/8/n3K3 w - - 0 1", PASSED_UNSTOPPABLE), 0);
}

// The king's weak squares and checks by piece, the room behind the pawns, the pawns' threats,
// and the pieces that go with the pawns.
TEST(Activity, WeighsChecksByPieceRoomAndThePiecesBesideThePawns) {
  // A knight that could check from a square nothing of White's covers, until a pawn covers it.
  EXPECT_EQ(Feature("q3k3/8/8/8/3n4/8/5PPP/6K1 w - - 0 1", KNIGHT_CHECKS), 1);
  EXPECT_EQ(Feature("q3k3/8/8/8/3n4/8/5PPP/3B2K1 w - - 0 1", KNIGHT_CHECKS), 0);
  // Black's queen on h3 attacks the squares next to the king, which only the king defends.
  EXPECT_GT(Feature("4k3/8/8/8/8/7q/5P2/6K1 w - - 0 1", KING_ZONE_WEAK),
            Feature("4k3/8/8/8/8/7q/5P2/5NK1 w - - 0 1", KING_ZONE_WEAK));
  // Pawns on d4 and e4 give room behind them; a push that forks two pieces threatens both.
  EXPECT_GT(Feature("4k3/8/8/8/3PP3/8/8/4K3 w - - 0 1", SPACE),
            Feature("4k3/8/8/8/8/8/3PP3/4K3 w - - 0 1", SPACE));
  EXPECT_EQ(Feature("4k3/8/2n1b3/8/3P4/8/8/4K3 w - - 0 1", PAWN_PUSH_THREATS), 2);
  EXPECT_EQ(Feature("4k3/8/2n1b3/3p4/3P4/8/8/4K3 w - - 0 1", PAWN_PUSH_THREATS), 0);
  // Knights and rooks count by the own pawns beyond five.
  EXPECT_EQ(Feature("4k3/8/8/8/8/8/PPPPPPPP/1N2K2R w - - 0 1", KNIGHTS_BY_PAWNS), 3);
  EXPECT_EQ(Feature("4k3/8/8/8/8/8/PPP5/1N2K2R w - - 0 1", ROOKS_BY_PAWNS), -2);
  // A rook behind its passed pawn, and one with a piece between them.
  EXPECT_EQ(Feature("4k3/8/8/1P6/8/8/8/1R2K3 w - - 0 1", ROOK_BEHIND_PASSED), 1);
  EXPECT_EQ(Feature("4k3/8/8/1P6/1n6/8/8/1R2K3 w - - 0 1", ROOK_BEHIND_PASSED), 0);
  EXPECT_EQ(Feature("4k3/8/8/8/3P4/3N4/8/4K3 w - - 0 1", MINOR_BEHIND_PAWN), 1);
}

}  // namespace
