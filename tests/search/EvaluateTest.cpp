#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <random>
#include <tuple>

#include "search/Evaluate.h"
#include "support/TestBoards.h"

namespace {

const char* const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

using Terms = std::array<int, 7>;
enum { KNIGHTS, BISHOPS, DEVELOPMENT, ROOKS, PROXIMITY, STRUCTURE, MATERIAL };

// The seven terms for the colour, in the order Evaluate adds them.
Terms TermsOf(const Board& board, Color color) {
  PawnInfo info;
  SurveyPawns(board, color, info);
  return {EvaluateKnights(board, color),       EvaluateBishops(board, color, info),
          EvaluateDevelopment(board, color),   EvaluateRooks(board, color, info),
          EvaluateKingProximity(board, color), EvaluatePawnStructure(info, color),
          EvaluateMaterial(board, color)};
}

// Each case: a position and the term's value for White and for Black.
void ExpectTerm(int term, std::initializer_list<std::tuple<const char*, int, int>> cases) {
  for (const auto& [fen, white, black] : cases) {
    const Board board = FromFen(fen);
    EXPECT_EQ(TermsOf(board, WHITE)[term], white) << fen;
    EXPECT_EQ(TermsOf(board, BLACK)[term], black) << fen;
  }
}

TEST(Evaluate, SumOfTheTermsRoundsDownAndScoresForWhiteFromRoundedHalves) {
  const Board board = FromFen(START);
  PawnInfo info;
  for (Color color : {WHITE, BLACK}) {
    EXPECT_EQ(TermsOf(board, color), (Terms{-20, -64, -94, 0, -24, -10, 0}));
    EXPECT_EQ(Evaluate(board, color, info, false), -212);
    EXPECT_EQ(Evaluate(board, color, info, true), -216);
  }
  EXPECT_EQ(ScoreForWhite(board), 0.0);

  const Board queen = FromFen("7k/8/8/3Q4/8/8/8/4K3 b - - 0 1");
  EXPECT_EQ(Evaluate(queen, WHITE, info, false), 889);  // -8 early queen, -3, +900
  EXPECT_EQ(Evaluate(queen, WHITE, info, true), 888);
  EXPECT_EQ(Evaluate(queen, BLACK, info, false), -1020);  // -120 king safety, -900
  EXPECT_DOUBLE_EQ(ScoreForWhite(queen), 9.56);           // (888 + 1024) / 200
}

TEST(Evaluate, PieceDevelopmentAndKingTerms) {
  // Only the first two edge knights in the order rank 8, rank 1, file a, file h are charged.
  ExpectTerm(KNIGHTS, {{"4k3/8/8/7N/N7/8/8/1N2K3 w - - 0 1", -30, 0},
                       {"N3k1n1/8/N7/n7/7n/8/8/4K2N w - - 0 1", -20, -30}});
  ExpectTerm(BISHOPS, {{"4k3/8/7p/2b5/8/1PPB4/P5P1/4K3 w - - 0 1", -24, -8}});
  // White: a7 on the seventh and open, b1 behind its pawn, h1 half-open.
  // Black: c1 and e1 on its seventh (rank 1) and open, d2 behind its pawn.
  ExpectTerm(ROOKS, {{"4k3/R7/3p4/7p/8/6K1/1P1r4/1Rr1r2R w - - 0 1", 36, 64}});
  ExpectTerm(PROXIMITY, {{"4k3/5R2/8/3N4/8/1Q6/P7/2B1K3 b - - 0 1", -2 + 1 - 3, 0}});
  ExpectTerm(DEVELOPMENT, {{"rnbqkbnr/pppppppp/8/7Q/8/8/PPPPPPPP/RNB1KBNR b KQkq - 0 1", -150, -94},
                           {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w K - 0 1", -110, -190},
                           {"rnb1kbnr/pppppppp/8/8/8/8/PPPPPPPP/RNB1KBNR w KQkq - 0 1", -70, -70}});
  Board board = FromFen(START);
  Play(board, {"e2e4", "e7e5", "g1f3", "b8c6", "f1c4", "g8f6", "d1e2", "f8c5", "e1g1"});
  // Right after castling, e1 still counts as the king at home; f1 is neither bishop nor rook.
  EXPECT_EQ(TermsOf(board, WHITE)[DEVELOPMENT], -15 - 20 - 8 * 4 + 10);
  // Black measures from e1, the first king square; White's rook on f1 adds nothing.
  EXPECT_EQ(TermsOf(board, BLACK)[PROXIMITY], -8 - 6 - 2 - 1 - 1);
  EXPECT_EQ(TermsOf(board, WHITE)[PROXIMITY], -8 - 5 - 1 - 0);
}

TEST(Evaluate, PawnStructureAndMaterial) {
  // White: a doubled and isolated, h isolated, a ram, passer a3 (9).
  // Black: d isolated, a ram, passer f3 (25: its row squared).
  ExpectTerm(STRUCTURE, {{"1k6/6p1/3p3P/3P4/2P5/P4p2/P7/7K w - - 0 1", -37, 2},
                         {"4k3/P7/8/8/8/8/p7/4K3 w - - 0 1", -15 + 49, -15 + 36},
                         {"4k3/8/8/1p6/P7/8/8/4K3 w - - 0 1", -15, -15}});
  ExpectTerm(MATERIAL, {{"4k3/ppppp3/8/8/8/8/8/R3K3 w - - 0 1", 0, 0},
                        {"4k3/8/8/8/8/8/8/3QK3 w - - 0 1", 900, -900},
                        {"4k3/p7/8/8/8/8/PP6/3QK3 w - - 0 1", 1708, -1708},
                        {"4k3/8/8/8/8/8/8/QQQ1K3 w - - 0 1", 2400, -2400},
                        {"r3k3/ppp5/8/8/8/8/8/1N2K3 w - - 0 1", -904, 904},
                        // Beyond both full armies: -437.5 truncates to -437.
                        {"kq4q1/qq6/8/8/2QQQ3/2QQQQ2/7P/7K w - - 0 1", 1963, -1963}});
}

// The pawn terms the cache works out from the pawn sets at once agree with the survey's, on
// random pawn sets of every density: pawns side by side on a row (where the passed-pawn test
// compares square numbers), on the back ranks, in front of each other.
TEST(Evaluate, PawnCacheAgreesWithTheSurveyOnRandomPawnSets) {
  std::mt19937 random(7);
  PawnCache cache;
  PawnInfo info;
  for (int round = 0; round < 3000; ++round) {
    Board board;
    board.Clear();
    board.AddPiece(WK, 60);
    board.AddPiece(BK, 4);
    const unsigned density = 1 + round % 6;  // in eighths
    for (Square square = 0; square < 64; ++square) {
      if (square == 4 || square == 60 || random() % 8 >= density) continue;
      board.AddPiece(random() % 2 ? WP : BP, square);
    }
    for (Color color : {WHITE, BLACK})
      ASSERT_EQ(Evaluate(board, color, cache, false), Evaluate(board, color, info, false))
          << "round " << round << " colour " << color;
  }
}

}  // namespace
