#include <gtest/gtest.h>

#include <map>

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

// The leaves found the long way: every move made on a copy, and a move is legal when the
// replies' generation does not end in a king capture.
std::uint64_t LeavesByMaking(const Board& board, int depth) {
  Board position = board;
  MoveList moves;
  if (!moves.Generate(position)) return 0;
  std::uint64_t total = 0;
  for (const Move& move : moves) {
    Board next = position;
    next.MakeMove(&move);
    MoveList replies;
    const bool any = replies.Generate(next);
    if (!any && replies.LastFailure() == GenerationFailure::KING_CAPTURE) continue;
    total += depth == 1 ? 1 : (any ? LeavesByMaking(next, depth - 1) : 0);
  }
  return total;
}

// The last ply is counted without making its moves; every subtree must still count what making
// them finds: checks, double checks, pins (also of en passant along a rank), castling out of and
// through check, a castling path the opponent just left on the board, promotions, positions
// where a king can be captured, and boards with a missing or a second king.
TEST(Perft, CountingTheLastPlyAgreesWithMakingEveryMove) {
  std::vector<Board> boards;
  for (const char* fen : {
           "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
           "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
           "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
           "8/8/8/2k5/2pP4/8/B7/4K3 b - d3 0 3",   // en passant uncovers a bishop
           "8/8/8/8/k2Pp2Q/8/8/4K3 b - d3 0 1",    // en passant along a pinned rank
           "8/8/1k6/2b5/2pP4/8/5K2/8 b - d3 0 1",  // en passant out of check
           "4k3/8/8/8/1b6/8/3P4/4K2R w K - 0 1",   // pinned pawn, castling
           "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "r3k2r/1b4bq/8/8/8/8/7B/R3K2R w KQkq - 0 1",
           "4k3/8/8/8/8/8/4r3/R3K2R w KQ - 0 1",    // castling out of check
           "2r1k3/8/8/8/8/8/8/R3K2R w KQ - 0 1",    // long castling, b1 attacked only
           "4k3/8/4q3/8/8/8/3N4/R3K2R w KQ - 0 1",  // pinned knight
           "4k3/8/8/8/7b/8/8/rN2K2R w K - 0 1",     // double pin lines
           "2K2r2/4P3/8/8/8/8/8/3k4 w - - 0 1",     // promotions with and without capture
           "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
           "4k3/8/8/8/1q6/5n2/8/4K3 w - - 0 1",  // knight and queen: double check
       })
    boards.push_back(FromFen(fen));
  Board castled = FromFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  Play(castled, {"e1g1"});  // Black now moves with White's path still on the board
  boards.push_back(castled);
  Play(castled, {"e8c8"});
  boards.push_back(castled);
  Board kingless = FromFen("4k3/8/8/8/8/8/3q4/R3K3 w Q - 0 1");
  kingless.RemovePiece(BK, At("e8"));
  boards.push_back(kingless);
  Board twoKings = FromFen("4k3/8/8/8/8/8/8/R3K3 w Q - 0 1");
  twoKings.AddPiece(BK, At("a8"));
  boards.push_back(twoKings);

  for (const Board& board : boards) {
    for (int depth = 1; depth <= 3; ++depth) {
      ASSERT_EQ(Perft(board, depth), LeavesByMaking(board, depth))
          << "board " << &board - boards.data() << " depth " << depth;
    }
    for (const PerftDivision& division : PerftDivide(board, 2)) {
      Board next = board;
      MoveList unused;
      unused.Generate(next);  // removes the mover's path, as the division does
      next.MakeMove(&division.move);
      EXPECT_EQ(division.nodes, LeavesByMaking(next, 1)) << CoordinateText(division.move);
    }
  }
}

// Qg5-g6 stalemates and Qg5-g7 mates the king on h8: both are moves with no reply.
TEST(Perft, DividedCountsOfMovesWithoutReplies) {
  const Board board = FromFen("7k/5K2/8/6Q1/8/8/8/8 w - - 0 1");
  std::map<std::string, std::uint64_t> oneReply, twoReplies;
  for (const PerftDivision& d : PerftDivide(board, 1)) oneReply[CoordinateText(d.move)] = d.nodes;
  for (const PerftDivision& d : PerftDivide(board, 2)) twoReplies[CoordinateText(d.move)] = d.nodes;
  EXPECT_EQ(oneReply.size(), Perft(board, 1));
  for (const char* move : {"g5g6", "g5g7"}) {
    ASSERT_EQ(oneReply.count(move) + twoReplies.count(move), 2u) << move;
    EXPECT_EQ(twoReplies[move], 0u) << move;
  }
}

}  // namespace
