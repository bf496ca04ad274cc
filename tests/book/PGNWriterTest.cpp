#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "book/PGNWriter.h"
#include "support/TemporaryDirectory.h"
#include "support/TestBoards.h"

namespace {

Move MoveOf(int piece, const char* from, const char* to, int flags = MOVE_NORMAL) {
  return Move{piece, NO_PIECE, At(from), At(to), flags};
}

std::string ReadAll(const std::filesystem::path& file) {
  std::ostringstream text;
  text << std::ifstream(file, std::ios::binary).rdbuf();
  return text.str();
}

TEST(DateTest, TextHasTwoDigitMonthAndDay) {
  EXPECT_EQ(Date{}.ToText("."), "1900.01.01");
  EXPECT_EQ((Date{987, 12, 31}.ToText(" / ")), "987 / 12 / 31");
}

TEST(PGNWriterTest, WritesTheWholeGameAtTheEnd) {
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
    EXPECT_TRUE(writer.AddMove(move));
  EXPECT_EQ(ReadAll(file), "");  // nothing is written before the game ends
  EXPECT_TRUE(writer.Finish());
  EXPECT_EQ(ReadAll(file),
            "[Event \" Casual Game\" ]\n[Site \" \" ]\n[Date \" 2010.03.07\" ]\n"
            "[Round \"  3\" ]\n[White \" Whity\" ]\n[Black \" Blacky\" ]\n[Result \" 1-0\" ]\n\n"
            "  1.  e2e4  e7e5   2.  Qd1h5  Nb8c6   3.  Bf1c4  Ng8f6   4.  Qh5f7  1-0\n\n");
  EXPECT_FALSE(writer.Finish());  // the log is closed once the game is written
}

// Black resigns after 41 plies; the resignation record is written as two blanks.
TEST(PGNWriterTest, LongGameHoldsTenMovesOnItsFirstLineAndElevenOnEachFurther) {
  TemporaryDirectory directory;
  const auto file = directory.Path() / "games.pgn";
  PGNWriter writer;
  ASSERT_TRUE(writer.Open(file.string()));
  const Move knights[] = {MoveOf(WN, "g1", "f3"), MoveOf(BN, "g8", "f6"), MoveOf(WN, "f3", "g1"),
                          MoveOf(BN, "f6", "g8")};
  for (int ply = 0; ply < 41; ++ply) writer.AddMove(knights[ply % 4]);
  writer.AddMove(MoveOf(BK, "e8", "e8", MOVE_RESIGN));
  ASSERT_TRUE(writer.Finish());
  const std::string text = ReadAll(file);
  EXPECT_NE(text.find("[Round \"  21\" ]\n"), std::string::npos) << text;
  EXPECT_EQ(
      text.substr(text.find("\n\n") + 2),
      "  1.  Ng1f3  Ng8f6   2.  Nf3g1  Nf6g8   3.  Ng1f3  Ng8f6   4.  Nf3g1  Nf6g8   5.  "
      "Ng1f3  Ng8f6\n"
      "  6.  Nf3g1  Nf6g8   7.  Ng1f3  Ng8f6   8.  Nf3g1  Nf6g8   9.  Ng1f3  Ng8f6   10.  "
      "Nf3g1  Nf6g8   11.  Ng1f3\n"
      " Ng8f6   12.  Nf3g1  Nf6g8   13.  Ng1f3  Ng8f6   14.  Nf3g1  Nf6g8   15.  Ng1f3  "
      "Ng8f6   16.  Nf3g1  Nf6g8\n"
      "  17.  Ng1f3  Ng8f6   18.  Nf3g1  Nf6g8   19.  Ng1f3  Ng8f6   20.  Nf3g1  Nf6g8   21.  "
      "Ng1f3    1-0\n\n");
}

TEST(PGNWriterTest, ResultFollowsTheFinalRecordAndTheSideThatMadeIt) {
  const struct {
    int plies;  // the last one has the kind below; an odd count makes it White's
    int kind;
    const char* result;
  } cases[] = {{3, MOVE_CHECKMATE, "1-0"},
               {2, MOVE_CHECKMATE, "0-1"},
               {1, MOVE_RESIGN, "0-1"},
               {4, MOVE_RESIGN, "1-0"},
               {3, MOVE_STALEMATE, "1/2-1/2"},
               {2, MOVE_STALEMATE, "1/2-1/2"},
               {3, MOVE_CAPTURE | PROMOTE_QUEEN, "*"}};
  for (const auto& [plies, kind, result] : cases) {
    PGNWriter writer;
    for (int ply = 1; ply < plies; ++ply) writer.AddMove(MoveOf(WP, "a2", "a3"));
    writer.AddMove(MoveOf(WP, "b7", "a8", kind));
    EXPECT_EQ(writer.resultText, result) << plies << " plies, last of kind " << kind;
    EXPECT_EQ(writer.roundTag, plies / 2);
  }
}

TEST(PGNWriterTest, GamesAppendedToOneLogStartOnTheirOwnLines) {
  TemporaryDirectory directory;
  const auto file = directory.Write("games.pgn", "; earlier games\n");
  for (const char* event : {"First", "Second"}) {
    PGNWriter writer;
    writer.event = event;
    ASSERT_TRUE(writer.Open(file.string()));
    writer.AddMove(MoveOf(WP, "e2", "e4"));
    EXPECT_TRUE(writer.Finish());
  }
  const std::string text = ReadAll(file);
  EXPECT_EQ(text.find("; earlier games\n[Event \" First\" ]\n"), 0u) << text;
  EXPECT_NE(text.find("\n\n  1.  e2e4  *\n\n[Event \" Second\" ]\n"), std::string::npos) << text;
  EXPECT_TRUE(text.ends_with("[Result \" *\" ]\n\n  1.  e2e4  *\n\n")) << text;
}

TEST(PGNWriterTest, NothingIsWrittenWithoutAnOpenLog) {
  TemporaryDirectory directory;
  const auto file = directory.Path() / "missing" / "games.pgn";
  PGNWriter writer;
  EXPECT_FALSE(writer.Open(file.string()));
  EXPECT_EQ(writer.LogFileName(), "");
  writer.AddMove(MoveOf(WP, "e2", "e4"));
  EXPECT_FALSE(writer.WriteTags());
  EXPECT_FALSE(writer.WriteMoves());
  EXPECT_FALSE(writer.Finish());
  EXPECT_FALSE(std::filesystem::exists(file));
}

}  // namespace
