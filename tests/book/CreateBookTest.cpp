// The createbook command of the real program, and the default book that the build makes.
#include <gtest/gtest.h>

#include <fstream>

#include "book/OpeningBook.h"
#include "search/NegaScout.h"
#include "support/ConsoleCapture.h"
#include "support/RunProgram.h"

namespace {

std::string Game(const char* result, const char* moves) {
  return std::string("[Event \"t\"]\n[Result \"") + result + "\"]\n\n" + moves + " " + result + "\n\n";
}

ProgramRun CreateBook(const TemporaryDirectory& directory, const std::string& arguments) {
  return RunIn(directory.Path(), std::string("'") + VELMORA_BINARY + "' createbook " + arguments, "", true);
}

TEST(CreateBook, UsageAndFailuresAreReportedAsFailures) {
  TemporaryDirectory directory;
  ProgramRun run = CreateBook(directory, "book.bin 4");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find("Not enough parameters for openingbookcreation !\nParameter 1: \"createbook\"\n"
                            "Parameter 2: <destination file>\nParameter 3: <max_depth>\n"
                            "Parameter 4..n: <source file>\n"),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(directory.Path() / "book.bin"));

  // An unresolvable move ends the command before anything is written.
  directory.Write("bad.pgn", Game("1-0", "1. e4 e5 2. Ke3"));
  run = CreateBook(directory, "book.bin 4 bad.pgn");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find(">> Fehler in PGNParser::getNextMove MatchNo: 1 MoveNo:3\n"), std::string::npos) << run.output;
  EXPECT_FALSE(std::filesystem::exists(directory.Path() / "book.bin"));
}

TEST(CreateBook, ReadsEverySourceAndCountsTheGames) {
  TemporaryDirectory directory;
  directory.Write("e4.pgn", Game("1-0", "1. e4 e5 2. Nf3 Nc6") + Game("1/2-1/2", "1. e4 c5 2. Nf3 d6") +
                                Game("1-0", "1. e4 e6 2. d4 d5"));
  directory.Write("d4.pgn", Game("0-1", "1. d4 d5 2. c4 e6") + Game("*", "1. d4 Nf6 2. c4 g6"));
  ProgramRun run = CreateBook(directory, "book.bin 1 e4.pgn missing.pgn d4.pgn");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.output.find("Open source file ( e4.pgn ) for creation... \n>> Entries:       1\n"
                            ">> Maxcollisions: 0\n>> Size ( kb ):     0\n\nMatches: 3\n"),
            std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("Can't open source file ( missing.pgn ) for creation...!\nMatches: 3\n"), std::string::npos);
  EXPECT_NE(run.output.find("Matches: 5\n"), std::string::npos);

  // Depth 1: White's first moves only; 1. e4 from two wins and a draw, 1. d4 from a draw
  // (the lost game leaves nothing).
  std::ifstream file(directory.Path() / "book.bin", std::ios::binary);
  const std::string image{std::istreambuf_iterator<char>(file), {}};
  EXPECT_EQ(image.size(), 2052u + 2 * 45);
  ConsoleCapture console;
  OpeningBook book((directory.Path() / "book.bin").string());
  EXPECT_EQ(book.entryCount, 2);

  run = CreateBook(directory, "empty.bin 0 e4.pgn");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.output.find(">> Entries:       0\n"), std::string::npos);
  EXPECT_EQ(std::filesystem::file_size(directory.Path() / "empty.bin"), 2052u);
}

TEST(CreateBook, TheDefaultBookOpensTheGame) {
  ConsoleCapture console;
  OpeningBook book(VELMORA_DEFAULT_BOOK);
  EXPECT_GT(book.entryCount, 500);
  NegaScout engine(&book);
  Move move;
  engine.Think(Board(), &move);
  EXPECT_TRUE(BookProbeInfo.lastProbeHit);
  EXPECT_GT(BookProbeInfo.lastProbeCandidates, 2);  // several first moves to choose from
  EXPECT_EQ(console.Take().find("Iteration"), std::string::npos);  // no search at all
}

}  // namespace
