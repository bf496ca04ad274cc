// The strong search's evaluation and table key: colour-blind, each piece counted once, the
// enemy's terms weighed as the own, and the whole position in the key.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "search/StrongEvaluate.h"
#include "search/StrongSearch.h"
#include "support/TestBoards.h"

namespace {

// A position and its colour-mirrored twin score alike for their sides to move, through the
// cache and without it, along random games that reach far advanced pawns, rooks on the
// seventh, castled and uncastled kings and en passant captures; and the strong search, which
// never asks which side it plays, finds the same score for both at one ply (deeper, the twins'
// moves come in another generated order, and the pruning may differ).
TEST(StrongEvaluate, APositionAndItsMirrorScoreAlikeForTheSideToMove) {
  PawnCache cache;
  std::mt19937 random(5);
  int positions = 0, withEnPassant = 0, castled = 0;
  for (const char* from : {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
                           "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP2BPPP/R2QKB1R w KQ - 0 9",
                           "r3k2r/1P4P1/8/2pP4/8/8/1p4p1/R3K2R w KQkq c6 0 1",
                           "4k3/1R3P2/8/8/8/8/2p3r1/4K3 b - - 0 1"}) {
    for (int game = 0; game < 12; ++game) {
      Board board = FromFen(from);
      for (int ply = 0; ply < 80; ++ply) {
        const std::string fen = WriteFen(board);
        const Board mirror = FromFen(MirroredFen(fen));
        const int score = EvaluateStrong(FromFen(fen), cache);
        ASSERT_EQ(score, EvaluateStrong(mirror, cache)) << fen;
        const int forWhite = StrongScoreForWhite(StrongFeaturesOf(FromFen(fen)), STRONG_WEIGHTS);
        ASSERT_EQ(score, board.sideToMove == WHITE ? forWhite : -forWhite) << fen;
        positions += 1;
        withEnPassant += board.enPassant != 0;
        castled += board.castled[WHITE] || board.castled[BLACK];
        const std::vector<Move> moves = LegalMoves(board);
        if (moves.empty()) break;
        PlayMove(board, moves[random() % moves.size()]);
      }
    }
  }
  EXPECT_GT(positions, 2000);
  EXPECT_GT(withEnPassant, 20);
  EXPECT_GT(castled, 100);

  for (const char* fen :
       {"r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP2BPPP/R2QKB1R w KQ - 0 9",
        "8/1P3k2/8/3p4/8/8/5K2/8 b - - 0 1", "6k1/1R6/8/8/8/8/r5PP/6K1 w - - 0 1"}) {
    SearchLimits onePly = SearchLimits::FixedDepth(1);
    onePly.firstDepth = 1;
    StrongSearch engine(onePly);
    StrongSearch twin(onePly);
    Move move, mirrored;
    engine.Think(FromFen(fen), &move);
    twin.Think(FromFen(MirroredFen(fen)), &mirrored);
    EXPECT_EQ(move.score, mirrored.score) << fen;
  }
}

// Passed pawns and rooks on the seventh are seen from each side alike: a white pawn on a7 is
// worth to White what a black pawn on a2 is worth to Black, and the enemy's far pawn weighs
// against the colour more than a near one.
TEST(StrongEvaluate, PassedPawnsAndSeventhRowsWeighAlikeForBothColours) {
  PawnCache cache;
  EXPECT_EQ(EvaluateStrong(FromFen("4k3/P7/8/8/8/8/8/4K3 w - - 0 1"), cache),
            EvaluateStrong(FromFen("4k3/8/8/8/8/8/p7/4K3 b - - 0 1"), cache));
  EXPECT_EQ(EvaluateStrong(FromFen("4k3/R7/8/8/8/8/8/4K3 w - - 0 1"), cache),
            EvaluateStrong(FromFen("4k3/8/8/8/8/8/r7/4K3 b - - 0 1"), cache));
  EXPECT_LT(EvaluateStrong(FromFen("4k3/8/8/8/8/8/p7/4K3 w - - 0 1"), cache),
            EvaluateStrong(FromFen("4k3/p7/8/8/8/8/8/4K3 w - - 0 1"), cache) - 20);
  // Right after castling, where the king's path holds the king and the rook at once, the
  // material is that of the same position set up afresh.
  Board castled = FromFen("4k3/pppp4/8/8/8/8/PPPP4/4K2R w K - 0 1");
  PlayMove(castled, GeneratedMove(castled, "e1g1"));
  EXPECT_NEAR(EvaluateStrong(castled, cache),
              EvaluateStrong(FromFen("4k3/pppp4/8/8/8/8/PPPP4/5RK1 b - - 1 1"), cache), 50);
}

// Positions that differ only in the side to move, a castling right or an en passant capture
// have keys and locks of their own, so that one never answers for another; an en passant
// square where no pawn can take changes nothing.
TEST(StrongSearch, TheTableKeyCoversSideRightsAndEnPassant) {
  const std::string placement = "r3k2r/8/8/3pP3/8/8/8/R3K2R ";
  std::set<std::pair<std::int64_t, std::uint32_t>> keys;
  int variants = 0;
  for (const char* side : {"w", "b"})
    for (const char* rights : {"KQkq", "Qkq", "Kkq", "KQq", "KQk", "kq", "KQ", "-"})
      for (const char* enPassant : {"-", "d6"}) {
        // Only White can take en passant here.
        if (std::string(side) == "b" && std::string(enPassant) == "d6") continue;
        const PositionKey key =
            FullPositionKey(FromFen(placement + side + " " + rights + " " + enPassant + " 0 1"));
        keys.insert({key.key, key.lock});
        variants += 1;
      }
  EXPECT_EQ(static_cast<int>(keys.size()), variants);
  const auto keyOf = [](const std::string& fen) {
    const PositionKey key = FullPositionKey(FromFen(fen));
    return std::make_pair(key.key, key.lock);
  };
  EXPECT_EQ(keyOf("4k3/8/8/3p4/8/8/8/4K3 w - d6 0 1"), keyOf("4k3/8/8/3p4/8/8/8/4K3 w - - 0 1"));
  EXPECT_NE(keyOf("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1"), keyOf("4k3/8/8/3pP3/8/8/8/4K3 w - - 0 1"));
}

}  // namespace
