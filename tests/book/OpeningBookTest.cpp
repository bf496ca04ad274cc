#include "book/OpeningBook.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iostream>

#include "book/Outcome.h"
#include "support/ConsoleCapture.h"
#include "support/TemporaryDirectory.h"
#include "support/TestBoards.h"

namespace {

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Enters `move` (from -> to) of the position as one observation.
void Enter(OpeningBook& book, const Board& board, const char* from, const char* to, int outcome) {
  const Move move = GeneratedMove(board, from, to);
  book.AddMove(move, board.HashKey(), board.HashLock(), outcome, board.sideToMove);
}

TEST(OpeningBook, BucketsOfNegativeKeysKeepTheirSign) {
  EXPECT_EQ(OpeningBook::BucketIndex(-1), 1);
  EXPECT_EQ(OpeningBook::BucketIndex(-1024), 0);
  EXPECT_EQ(OpeningBook::BucketIndex(1025), 1);
  EXPECT_EQ(OpeningBook::BucketIndex(-2147483648LL), 0);
  EXPECT_EQ(OpeningBook::BucketIndex(-1025), 1);
}

TEST(OpeningBook, OutcomesAreCountedPerMoveAndLostGamesLeaveNoTrace) {
  OpeningBook book;
  const Board start;
  Enter(book, start, "d2", "d4", OUTCOME_BAD);
  EXPECT_EQ(book.entryCount, 0);
  EXPECT_EQ(book.Probe(start), nullptr);
  Enter(book, start, "e2", "e4", OUTCOME_GOOD);
  Enter(book, start, "e2", "e4", OUTCOME_NEUTRAL);
  Enter(book, start, "e2", "e4", OUTCOME_BAD);
  EXPECT_EQ(book.entryCount, 1);
  const Move* move = book.Probe(start);
  ASSERT_NE(move, nullptr);
  EXPECT_EQ(move->from, At("e2"));
  EXPECT_TRUE(BookProbeInfo.lastProbeHit);
  EXPECT_EQ(BookProbeInfo.lastProbeChoice, 1);
  EXPECT_EQ(BookProbeInfo.lastProbeCandidates, 1);

  // The same placement with the other side to move is another position.
  Board black = start;
  black.sideToMove = BLACK;
  EXPECT_EQ(book.Probe(black), nullptr);
  EXPECT_FALSE(BookProbeInfo.lastProbeHit);
  EXPECT_EQ(BookProbeInfo.lastProbeChoice, -1);
  EXPECT_EQ(BookProbeInfo.lastProbeCandidates, 0);
}

TEST(OpeningBook, ChoosesByWeight) {
  OpeningBook book;
  const Board start;
  Enter(book, start, "e2", "e4", OUTCOME_GOOD);     // weight 2
  Enter(book, start, "d2", "d4", OUTCOME_NEUTRAL);  // weight 1
  std::srand(12345);
  int e4 = 0;
  const int draws = 3000;
  for (int i = 0; i < draws; ++i) e4 += book.Probe(start)->from == At("e2");
  EXPECT_NEAR(static_cast<double>(e4) / draws, 2.0 / 3.0, 0.04);
  EXPECT_EQ(BookProbeInfo.lastProbeCandidates, 2);
}

TEST(OpeningBook, SavedBooksLoadAgain) {
  TemporaryDirectory directory;
  ConsoleCapture console;
  OpeningBook empty;
  ASSERT_TRUE(empty.Save((directory.Path() / "empty.bin").string()));
  std::string expected("\x00\x04\x00\x00", 4);
  expected += std::string(1023, '\x02') + '\x03' + std::string(1023, '\x02') + '\x01';
  EXPECT_EQ(ReadFile(directory.Path() / "empty.bin"), expected);
  OpeningBook loaded;
  ASSERT_TRUE(loaded.Load((directory.Path() / "empty.bin").string()));
  EXPECT_EQ(console.Take(), "OpeningsBook =             0 entries\n");

  // Positions of both signs of key and both sides to move answer as before.
  OpeningBook book;
  Board board;
  int negative = 0;
  for (const char* move : {"e2e4", "e7e5", "g1f3", "b8c6", "f1b5", "a7a6", "b5a4", "g8f6"}) {
    Enter(book, board, std::string(move, 2).c_str(), move + 2, OUTCOME_NEUTRAL);
    negative += board.HashKey() < 0;
    Play(board, {move});
  }
  EXPECT_GT(negative, 0);
  const std::string file = (directory.Path() / "book.bin").string();
  ASSERT_TRUE(book.Save(file));
  EXPECT_EQ(std::filesystem::file_size(file), 2052u + 8 * 45);
  OpeningBook again(file);
  EXPECT_EQ(again.entryCount, 8);
  board = Board();
  for (const char* move : {"e2e4", "e7e5", "g1f3", "b8c6", "f1b5", "a7a6", "b5a4", "g8f6"}) {
    const Move* answer = again.Probe(board);
    ASSERT_NE(answer, nullptr) << move;
    EXPECT_EQ(*answer, GeneratedMove(board, std::string(move, 2).c_str(), move + 2));
    Play(board, {move});
  }
}

TEST(OpeningBook, ForeignAndDamagedFilesLeaveTheBookEmpty) {
  TemporaryDirectory directory;
  ConsoleCapture console;
  OpeningBook book;
  const Board start;
  Enter(book, start, "e2", "e4", OUTCOME_GOOD);
  const std::string file = (directory.Path() / "book.bin").string();
  ASSERT_TRUE(book.Save(file));
  const std::string image = ReadFile(file);

  const auto loadError = [&](const std::string& content) {
    directory.Write("bad.bin", content);
    testing::internal::CaptureStderr();
    OpeningBook bad;
    const bool loaded = bad.Load((directory.Path() / "bad.bin").string());
    const std::string error = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(loaded);
    EXPECT_EQ(bad.entryCount, 0);
    EXPECT_EQ(bad.Probe(start), nullptr);
    return error;
  };
  EXPECT_EQ(loadError(image.substr(0, image.size() - 1)), "OpeningBook file is damaged!\n");
  EXPECT_EQ(loadError(image.substr(0, 30)), "OpeningBook file is damaged!\n");
  EXPECT_EQ(loadError(std::string("\x00\x04\x00\x00", 4) + std::string(1100, '\x02')), "OpeningBook file is damaged!\n");
  EXPECT_EQ(loadError(std::string("\xff\x03\x00\x00", 4)), "TABLE_SIZE of file is not correct\n");
  EXPECT_EQ(loadError("ab"), "OpeningBook file is damaged!\n");
  testing::internal::CaptureStderr();
  OpeningBook missing((directory.Path() / "missing.bin").string());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Can't load OpeningBook!\n");

  // A foreign file may hold candidates without any weight: one of them is taken all the same.
  std::string weightless = image;
  const std::size_t record = image.find('\x00', 4);
  weightless[record + 1] = '\x00';  // goodCount 1 -> 0
  directory.Write("weightless.bin", weightless);
  OpeningBook foreign((directory.Path() / "weightless.bin").string());
  ASSERT_NE(foreign.Probe(start), nullptr);
}

}  // namespace
