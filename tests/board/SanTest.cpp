#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/Rules.h"
#include "board/San.h"
#include "support/TestBoards.h"

namespace {

// Knights on b1 and f3 both reach d2, rooks on a1 and a5 both reach a3 and a2, a pawn can take
// en passant or promote by capture; castling is in a position of its own.
constexpr const char* BUSY = "r3k2r/1P6/8/R2pP3/8/5N2/8/RN2K2R w KQkq d6 0 1";
constexpr const char* CASTLING = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";

std::string San(const char* fen, const char* coordinates) {
  const Board board = FromFen(fen);
  return SanText(board, GeneratedMove(board, coordinates));
}

TEST(San, TheTextOfEveryKindOfMove) {
  EXPECT_EQ(San(BUSY, "f3d2"), "Nfd2");
  EXPECT_EQ(San(BUSY, "b1d2"), "Nbd2");
  EXPECT_EQ(San(BUSY, "a5a3"), "R5a3");
  EXPECT_EQ(San(BUSY, "a1a2"), "R1a2");
  EXPECT_EQ(San(BUSY, "h1g1"), "Rg1");
  EXPECT_EQ(San(BUSY, "e5d6"), "exd6");
  EXPECT_EQ(San(BUSY, "b7a8q"), "bxa8=Q+");
  EXPECT_EQ(San(BUSY, "b7b8n"), "b8=N");
  EXPECT_EQ(San(CASTLING, "e1g1"), "O-O");
  EXPECT_EQ(San(CASTLING, "e1c1"), "O-O-O");
  EXPECT_EQ(San("6k1/5ppp/8/8/8/8/8/3RK3 w - - 0 1", "d1d8"), "Rd8#");
  // Three queens reach e4: one needs its file, one its rank, one both.
  constexpr const char* QUEENS = "8/8/1k6/8/7Q/8/8/K3Q2Q w - - 0 1";
  EXPECT_EQ(San(QUEENS, "e1e4"), "Qee4");
  EXPECT_EQ(San(QUEENS, "h4e4"), "Q4e4");
  EXPECT_EQ(San(QUEENS, "h1e4"), "Qh1e4");
}

TEST(San, ReadingFindsTheMoveOrSaysWhyNot) {
  const Board board = FromFen(BUSY);
  Move move;
  std::vector<Move> candidates;
  const auto read = [&](const char* text) { return ReadSan(board, text, move, candidates); };
  for (const auto& [text, coordinates] :
       std::vector<std::pair<const char*, const char*>>{{"Nbd2", "b1d2"},
                                                        {"N1d2", "b1d2"},
                                                        {"Nf3d2+", "f3d2"},
                                                        {"R5a3!", "a5a3"},
                                                        {"exd6", "e5d6"},
                                                        {"bxa8=Q", "b7a8q"},
                                                        {"bxa8Q", "b7a8q"},
                                                        {"b8N?!", "b7b8n"},
                                                        {"Kf1", "e1f1"}}) {
    ASSERT_EQ(read(text), SanReading::MOVE) << text;
    EXPECT_EQ(CoordinateText(move), coordinates) << text;
  }
  const Board castling = FromFen(CASTLING);
  ASSERT_EQ(ReadSan(castling, "0-0-0", move, candidates), SanReading::MOVE);
  EXPECT_EQ(CoordinateText(move), "e1c1");
  // Black's moves read alike.
  Board black = castling;
  black.sideToMove = BLACK;
  for (const auto& [text, coordinates] : std::vector<std::pair<const char*, const char*>>{
           {"O-O", "e8g8"}, {"O-O-O", "e8c8"}, {"Rxa1+", "a8a1"}, {"Kd7", "e8d7"}}) {
    ASSERT_EQ(ReadSan(black, text, move, candidates), SanReading::MOVE) << text;
    EXPECT_EQ(CoordinateText(move), coordinates) << text;
  }
  EXPECT_EQ(ReadSan(board, "O-O-O", move, candidates), SanReading::ILLEGAL);  // b1 is taken

  // Without its piece a promotion is named by its squares alone.
  ASSERT_EQ(read("b8"), SanReading::MOVE);
  EXPECT_EQ(CoordinateText(move), "b7b8");

  ASSERT_EQ(read("Nd2"), SanReading::AMBIGUOUS);
  EXPECT_EQ(candidates.size(), 2u);
  EXPECT_EQ(read("Ra3"), SanReading::AMBIGUOUS);
  for (const char* illegal : {"Nd5", "Ke3", "d6", "Bc4", "e7", "exd5"})
    EXPECT_EQ(read(illegal), SanReading::ILLEGAL) << illegal;
  for (const char* notSan : {"e2e4", "E4", "Zf3", "Nf3x", "x", "", "e9", "help", "N0d2"})
    EXPECT_EQ(read(notSan), SanReading::NOT_SAN) << notSan;
}

}  // namespace
