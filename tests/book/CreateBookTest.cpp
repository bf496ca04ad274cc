// The createbook command of the real program, and the default book that the build makes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "board/SquareText.h"
#include "book/OpeningBook.h"
#include "support/ChildProcess.h"
#include "support/ConsoleCapture.h"
#include "support/TestBoards.h"

namespace {

const std::string WELCOME =
    "            Welcome to Chess!\n    ~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~\n";
const std::string OLD_BOOK = std::string("an old book\0\x01", 13);

std::string Game(const char* result, const char* moves) {
  return std::string("[Event \"t\"]\n[Result \"") + result + "\"]\n\n" + moves + " " + result +
         "\n\n";
}

// The entries of a book file in file order: side, move, and the good and neutral counts.
std::string Entries(const std::string& image) {
  // Every field read here stays below 256.
  const auto field = [&](std::size_t at) { return static_cast<unsigned char>(image[at]); };
  std::string entries, side = "W";
  for (std::size_t at = 4; at < image.size(); ++at) {
    if (image[at] == '\x03') side = "B";
    if (image[at] != '\0') continue;
    entries += side + " " + SquareName(field(at + 41)) + SquareName(field(at + 17)) + " " +
               std::to_string(field(at + 1)) + "/" + std::to_string(field(at + 5)) + " ";
    at += 44;
  }
  return entries;
}

// createbook with the arguments (separated by blanks); standard output and standard error.
ProgramRun CreateBook(const TemporaryDirectory& directory, const std::string& arguments,
                      const std::string& input = "") {
  std::vector<std::string> words = {VELMORA_BINARY, "createbook"};
  std::istringstream in(arguments);
  for (std::string word; in >> word;) words.push_back(word);
  return RunProgram(directory, words, input, ChildProcess::Errors::WITH_OUTPUT);
}

// The temporary files a build left in the directory.
std::string Leftovers(const TemporaryDirectory& directory) {
  std::string names;
  for (const auto& file : std::filesystem::directory_iterator(directory.Path()))
    if (file.path().filename().string().find(".tmp-") != std::string::npos)
      names += file.path().filename().string() + " ";
  return names;
}

TEST(CreateBook, ReadsEverySourceAndCountsTheGames) {
  TemporaryDirectory directory;
  directory.Write("e4.pgn", Game("1-0", "1. e4 e5 2. Nf3 Nc6") +
                                Game("1/2-1/2", "1. e4 c5 2. Nf3 d6") +
                                Game("1-0", "1. e4 e6 2. d4 d5"));
  directory.Write("d4.pgn", Game("0-1", "1. d4 d5 2. c4 e6") + Game("*", "1. d4 Nf6 2. c4 g6"));
  ProgramRun run = CreateBook(directory, "book.bin 1 e4.pgn missing.pgn d4.pgn");
  EXPECT_EQ(run.status, 0);
  const std::string e4 = "Open source file ( e4.pgn ) for creation... \n>> Entries:       ";
  EXPECT_EQ(run.output, WELCOME + e4 +
                            "1\n>> Maxcollisions: 0\n>> Size ( kb ):     0\n\nMatches: 3\n"
                            "Open source file ( missing.pgn ) for creation... \n"
                            "Can't open source file ( missing.pgn ) for creation...!\nMatches: 3\n"
                            "Open source file ( d4.pgn ) for creation... \n>> Entries:       2\n"
                            ">> Maxcollisions: 1\n>> Size ( kb ):     0\n\nMatches: 5\n");
  // Depth 1: White's first moves only; 1. e4 from two wins and a draw, 1. d4 from an
  // unfinished game (the lost game leaves nothing).
  EXPECT_EQ(Entries(directory.Read("book.bin")), "W e2e4 2/1 W d2d4 0/1 ");
  // Depth 2: of Black's replies only the drawn game's counts, once. Standard input ("-") is a
  // source too.
  ASSERT_EQ(CreateBook(directory, "two.bin 2 -", directory.Read("e4.pgn")).status, 0);
  EXPECT_EQ(Entries(directory.Read("two.bin")), "W e2e4 2/1 B c7c5 0/1 ");
  run = CreateBook(directory, "empty.bin 0 e4.pgn");
  EXPECT_EQ(run.output,
            WELCOME + e4 + "0\n>> Maxcollisions: 0\n>> Size ( kb ):     0\n\nMatches: 3\n");
  EXPECT_EQ(directory.Read("empty.bin").size(), 2052u);
}

// Too few arguments, a build that reads no game, or one that fails, leaves an existing book as
// it was and no temporary file; a named FIFO, which would hold the build until some writer
// came, is refused like a missing file.
TEST(CreateBook, AFailedBuildKeepsTheOldBook) {
  TemporaryDirectory directory;
  directory.Write("keep.bin", OLD_BOOK);
  std::filesystem::create_directory(directory.Path() / "folder");
  ASSERT_EQ(mkfifo((directory.Path() / "fifo.pgn").c_str(), 0600), 0);
  directory.Write("empty.pgn", "");
  directory.Write("binary.pgn", std::string("\x7F\x45LF\x02\x01\x01\0\0\xFF\xFE{\x90", 13));
  directory.Write("bad.pgn", Game("1-0", "1. e4 e5 2. Ke3"));
  directory.Write("good.pgn", Game("1-0", "1. e4 e5"));
  const std::string none =
      "No game read from the source files: the book ( keep.bin ) is not written!\n";
  const std::string cannot = "Can't open source file ( ";
  const std::pair<const char*, std::string> cases[] = {
      {"keep.bin 16",
       WELCOME + "Not enough parameters for openingbookcreation !\nParameter 1: \"createbook\"\n"
                 "Parameter 2: <destination file>\nParameter 3: <max_depth>\n"
                 "Parameter 4..n: <source file>\n"},
      {"keep.bin 16 missing.pgn", cannot + "missing.pgn ) for creation...!\nMatches: 0\n" + none},
      {"keep.bin 16 folder", cannot + "folder ) for creation...!\nMatches: 0\n" + none},
      {"keep.bin 16 fifo.pgn", cannot + "fifo.pgn ) for creation...!\nMatches: 0\n" + none},
      {"keep.bin 16 empty.pgn",
       "Warning: no game found in source file ( empty.pgn )!\n>> Entries:       0\n"
       ">> Maxcollisions: 0\n>> Size ( kb ):     0\n\nMatches: 0\n" +
           none},
      {"keep.bin 16 binary.pgn missing.pgn",
       "Warning: no game found in source file ( binary.pgn )!\n"},
      // An unresolvable move ends the command before anything is written.
      {"keep.bin 4 bad.pgn",
       WELCOME + "Open source file ( bad.pgn ) for creation... \nERROR!!! PGN file is ill-formed!\n"
                 "Board::CoordToSquare() coords = \"\" must be exactly 4 or 5 characters long!\n"
                 "\n>> Fehler in PGNParser::getNextMove MatchNo: 1 MoveNo:3\n"},
      {"folder 16 good.pgn", "Can't write OpeningBook file folder (Is a directory)!\n"},
      {"nowhere/keep.bin 16 good.pgn",
       "Can't write OpeningBook file nowhere/keep.bin (No such file or directory)!\n"},
  };
  for (const auto& [arguments, message] : cases) {
    const ProgramRun run = CreateBook(directory, arguments);
    EXPECT_EQ(run.status, 1) << arguments;
    EXPECT_NE(run.output.find(message), std::string::npos) << run.output;
    EXPECT_EQ(directory.Read("keep.bin"), OLD_BOOK) << arguments;
    EXPECT_EQ(Leftovers(directory), "") << arguments;
  }
  // A source without a game is named, and the others make the book; it keeps the old permissions.
  std::filesystem::permissions(directory.Path() / "keep.bin", std::filesystem::perms(0604));
  const ProgramRun run = CreateBook(directory, "keep.bin 16 empty.pgn good.pgn");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.output.find("Warning: no game found in source file ( empty.pgn )!\n"),
            std::string::npos);
  EXPECT_EQ(Entries(directory.Read("keep.bin")), "W e2e4 1/0 ");
  EXPECT_EQ(std::filesystem::status(directory.Path() / "keep.bin").permissions(),
            std::filesystem::perms(0604));
  EXPECT_EQ(Leftovers(directory), "");
}

