// The game log: the record of a game, the log's own dialect as the writer appends it (whole or
// not at all), and its export as standard PGN.
#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "book/GameRecord.h"
#include "book/PGNParser.h"
#include "book/PGNWriter.h"
#include "support/ChildProcess.h"
#include "support/TestBoards.h"

namespace {

// Moves played leave no castling path behind; take-backs restore the positions, the result and
// the plies at which a position last stood.
TEST(GameRecord, MovesAndTakeBacks) {
  GameRecord record;
  const Board start = FromFen("r3k3/8/8/8/8/8/8/4K2R w K - 0 1");
  record.Restart(start);
  record.Play(GeneratedMove(record.Position(), "e1g1"));
  EXPECT_EQ(record.Position().bitboards[WK], MaskOf(At("g1")));
  const Board castled = record.Position();
  record.Play(GeneratedMove(record.Position(), "a8a1"));
  record.SetResult("0-1");
  EXPECT_EQ(std::tuple(record.LastPlyAt(start), record.LastPlyAt(castled),
                       record.LastPlyAt(record.Position())),
            std::tuple(0, 1, -1));
  EXPECT_FALSE(record.TakeBack(3));
  ASSERT_TRUE(record.TakeBack(1));
  EXPECT_TRUE(SamePosition(record.Position(), castled));
  EXPECT_EQ(record.Result(), "*");
  ASSERT_TRUE(record.TakeBack(1));
  EXPECT_TRUE(SamePosition(record.Position(), start));
}

Move MoveOf(int piece, const char* from, const char* to, int flags = MOVE_NORMAL) {
  return Move{piece, NO_PIECE, At(from), At(to), flags};
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
  EXPECT_EQ(directory.Read("games.pgn"), "");  // nothing is written before the game ends
  EXPECT_TRUE(writer.Finish());
  const std::string first =
      "[Event \" Casual Game\" ]\n[Site \" \" ]\n[Date \" 2010.03.07\" ]\n"
      "[Round \"  3\" ]\n[White \" Whity\" ]\n[Black \" Blacky\" ]\n[Result \" 1-0\" ]\n\n"
      "  1.  e2e4  e7e5   2.  Qd1h5  Nb8c6   3.  Bf1c4  Ng8f6   4.  Qh5f7  1-0\n\n";
  EXPECT_EQ(directory.Read("games.pgn"), first);
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
      directory.Read("games.pgn"),
      first +
          "[Event \" Casual Game\" ]\n[Site \" \" ]\n[Date \" 987.01.02\" ]\n[Round \"  21\" ]\n"
          "[White \" White Player\" ]\n[Black \" Black Player\" ]\n[Result \" 1-0\" ]\n\n"
          "  1.  Ng1f3  Ng8f6   2.  Nf3g1  Nf6g8   3.  Ng1f3  Ng8f6   4.  Nf3g1  Nf6g8   5.  "
          "Ng1f3  Ng8f6\n"
          "  6.  Nf3g1  Nf6g8   7.  Ng1f3  Ng8f6   8.  Nf3g1  Nf6g8   9.  Ng1f3  Ng8f6   10.  "
          "Nf3g1  Nf6g8   11.  Ng1f3\n"
          " Ng8f6   12.  Nf3g1  Nf6g8   13.  Ng1f3  Ng8f6   14.  Nf3g1  Nf6g8   15.  Ng1f3  "
          "Ng8f6   16.  Nf3g1  Nf6g8\n"
          "  17.  Ng1f3  Ng8f6   18.  Nf3g1  Nf6g8   19.  Ng1f3  Ng8f6   20.  Nf3g1  Nf6g8   21. "
          " "
          "Ng1f3    1-0\n\n");

  PGNWriter none;
  EXPECT_FALSE(none.Open((directory.Path() / "missing" / "games.pgn").string()));
  EXPECT_EQ(none.LogFileName(), "");
}

