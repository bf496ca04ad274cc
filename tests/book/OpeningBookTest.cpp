#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <tuple>

#include "book/OpeningBook.h"
#include "book/Outcome.h"
#include "support/ConsoleCapture.h"
#include "support/ReadBook.h"
#include "support/TemporaryDirectory.h"
#include "support/TestBoards.h"

namespace {

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Enters `move` ("e2e4") of the position as one observation.
void Enter(OpeningBook& book, const Board& board, const char* text, int outcome) {
  const Move move = GeneratedMove(board, text);
  book.AddMove(move, board.HashKey(), board.HashLock(), outcome, board.sideToMove);
}

std::tuple<bool, int, int> Summary(const BookChoice& probe) {
  return {probe.move != nullptr, probe.choice, probe.candidates};
}

TEST(OpeningBook, OutcomesAreCountedPerMoveAndLostGamesLeaveNoTrace) {
  // The bucket of a negative key keeps its sign: -1 goes to 1, not to 1023.
  EXPECT_EQ(OpeningBook::BucketIndex(-1), 1);
  EXPECT_EQ(OpeningBook::BucketIndex(1025), 1);
  EXPECT_EQ(OpeningBook::BucketIndex(-2147483648LL), 0);

  OpeningBook book;
  const Board start;
  // Counts of entries from whole games are checked in CreateBookTest.
  EXPECT_EQ(book.Probe(start).move, nullptr);
  Enter(book, start, "e2e4", OUTCOME_GOOD);
  Enter(book, start, "e2e4", OUTCOME_NEUTRAL);
  EXPECT_EQ(Summary(book.Probe(start)), std::tuple(true, 1, 1));
  // The same placement with the other side to move is another position.
  Board black = start;
  black.sideToMove = BLACK;
  EXPECT_EQ(Summary(book.Probe(black)), std::tuple(false, 0, 0));

  // A won game weighs twice as much as a draw.
  Enter(book, start, "d2d4", OUTCOME_NEUTRAL);
  Enter(book, start, "d2d4", OUTCOME_NEUTRAL);
  std::srand(12345);
  int e4 = 0;
  for (int i = 0; i < 3000; ++i) e4 += book.Probe(start).move->from == At("e2");
  EXPECT_NEAR(e4 / 3000.0, 3.0 / 5.0, 0.04);
  EXPECT_EQ(book.Probe(start).candidates, 2);
}

TEST(OpeningBook, SavedBooksLoadAgainAndDamagedFilesLeaveTheBookEmpty) {
  TemporaryDirectory directory;
  ConsoleCapture console;
  const std::string file = (directory.Path() / "book.bin").string();
  std::string error;
  ASSERT_TRUE(OpeningBook().Save(file, error));
  std::string empty("\x00\x04\x00\x00", 4);
  empty += std::string(1023, '\x02') + '\x03' + std::string(1023, '\x02') + '\x01';
  EXPECT_EQ(ReadFile(file), empty);
  EXPECT_EQ(ReadOpeningBook(file)->entryCount, 0);
  EXPECT_EQ(console.Take(), "OpeningsBook =             0 entries\n");

  // Positions of both signs of key and both sides to move answer as before.
  const auto moves = {"e2e4", "e7e5", "g1f3", "b8c6", "f1b5", "a7a6", "b5a4", "g8f6"};
  OpeningBook book;
  Board board;
  int negative = 0;
  for (const char* move : moves) {
    Enter(book, board, move, OUTCOME_NEUTRAL);
    negative += board.HashKey() < 0;
    Play(board, {move});
  }
  EXPECT_GT(negative, 0);
  ASSERT_TRUE(book.Save(file, error));
  std::string image = ReadFile(file);
  EXPECT_EQ(image.size(), 2052u + 8 * 45);
  // A foreign file may hold candidates without any weight: one of them is taken all the same.
  const std::size_t record = image.find('\x00', 4);
  ASSERT_EQ(image.substr(record, 9), std::string("\x00\x00\x00\x00\x00\x01\x00\x00\x00", 9));
  image[record + 5] = '\x00';  // neutralCount 1 -> 0
  const std::unique_ptr<OpeningBook> again =
      ReadOpeningBook(directory.Write("foreign.bin", image).string());
  EXPECT_EQ(again->entryCount, 8);
  board = Board();
  for (const char* move : moves) {
    const Move* answer = again->Probe(board).move;
    ASSERT_NE(answer, nullptr) << move;
    EXPECT_EQ(*answer, GeneratedMove(board, move));
    Play(board, {move});
  }

  const auto loadError = [&](const std::string& content) {
    StreamCapture errors(std::cerr);
    EXPECT_EQ(ReadOpeningBook(directory.Write("bad.bin", content).string())->entryCount, 0);
    return errors.Take();
  };
  const std::string damaged = "OpeningBook file is damaged!\n";
  EXPECT_EQ(loadError(image.substr(0, image.size() - 1)), damaged);  // no end marker
  EXPECT_EQ(loadError(image.substr(0, record + 30)), damaged);       // within a record
  EXPECT_EQ(loadError(std::string("\x00\x04\x00\x00", 4) + std::string(1100, '\x02')), damaged);
  EXPECT_EQ(loadError("ab"), damaged);
  EXPECT_EQ(loadError(std::string("\xff\x03\x00\x00", 4)), "TABLE_SIZE of file is not correct\n");
  StreamCapture errors(std::cerr);
  ReadOpeningBook((directory.Path() / "missing.bin").string());
  EXPECT_EQ(errors.Take(), "Can't load OpeningBook!\n");
}

// A record's bytes: every field distinct, in the file's order; what is read is written again
// byte for byte. The report of a probe names the place of the chosen candidate: the second of
// three is 2/3.
TEST(OpeningBook, RecordLayoutAndTheReportOfTheChosenCandidate) {
  TemporaryDirectory directory;
  ConsoleCapture console;
  Move move;
  std::tie(move.captured, move.to, move.score, move.scoreType, move.flags, move.piece, move.depth,
           move.from) = std::tuple(BN, 21, 0x0708, 9, MOVE_CAPTURE + PROMOTE_ROOK, WN, 13, 11);
  OpeningBook book;
  for (int outcome :
       {OUTCOME_GOOD, OUTCOME_GOOD, OUTCOME_NEUTRAL, OUTCOME_NEUTRAL, OUTCOME_NEUTRAL})
    book.AddMove(move, 5, 0x0A0B0C0D, outcome, BLACK);
  const std::string file = (directory.Path() / "record.bin").string();
  std::string error;
  ASSERT_TRUE(book.Save(file, error));
  const std::string image = ReadFile(file);
  const auto word = [](int value) { return std::string{static_cast<char>(value), 0, 0, 0}; };
  const std::string record = std::string(1, '\0') + word(2) + word(3) + "\x0D\x0C\x0B\x0A" +
                             word(BN) + word(21) + std::string("\x08\x07\0\0", 4) + word(9) +
                             std::string("\x81\x00\0\0", 4) + word(WN) + word(13) + word(11);
  // White's 1024 buckets, then Black's first five.
  EXPECT_EQ(image.substr(4 + 1024 + 5, 45), record);
  ASSERT_TRUE(ReadOpeningBook(file)->Save(file, error));  // read, then written again
  EXPECT_EQ(ReadFile(file), image);

  OpeningBook three;
  const Board start;
  const char* candidates[] = {"e2e4", "d2d4", "g1f3"};
  for (const char* text : candidates) Enter(three, start, text, OUTCOME_NEUTRAL);
  std::srand(7);
  int secondChosen = 0;
  for (int i = 0; i < 60; ++i) {
    const BookChoice probe = three.Probe(start);
    const std::string chosen = CoordinateText(*probe.move);
    const int place = chosen == candidates[0] ? 1 : chosen == candidates[1] ? 2 : 3;
    EXPECT_EQ(Summary(probe), std::tuple(true, place, 3));
    secondChosen += place == 2;
  }
  EXPECT_GT(secondChosen, 0);
}

}  // namespace