// Ctrl-C, SIGTERM or SIGHUP in the middle of a build end it, by the signal, and leave the old
// book as it was, without a temporary file. The source is standard input, which the test
// leaves open, so the program is surely still reading it when the signal comes.
TEST(CreateBook, AnInterruptedBuildKeepsTheOldBook) {
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    TemporaryDirectory directory;
    directory.Write("keep.bin", OLD_BOOK);
    ChildProcess build(directory.Path(), {VELMORA_BINARY, "createbook", "keep.bin", "16", "-"});
    build.Write(Game("1-0", "1. e4 e5") + "[Event \"t\"]\n\n1. d4 d5 2. c4 ");
    // The temporary file is made once the signals would remove it.
    for (int waited = 0; Leftovers(directory).empty() && waited < 60000; waited += 10)
      usleep(10000);
    ASSERT_NE(Leftovers(directory), "") << "the program never began its book";
    build.Signal(signal);
    EXPECT_EQ(build.Wait(false), -signal);
    EXPECT_EQ(directory.Read("keep.bin"), OLD_BOOK) << signal;
    EXPECT_EQ(Leftovers(directory), "") << signal;
  }
}

TEST(CreateBook, TheDefaultBookOpensTheGameWithSeveralMoves) {
  ConsoleCapture console;
  OpeningBook book;
  std::string error;
  ASSERT_TRUE(book.Load(VELMORA_DEFAULT_BOOK, error)) << error;
  EXPECT_GT(book.entryCount, 500);
  EXPECT_GT(book.Probe(Board()).candidates, 2);
}

