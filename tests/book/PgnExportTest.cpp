#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "board/Rules.h"
#include "book/GameRecord.h"
#include "book/PGNParser.h"
#include "support/RunProgram.h"
#include "support/TemporaryDirectory.h"
#include "support/TestBoards.h"

namespace {

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

  const ProgramRun run = RunIn(directory, VELMORA_BINARY, "pgn games.pgn", "");
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

  const ProgramRun book = RunIn(directory, VELMORA_BINARY, "createbook book.bin 16 games.pgn", "");
  EXPECT_EQ(book.status, 0) << book.output;
  EXPECT_NE(book.output.find("Matches: 3\nSkipped 2 games"), std::string::npos) << book.output;
}

// A game that cannot be read is named with the reason and left out; the others are written.
TEST(PgnExport, AnUnreadableGameIsNamedAndTheOthersWritten) {
  TemporaryDirectory directory;
  directory.Write("mixed.pgn",
                  "[Event \"a\"]\n1. e4 e5 2. Ke3 *\n\n[Event \"b\"]\n1. d4 d5 *\n\n"
                  "[Event \"c\"]\n[FEN \"8/8/8/8 w - - 0 1\"]\n1. Kb2 *\n");
  const ProgramRun run = RunIn(directory, VELMORA_BINARY, "pgn mixed.pgn missing.pgn", "", true);
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
