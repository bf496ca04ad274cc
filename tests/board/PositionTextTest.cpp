// Positions as text: FEN, the printed board and the hand-written position files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <tuple>

#include "board/BoardText.h"
#include "console/Console.h"
#include "support/ConsoleCapture.h"
#include "support/TemporaryDirectory.h"
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

// Reads a position file with its messages on the console, as the console game shows them.
bool Load(Board& board, const std::string& fileName) {
  std::string messages;
  const TextPositionStatus status = ReadTextPosition(fileName, board, messages);
  *ConsoleOut << messages;
  return status == TextPositionStatus::READ;
}

// One rank of the printed board: its piece line between the ruler and the blank rows.
std::string RankBlock(const std::string& pieceLine) {
  return "--A----B----C----D----E----F----G----H---\n"
         "|    |    |    |    |    |    |    |    |\n" +
         pieceLine + "\n|    |    |    |    |    |    |    |    | \n";
}

TEST(BoardTextTest, PrintsTheBoardWithCastlingPathSquaresEmpty) {
  ConsoleCapture console;
  *ConsoleOut << BoardPicture(Board());
  EXPECT_EQ(console.Take(), RankBlock("8 BR | BN | BB | BQ | BK | BB | BN | BR 8") +
                                RankBlock("7 BP | BP | BP | BP | BP | BP | BP | BP 7") +
                                RankBlock("6    |    |    |    |    |    |    |    6") +
                                RankBlock("5    |    |    |    |    |    |    |    5") +
                                RankBlock("4    |    |    |    |    |    |    |    4") +
                                RankBlock("3    |    |    |    |    |    |    |    3") +
                                RankBlock("2 WP | WP | WP | WP | WP | WP | WP | WP 2") +
                                RankBlock("1 WR | WN | WB | WQ | WK | WB | WN | WR 1") +
                                "--A----B----C----D----E----F----G----H---\n"
                                "NEXT MOVE( 1 ): WHITE\n");

  // Right after castling the paths still belong to the kings' sets; a rook on one shows.
  Board board = FromFen("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 6");
  Play(board, {"e8c8", "e1g1"});
  *ConsoleOut << BoardPicture(board);
  const std::string text = console.Take();
  EXPECT_NE(text.find("\n8    |    | BK | BR |    |    |    | BR 8\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\n1 WR |    |    |    |    | WR | WK |    1\n"), std::string::npos) << text;
  EXPECT_TRUE(text.ends_with("\nNEXT MOVE( 14 ): BLACK\n")) << text;
}

TEST(BoardTextTest, LoadsPositionFilesAndCountsBadLines) {
  ConsoleCapture console;
  TemporaryDirectory directory;
  // Upper case, CR LF line ends, blank lines, comments and any separator are all accepted.
  const auto castle = directory.Write("castle.txt",
                                      "# rooks at home\r\n  comment\r\nWK:E1\r\nwr a1\r\nwr h1\n"
                                      "bk-e8\n\n\r\n\nbr h8\nbr a7\nwp d4\n?Black\r");
  Board board;
  board.moveNumber = 30;
  board.castlePath[WHITE] = CASTLE_SHORT_PATH[WHITE];
  board.enPassant = MaskOf(20);
  ASSERT_TRUE(Load(board, castle.string()));
  EXPECT_EQ(console.Take(), "");
  // The black rook on a7 gives no long castling.
  const Board fen = FromFen("4k2r/r7/8/8/3P4/8/8/R3K2R b KQk - 0 1");
  EXPECT_TRUE(std::equal(board.bitboards, board.bitboards + 14, fen.bitboards));
  EXPECT_TRUE(std::equal(board.castleRights, board.castleRights + 4, fen.castleRights));
  EXPECT_EQ(std::tuple(board.material[WHITE], board.material[BLACK], board.pawnCount[WHITE],
                       board.pawnCount[BLACK], board.sideToMove, board.moveNumber),
            std::tuple(3100, 3000, 1, 0, BLACK, 1));
  EXPECT_EQ(board.castlePath[WHITE] | board.enPassant, 0u);

  // A king that is not alone on its start square gives no castling.
  ASSERT_TRUE(Load(board, directory.Write("two.txt", "wk e1\nwk d2\nwr h1\nbk e8\nbr h8\n?w\n")));
  EXPECT_FALSE(board.castleRights[0]);
  EXPECT_TRUE(board.castleRights[1]);
  EXPECT_EQ(board.sideToMove, WHITE);

  const auto bad = directory.Write(
      "bad.txt",
      "wx e4\nwk e1\nbk e8\nwq e1\nwp e9\nwp e22\nwk\nw\n?x\n?\nzz\nwp e4\n\nWP A8\nbp h1\n");
  ASSERT_TRUE(Load(board, bad.string()));
  // A bad piece letter is refused before its square is looked at. A pawn where no pawn can
  // stand is named with its line, blank lines counted.
  EXPECT_EQ(console.Take(),
            "Board::CoordToSquare() coord[ 1 ] of \"e9\" is not a valid rank!\n"
            "Board::CoordToSquare() coord = e22 is not 2 characters long!\n"
            "Board::CoordToSquare() coord =  is not 2 characters long!\n"
            "Board::Load() line 14 ( wp a8 ): a pawn cannot stand on the first or the last rank!\n"
            "Board::Load() line 15 ( bp h1 ): a pawn cannot stand on the first or the last rank!\n"
            "Board::Load() 11 errors occured while reading " +
                bad.string() + "!\n");
  EXPECT_EQ(board.WhitePieceAt(60), WK);  // the first piece on e1 stays
  EXPECT_EQ(board.bitboards[WQ], 0u);
  EXPECT_EQ(board.bitboards[WP], MaskOf(36));
  EXPECT_EQ(board.bitboards[BP], 0u);

  board.moveNumber = 5;
  EXPECT_FALSE(Load(board, bad.string() + ".missing"));
  EXPECT_EQ(board.moveNumber, 5);
  EXPECT_EQ(console.Take(), "");
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