// Real downloads: clock comments, variations, glyphs, line comments and set-up games; a
// directory as a source; positions right after castling. The book answers along the games as
// the console game asks it (castling paths removed after every move).
TEST(CreateBook, BooksFromRealCollections) {
  TemporaryDirectory directory;
  std::filesystem::create_directory(directory.Path() / "folder");
  directory.Write(
      "real.pgn",
      "[Event \"Live\"]\n[Result \"*\"]\n\n1. e4 { [%clk 0:05:00] } 1... e5 { [%clk 0:04:59] }\n"
      "2. Nf3 $1 (2. Bc4 Nf6) 2... Nc6 ; a line comment [\n3. Bc4 Bc5 4. O-O Nf6 5. d3 d6 6. c3 "
      "*\n\n"
      "[Event \"Study\"]\n[SetUp \"1\"]\n[FEN \"4k3/8/8/8/8/8/8/R3K3 w Q - 0 1\"]\n\n1. Kb1 *\n\n"
      "[Event \"Set\"]\n[FEN \"4k3/8/8/8/8/8/8/4K2R w K - 0 1\"]\n\n1. Kf2 *\n\n"
      "[Event \"Glued\"]\n[Result \"1/2-1/2\"]\n\n1.d4 1...d5 2. c4 dxc4 1/2-1/2\n");
  const ProgramRun run = CreateBook(directory, "book.bin 16 folder real.pgn");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, WELCOME +
                            "Open source file ( folder ) for creation... \n"
                            "Can't open source file ( folder ) for creation...!\nMatches: 0\n"
                            "Open source file ( real.pgn ) for creation... \n>> Entries:       15\n"
                            ">> Maxcollisions: 1\n>> Size ( kb ):     0\n\nMatches: 2\n"
                            "Skipped 2 games that start from a set-up position\n");
  ConsoleCapture console;
  OpeningBook book;
  std::string error;
  ASSERT_TRUE(book.Load((directory.Path() / "book.bin").string(), error)) << error;
  for (const std::vector<std::string>& moves :
       {std::vector<std::string>{"e2e4", "e7e5", "g1f3", "b8c6", "f1c4", "f8c5", "e1g1", "g8f6",
                                 "d2d3", "d7d6", "c2c3"},
        {"d2d4", "d7d5", "c2c4", "d5c4"}}) {
    Board board;
    for (const std::string& text : moves) {
      if (board.moveNumber > 1) {
        const std::optional<Move> answer = book.Probe(board).move;
        EXPECT_EQ(answer ? CoordinateText(*answer) : "-", text);
      }
      const Move move = GeneratedMove(board, text);
      board.MakeMove(&move);
      board.RemoveCastlePath(WHITE);
      board.RemoveCastlePath(BLACK);
    }
  }
}

}  // namespace
