#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "board/Perft.h"
#include "support/TestBoards.h"

namespace {

// Published leaf counts of well-known test positions: castling (and the rights lost by king and
// rook moves and by captures in the corners), en passant, promotions, discovered checks and pins.
TEST(Perft, PublishedCounts) {
  const struct {
    const char* fen;
    std::vector<std::uint64_t> counts;  // depth 1, 2, ...
  } cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
       {20, 400, 8902, 197281, 4865609}},
      {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
       {48, 2039, 97862, 4085603}},
      {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", {14, 191, 2812, 43238, 674624}},
      {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", {6, 264, 9467, 422333}},
      {"r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1", {6, 264, 9467, 422333}},
      {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", {44, 1486, 62379, 2103487}},
      {"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
       {46, 2079, 89890}},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", {26, 568, 13744, 314346}},
      {"n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1", {24, 496, 9483, 182838}},
  };
  for (const auto& c : cases) {
    const Board board = FromFen(c.fen);
    for (std::size_t depth = 1; depth <= c.counts.size(); ++depth)
      EXPECT_EQ(Perft(board, static_cast<int>(depth)), c.counts[depth - 1])
          << c.fen << " depth " << depth;
  }
  EXPECT_EQ(Perft(Board(), 0), 1u);
}

// Qg5-g6 stalemates and Qg5-g7 mates the king on h8: both are moves with no reply.
TEST(Perft, DividedCountsOfMovesWithoutReplies) {
  const Board board = FromFen("7k/5K2/8/6Q1/8/8/8/8 w - - 0 1");
  std::map<std::string, std::uint64_t> oneReply, twoReplies;
  for (const PerftDivision& d : PerftDivide(board, 1)) oneReply[PerftMoveText(d.move)] = d.nodes;
  for (const PerftDivision& d : PerftDivide(board, 2)) twoReplies[PerftMoveText(d.move)] = d.nodes;
  EXPECT_EQ(oneReply.size(), Perft(board, 1));
  for (const char* move : {"g5g6", "g5g7"}) {
    ASSERT_EQ(oneReply.count(move) + twoReplies.count(move), 2u) << move;
    EXPECT_EQ(twoReplies[move], 0u) << move;
  }
}

}  // namespace
