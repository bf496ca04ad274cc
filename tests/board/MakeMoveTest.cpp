#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <tuple>
#include <utility>
#include <vector>

#include "board/Attacks.h"
#include "board/Rules.h"
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
      const Bitboard pieces =
          piece == WK + c ? board.bitboards[piece] & ~board.castlePath[c] : board.bitboards[piece];
      material += std::popcount(pieces) * PieceValue[piece];
    }
    ASSERT_EQ(board.bitboards[ALL_WHITE + c], all);
    ASSERT_EQ(board.material[c], material);
    ASSERT_EQ(board.pawnCount[c], std::popcount(board.bitboards[WP + c]));
  }
}

// Captures, promotions (also capturing ones), en passant and castling keep every set and count.
TEST(MakeMove, SetsAndCountsStayInStepAfterEveryKindOfMove) {
  ForEachPosition(FromFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -"), 2,
                  ExpectConsistent);
  ForEachPosition(FromFen("n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1"), 2, ExpectConsistent);
  int color = 5;  // the query of an empty square
  EXPECT_EQ(Board().PieceAt(At("e4"), &color), NO_PIECE);
  EXPECT_EQ(color, -1);
}

TEST(MakeMove, CastlingLeavesThePathOnTheBoardUntilTheNextGeneration) {
  Board board = FromFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  Play(board, {"e1g1"});
  EXPECT_EQ(board.bitboards[WK], Set({"e1", "f1", "g1"}));
  EXPECT_EQ(board.castlePath[WHITE], Set({"e1", "f1"}));
  EXPECT_TRUE(board.castled[WHITE]);
  EXPECT_EQ(board.WhitePieceAt(At("f1")), WK);

  Play(board, {"e8c8"});
  EXPECT_EQ(board.castlePath[BLACK], Set({"d8", "e8"}));
  EXPECT_EQ(board.castlePath[WHITE], Set({"e1", "f1"}));  // only the mover's own path goes

  MoveList list;
  ASSERT_TRUE(list.Generate(board));  // White's turn: its path is removed first
  EXPECT_EQ(board.castlePath[WHITE], 0u);
  EXPECT_EQ(board.bitboards[WK], Set({"g1"}));
  EXPECT_EQ(board.bitboards[ALL_WHITE], Set({"a1", "f1", "g1"}));
  EXPECT_EQ(board.castlePath[BLACK], Set({"d8", "e8"}));
}

TEST(MakeMove, TheMovesThatEndAGame) {
  ConsoleCapture console;
  const Board board = FromFen("r3k2r/8/8/8/3pP3/8/8/R3K2R b KQkq e3 0 1");
  Board after = board;
  Move end{BK, NO_PIECE, -1, -1, MOVE_STALEMATE};
  EXPECT_TRUE(after.MakeMove(&end));
  *ConsoleOut << GameEndLine(end) << '\n';
  EXPECT_EQ(console.Take(), "Stalemate - Game is a draw.\n");
  EXPECT_TRUE(SamePosition(after, board));

  // Moves no piece, but counts as the king's move: Black's rights go, White's stay.
  end.flags = MOVE_RESIGN;
  EXPECT_TRUE(after.MakeMove(&end));
  EXPECT_EQ(std::tuple(after.sideToMove, after.moveNumber, after.enPassant),
            std::tuple(WHITE, board.moveNumber + 1, Bitboard{0}));
  EXPECT_EQ(std::vector<bool>(after.castleRights, after.castleRights + 4),
            (std::vector<bool>{true, false, true, false}));
  EXPECT_EQ(std::memcmp(after.bitboards, board.bitboards, sizeof board.bitboards), 0);

  Board mated = FromFen("6k1/5ppp/8/8/8/8/8/3RK3 w - - 0 1");
  Move mate = GeneratedMove(mated, "d1d8");
  mate.flags = MOVE_CHECKMATE;
  EXPECT_TRUE(mated.MakeMove(&mate));
  *ConsoleOut << GameEndLine(mate) << '\n';
  EXPECT_EQ(console.Take(), "CHECKMATE - Player wins.\n");
  // The game is over: no side change, no counters.
  EXPECT_EQ(std::tuple(mated.bitboards[WR], mated.sideToMove, mated.moveNumber),
            std::tuple(MaskOf(At("d8")), WHITE, 1));
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
  EXPECT_EQ(a.moveNumber, 4);
  EXPECT_EQ(a.HashKey(), b.HashKey());
  EXPECT_EQ(a.HashLock(), b.HashLock());
  std::int64_t key = 0;
  std::uint32_t lock = 0;
  a.Hashes(key, lock);
  EXPECT_EQ(std::pair(key, lock), std::pair(a.HashKey(), a.HashLock()));
  EXPECT_NE(a.HashKey(), Board().HashKey());
}

// The sanitizer build catches an off-board square even where the flat table of a piece's
// values would hand out another piece's value.
TEST(MakeMoveDeathTest, AnOffBoardSquareIntoATableIsCaughtInTheSanitizerBuild) {
  if (!CHECKED_TABLE_INDICES) GTEST_SKIP() << "only the sanitizer build checks table indices";
  EXPECT_DEATH(HashKeyOf(WP, 64), "table index 64 outside 0..63");
  EXPECT_DEATH(Between(-1, 3), "table index -1 outside 0..63");
}

}  // namespace
