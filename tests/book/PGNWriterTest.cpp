#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <tuple>

#include "book/PGNWriter.h"
#include "support/TemporaryDirectory.h"
#include "support/TestBoards.h"

namespace {

Move MoveOf(int piece, const char* from, const char* to, int flags = MOVE_NORMAL) {
  return Move{piece, NO_PIECE, At(from), At(to), flags};
}

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(PGNWriterTest, WritesTheWholeGameAtTheEndAndAppendsTheNextOne) {
  EXPECT_EQ((Date{987, 12, 31}.ToText(" / ")), "987 / 12 / 31");
  TemporaryDirectory directory;
  const std::string file = (directory.Path() / "games.pgn").string();
  PGNWriter writer;
  writer.date = Date{2010, 3, 7};
  ASSERT_TRUE(writer.Open(file));
  EXPECT_EQ(writer.LogFileName(), file);
  writer.whiteName = "Whity";
  writer.blackName = "Blacky";
  for (const Move& move : {MoveOf(WP, "e2", "e4"), MoveOf(BP, "e7", "e5"), MoveOf(WQ, "d1", "h5"),
                           MoveOf(BN, "b8", "c6"), MoveOf(WB, "f1", "c4"), MoveOf(BN, "g8", "f6"),
                           MoveOf(WQ, "h5", "f7", MOVE_CHECKMATE)})
    writer.AddMove(move);
  EXPECT_EQ(ReadAll(file), "");  // nothing is written before the game ends
  EXPECT_TRUE(writer.Finish());
  const std::string first =
      "[Event \" Casual Game\" ]\n[Site \" \" ]\n[Date \" 2010.03.07\" ]\n"
      "[Round \"  3\" ]\n[White \" Whity\" ]\n[Black \" Blacky\" ]\n[Result \" 1-0\" ]\n\n"
      "  1.  e2e4  e7e5   2.  Qd1h5  Nb8c6   3.  Bf1c4  Ng8f6   4.  Qh5f7  1-0\n\n";
  EXPECT_EQ(ReadAll(file), first);
  // The log is closed once the game is written.
  EXPECT_FALSE(writer.IsOpen());
  EXPECT_FALSE(writer.Finish());

  // Black resigns after 41 plies; the resignation record is written as two blanks. The first
  // line holds ten moves, every further line eleven.
  PGNWriter next;
  next.date = Date{987, 1, 2};
  ASSERT_TRUE(next.Open(file));
  const Move knights[] = {MoveOf(WN, "g1", "f3"), MoveOf(BN, "g8", "f6"), MoveOf(WN, "f3", "g1"),
                          MoveOf(BN, "f6", "g8")};
  for (int ply = 0; ply < 41; ++ply) next.AddMove(knights[ply % 4]);
  next.AddMove(MoveOf(BK, "e8", "e8", MOVE_RESIGN));
  ASSERT_TRUE(next.Finish());
  EXPECT_EQ(
      ReadAll(file),
      first +
          "[Event \" Casual Game\" ]\n[Site \" \" ]\n[Date \" 987.01.02\" ]\n[Round \"  21\" ]\n"
          "[White \" White Player\" ]\n[Black \" Black Player\" ]\n[Result \" 1-0\" ]\n\n"
          "  1.  Ng1f3  Ng8f6   2.  Nf3g1  Nf6g8   3.  Ng1f3  Ng8f6   4.  Nf3g1  Nf6g8   5.  "
          "Ng1f3  Ng8f6\n"
          "  6.  Nf3g1  Nf6g8   7.  Ng1f3  Ng8f6   8.  Nf3g1  Nf6g8   9.  Ng1f3  Ng8f6   10.  "
          "Nf3g1  Nf6g8   11.  Ng1f3\n"
          " Ng8f6   12.  Nf3g1  Nf6g8   13.  Ng1f3  Ng8f6   14.  Nf3g1  Nf6g8   15.  Ng1f3  "
          "Ng8f6   16.  Nf3g1  Nf6g8\n"
          "  17.  Ng1f3  Ng8f6   18.  Nf3g1  Nf6g8   19.  Ng1f3  Ng8f6   20.  Nf3g1  Nf6g8   21.  "
          "Ng1f3    1-0\n\n");

  PGNWriter none;
  EXPECT_FALSE(none.Open((directory.Path() / "missing" / "games.pgn").string()));
  EXPECT_EQ(none.LogFileName(), "");
}

// The last of `plies` records has the kind given; an odd count makes it White's. White mated
// and Black resigned in the games above.
TEST(PGNWriterTest, ResultFollowsTheFinalRecordAndTheSideThatMadeIt) {
  for (const auto& [plies, kind, result] : {std::tuple{2, MOVE_CHECKMATE, "0-1"},
                                            {1, MOVE_RESIGN, "0-1"},
                                            {2, MOVE_STALEMATE, "1/2-1/2"},
                                            {3, MOVE_CAPTURE | PROMOTE_QUEEN, "*"}}) {
    PGNWriter writer;
    for (int ply = 1; ply < plies; ++ply) writer.AddMove(MoveOf(WP, "a2", "a3"));
    writer.AddMove(MoveOf(WP, "b7", "a8", kind));
    EXPECT_EQ(writer.resultText, result) << plies << " plies, last of kind " << kind;
    EXPECT_EQ(writer.roundTag, plies / 2);
  }
}

// A record that starts from a set-up position names it in the standard tags, numbers the moves
// from the position's move number and gives the result to the side that really won.
TEST(PGNWriterTest, ARecordFromASetUpPositionTakeBackAndAnOutsideResult) {
  TemporaryDirectory directory;
  const std::string file = (directory.Path() / "games.pgn").string();
  const std::string tags =
      "[Event \" Casual Game\" ]\n[Site \" \" ]\n[Date \" 2010.03.07\" ]\n[Round \"  %\" ]\n"
      "[White \" White Player\" ]\n[Black \" Black Player\" ]\n[Result \" ";
  const auto expected = [&](const char* round, const std::string& rest) {
    std::string text = tags;
    text.replace(text.find('%'), 1, round);
    return text + rest;
  };

  const char* fool = "rnbqkbnr/pppp1ppp/8/4p3/6P1/5P2/PPPPP2P/RNBQKBNR b KQkq - 0 2";
  PGNWriter writer;
  writer.date = Date{2010, 3, 7};
  ASSERT_TRUE(writer.Open(file));
  writer.AddMove(MoveOf(WP, "e2", "e4"));  // the record restarts below
  writer.StartFrom(FromFen(fool));
  EXPECT_EQ(writer.MoveCount(), 0);
  EXPECT_FALSE(writer.RemoveLastMove());
  writer.AddMove(MoveOf(BQ, "d8", "h4", MOVE_CHECKMATE));
  EXPECT_EQ(writer.resultText, "0-1");
  // Taken back, the game goes on; White's reply is numbered 3.
  EXPECT_TRUE(writer.RemoveLastMove());
  EXPECT_EQ(writer.resultText, "*");
  writer.AddMove(MoveOf(BQ, "d8", "e7"));
  writer.AddMove(MoveOf(WK, "e1", "f2", MOVE_RESIGN));
  EXPECT_EQ(writer.MoveCount(), 2);
  EXPECT_EQ(writer.resultText, "0-1");
  ASSERT_TRUE(writer.Finish());
  const std::string first = expected("1", std::string("0-1\" ]\n[SetUp \"1\"]\n[FEN \"") + fool +
                                              "\"]\n\n  2. ...  Qd8e7   3.    0-1\n\n");
  EXPECT_EQ(ReadAll(file), first);

  // Back at the initial position the record is the plain one; a result can come from outside.
  PGNWriter next;
  next.date = Date{2010, 3, 7};
  ASSERT_TRUE(next.Open(file));
  next.StartFrom(FromFen("4k3/8/8/8/8/8/8/4K3 w - - 0 1"));
  next.StartFrom(Board());
  next.AddMove(MoveOf(WP, "e2", "e4"));
  next.SetResult("1/2-1/2");
  ASSERT_TRUE(next.Finish());
  EXPECT_EQ(ReadAll(file), first + expected("0", "1/2-1/2\" ]\n\n  1.  e2e4  1/2-1/2\n\n"));
}

}  // namespace
