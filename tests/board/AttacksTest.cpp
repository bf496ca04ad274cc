#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "board/Attacks.h"
#include "board/MoveTables.h"
#include "support/TestBoards.h"

namespace {

// What the move generation's rays reach on the occupied board: up to the first piece.
Bitboard RayReach(Square square, Bitboard occupied, const std::array<RaySet, 64>& table) {
  Bitboard reach = 0;
  const RaySet& rays = table[static_cast<std::size_t>(square)];
  for (int r = 0; r < rays.count; ++r) {
    for (int i = 0; i < rays.rays[r].length; ++i) {
      reach |= MaskOf(rays.rays[r].squares[i]);
      if (occupied & MaskOf(rays.rays[r].squares[i])) break;
    }
  }
  return reach;
}

// The table lookups agree with the generation's rays on every square, for boards from empty to
// crowded; the step masks are the step lists as sets, and a step is mutual.
TEST(Attacks, SlidersAndStepsReachWhatTheMoveTablesReach) {
  std::mt19937_64 random(11);
  for (Square square = 0; square < 64; ++square) {
    for (int trial = 0; trial < 200; ++trial) {
      Bitboard occupied = random() & random();
      if (trial % 3 == 0) occupied &= random();
      if (trial == 0) occupied = 0;
      ASSERT_EQ(RookAttacks(square, occupied), RayReach(square, occupied, RookRays)) << square;
      ASSERT_EQ(BishopAttacks(square, occupied), RayReach(square, occupied, BishopRays)) << square;
    }
    EXPECT_EQ(RookMask[square], RookAttacks(square, 0));
    EXPECT_EQ(BishopMask[square], BishopAttacks(square, 0));
    for (Square other = 0; other < 64; ++other) {
      const int files = std::abs(square % 8 - other % 8), rows = std::abs(square / 8 - other / 8);
      EXPECT_EQ((KingMask[square] & MaskOf(other)) != 0,
                square != other && files <= 1 && rows <= 1);
      EXPECT_EQ((KnightMask[square] & MaskOf(other)) != 0, files * rows == 2);
    }
  }
}

TEST(Attacks, LinesAndTheSquaresBetween) {
  const struct {
    const char* from;
    const char* to;
    Bitboard between;
    int lineLength;  // squares on the whole line, 0 when there is none
  } cases[] = {
      {"a1", "h8",
       MaskOf(At("b2")) | MaskOf(At("c3")) | MaskOf(At("d4")) | MaskOf(At("e5")) |
           MaskOf(At("f6")) | MaskOf(At("g7")),
       8},
      {"e1", "e3", MaskOf(At("e2")), 8},
      {"c4", "d4", 0, 8},
      {"g1", "h2", 0, 2},
      {"a8", "b6", 0, 0},
      {"d4", "d4", 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Between(At(c.from), At(c.to)), c.between) << c.from << c.to;
    EXPECT_EQ(Between(At(c.to), At(c.from)), c.between) << c.from << c.to;
    EXPECT_EQ(std::popcount(LineThrough(At(c.from), At(c.to))), c.lineLength) << c.from << c.to;
    EXPECT_EQ((LineThrough(At(c.from), At(c.to)) & MaskOf(At(c.from))) != 0, c.lineLength > 0);
  }
}

}  // namespace
