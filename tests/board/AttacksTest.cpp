// Attack sets: what sliders and steppers reach (the squares between two squares are judged by
// the perft counts of pins and checks), the exchange on a square (judged by positions whose balance
// after the takes and retakes is known) and the quick check test (judged against what the move
// generation finds).
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "board/Attacks.h"
#include "board/Exchange.h"
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

int ExchangeOf(const char* fen, const char* move) {
  const Board board = FromFen(fen);
  Move found;
  EXPECT_TRUE(FindCoordinateMove(board, move, found)) << fen << " " << move;
  return StaticExchange(board, found);
}

// Free material, a defended victim, defenders and attackers lined up behind each other, a
// piece that stops taking because going on would lose, en passant and a move that takes nothing.
TEST(StaticExchange, CountsTheTakesAndRetakesThatPay) {
  struct Case {
    const char* fen;
    const char* move;
    int gain;
  };
  const Case cases[] = {
      // A knight taken for nothing.
      {"4k3/8/8/3n4/8/8/8/3RK3 w - - 0 1", "d1d5", 300},
      // A pawn takes a knight that a pawn defends: a knight for a pawn.
      {"4k3/8/2p5/3n4/4P3/8/8/4K3 w - - 0 1", "e4d5", 200},
      // A queen takes a pawn that a pawn defends.
      {"4k3/8/2p5/3p4/8/8/3Q4/4K3 w - - 0 1", "d2d5", -800},
      // The rook behind the rook: both white rooks against the black rook's defence of d5.
      {"3rk3/8/8/3p4/8/8/3R4/3RK3 w - - 0 1", "d2d5", 100},
      // Without the second white rook the pawn costs the rook.
      {"3rk3/8/8/3p4/8/8/3R4/4K3 w - - 0 1", "d2d5", -400},
      // Black's queen takes back behind its rook only while that pays: after Rxd5 Rxd5 Rxd5
      // the queen does not take the rook when a bishop guards it.
      {"3qk3/3r4/8/3p4/8/1B6/3R4/3RK3 w - - 0 1", "d2d5", 100},
      // En passant takes a pawn from beside the capturing one.
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", 100},
      // A quiet move to a square the enemy pawn guards loses the piece.
      {"4k3/8/2p5/8/8/8/8/3RK3 w - - 0 1", "d1d5", -500},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ExchangeOf(c.fen, c.move), c.gain) << c.fen << " " << c.move;
}

// Along random games the quick test of check answers what the enemy's generation finds: a
// capture of the king.
TEST(StaticExchange, TheQuickCheckTestAgreesWithTheGeneration) {
  std::mt19937 random(20261208);
  int checks = 0;
  for (const char* fen : {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
                          "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
                          "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1"}) {
    for (int game = 0; game < 20; ++game) {
      Board board = FromFen(fen);
      for (int ply = 0; ply < 120; ++ply) {
        Board turned = board;
        turned.sideToMove = 1 - turned.sideToMove;
        const bool generated = KingCanBeTaken(turned);
        ASSERT_EQ(InCheck(board), generated) << WriteFen(board);
        checks += generated;
        const std::vector<Move> moves = LegalMoves(board);
        if (moves.empty()) break;
        PlayMove(board, moves[random() % moves.size()]);
      }
    }
  }
  EXPECT_GT(checks, 50);
}

}  // namespace
