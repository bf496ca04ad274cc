// The game log: the record of a game, the log's own dialect as the writer appends it (whole or
// not at all), and its export as standard PGN.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "board/Rules.h"
#include "book/GameRecord.h"
#include "book/PGNParser.h"
#include "book/PGNWriter.h"
#include "support/ChildProcess.h"
#include "support/TemporaryDirectory.h"
#include "support/TestBoards.h"

namespace {

// Moves played leave no castling path behind; take-backs restore the positions and the
// result; the record written has the moves and the result decided outside the board.
TEST(GameRecord, MovesTakeBacksAndTheRecordWritten) {
  GameRecord record;
  const Board start = FromFen("r3k3/8/8/8/8/8/8/4K2R w K - 0 1");
  record.Restart(start);
  record.Play(GeneratedMove(record.Position(), "e1g1"));
  EXPECT_EQ(record.Position().castlePath[WHITE], 0u);
  EXPECT_EQ(record.Position().bitboards[WK], MaskOf(At("g1")));
  const Board castled = record.Position();
  record.Play(GeneratedMove(record.Position(), "a8a1"));
  const std::vector<int> plies = {record.LastPlyAt(start), record.LastPlyAt(castled),
                                  record.LastPlyAt(record.Position())};
  EXPECT_EQ(plies, (std::vector<int>{0, 1, -1}));

  record.SetResult("0-1");
  PGNWriter writer;
  record.WriteInto(writer);
  const std::string text = writer.GameText(writer.resultText);
  EXPECT_NE(text.find("  1.  Ke1g1  Ra8a1  0-1\n"), std::string::npos) << text;

  EXPECT_FALSE(record.TakeBack(3));
  EXPECT_EQ(record.Plies(), 2);
  ASSERT_TRUE(record.TakeBack(1));
  EXPECT_TRUE(SamePosition(record.Position(), castled));
  EXPECT_EQ(record.Result(), "*");
  ASSERT_TRUE(record.TakeBack(1));
  EXPECT_TRUE(SamePosition(record.Position(), start));
  EXPECT_TRUE(record.Moves().empty());
}

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
          "  17.  Ng1f3  Ng8f6   18.  Nf3g1  Nf6g8   19.  Ng1f3  Ng8f6   20.  Nf3g1  Nf6g8   21. "
          " "
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

struct LoggedGame {
  const char* fen;  // empty: the initial position
  std::vector<const char*> moves;
  int takeBack = 0;  // plies taken back after the moves
  std::vector<const char*> thenMoves;
};

// Every move kind, a take-back, a set-up game, a resignation and a mate by promotion, logged
// by the program's own writer, come back move for move from the export, which any PGN reader
// (here the program's own) reads; createbook reads the log itself.
TEST(PgnExport, TheLogRoundTripsThroughStandardPgn) {
  const std::vector<LoggedGame> games = {
      {"", {"e2e4", "g8f6", "e4e5", "d7d5", "e5d6", "e7d6", "g1f3", "f8e7", "f1e2", "e8g8"}, 0, {}},
      {"",
       {"d2d4", "d7d5", "b1c3", "b8c6", "c1f4", "c8f5", "d1d2", "d8d7", "e1c1", "e8c8", "a2a3"},
       0,
       {}},
      {"8/P6k/8/8/8/8/6K1/8 w - - 0 40", {"a7a8n", "h7g6"}, 0, {}},
      {"", {"e2e4", "e7e5", "g1f3", "b8c6"}, 2, {"f1c4", "f8c5"}},
      {"k7/2P5/1K6/8/8/8/8/8 w - - 0 1", {"c7c8q"}, 0, {}},
  };
  TemporaryDirectory directory;
  const std::string log = (directory.Path() / "games.pgn").string();
  std::vector<std::vector<std::string>> expected;
  for (const LoggedGame& game : games) {
    GameRecord record;
    record.Restart(*game.fen ? FromFen(game.fen) : Board());
    std::vector<std::string> played;
    const auto play = [&](const char* text) {
      Move move;
      ASSERT_TRUE(FindCoordinateMove(record.Position(), text, move)) << text;
      // The computer's mating move is recorded as the end of the game.
      if (StandingOf([&] {
            Board after = record.Position();
            PlayMove(after, move);
            return after;
          }()) == Standing::CHECKMATE)
        move.flags = MOVE_CHECKMATE | move.Promotion();
      record.Play(move);
      played.push_back(text);
    };
    for (const char* text : game.moves) play(text);
    record.TakeBack(game.takeBack);
    played.resize(played.size() - static_cast<std::size_t>(game.takeBack));
    for (const char* text : game.thenMoves) play(text);
    Move resign;
    resign.piece = WK + record.Position().sideToMove;
    resign.flags = MOVE_RESIGN;
    if (StandingOf(record.Position()) == Standing::PLAY_ON) record.Play(resign);
    PGNWriter writer;
    ASSERT_TRUE(writer.Open(log));
    record.WriteInto(writer);
    ASSERT_TRUE(writer.Finish());
    expected.push_back(played);
  }

  const ProgramRun run = RunProgram(directory, {VELMORA_BINARY, "pgn", "games.pgn"});
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("[White \"White Player\"]\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("5. Be2 O-O 0-1\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("5. O-O-O O-O-O 6. a3 1-0\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("[SetUp \"1\"]\n[FEN \"8/P6k/8/8/8/8/6K1/8 w - - 0 40\"]\n\n40. a8=N"),
            std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("1. c8=Q# 1-0\n"), std::string::npos) << run.output;
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
  EXPECT_NE(run.output.find("velmora pgn: mixed.pgn, game 1, ply 3 cannot be read: "),
            std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("[Event \"b\"]"), std::string::npos);
  EXPECT_NE(run.output.find("1. d4 d5 *\n"), std::string::npos);
  EXPECT_NE(run.output.find("velmora pgn: mixed.pgn, game 3: bad FEN: "), std::string::npos);
  EXPECT_NE(run.output.find("velmora pgn: can't open missing.pgn"), std::string::npos);
}

}  // namespace
