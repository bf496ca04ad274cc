// Books in the polyglot format: the key of a position, the moves of a file, books written by
// `createbook --polyglot` and by polyglot itself, and such a book in the games.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "board/Fen.h"
#include "board/Rules.h"
#include "board/San.h"
#include "book/OpeningBook.h"
#include "book/PolyglotBook.h"
#include "support/ChildProcess.h"
#include "support/ConsoleCapture.h"
#include "support/ReadBook.h"
#include "support/TemporaryDirectory.h"
#include "support/TestBoards.h"

namespace {

const std::string SAMPLE_DIR = VELMORA_TEST_DATA "/book/data/";

std::string ReadFile(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A polyglot entry as a file holds it: everything most significant byte first.
std::string Entry(std::uint64_t key, std::uint16_t move, std::uint16_t weight) {
  std::string bytes;
  for (int i = 7; i >= 0; --i) bytes += static_cast<char>(key >> (8 * i));
  bytes += static_cast<char>(move >> 8);
  bytes += static_cast<char>(move);
  bytes += static_cast<char>(weight >> 8);
  bytes += static_cast<char>(weight);
  return bytes + std::string(4, '\0');
}

// A polyglot move from its coordinates ("e1h1", "a7a8" with a promotion 1..4).
std::uint16_t Coded(const char* text, int promotion = 0) {
  const auto square = [](const char* s) { return (s[1] - '1') * 8 + (s[0] - 'a'); };
  return static_cast<std::uint16_t>(square(text + 2) | square(text) << 6 | promotion << 12);
}

// "e2e4:3 d2d4:1": the candidates as coordinates and weights, sorted.
std::string Listed(std::vector<BookCandidate> candidates) {
  std::vector<std::string> texts;
  for (const BookCandidate& candidate : candidates)
    texts.push_back(CoordinateText(candidate.move) + ":" + std::to_string(candidate.weight));
  std::sort(texts.begin(), texts.end());
  std::string listed;
  for (const std::string& text : texts) listed += (listed.empty() ? "" : " ") + text;
  return listed;
}

// The published keys of the format, with and without an en passant capture at hand, after
// the king's moves that lose the castling rights, and after an en passant capture.
TEST(PolyglotBook, KeysOfThePublishedPositions) {
  const std::pair<const char*, std::uint64_t> published[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 0x463b96181691fc9c},
      {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", 0x823c9b50fd114196},
      {"rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 2", 0x0756b94461c50fb0},
      {"rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 2", 0x662fafb965db29d4},
      {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", 0x22a48b5a8e47ff78},
      {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPPKPPP/RNBQ1BNR b kq - 0 3", 0x652a607ca3f242c1},
      {"rnbq1bnr/ppp1pkpp/8/3pPp2/8/8/PPPPKPPP/RNBQ1BNR w - - 0 4", 0x00fdd303c946bdd9},
      {"rnbqkbnr/p1pppppp/8/8/PpP4P/8/1P1PPPP1/RNBQKBNR b KQkq c3 0 3", 0x3c8123ea7b067637},
      {"rnbqkbnr/p1pppppp/8/8/P6P/R1p5/1P1PPPP1/1NBQKBNR b Kkq - 0 4", 0x5c3f9b829b279560},
  };
  for (const auto& [fen, key] : published) EXPECT_EQ(PolyglotKey(FromFen(fen)), key) << fen;

  // Played rather than set up: the same keys, a castled king's crossed squares left out.
  Board board;
  Play(board, {"e2e4", "d7d5", "e4e5", "f7f5"});
  EXPECT_EQ(PolyglotKey(board), 0x22a48b5a8e47ff78u);
  Board castled;
  Play(castled, {"e2e4", "e7e5", "g1f3", "b8c6", "f1c4", "f8c5", "e1g1"});
  EXPECT_EQ(
      PolyglotKey(castled),
      PolyglotKey(FromFen("r1bqk1nr/pppp1ppp/2n5/2b1p3/2B1P3/5N2/PPPP1PPP/RNBQ1RK1 b kq - 1 4")));
}

// Entries of a hand-made file: castling as the king taking its rook (and as its two steps, as
// some books write it), promotions, a move of weight 0, moves that are not legal there and the
// null move are what a reader meets; only legal moves of some weight are candidates.
TEST(PolyglotBook, EntriesBecomeTheLegalMovesTheyName) {
  TemporaryDirectory directory;
  ConsoleCapture console;
  const Board castling = FromFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  const Board promotion = FromFen("4k3/P7/8/8/8/8/8/4K3 w - - 0 1");
  std::vector<std::pair<std::uint64_t, std::string>> entries = {
      {PolyglotKey(castling), Entry(PolyglotKey(castling), Coded("e1h1"), 5)},
      {PolyglotKey(castling), Entry(PolyglotKey(castling), Coded("e1c1"), 4)},  // e1a1 below
      {PolyglotKey(castling), Entry(PolyglotKey(castling), Coded("e1g1"), 3)},  // e1h1 again
      {PolyglotKey(castling), Entry(PolyglotKey(castling), Coded("a1a8"), 0)},
      {PolyglotKey(castling), Entry(PolyglotKey(castling), Coded("e1e3"), 9)},
      {PolyglotKey(castling), Entry(PolyglotKey(castling), 0, 9)},
      {PolyglotKey(promotion), Entry(PolyglotKey(promotion), Coded("a7a8", 1), 2)},
      {PolyglotKey(promotion), Entry(PolyglotKey(promotion), Coded("a7a8", 4), 7)},
      {PolyglotKey(promotion), Entry(PolyglotKey(promotion), Coded("a7b8", 4), 7)},
  };
  std::stable_sort(entries.begin(), entries.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::string image;
  for (const auto& [key, bytes] : entries) image += bytes;
  const auto book = ReadOpeningBook(directory.Write("book.bin", image).string());
  EXPECT_EQ(console.Take(), "OpeningsBook =             9 entries\n");
  EXPECT_EQ(Listed(book->Candidates(castling)), "e1c1:4 e1g1:5");
  EXPECT_EQ(Listed(book->Candidates(promotion)), "a7a8n:2 a7a8q:7");
  EXPECT_EQ(Listed(book->Candidates(Board())), "");
  for (int i = 0; i < 20; ++i) {
    const BookChoice choice = book->Probe(castling);
    ASSERT_TRUE(choice.move);
    EXPECT_EQ(choice.move->Kind() & (MOVE_CASTLE_SHORT | MOVE_CASTLE_LONG), choice.move->Kind());
    EXPECT_EQ(choice.candidates, 2);
  }
  // The encoding of the program's own moves, castling and promotion included.
  EXPECT_EQ(PolyglotMove(GeneratedMove(castling, "e1g1")), Coded("e1h1"));
  EXPECT_EQ(PolyglotMove(GeneratedMove(castling, "e1c1")), Coded("e1a1"));
  EXPECT_EQ(PolyglotMove(GeneratedMove(promotion, "a7a8r")), Coded("a7a8", 3));
  EXPECT_EQ(PolyglotMove(GeneratedMove(FromFen("r3k3/8/8/8/8/8/8/4K3 b q - 0 1"), "e8c8")),
            Coded("e8a8"));
}

// A file that is neither kind of book is refused with the message of a foreign file, and a
// book read before stays as it was.
TEST(PolyglotBook, FilesOfNeitherKindAreRefused) {
  TemporaryDirectory directory;
  ConsoleCapture console;
  OpeningBook book;
  std::string error;
  ASSERT_TRUE(book.Load(SAMPLE_DIR + "polyglot-sample.bin", error)) << error;
  const std::string sample = ReadFile(SAMPLE_DIR + "polyglot-sample.bin");
  std::string unsorted = sample.substr(16, 16) + sample.substr(0, 16);
  const std::string foreign[] = {sample.substr(0, sample.size() - 3), unsorted,
                                 std::string(15, 'x') + '\n'};
  for (const std::string& content : foreign) {
    error.clear();
    EXPECT_FALSE(book.Load(directory.Write("bad.bin", content).string(), error));
    EXPECT_EQ(error, "TABLE_SIZE of file is not correct");
  }
  EXPECT_EQ(book.entryCount, 38);
  EXPECT_EQ(Listed(book.Candidates(Board())), "a2a4:1 e2e4:7");
}

// A book written by polyglot itself is read and probed; createbook --polyglot writes the same
// bytes from the same games, and its book offers in every position of those games the moves
// and weights of the program's own book built from them: none where only a lost game went.
TEST(PolyglotBook, CreatebookWritesWhatPolyglotWritesAndAnswersAsTheOwnBook) {
  TemporaryDirectory directory;
  const std::string pgn = SAMPLE_DIR + "polyglot-sample.pgn";
  const ProgramRun polyglot =
      RunProgram(directory, {VELMORA_BINARY, "createbook", "--polyglot", "pg.bin", "16", pgn}, "",
                 ChildProcess::Errors::WITH_OUTPUT);
  EXPECT_EQ(polyglot.status, 0) << polyglot.output;
  EXPECT_NE(polyglot.output.find(">> Entries:       38\n>> Size ( kb ):     0\n"),
            std::string::npos)
      << polyglot.output;
  EXPECT_EQ(ReadFile((directory.Path() / "pg.bin").string()),
            ReadFile(SAMPLE_DIR + "polyglot-sample.bin"));
  ASSERT_EQ(RunProgram(directory, {VELMORA_BINARY, "createbook", "own.bin", "16", pgn}).status, 0);

  ConsoleCapture console;
  const auto own = ReadOpeningBook((directory.Path() / "own.bin").string());
  const auto written = ReadOpeningBook((directory.Path() / "pg.bin").string());
  EXPECT_EQ(console.Take(),
            "OpeningsBook =            38 entries\nOpeningsBook =            38 entries\n");
  EXPECT_EQ(Listed(written->Candidates(Board())), "a2a4:1 e2e4:7");
  std::ifstream games(pgn);
  int positions = 0;
  for (std::string line; std::getline(games, line);) {
    if (line.empty() || line[0] == '[') continue;
    Board board;
    std::istringstream words(line);
    for (std::string word; words >> word;) {
      if (word.find('.') != std::string::npos) continue;
      Move move;
      std::vector<Move> candidates;
      if (ReadSan(board, word, move, candidates) != SanReading::MOVE) break;  // the result
      EXPECT_EQ(Listed(written->Candidates(board)), Listed(own->Candidates(board))) << word;
      positions += !written->Candidates(board).empty();
      PlayMove(board, move);
    }
  }
  EXPECT_GT(positions, 40);  // of 64: the comparison is not one of empty lists
}

// The console game and the engines take a polyglot book for their own: the game opens with
// one of its moves, and a UCI front end names it in BookFile.
TEST(PolyglotBook, TheGameAndTheEnginesPlayFromAPolyglotBook) {
  TemporaryDirectory directory;
  std::filesystem::copy_file(SAMPLE_DIR + "polyglot-sample.bin",
                             directory.Path() / "openingbook.bin");
  const ProgramRun console = RunProgram(directory, {VELMORA_BINARY, "black"}, "quit\n");
  EXPECT_NE(console.output.find("OpeningsBook =            38 entries\n"), std::string::npos);
  const bool bookMove = console.output.find("WP - e2e4") != std::string::npos ||
                        console.output.find("WP - d2d4") != std::string::npos ||
                        console.output.find("WP - a2a4") != std::string::npos;
  EXPECT_TRUE(bookMove) << console.output;

  std::filesystem::rename(directory.Path() / "openingbook.bin", directory.Path() / "sample.bin");
  const ProgramRun uci =
      RunProgram(directory, {VELMORA_BINARY, "uci"},
                 "uci\nsetoption name BookFile value sample.bin\n"
                 "position startpos moves e2e4 e7e5\ngo wtime 1000 btime 1000\n");
  EXPECT_NE(uci.output.find("info string book move g1f3 (1/1)\nbestmove g1f3"), std::string::npos)
      << uci.output;
}

}  // namespace
