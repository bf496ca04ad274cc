#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/MoveTables.h"
#include "board/SquareText.h"
#include "support/TestBoards.h"

namespace {

// The squares of a list as text: "b8 a7 b7".
std::string Text(const std::uint8_t* squares, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    if (i > 0) text += ' ';
    text += SquareName(squares[i]);
  }
  return text;
}

std::string Rays(const RaySet& set) {
  std::string text;
  for (int r = 0; r < set.count; ++r) {
    text += '[';
    text += Text(set.rays[r].squares, set.rays[r].length);
    text += ']';
  }
  return text;
}

// The destinations are checked by the perft counts; here their order, exceptions included.
TEST(MoveTables, StepOrdersWithTheirExceptionRows) {
  const std::pair<const char*, const char*> kings[] = {
      {"a8", "b8 a7 b7"},       {"h1", "g2 h2 g1"},       {"e1", "d2 e2 f2 d1 f1"},
      {"a5", "a6 b6 b5 a4 b4"}, {"a7", "a8 b8 b7 b6 a6"}, {"a6", "b7 a7 b6 a5 b5"},
      {"a4", "a5 b5 b4 b3 a3"}};
  for (const auto& [square, expected] : kings)
    EXPECT_EQ(Text(KingMoves[At(square)].squares, KingMoves[At(square)].count), expected) << square;
  // The base order (a8, d5, g7, a1), then every one of the 26 exception rows.
  std::string knights;
  for (const char* square :
       {"a8", "d5", "g7", "a1", "b8", "c8", "d8", "e8", "f8", "g8", "h8", "b7", "c7", "d7", "e7",
        "f7", "h7", "b3", "c2", "d2", "e2", "f2", "g2", "h2", "c1", "d1", "e1", "f1", "g1", "h1"})
    knights += std::string(square) + ": " +
               Text(KnightMoves[At(square)].squares, KnightMoves[At(square)].count) + "; ";
  EXPECT_EQ(knights,
            "a8: c7 b6; d5: c7 e7 f6 f4 e3 c3 b4 b6; g7: h5 f5 e6 e8; a1: b3 c2; b8: a6 c6 d7; "
            "c8: a7 e7 b6 d6; d8: b7 f7 c6 e6; e8: c7 g7 f6 d6; f8: d7 h7 g6 e6; g8: e7 f6 h6; "
            "h8: f7 g6; b7: d8 d6 a5 c5; c7: a8 e8 e6 d5 b5 a6; d7: b8 f8 f6 e5 c5 b6; "
            "e7: c8 g8 g6 f5 d5 c6; f7: d8 h8 h6 g5 e5 d6; h7: f8 f6 g5; "
            "b3: c5 a5 d4 d2 c1 a1; c2: a3 b4 d4 e3 e1 a1; d2: b3 c4 e4 f3 f1 b1; "
            "e2: c3 d4 f4 g3 g1 c1; f2: d3 e4 g4 h3 h1 d1; g2: h4 e1 e3 f4; h2: g4 f3 f1; "
            "c1: a2 b3 d3 e2; d1: b2 c3 e3 f2; e1: c2 d3 f3 g2; f1: d2 e3 g3 h2; g1: e2 f3 h3; "
            "h1: f2 g3; ");
}

TEST(MoveTables, RaysRunOutwardsInDirectionOrderWithoutEmptyRays) {
  EXPECT_EQ(Rays(BishopRays[At("a8")]), "[b7 c6 d5 e4 f3 g2 h1]");
  EXPECT_EQ(Rays(BishopRays[At("d5")]), "[c6 b7 a8][e6 f7 g8][c4 b3 a2][e4 f3 g2 h1]");
  EXPECT_EQ(Rays(RookRays[At("a8")]), "[b8 c8 d8 e8 f8 g8 h8][a7 a6 a5 a4 a3 a2 a1]");
  EXPECT_EQ(Rays(RookRays[At("h1")]), "[g1 f1 e1 d1 c1 b1 a1][h2 h3 h4 h5 h6 h7 h8]");
  EXPECT_EQ(Rays(RookRays[At("e4")]), "[d4 c4 b4 a4][f4 g4 h4][e5 e6 e7 e8][e3 e2 e1]");
  // The a-file exceptions, and a neighbour that keeps the normal order.
  EXPECT_EQ(Rays(RookRays[At("a6")]), "[a7 a8][a5 a4 a3 a2 a1][b6 c6 d6 e6 f6 g6 h6]");
  EXPECT_EQ(Rays(RookRays[At("a5")]), "[a6 a7 a8][a4 a3 a2 a1][b5 c5 d5 e5 f5 g5 h5]");
  EXPECT_EQ(Rays(RookRays[At("a4")]), "[b4 c4 d4 e4 f4 g4 h4][a3 a2 a1][a5 a6 a7 a8]");
  EXPECT_EQ(Rays(RookRays[At("a3")]), "[b3 c3 d3 e3 f3 g3 h3][a4 a5 a6 a7 a8][a2 a1]");
}

}  // namespace
