// Moves and squares as text: coordinates (both ways, and what cannot be read), the record's
// and the console's text of a move, and standard algebraic notation.
#include <gtest/gtest.h>

#include <tuple>

#include "board/Coordinates.h"
#include "board/Move.h"
#include "board/San.h"
#include "support/ConsoleCapture.h"
#include "support/TestBoards.h"

namespace {

// Squares and moves as text both ways; what cannot be read is said, square by square, in the
// words the console shows.
TEST(CoordinatesTest, SquareAndMoveTextsConvertBothWays) {
  std::string error, coord;
  for (int square = 0; square < 64; ++square) {
    ASSERT_TRUE(SquareToCoord(square, coord, error));
    EXPECT_EQ(CoordToSquare(coord, error), square) << coord;
  }
  EXPECT_EQ(coord, "h1");
  EXPECT_EQ(CoordToSquare("E4", error), 36);
  int from = 0, to = 0;
  char promotion = 'x';
  EXPECT_TRUE(CoordToSquares("e2-e4", from, to, error));
  EXPECT_EQ(std::pair(from, to), std::pair(52, 36));
  EXPECT_TRUE(CoordToSquares("e7e8q", from, to, promotion, error));
  EXPECT_EQ(std::tuple(from, to, promotion), std::tuple(12, 4, 'q'));
  EXPECT_TRUE(CoordToSquares("g1f3", from, to, promotion, error));
  EXPECT_EQ(promotion, '\0');
  EXPECT_EQ(error, "");

  EXPECT_EQ(CoordToSquare("e", error), -1);
  // Without the promotion form the fifth character belongs to the destination; both squares
  // are judged before the text is refused.
  EXPECT_FALSE(CoordToSquares("e2e4q", from, to, error));
  EXPECT_FALSE(CoordToSquares("z2e9", from, to, error));
  EXPECT_EQ(std::pair(from, to), std::pair(-1, -1));
  EXPECT_FALSE(CoordToSquares("e2e", from, to, error));
  EXPECT_FALSE(CoordToSquares("e2e4qq", from, to, promotion, error));
  // The destination is not tried once the start square has failed; the output is kept.
  EXPECT_FALSE(SquareToCoord(99, 100, coord, error));
  EXPECT_EQ(coord, "h1");
  EXPECT_EQ(error,
            "Board::CoordToSquare() coord = e is not 2 characters long!\n"
            "Board::CoordToSquare() coord[ 0 ] of \"4q\" is not a valid file!\n"
            "Board::CoordToSquare() coords = \"e2e4q\" is invalid!\n"
            "Board::CoordToSquare() coord[ 0 ] of \"z2\" is not a valid file!\n"
            "Board::CoordToSquare() coord[ 1 ] of \"e9\" is not a valid rank!\n"
            "Board::CoordToSquare() coords = \"z2e9\" is invalid!\n"
            "Board::CoordToSquare() coords = \"e2e\" must be 4 or 5 characters long!\n"
            "Board::CoordToSquare() coords = \"e2e4qq\" must be exactly 4 or 5 characters long!\n"
            "Board::SquareToCoord() whichSquare = 99 is invalid!\n");
}

// Coordinate text both ways: either case, a promotion only with its letter (k is a king, which
// no pawn becomes), and nothing that is not a legal move.
TEST(Rules, CoordinateTextOfMovesBothWays) {
  const Board board = FromFen("4k3/P7/8/8/8/8/8/R3K3 w Q - 0 1");
  Move move;
  ASSERT_TRUE(FindCoordinateMove(board, "A7A8Q", move));
  EXPECT_EQ(CoordinateText(move), "a7a8q");
  ASSERT_TRUE(FindCoordinateMove(board, "a7a8N", move));
  EXPECT_EQ(CoordinateText(move), "a7a8n");
  ASSERT_TRUE(FindCoordinateMove(board, "e1c1", move));
  EXPECT_EQ(std::pair(move.Kind(), CoordinateText(move)),
            std::pair(MOVE_CASTLE_LONG, std::string("e1c1")));
  for (const char* refused : {"a7a8", "a7a8x", "a7a8k", "e1e2q", "e1f8", "e1d2 ", "a1a9", "", "e1"})
    EXPECT_FALSE(FindCoordinateMove(board, refused, move)) << refused;
  EXPECT_FALSE(FindCoordinateMove(FromFen("4k3/4r3/8/8/8/8/8/4K3 w - - 0 1"), "e1e2", move));
}

// The record's text and the console line of the move kinds the games rarely show; the end of a
// game without a board move has no record text, and a damaged move still gets a line.
TEST(MoveTextTest, RecordTextAndConsoleLineOfEveryMoveKind) {
  ConsoleCapture console;
  const std::pair<Move, const char*> cases[] = {
      {Move{WB, NO_PIECE, At("f1"), At("b5"), MOVE_CAPTURE}, "Bf1xb5"},
      {Move{WP, NO_PIECE, At("e5"), At("d6"), MOVE_EN_PASSANT}, "e5xd6"},
      {Move{WP, NO_PIECE, At("d7"), At("c8"), MOVE_CAPTURE | PROMOTE_KNIGHT}, "d7xc8=N"},
      {Move{BP, NO_PIECE, At("h2"), At("h1"), MOVE_NORMAL | PROMOTE_ROOK}, "h2h1=R"},
      {Move{BP, NO_PIECE, At("c2"), At("c1"), MOVE_NORMAL | PROMOTE_BISHOP}, "c2c1=B"},
      {Move{WK, NO_PIECE, At("e1"), At("e1"), MOVE_RESIGN}, ""},
      {Move{BK, NO_PIECE, At("e8"), At("e8"), MOVE_STALEMATE}, ""},
  };
  for (const auto& [move, expected] : cases) {
    std::string text = "not cleared";
    EXPECT_TRUE(move.ToText(&text));
    EXPECT_EQ(text, expected);
    *ConsoleOut << move.Line();
  }
  EXPECT_FALSE(Move().ToText(nullptr));
  *ConsoleOut << Move{13, NO_PIECE, At("e2"), At("e4"), MOVE_NORMAL}.Line() << Move().Line();
  EXPECT_EQ(console.Take(),
            "WB - f1b5\nWP - e5d6\nWP - d7c8\nBP - h2h1\nBP - c2c1\nRESIGNATION!\nSTALEMATE!!!\n"
            "?? - e2e4\n   - Board::SquareToCoord() whichSquare = -1 is invalid!\n\n");
}

// Knights on b1 and f3 both reach d2, rooks on a1 and a5 both reach a3 and a2, a pawn can take
// en passant or promote by capture; castling and three queens that reach e4 have positions of
// their own.
constexpr const char* BUSY = "r3k2r/1P6/8/R2pP3/8/5N2/8/RN2K2R w KQkq d6 0 1";
constexpr const char* CASTLING = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
constexpr const char* QUEENS = "8/8/1k6/8/7Q/8/8/K3Q2Q w - - 0 1";

TEST(San, TheTextOfEveryKindOfMove) {
  const char* const cases[][3] = {
      {BUSY, "f3d2", "Nfd2"},     {BUSY, "b1d2", "Nbd2"},
      {BUSY, "a5a3", "R5a3"},     {BUSY, "a1a2", "R1a2"},
      {BUSY, "h1g1", "Rg1"},      {BUSY, "e5d6", "exd6"},
      {BUSY, "b7a8q", "bxa8=Q+"}, {BUSY, "b7b8n", "b8=N"},
      {CASTLING, "e1g1", "O-O"},  {CASTLING, "e1c1", "O-O-O"},
      {QUEENS, "e1e4", "Qee4"},   {QUEENS, "h4e4", "Q4e4"},
      {QUEENS, "h1e4", "Qh1e4"},  {"6k1/5ppp/8/8/8/8/8/3RK3 w - - 0 1", "d1d8", "Rd8#"}};
  for (const auto& [fen, coordinates, san] : cases) {
    const Board board = FromFen(fen);
    EXPECT_EQ(SanText(board, GeneratedMove(board, coordinates)), san);
  }
}

// Check and annotation marks, "=" and the piece letter of a promotion may be left out; Black's
// moves read alike.
TEST(San, ReadingFindsTheMoveOrSaysWhyNot) {
  Board black = FromFen(CASTLING);
  black.sideToMove = BLACK;
  const struct {
    Board board;
    const char* text;
    SanReading reading;
    const char* coordinates;
  } cases[] = {
      {FromFen(BUSY), "Nbd2", SanReading::MOVE, "b1d2"},
      {FromFen(BUSY), "N1d2", SanReading::MOVE, "b1d2"},
      {FromFen(BUSY), "Nf3d2+", SanReading::MOVE, "f3d2"},
      {FromFen(BUSY), "R5a3!", SanReading::MOVE, "a5a3"},
      {FromFen(BUSY), "exd6", SanReading::MOVE, "e5d6"},
      {FromFen(BUSY), "bxa8=Q", SanReading::MOVE, "b7a8q"},
      {FromFen(BUSY), "bxa8Q", SanReading::MOVE, "b7a8q"},
      {FromFen(BUSY), "b8N?!", SanReading::MOVE, "b7b8n"},
      {FromFen(BUSY), "b8", SanReading::MOVE, "b7b8"},
      {FromFen(BUSY), "Kf1", SanReading::MOVE, "e1f1"},
      {FromFen(CASTLING), "0-0-0", SanReading::MOVE, "e1c1"},
      {black, "O-O", SanReading::MOVE, "e8g8"},
      {black, "O-O-O", SanReading::MOVE, "e8c8"},
      {black, "Rxa1+", SanReading::MOVE, "a8a1"},
      {black, "Kd7", SanReading::MOVE, "e8d7"},
      {FromFen(BUSY), "O-O-O", SanReading::ILLEGAL, ""},  // b1 is taken
      {FromFen(BUSY), "Nd2", SanReading::AMBIGUOUS, ""},
      {FromFen(BUSY), "Ra3", SanReading::AMBIGUOUS, ""},
  };
  Move move;
  std::vector<Move> candidates;
  for (const auto& c : cases) {
    ASSERT_EQ(ReadSan(c.board, c.text, move, candidates), c.reading) << c.text;
    EXPECT_EQ(c.reading == SanReading::MOVE ? CoordinateText(move) : "", c.coordinates) << c.text;
    EXPECT_TRUE(c.reading != SanReading::AMBIGUOUS || candidates.size() == 2u) << c.text;
  }
  const Board board = FromFen(BUSY);
  for (const char* illegal : {"Nd5", "Ke3", "d6", "Bc4", "e7", "exd5"})
    EXPECT_EQ(ReadSan(board, illegal, move, candidates), SanReading::ILLEGAL) << illegal;
  for (const char* notSan : {"e2e4", "E4", "Zf3", "Nf3x", "x", "", "e9", "help", "N0d2"})
    EXPECT_EQ(ReadSan(board, notSan, move, candidates), SanReading::NOT_SAN) << notSan;
}

}  // namespace
