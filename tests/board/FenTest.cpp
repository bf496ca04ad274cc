#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "board/Fen.h"
#include "support/TestBoards.h"

namespace {

TEST(Fen, TheInitialPositionAndEveryField) {
  Board board = FromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  const Board reset;
  EXPECT_TRUE(SamePosition(board, reset));

  board = FromFen("rnbqkbnr/pppp1ppp/8/8/3Pp3/8/PPP1PPPP/RNBQKBNR b Kq d3 0 3");
  // The move number counts half-moves from 1.
  EXPECT_EQ(std::tuple(board.sideToMove, board.moveNumber, board.enPassant),
            std::tuple(BLACK, 6, MaskOf(At("d3"))));
  EXPECT_EQ(std::vector<bool>(board.castleRights, board.castleRights + 4),
            (std::vector<bool>{true, false, false, true}));
  // The move counters may be left out.
  EXPECT_EQ(FromFen("4k3/8/8/8/8/8/8/4K3 w - -").moveNumber, 1);
  // The side to move may be in check; the side that has just moved may not.
  EXPECT_EQ(FromFen("4k2R/8/8/8/8/8/8/4K3 b - - 0 1").sideToMove, BLACK);
}

TEST(Fen, MalformedOrImpossibleInputLeavesTheBoardUntouched) {
  const char* bad[] = {
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq",         // three fields
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP w KQkq - 0 1",            // seven ranks
      "rnbqkbnr/ppppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",  // nine files
      "rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNX w KQkq - 0 1",     // unknown letter
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1",     // side
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkqK - 0 1",    // right twice
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN1 w K - 0 1",        // no rook on h1
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e3 0 1",    // no pawn behind e3
      "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e6 0 1",  // wrong rank for Black
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - -1 1",
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 99999999999999999999",
      "rnbq1bnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQ - 0 1",   // no black king
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBKKBNR w kq - 0 1",   // two white kings
      "Pnbqkbnr/pppppppp/8/8/8/8/1PPPPPPP/RNBQKBNR w Kkq - 0 1",  // pawn on rank 8
      "4k2R/8/8/8/8/8/8/4K3 w - - 0 1",                           // the side that moved is in check
  };
  for (const char* fen : bad) {
    Board board;
    board.moveNumber = 77;
    const Board before = board;
    std::string error;
    EXPECT_FALSE(ReadFen(fen, board, error)) << fen;
    EXPECT_FALSE(error.empty()) << fen;
    EXPECT_TRUE(SamePosition(board, before)) << fen;
  }
}

}  // namespace

// That every FEN the reader accepts is written back alike is checked by the FEN fuzz target.
TEST(Fen, WrittenFenReadsBackToTheSamePosition) {
  // Right after castling the squares the king crossed are not written as kings; the board
  // keeps no half-move clock.
  Board castled = FromFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 7 12");
  Play(castled, {"e1g1"});
  EXPECT_EQ(WriteFen(castled), "r3k2r/8/8/8/8/8/8/R4RK1 b kq - 0 12");
}