// Every move kind, a take-back, a set-up game, a resignation and a mate by promotion, logged
// by the program's own writer, come back move for move from the export, which any PGN reader
// (here the program's own) reads; createbook reads the log itself.
TEST(PgnExport, TheLogRoundTripsThroughStandardPgn) {
  // A game as played: coordinate moves, "-" a ply taken back; a game that goes on is resigned.
  const std::pair<const char*, const char*> games[] = {
      {"", "e2e4 g8f6 e4e5 d7d5 e5d6 e7d6 g1f3 f8e7 f1e2 e8g8"},
      {"", "d2d4 d7d5 b1c3 b8c6 c1f4 c8f5 d1d2 d8d7 e1c1 e8c8 a2a3"},
      {"8/P6k/8/8/8/8/6K1/8 w - - 0 40", "a7a8n h7g6"},
      {"", "e2e4 e7e5 g1f3 b8c6 - - f1c4 f8c5"},
      {"k7/2P5/1K6/8/8/8/8/8 w - - 0 1", "c7c8q"}};
  TemporaryDirectory directory;
  std::vector<std::vector<std::string>> expected;
  for (const auto& [fen, moves] : games) {
    GameRecord record;
    record.Restart(*fen ? FromFen(fen) : Board());
    std::vector<std::string> played;
    std::istringstream words(moves);
    for (std::string text; words >> text;) {
      if (text == "-") {
        record.TakeBack(1);
        played.pop_back();
        continue;
      }
      Move move;
      ASSERT_TRUE(FindCoordinateMove(record.Position(), text, move)) << text;
      Board after = record.Position();
      PlayMove(after, move);
      // The computer's mating move is recorded as the end of the game.
      if (StandingOf(after) == Standing::CHECKMATE) move.flags = MOVE_CHECKMATE | move.Promotion();
      record.Play(move);
      played.push_back(text);
    }
    Move resign;
    resign.piece = WK + record.Position().sideToMove;
    resign.flags = MOVE_RESIGN;
    if (StandingOf(record.Position()) == Standing::PLAY_ON) record.Play(resign);
    PGNWriter writer;
    ASSERT_TRUE(writer.Open((directory.Path() / "games.pgn").string()));
    record.WriteInto(writer);
    ASSERT_TRUE(writer.Finish());
    expected.push_back(played);
  }

  const ProgramRun run = RunProgram(directory, {VELMORA_BINARY, "pgn", "games.pgn"});
  ASSERT_EQ(run.status, 0) << run.output;
  for (const char* text :
       {"[White \"White Player\"]\n", "5. Be2 O-O 0-1\n", "5. O-O-O O-O-O 6. a3 1-0\n",
        "1. c8=Q# 1-0\n", "[SetUp \"1\"]\n[FEN \"8/P6k/8/8/8/8/6K1/8 w - - 0 40\"]\n\n40. a8=N"})
    EXPECT_NE(run.output.find(text), std::string::npos) << text << "\n" << run.output;
  std::istringstream exported(run.output);
  PGNParser reader(exported);
  for (const std::vector<std::string>& moves : expected) {
    ASSERT_TRUE(reader.getNextMatch());
    std::vector<std::string> read;
    const Move* move = nullptr;
    int outcome = 0;
    while (reader.getNextMove(move, outcome)) read.push_back(CoordinateText(*move));
    EXPECT_FALSE(reader.Failed()) << reader.Error();
    EXPECT_EQ(read, moves);
  }

  const ProgramRun book =
      RunProgram(directory, {VELMORA_BINARY, "createbook", "book.bin", "16", "games.pgn"});
  EXPECT_EQ(book.status, 0) << book.output;
  EXPECT_NE(book.output.find("Matches: 3\nSkipped 2 games"), std::string::npos) << book.output;
}

// A game that cannot be read is named with the reason and left out; the others are written.
TEST(PgnExport, AnUnreadableGameIsNamedAndTheOthersWritten) {
  TemporaryDirectory directory;
  directory.Write("mixed.pgn",
                  "[Event \"a\"]\n1. e4 e5 2. Ke3 *\n\n[Event \"b\"]\n1. d4 d5 *\n\n"
                  "[Event \"c\"]\n[FEN \"8/8/8/8 w - - 0 1\"]\n1. Kb2 *\n");
  const ProgramRun run = RunProgram(directory, {VELMORA_BINARY, "pgn", "mixed.pgn", "missing.pgn"},
                                    "", ChildProcess::Errors::WITH_OUTPUT);
  EXPECT_EQ(run.status, 1);
  for (const char* text :
       {"velmora pgn: mixed.pgn, game 1, ply 3 cannot be read: ", "[Event \"b\"]", "1. d4 d5 *\n",
        "velmora pgn: mixed.pgn, game 3: bad FEN: ", "velmora pgn: can't open missing.pgn"})
    EXPECT_NE(run.output.find(text), std::string::npos) << text << "\n" << run.output;
}

}  // namespace
