// The program's own book format: how observations are counted and chosen, the bytes of a file,
// and files that cannot be trusted.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <map>
#include <tuple>

#include "book/OpeningBook.h"
#include "book/Outcome.h"
#include "support/ConsoleCapture.h"
#include "support/ReadBook.h"
#include "support/TemporaryDirectory.h"
#include "support/TestBoards.h"

namespace {

// Enters `move` ("e2e4") of the position as one observation.
void Enter(OpeningBook& book, const Board& board, const char* text, int outcome) {
  book.AddMove(GeneratedMove(board, text), board.HashKey(), board.HashLock(), outcome,
               board.sideToMove);
}

std::tuple<bool, int, int> Summary(const BookChoice& probe) {
  return {probe.move.has_value(), probe.choice, probe.candidates};
}

std::string Word(std::int32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
  return bytes;
}

// An entry record as the file holds it.
std::string Record(int good, int neutral, std::uint32_t lock, const Move& m) {
  std::string record(1, '\0');
  for (std::int32_t value : {good, neutral, static_cast<std::int32_t>(lock), m.captured, m.to,
                             m.score, m.scoreType, m.flags, m.piece, m.depth, m.from})
    record += Word(value);
  return record;
}

// A book file: the records of the buckets named, all others empty.
std::string Image(const std::map<int, std::string>& white,
                  const std::map<int, std::string>& black) {
  std::string image = Word(TABLE_SIZE);
  for (const auto* side : {&white, &black})
    for (int bucket = 0; bucket < TABLE_SIZE; ++bucket) {
      if (const auto records = side->find(bucket); records != side->end()) image += records->second;
      image += bucket + 1 < TABLE_SIZE ? '\x02' : side == &white ? '\x03' : '\x01';
    }
  return image;
}

TEST(OpeningBook, OutcomesAreCountedPerMoveAndLostGamesLeaveNoTrace) {
  // The bucket of a negative key keeps its sign: -1 goes to 1, not to 1023.
  EXPECT_EQ(OpeningBook::BucketIndex(-1), 1);
  EXPECT_EQ(OpeningBook::BucketIndex(1025), 1);
  EXPECT_EQ(OpeningBook::BucketIndex(-2147483648LL), 0);

  OpeningBook book;
  const Board start;
  EXPECT_FALSE(book.Probe(start).move);
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

  // A move is handed out only where it is legal: a lock shared by another position, or a
  // foreign file, may hold any move.
  OpeningBook foreign;
  Move impossible = GeneratedMove(start, "e2e4");
  impossible.to = At("e5");
  foreign.AddMove(impossible, start.HashKey(), start.HashLock(), OUTCOME_GOOD, WHITE);
  EXPECT_FALSE(foreign.Probe(start).move);
  Enter(foreign, start, "d2d4", OUTCOME_NEUTRAL);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(CoordinateText(*foreign.Probe(start).move), "d2d4");
}

// The bytes of an empty book and of a record whose every field is distinct: what is read is
// written again byte for byte.
TEST(OpeningBook, RecordsRoundTrip) {
  TemporaryDirectory directory;
  ConsoleCapture console;
  const std::string file = (directory.Path() / "book.bin").string();
  std::string error;
  ASSERT_TRUE(OpeningBook().Save(file, error));
  EXPECT_EQ(directory.Read("book.bin"), Image({}, {}));
  EXPECT_EQ(ReadOpeningBook(file)->entryCount, 0);
  EXPECT_EQ(console.Take(), "OpeningsBook =             0 entries\n");

  Move move;
  std::tie(move.captured, move.to, move.score, move.scoreType, move.flags, move.piece, move.depth,
           move.from) = std::tuple(BN, 21, 0x0708, 9, MOVE_CAPTURE + PROMOTE_ROOK, WN, 13, 11);
  OpeningBook book;
  for (int outcome : {OUTCOME_GOOD, OUTCOME_GOOD, OUTCOME_NEUTRAL, OUTCOME_NEUTRAL})
    book.AddMove(move, 5, 0x0A0B0C0D, outcome, BLACK);
  ASSERT_TRUE(book.Save(file, error));
  const std::string image = directory.Read("book.bin");
  EXPECT_EQ(image, Image({}, {{5, Record(2, 2, 0x0A0B0C0D, move)}}));
  ASSERT_TRUE(ReadOpeningBook(file)->Save(file, error));  // read, then written again
  EXPECT_EQ(directory.Read("book.bin"), image);
}

// A file cut short, with a table of another size, with records whose move fields lie outside
// the board, or missing, leaves the book empty with the reason; a foreign file may hold
// candidates without any weight, and one of them is taken all the same.
TEST(OpeningBook, DamagedFilesLeaveTheBookEmpty) {
  TemporaryDirectory directory;
  ConsoleCapture console;
  const Board start;
  const int at = 4 + OpeningBook::BucketIndex(start.HashKey());  // the record of 1. e4
  const std::string image =
      Image({{at - 4, Record(0, 1, start.HashLock(), GeneratedMove(start, "e2e4"))}}, {});
  const auto loadError = [&](const std::string& content) {
    StreamCapture errors(std::cerr);
    EXPECT_EQ(ReadOpeningBook(directory.Write("bad.bin", content).string())->entryCount, 0);
    return errors.Take();
  };
  std::string weightless = image;
  weightless[at + 5] = '\0';  // the neutral count
  const auto book = ReadOpeningBook(directory.Write("weightless.bin", weightless).string());
  EXPECT_EQ(CoordinateText(*book->Probe(start).move), "e2e4");
  const std::string damaged = "OpeningBook file is damaged!\n";
  EXPECT_EQ(loadError(image.substr(0, image.size() - 1)), damaged);  // no end marker
  EXPECT_EQ(loadError(image.substr(0, at + 30)), damaged);           // within a record
  EXPECT_EQ(loadError(Word(TABLE_SIZE) + std::string(1100, '\x02')), damaged);
  EXPECT_EQ(loadError("ab"), damaged);
  for (std::size_t field : {13u, 17u, 29u, 33u, 41u}) {  // captured, to, flags, piece, from
    std::string outside = image;
    outside.replace(at + field, 4, std::string("\x24\x00\x85\x00", 4));
    EXPECT_EQ(loadError(outside), damaged) << field;
  }
  EXPECT_EQ(loadError(std::string("\xff\x03\x00\x00", 4)), "TABLE_SIZE of file is not correct\n");
  StreamCapture errors(std::cerr);
  ReadOpeningBook((directory.Path() / "missing.bin").string());
  EXPECT_EQ(errors.Take(), "Can't load OpeningBook!\n");
}

// Keys 7, 1031 and -7 share bucket 7, where only the lock tells positions apart; each move of a
// position has one entry, which keeps the place where it was first seen.
TEST(OpeningBook, PositionsSharingABucketKeepTheirOwnEntriesInTheOrderFirstSeen) {
  const Board start;
  const Move e4 = GeneratedMove(start, "e2e4"), d4 = GeneratedMove(start, "d2d4");
  Move scored = e4;  // the same move for the book: the search's fields do not count
  std::tie(scored.score, scored.scoreType, scored.depth) = std::tuple(55, 1, 3);
  OpeningBook book;
  const std::tuple<std::int64_t, std::uint32_t, Move, int, Color> observations[] = {
      {7, 1, e4, OUTCOME_GOOD, WHITE},          {1031, 2, e4, OUTCOME_NEUTRAL, WHITE},
      {-7, 1, d4, OUTCOME_NEUTRAL, WHITE},      {7, 2, scored, OUTCOME_GOOD, WHITE},
      {7, 1, e4, OUTCOME_GOOD, BLACK},          {7, 1, e4, OUTCOME_BAD, WHITE},
      {1031, 1, d4, OUTCOME_GOOD, WHITE},       {8, 1, e4, OUTCOME_NEUTRAL, WHITE},
      {1031, 1, scored, OUTCOME_NEUTRAL, WHITE}};
  for (const auto& [key, lock, move, outcome, side] : observations)
    book.AddMove(move, key, lock, outcome, side);
  EXPECT_EQ(book.entryCount, 5);
  EXPECT_EQ(book.maxCollisions, 2);  // d4 stands behind both e4 entries of its bucket

  TemporaryDirectory directory;
  ConsoleCapture console;
  const std::string file = (directory.Path() / "book.bin").string();
  std::string error;
  ASSERT_TRUE(book.Save(file, error));
  std::map<int, std::string> white = {
      {7, Record(1, 1, 1, e4) + Record(1, 1, 2, e4) + Record(1, 1, 1, d4)},
      {8, Record(0, 1, 1, e4)}};
  EXPECT_EQ(directory.Read("book.bin"), Image(white, {{7, Record(1, 0, 1, e4)}}));
  // A book read from a file goes on counting in its entries.
  const std::unique_ptr<OpeningBook> again = ReadOpeningBook(file);
  again->AddMove(d4, 7, 1, OUTCOME_NEUTRAL, WHITE);
  again->AddMove(d4, 7, 3, OUTCOME_NEUTRAL, WHITE);
  EXPECT_EQ(std::pair(again->entryCount, again->maxCollisions), std::pair(6, 3));
  ASSERT_TRUE(again->Save(file, error));
  white[7] = Record(1, 1, 1, e4) + Record(1, 1, 2, e4) + Record(1, 2, 1, d4) + Record(0, 1, 3, d4);
  EXPECT_EQ(directory.Read("book.bin"), Image(white, {{7, Record(1, 0, 1, e4)}}));

  // A probe offers the moves of the bucket under the position's lock, in the bucket's order:
  // another lock in the bucket or the lock in another bucket is another position.
  const std::int64_t key = start.HashKey();
  const std::uint32_t lock = start.HashLock();
  const int bucket = OpeningBook::BucketIndex(key);
  OpeningBook probed;
  const std::tuple<std::int64_t, std::uint32_t, const char*, int> entries[] = {
      {key, lock, "g1f3", OUTCOME_NEUTRAL},
      {bucket + 1024, lock + 1, "b1c3", OUTCOME_GOOD},
      {key, lock, "e2e4", OUTCOME_GOOD},
      {bucket + 1, lock, "a2a3", OUTCOME_GOOD},
      {bucket + 2048, lock, "h2h3", OUTCOME_NEUTRAL},
      {key, lock, "d2d4", OUTCOME_NEUTRAL},
      {key, lock, "g1f3", OUTCOME_GOOD}};
  for (const auto& [k, l, text, outcome] : entries)
    probed.AddMove(GeneratedMove(start, text), k, l, outcome, WHITE);
  std::srand(99);
  std::map<int, std::string> places;
  for (int i = 0; i < 400; ++i) {
    const BookChoice probe = probed.Probe(start);
    ASSERT_EQ(probe.candidates, 4);
    places[probe.choice] = CoordinateText(*probe.move);
  }
  EXPECT_EQ(places,
            (std::map<int, std::string>{{1, "g1f3"}, {2, "e2e4"}, {3, "h2h3"}, {4, "d2d4"}}));
}

}  // namespace
