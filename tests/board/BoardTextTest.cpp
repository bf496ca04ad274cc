#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <utility>

#include "board/Board.h"
#include "game/Console.h"
#include "support/ConsoleCapture.h"
#include "support/TemporaryDirectory.h"

namespace {

// Collects the console text and keeps position files in a fresh directory of its own.
class BoardTextTest : public ::testing::Test {
 protected:
  std::string Console() { return console_.Take(); }
  std::string WriteFile(const std::string& name, const std::string& content) {
    return directory_.Write(name, content).string();
  }

 private:
  ConsoleCapture console_;
  TemporaryDirectory directory_;
};

using BoardTextDeathTest = BoardTextTest;

// One rank of the printed board: its piece line between the ruler and the blank rows.
std::string RankBlock(const std::string& pieceLine) {
  return "--A----B----C----D----E----F----G----H---\n"
         "|    |    |    |    |    |    |    |    |\n" +
         pieceLine + "\n|    |    |    |    |    |    |    |    | \n";
}

TEST_F(BoardTextTest, PrintsInitialPosition) {
  Board().Print();
  EXPECT_EQ(Console(), RankBlock("8 BR | BN | BB | BQ | BK | BB | BN | BR 8") +
                           RankBlock("7 BP | BP | BP | BP | BP | BP | BP | BP 7") +
                           RankBlock("6    |    |    |    |    |    |    |    6") +
                           RankBlock("5    |    |    |    |    |    |    |    5") +
                           RankBlock("4    |    |    |    |    |    |    |    4") +
                           RankBlock("3    |    |    |    |    |    |    |    3") +
                           RankBlock("2 WP | WP | WP | WP | WP | WP | WP | WP 2") +
                           RankBlock("1 WR | WN | WB | WQ | WK | WB | WN | WR 1") +
                           "--A----B----C----D----E----F----G----H---\n"
                           "NEXT MOVE( 1 ): WHITE\n");
}

TEST_F(BoardTextTest, CastlingPathSquaresPrintAsEmpty) {
  // Both sides have just castled short; their paths are still part of the kings' sets.
  Board board;
  for (Color c : {WHITE, BLACK}) {
    const Square e = c == WHITE ? 60 : 4;
    constexpr int kingSide[] = {WK, WB, WN, WR};
    for (int i = 0; i < 4; ++i) board.RemovePiece(kingSide[i] + c, e + i);
    board.AddPiece(WR + c, e + 1);
    board.AddPiece(WK + c, e + 2);
    board.SetCastlePath(c, CASTLE_SHORT_PATH[c]);
  }
  board.moveNumber = 12;
  board.sideToMove = BLACK;
  board.Print();
  const std::string text = Console();
  EXPECT_NE(text.find("\n8 BR | BN | BB | BQ |    | BR | BK |    8\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\n1 WR | WN | WB | WQ |    | WR | WK |    1\n"), std::string::npos) << text;
  EXPECT_TRUE(text.ends_with("\nNEXT MOVE( 12 ): BLACK\n")) << text;
}

TEST_F(BoardTextTest, LoadsPlacementSideAndCastlingRights) {
  // Upper case, CR LF line ends, blank lines, comments and any separator are all accepted.
  const std::string path = WriteFile("castle.txt",
                                     "# rooks at home\r\n  comment\r\nWK:E1\r\nwr a1\r\nwr h1\n"
                                     "bk-e8\n\n\r\n\nbr h8\nbr a7\nwp d4\n?Black\r");
  Board board;
  board.moveNumber = 30;
  board.castlePath[WHITE] = CASTLE_SHORT_PATH[WHITE];
  board.enPassant = MaskOf(20);
  ASSERT_TRUE(board.Load(path));
  EXPECT_EQ(Console(), "");
  EXPECT_EQ(board.bitboards[ALL_WHITE], MaskOf(60) | MaskOf(56) | MaskOf(63) | MaskOf(35));
  EXPECT_EQ(board.bitboards[ALL_BLACK], MaskOf(4) | MaskOf(7) | MaskOf(8));
  EXPECT_EQ(board.bitboards[BR], MaskOf(7) | MaskOf(8));
  EXPECT_EQ(board.bitboards[WP], MaskOf(35));
  EXPECT_EQ(std::pair(board.material[WHITE], board.material[BLACK]), std::pair(3100, 3000));
  EXPECT_EQ(std::pair(board.pawnCount[WHITE], board.pawnCount[BLACK]), std::pair(1, 0));
  EXPECT_EQ(std::pair(board.sideToMove, board.moveNumber), std::pair(BLACK, 1));
  EXPECT_EQ(board.castlePath[WHITE] | board.enPassant, 0u);
  // White short, Black short, White long; the black rook on a7 gives no long castling.
  const bool rights[4] = {true, true, true, false};
  EXPECT_TRUE(std::equal(rights, rights + 4, board.castleRights));

  // A king that is not alone on its start square gives no castling.
  ASSERT_TRUE(board.Load(WriteFile("twokings.txt", "wk e1\nwk d2\nwr h1\nbk e8\nbr h8\n?w\n")));
  EXPECT_FALSE(board.castleRights[0]);
  EXPECT_TRUE(board.castleRights[1]);
  EXPECT_EQ(board.sideToMove, WHITE);
}

TEST_F(BoardTextTest, BadLinesAreCountedAndSkipped) {
  const std::string path =
      WriteFile("bad.txt", "wx e4\nwk e1\nbk e8\nwq e1\nwp e9\nwp e22\nwk\nw\n?x\n?\nzz\nwp e4\n");
  Board board;
  ASSERT_TRUE(board.Load(path));
  // A bad piece letter is refused before its square is looked at.
  EXPECT_EQ(Console(),
            "Board::CoordToSquare() coord[ 1 ] of \"e9\" is not a valid rank!\n"
            "Board::CoordToSquare() coord = e22 is not 2 characters long!\n"
            "Board::CoordToSquare() coord =  is not 2 characters long!\n"
            "Board::Load() 9 errors occured while reading " +
                path + "!\n");
  EXPECT_EQ(board.WhitePieceAt(60), WK);  // the first piece on e1 stays
  EXPECT_EQ(board.bitboards[WQ], 0u);
  EXPECT_EQ(board.bitboards[WP], MaskOf(36));
}

TEST_F(BoardTextTest, MissingFileLeavesTheBoardAlone) {
  Board board;
  board.moveNumber = 5;
  EXPECT_FALSE(board.Load(WriteFile("exists.txt", "") + ".missing"));
  EXPECT_EQ(board.moveNumber, 5);
  EXPECT_EQ(board.bitboards[WP], Board().bitboards[WP]);
  EXPECT_EQ(Console(), "");
}

TEST_F(BoardTextDeathTest, MissingKingEndsTheProgram) {
  const std::string empty = WriteFile("empty.txt", "");
  const std::string blank = WriteFile("blank.txt", "\r\n\n\n");
  const std::string noWhite = WriteFile("nowhite.txt", "bk e8\n");
  auto load = [](const std::string& path) {
    ConsoleOut = &std::cerr;
    Board().Load(path);
  };
  EXPECT_EXIT(load(empty), ::testing::ExitedWithCode(255),
              "^Board::Load\\(\\) 2 errors occured while reading .*empty\\.txt!\n"
              "Board::Load\\(\\) Der schwarze Koenig fehlt!!!\n$");
  EXPECT_EXIT(load(blank), ::testing::ExitedWithCode(255),
              "^Board::Load\\(\\) 1 errors occured while reading .*blank\\.txt!\n"
              "Board::Load\\(\\) Der schwarze Koenig fehlt!!!\n$");
  EXPECT_EXIT(load(noWhite), ::testing::ExitedWithCode(255),
              "^Board::Load\\(\\) Der weisse Koenig fehlt!!!\n$");
}

}  // namespace
