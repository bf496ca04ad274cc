#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

#include "search/Evaluate.h"
#include "support/TestBoards.h"

namespace {

// What the program keeps up to date move by move must equal what it would work out afresh.
void ExpectHashesFromScratch(const Board& board, int game, int ply) {
  std::uint32_t key = 0, lock = 0;
  board.ComputeHashes(key, lock);
  ASSERT_EQ(board.hashKey, key) << "game " << game << " ply " << ply;
  ASSERT_EQ(board.hashLock, lock) << "game " << game << " ply " << ply;
}

enum Kind { CAPTURE, EN_PASSANT, SHORT, LONG, QUEEN, ROOK, BISHOP, KNIGHT, CAPTURING_PROMOTION };

Kind KindOf(const Move& move) {
  if (move.Promotion() != 0 && move.Kind() == MOVE_CAPTURE) return CAPTURING_PROMOTION;
  switch (move.Promotion()) {
    case PROMOTE_QUEEN:
      return QUEEN;
    case PROMOTE_ROOK:
      return ROOK;
    case PROMOTE_BISHOP:
      return BISHOP;
    case PROMOTE_KNIGHT:
      return KNIGHT;
    default:
      break;
  }
  if (move.Kind() == MOVE_EN_PASSANT) return EN_PASSANT;
  if (move.Kind() == MOVE_CASTLE_SHORT) return SHORT;
  if (move.Kind() == MOVE_CASTLE_LONG) return LONG;
  return CAPTURE;
}

// Long random games (fixed seed) through every kind of move: after every generation (which
// takes a castling path off the board) and every move the kept hashes equal hashes from all
// pieces, the hash foreseen before a move is the one after it (castling aside), and the
// evaluation through the pawn cache, shared by all games, equals the one from a fresh survey.
TEST(IncrementalState, KeptValuesEqualValuesFromScratchThroughLongRandomGames) {
  std::mt19937 random(20240611);
  PawnCache cache;
  std::map<Kind, int> seen;
  int plies = 0;
  for (int game = 0; game < 100; ++game) {
    Board board;
    for (int ply = 0; ply < 300; ++ply) {
      MoveList moves;
      if (!moves.Generate(board)) break;
      ExpectHashesFromScratch(board, game, ply);
      std::vector<Move> legal, special;
      for (const Move& move : moves) {
        Board next = board;
        next.MakeMove(&move);
        MoveList replies;
        if (!replies.Generate(next) && replies.LastFailure() == GenerationFailure::KING_CAPTURE)
          continue;
        legal.push_back(move);
        if (move.Kind() != MOVE_NORMAL || move.Promotion() != 0) special.push_back(move);
      }
      if (legal.empty()) break;
      // Captures, castling, en passant and promotions are taken more often than chance would.
      const std::vector<Move>& pool = !special.empty() && random() % 2 ? special : legal;
      const Move move = pool[random() % pool.size()];
      const std::int64_t foreseen = board.HashKeyAfter(move);
      board.MakeMove(&move);
      ++plies;
      ExpectHashesFromScratch(board, game, ply);
      if (move.Kind() != MOVE_CASTLE_SHORT && move.Kind() != MOVE_CASTLE_LONG) {
        EXPECT_EQ(foreseen, board.HashKey()) << CoordinateText(move);
      }
      if (move.Kind() != MOVE_NORMAL || move.Promotion() != 0) ++seen[KindOf(move)];
      for (Color color : {WHITE, BLACK}) {
        PawnInfo info;
        ASSERT_EQ(Evaluate(board, color, cache, false), Evaluate(board, color, info, false))
            << "game " << game << " ply " << ply;
      }
    }
  }
  for (Kind kind :
       {CAPTURE, EN_PASSANT, SHORT, LONG, QUEEN, ROOK, BISHOP, KNIGHT, CAPTURING_PROMOTION})
    EXPECT_GT(seen[kind], 2) << "move kind " << kind;
  EXPECT_GT(plies, 10000);
}

// Positions set up from text, from a FEN or from the stored image get their hashes afresh.
TEST(IncrementalState, PositionsSetUpDirectlyGetTheirHashes) {
  Board board = FromFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -");
  ExpectHashesFromScratch(board, 0, 0);
  Board restored;
  ASSERT_TRUE(FromImage(ToImage(board).data(), restored));
  EXPECT_EQ(std::pair(restored.hashKey, restored.hashLock),
            std::pair(board.hashKey, board.hashLock));
  board.RemovePiece(WN, At("e5"));
  board.AddPiece(WN, At("e5"));
  board.AddPiece(WN, At("e5"));  // already there: nothing changes
  ExpectHashesFromScratch(board, 0, 1);
}

}  // namespace
