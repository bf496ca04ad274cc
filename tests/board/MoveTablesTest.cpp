#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/MoveTables.h"
#include "support/TestBoards.h"

namespace {

std::vector<Square> Squares(const SquareList& list) {
  return {list.squares, list.squares + list.count};
}

std::vector<Square> Squares(const Ray& ray) { return {ray.squares, ray.squares + ray.length}; }

std::vector<Square> Coords(std::initializer_list<const char*> coords) {
  std::vector<Square> squares;
  for (const char* coord : coords) squares.push_back(At(coord));
  return squares;
}

TEST(MoveTables, KingStepsAscendWithTheThreeExceptionRows) {
  EXPECT_EQ(Squares(KingMoves[At("a8")]), Coords({"b8", "a7", "b7"}));
  EXPECT_EQ(Squares(KingMoves[At("h1")]), Coords({"g2", "h2", "g1"}));
  EXPECT_EQ(Squares(KingMoves[At("e1")]), Coords({"d2", "e2", "f2", "d1", "f1"}));
  EXPECT_EQ(Squares(KingMoves[At("a7")]), Coords({"a8", "b8", "b7", "b6", "a6"}));
  EXPECT_EQ(Squares(KingMoves[At("a6")]), Coords({"b7", "a7", "b6", "a5", "b5"}));
  EXPECT_EQ(Squares(KingMoves[At("a4")]), Coords({"a5", "b5", "b4", "b3", "a3"}));
  EXPECT_EQ(Squares(KingMoves[At("a5")]), Coords({"a6", "b6", "b5", "a4", "b4"}));
}

TEST(MoveTables, KnightJumpsFollowTheOffsetOrderUnlessListedOtherwise) {
  EXPECT_EQ(Squares(KnightMoves[At("a8")]), Coords({"c7", "b6"}));
  EXPECT_EQ(Squares(KnightMoves[At("d5")]),
            Coords({"c7", "e7", "f6", "f4", "e3", "c3", "b4", "b6"}));
  EXPECT_EQ(Squares(KnightMoves[At("g7")]), Coords({"h5", "f5", "e6", "e8"}));
  EXPECT_EQ(Squares(KnightMoves[At("h1")]), Coords({"f2", "g3"}));
  EXPECT_EQ(Squares(KnightMoves[At("g1")]), Coords({"e2", "f3", "h3"}));
  EXPECT_EQ(Squares(KnightMoves[At("b8")]), Coords({"a6", "c6", "d7"}));
  EXPECT_EQ(Squares(KnightMoves[At("g2")]), Coords({"h4", "e1", "e3", "f4"}));
}

// The destinations themselves are checked by the perft counts; here only their number.
TEST(MoveTables, DestinationTotals) {
  int knightTotal = 0, kingTotal = 0;
  for (Square s = 0; s < 64; ++s) {
    knightTotal += KnightMoves[s].count;
    kingTotal += KingMoves[s].count;
  }
  EXPECT_EQ(knightTotal, 336);
  EXPECT_EQ(kingTotal, 420);
}

TEST(MoveTables, RaysRunOutwardsInDirectionOrderWithoutEmptyRays) {
  ASSERT_EQ(BishopRays[At("a8")].count, 1);
  EXPECT_EQ(Squares(BishopRays[At("a8")].rays[0]),
            Coords({"b7", "c6", "d5", "e4", "f3", "g2", "h1"}));
  const RaySet& d5 = BishopRays[At("d5")];
  ASSERT_EQ(d5.count, 4);
  EXPECT_EQ(Squares(d5.rays[0]), Coords({"c6", "b7", "a8"}));
  EXPECT_EQ(Squares(d5.rays[1]), Coords({"e6", "f7", "g8"}));
  EXPECT_EQ(Squares(d5.rays[2]), Coords({"c4", "b3", "a2"}));
  EXPECT_EQ(Squares(d5.rays[3]), Coords({"e4", "f3", "g2", "h1"}));

  ASSERT_EQ(RookRays[At("a8")].count, 2);
  EXPECT_EQ(Squares(RookRays[At("a8")].rays[0]),
            Coords({"b8", "c8", "d8", "e8", "f8", "g8", "h8"}));
  EXPECT_EQ(Squares(RookRays[At("a8")].rays[1]),
            Coords({"a7", "a6", "a5", "a4", "a3", "a2", "a1"}));
  ASSERT_EQ(RookRays[At("h1")].count, 2);
  EXPECT_EQ(Squares(RookRays[At("h1")].rays[0]),
            Coords({"g1", "f1", "e1", "d1", "c1", "b1", "a1"}));
  const RaySet& e4 = RookRays[At("e4")];
  ASSERT_EQ(e4.count, 4);
  EXPECT_EQ(Squares(e4.rays[0]), Coords({"d4", "c4", "b4", "a4"}));
  EXPECT_EQ(Squares(e4.rays[1]), Coords({"f4", "g4", "h4"}));
  EXPECT_EQ(Squares(e4.rays[2]), Coords({"e5", "e6", "e7", "e8"}));
  EXPECT_EQ(Squares(e4.rays[3]), Coords({"e3", "e2", "e1"}));
}

TEST(MoveTables, TheAFileRookExceptions) {
  const RaySet& a6 = RookRays[At("a6")];
  ASSERT_EQ(a6.count, 3);
  EXPECT_EQ(Squares(a6.rays[0]), Coords({"a7", "a8"}));
  EXPECT_EQ(Squares(a6.rays[1]), Coords({"a5", "a4", "a3", "a2", "a1"}));
  EXPECT_EQ(Squares(a6.rays[2]), Coords({"b6", "c6", "d6", "e6", "f6", "g6", "h6"}));
  const RaySet& a5 = RookRays[At("a5")];
  ASSERT_EQ(a5.count, 3);
  EXPECT_EQ(Squares(a5.rays[0]), Coords({"a6", "a7", "a8"}));
  EXPECT_EQ(Squares(a5.rays[2]).front(), At("b5"));
  const RaySet& a4 = RookRays[At("a4")];
  ASSERT_EQ(a4.count, 3);
  EXPECT_EQ(Squares(a4.rays[0]).front(), At("b4"));
  EXPECT_EQ(Squares(a4.rays[1]), Coords({"a3", "a2", "a1"}));
  EXPECT_EQ(Squares(a4.rays[2]), Coords({"a5", "a6", "a7", "a8"}));
  // The other a-file squares keep the normal order: east before north and south.
  EXPECT_EQ(Squares(RookRays[At("a3")].rays[0]).front(), At("b3"));
  EXPECT_EQ(Squares(RookRays[At("a3")].rays[1]).front(), At("a4"));
}

}  // namespace
