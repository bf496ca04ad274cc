// The createbook command of the real program, and the default book that the build makes.
#include <gtest/gtest.h>

#include "book/OpeningBook.h"
#include "support/ConsoleCapture.h"
#include "support/RunProgram.h"

namespace {

const std::string WELCOME = "            Welcome to Chess!\n    ~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~\n";

std::string Game(const char* result, const char* moves) {
  return std::string("[Event \"t\"]\n[Result \"") + result + "\"]\n\n" + moves + " " + result + "\n\n";
}

ProgramRun CreateBook(const TemporaryDirectory& directory, const std::string& arguments) {
  return RunIn(directory, VELMORA_BINARY, "createbook " + arguments, "", true);
}

TEST(CreateBook, UsageAndFailuresAreReportedAsFailures) {
  TemporaryDirectory directory;
  ProgramRun run = CreateBook(directory, "book.bin 4");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, WELCOME + "Not enough parameters for openingbookcreation !\nParameter 1: \"createbook\"\n"
                                  "Parameter 2: <destination file>\nParameter 3: <max_depth>\n"
                                  "Parameter 4..n: <source file>\n");
  // An unresolvable move ends the command before anything is written.
  directory.Write("bad.pgn", Game("1-0", "1. e4 e5 2. Ke3"));
  run = CreateBook(directory, "book.bin 4 bad.pgn");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, WELCOME + "Open source file ( bad.pgn ) for creation... \nERROR!!! PGN file is ill-formed!\n"
                                  "Board::CoordToSquare() coords = \"\" must be exactly 4 or 5 characters long!\n"
                                  "\n>> Fehler in PGNParser::getNextMove MatchNo: 1 MoveNo:3\n");
  EXPECT_FALSE(std::filesystem::exists(directory.Path() / "book.bin"));
}

TEST(CreateBook, ReadsEverySourceAndCountsTheGames) {
  TemporaryDirectory directory;
  directory.Write("e4.pgn", Game("1-0", "1. e4 e5 2. Nf3 Nc6") + Game("1/2-1/2", "1. e4 c5 2. Nf3 d6") +
                                Game("1-0", "1. e4 e6 2. d4 d5"));
  directory.Write("d4.pgn", Game("0-1", "1. d4 d5 2. c4 e6") + Game("*", "1. d4 Nf6 2. c4 g6"));
  ProgramRun run = CreateBook(directory, "book.bin 1 e4.pgn missing.pgn d4.pgn");
  EXPECT_EQ(run.status, 0);
  const std::string e4 = "Open source file ( e4.pgn ) for creation... \n>> Entries:       ";
  EXPECT_EQ(run.output, WELCOME + e4 + "1\n>> Maxcollisions: 0\n>> Size ( kb ):     0\n\nMatches: 3\n"
                        "Open source file ( missing.pgn ) for creation... \n"
                        "Can't open source file ( missing.pgn ) for creation...!\nMatches: 3\n"
                        "Open source file ( d4.pgn ) for creation... \n>> Entries:       2\n"
                        ">> Maxcollisions: 1\n>> Size ( kb ):     0\n\nMatches: 5\n");
  // Depth 1: White's first moves only; 1. e4 from two wins and a draw, 1. d4 from a draw
  // (the lost game leaves nothing).
  EXPECT_EQ(directory.Read("book.bin").size(), 2052u + 2 * 45);

  run = CreateBook(directory, "empty.bin 0 e4.pgn");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, WELCOME + e4 + "0\n>> Maxcollisions: 0\n>> Size ( kb ):     0\n\nMatches: 3\n");
  EXPECT_EQ(directory.Read("empty.bin").size(), 2052u);
}

TEST(CreateBook, TheDefaultBookOpensTheGameWithSeveralMoves) {
  ConsoleCapture console;
  OpeningBook book(VELMORA_DEFAULT_BOOK);
  EXPECT_GT(book.entryCount, 500);
  EXPECT_NE(book.Probe(Board()), nullptr);
  EXPECT_GT(BookProbeInfo.lastProbeCandidates, 2);
}

}  // namespace
