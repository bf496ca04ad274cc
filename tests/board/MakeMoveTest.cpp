#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <vector>

#include "board/MoveList.h"
#include "support/ConsoleCapture.h"
#include "support/TestBoards.h"

namespace {

Bitboard Set(std::initializer_list<const char*> coords) {
  Bitboard set = 0;
  for (const char* coord : coords) set |= MaskOf(At(coord));
  return set;
}

// The colour sets are the unions of the piece sets, and material and pawn counts agree (a
// castling path still on the board adds king squares, not kings).
void ExpectConsistent(const Board& board) {
  for (Color c : {WHITE, BLACK}) {
    Bitboard all = 0;
    int material = 0;
    for (int piece = c; piece <= BK; piece += 2) {
      all |= board.bitboards[piece];
      const Bitboard pieces = piece == WK + c ? board.bitboards[piece] & ~board.castlePath[c] : board.bitboards[piece];
      material += std::popcount(pieces) * PieceValue[piece];
    }
    ASSERT_EQ(board.bitboards[ALL_WHITE + c], all);
    ASSERT_EQ(board.material[c], material);
    ASSERT_EQ(board.pawnCount[c], std::popcount(board.bitboards[WP + c]));
  }
}

void ExpectConsistentTree(Board board, int depth) {
  ExpectConsistent(board);
  MoveList moves;
  if (depth == 0 || !moves.Generate(board)) return;
  for (const Move& move : moves) {
    Board next = board;
    next.MakeMove(&move);
    ExpectConsistentTree(next, depth - 1);
  }
}

TEST(MakeMove, InitialPositionAndPieceQueries) {
  Board board;
  EXPECT_EQ(board.moveNumber, 1);
  EXPECT_EQ(board.sideToMove, WHITE);
  EXPECT_EQ(board.material[WHITE] + board.material[BLACK], 12000);
  EXPECT_EQ(board.pawnCount[WHITE] + board.pawnCount[BLACK], 16);
  EXPECT_EQ(board.WhitePieceAt(60), WK);
  EXPECT_EQ(board.BlackPieceAt(60), NO_PIECE);
  int color = 5;
  EXPECT_EQ(board.PieceAt(4, &color), KIND_KING);
  EXPECT_EQ(color, BLACK);
  EXPECT_EQ(board.PieceAt(36, &color), NO_PIECE);
  EXPECT_EQ(color, -1);
  EXPECT_EQ(board.PieceAt(At("b1"), &color), KIND_KNIGHT);
  EXPECT_EQ(color, WHITE);
}

// Captures, promotions (also capturing ones), en passant and castling keep every set and count.
TEST(MakeMove, EveryKindOfMoveKeepsSetsAndCountsInStep) {
  ExpectConsistentTree(FromFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -"), 2);
  ExpectConsistentTree(FromFen("n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1"), 2);
}

TEST(MakeMove, EnPassantSquareLivesOneMove) {
  Board board;
  Play(board, {"e2e4"});
  EXPECT_EQ(board.enPassant, MaskOf(44));
  EXPECT_EQ(board.moveNumber, 2);
  EXPECT_EQ(board.sideToMove, BLACK);
  Play(board, {"c7c5"});
  EXPECT_EQ(board.enPassant, MaskOf(At("c6")));
  Play(board, {"g1f3"});
  EXPECT_EQ(board.enPassant, 0u);

  Board ep = FromFen("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2");
  Play(ep, "e5", "d6", MOVE_EN_PASSANT);
  EXPECT_EQ(ep.bitboards[WP], MaskOf(At("d6")));
  EXPECT_EQ(ep.bitboards[BP], 0u);
}

TEST(MakeMove, CastlingLeavesThePathOnTheBoardUntilTheNextGeneration) {
  Board board = FromFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  Play(board, "e1", "g1", MOVE_CASTLE_SHORT);
  EXPECT_EQ(board.bitboards[WK], Set({"e1", "f1", "g1"}));
  EXPECT_EQ(board.bitboards[WR], Set({"a1", "f1"}));
  EXPECT_EQ(board.castlePath[WHITE], Set({"e1", "f1"}));
  EXPECT_TRUE(board.castled[WHITE]);
  EXPECT_EQ(board.WhitePieceAt(At("f1")), WK);

  Play(board, "e8", "c8", MOVE_CASTLE_LONG);
  EXPECT_EQ(board.bitboards[BR], Set({"d8", "h8"}));
  EXPECT_EQ(board.castlePath[BLACK], Set({"d8", "e8"}));
  EXPECT_EQ(board.castlePath[WHITE], Set({"e1", "f1"}));  // only the mover's own path goes

  MoveList list;
  ASSERT_TRUE(list.Generate(board));  // White's turn: its path is removed first
  EXPECT_EQ(board.castlePath[WHITE], 0u);
  EXPECT_EQ(board.bitboards[WK], Set({"g1"}));
  EXPECT_EQ(board.bitboards[ALL_WHITE], Set({"a1", "f1", "g1"}));
  EXPECT_EQ(board.castlePath[BLACK], Set({"d8", "e8"}));
}

TEST(MakeMove, CastlingRightsEndWithKingAndCornerMoves) {
  const Board board = FromFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  const auto rightsAfter = [&](Color side, const char* move) {
    Board next = board;
    next.sideToMove = side;
    Play(next, {move});
    return std::vector<bool>(next.castleRights, next.castleRights + 4);
  };
  EXPECT_EQ(rightsAfter(WHITE, "h1h5"), (std::vector<bool>{false, true, true, true}));
  EXPECT_EQ(rightsAfter(WHITE, "a1a8"), (std::vector<bool>{true, true, false, false}));  // a capture in a corner
  EXPECT_EQ(rightsAfter(BLACK, "e8d7"), (std::vector<bool>{true, false, true, false}));
  EXPECT_EQ(rightsAfter(WHITE, "e1g1"), (std::vector<bool>{false, true, false, true}));
}

TEST(MakeMove, TheMovesThatEndAGame) {
  ConsoleCapture console;
  const Board board = FromFen("r3k2r/8/8/8/3pP3/8/8/4K3 b kq e3 0 1");
  Board stalemate = board;
  Move draw{BK, NO_PIECE, -1, -1, MOVE_STALEMATE, -1, -1, -1};
  EXPECT_TRUE(stalemate.MakeMove(&draw));
  EXPECT_EQ(console.Take(), "Stalemate - Game is a draw.\n");
  EXPECT_EQ(std::memcmp(&stalemate, &board, sizeof(Board)), 0);

  Board resigned = board;
  Move resign{BK, NO_PIECE, -1, -1, MOVE_RESIGN, -1, -1, -1};
  EXPECT_TRUE(resigned.MakeMove(&resign));
  EXPECT_EQ(resigned.sideToMove, WHITE);
  EXPECT_EQ(resigned.moveNumber, board.moveNumber + 1);
  EXPECT_EQ(resigned.enPassant, 0u);
  EXPECT_FALSE(resigned.castleRights[1] || resigned.castleRights[3]);
  EXPECT_EQ(std::memcmp(resigned.bitboards, board.bitboards, sizeof board.bitboards), 0);

  Board mated = FromFen("6k1/5ppp/8/8/8/8/8/3RK3 w - - 0 1");
  Move mate = GeneratedMove(mated, "d1", "d8");
  mate.flags = MOVE_CHECKMATE;
  EXPECT_TRUE(mated.MakeMove(&mate));
  EXPECT_EQ(console.Take(), "CHECKMATE - Player wins.\n");
  EXPECT_EQ(mated.bitboards[WR], MaskOf(At("d8")));
  EXPECT_EQ(mated.sideToMove, WHITE);  // the game is over: no side change, no counters
  EXPECT_EQ(mated.moveNumber, 1);
  EXPECT_FALSE(mated.MakeMove(nullptr));
}

TEST(MakeMove, HashValuesDependOnThePlacementOnly) {
  const Board white = FromFen("r3k2r/8/8/8/3pP3/8/8/4K3 w kq - 0 1");
  const Board black = FromFen("r3k2r/8/8/8/3pP3/8/8/4K3 b - e3 0 1");
  EXPECT_EQ(white.HashKey(), black.HashKey());
  EXPECT_EQ(white.HashLock(), black.HashLock());

  // Two move orders to one position.
  Board a, b;
  Play(a, {"g1f3", "g8f6", "b1c3"});
  Play(b, {"b1c3", "g8f6", "g1f3"});
  EXPECT_EQ(a.HashKey(), b.HashKey());
  EXPECT_EQ(a.HashLock(), b.HashLock());
  std::int64_t key = 0;
  std::uint32_t lock = 0;
  a.Hashes(key, lock);
  EXPECT_EQ(key, a.HashKey());
  EXPECT_EQ(lock, a.HashLock());
  EXPECT_NE(a.HashKey(), Board().HashKey());

  // The key is a 32-bit value, sign-extended: both signs occur.
  bool negative = false, positive = false;
  MoveList list;
  Board start;
  ASSERT_TRUE(list.Generate(start));
  for (const Move& move : list) {
    Board next = start;
    next.MakeMove(&move);
    const std::int64_t k = next.HashKey();
    EXPECT_TRUE(k >= INT32_MIN && k <= INT32_MAX);
    (k < 0 ? negative : positive) = true;
  }
  EXPECT_TRUE(negative && positive);
}

}  // namespace
