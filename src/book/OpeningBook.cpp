#include "book/OpeningBook.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <sstream>

#include "board/LittleEndian.h"
#include "board/MoveList.h"
#include "board/Rules.h"
#include "book/Outcome.h"
#include "book/PGNParser.h"
#include "console/Files.h"

namespace {

constexpr std::uint8_t MARKER_ENTRY = 0x00;
constexpr std::uint8_t MARKER_END_BLACK = 0x01;
constexpr std::uint8_t MARKER_NEXT_BUCKET = 0x02;
constexpr std::uint8_t MARKER_END_WHITE = 0x03;

void PutInt(std::ostream& out, std::int32_t value) { WriteLittleEndian(out, value); }

bool GetInt(std::istream& in, std::int32_t& value) { return ReadLittleEndian(in, value); }

// An entry record: the counts, the lock, then the move's fields in the file's own order.
void WriteEntry(std::ostream& out, const BookEntry& entry) {
  out.put(static_cast<char>(MARKER_ENTRY));
  const Move& m = entry.move;
  for (std::int32_t value :
       {entry.goodCount, entry.neutralCount, static_cast<std::int32_t>(entry.hashLock), m.captured,
        m.to, m.score, m.scoreType, m.flags, m.piece, m.depth, m.from})
    PutInt(out, value);
}

// Whether the move fields can describe a board move: squares on the board, a piece that moves,
// a piece or nothing captured, and one of the board move kinds with at most one promotion.
bool IsBoardMove(const Move& m) {
  const int promotion = m.flags & PROMOTION_MASK;
  const bool kindOk =
      (m.flags & ~(KIND_MASK | PROMOTION_MASK)) == 0 &&
      (m.Kind() == MOVE_NORMAL || m.Kind() == MOVE_CAPTURE || m.Kind() == MOVE_EN_PASSANT ||
       m.Kind() == MOVE_CASTLE_SHORT || m.Kind() == MOVE_CASTLE_LONG);
  const bool promotionOk = promotion == 0 || PromotionOfFlags(promotion) != nullptr;
  return m.from >= 0 && m.from < 64 && m.to >= 0 && m.to < 64 && IsPieceCode(m.piece) &&
         (IsPieceCode(m.captured) || m.captured == NO_PIECE) && kindOk && promotionOk;
}

// The record after its marker. Books hold millions of records: they are read straight from the
// stream's buffer, a record at a time.
bool ReadEntry(std::streambuf& in, BookEntry& entry) {
  std::uint8_t bytes[11 * sizeof(std::int32_t)];
  if (in.sgetn(reinterpret_cast<char*>(bytes), sizeof bytes) != sizeof bytes) return false;
  std::int32_t lock = 0;
  Move& m = entry.move;
  const std::uint8_t* next = bytes;
  for (std::int32_t* field : {&entry.goodCount, &entry.neutralCount, &lock, &m.captured, &m.to,
                              &m.score, &m.scoreType, &m.flags, &m.piece, &m.depth, &m.from}) {
    *field = GetLittleEndian<std::int32_t>(next);
    next += sizeof(std::int32_t);
  }
  entry.hashLock = static_cast<std::uint32_t>(lock);
  return IsBoardMove(m);
}

// One side's buckets up to the marker that ends the section; false for a damaged section.
template <typename Table>
bool ReadSection(std::streambuf& in, Table& table, std::uint8_t endMarker,
                 std::int32_t& entryCount) {
  std::size_t bucket = 0;
  for (int c = in.sbumpc(); c != std::char_traits<char>::eof(); c = in.sbumpc()) {
    if (c == endMarker) return true;
    if (c == MARKER_NEXT_BUCKET) {
      if (++bucket >= table.size()) return false;
    } else if (c == MARKER_ENTRY) {
      BookEntry entry;
      if (!ReadEntry(in, entry)) return false;
      table[bucket].push_back(entry);
      ++entryCount;
    }  // any other byte is skipped
  }
  return false;  // the end of the file came first
}

// A bucket's index: an open-addressed hash table of places, each the index of an entry in the
// bucket plus one; zero is a free place. An entry's home is hashed from its lock alone,
// collisions take the next free place, and places are never freed: the entries of one lock
// therefore come up in the order of the bucket when the table is walked from their home, which
// is the order a walk down the bucket meets them. The table is at most half full.
using Places = std::vector<std::uint32_t>;

std::size_t Home(std::uint32_t lock, const Places& places) {
  return static_cast<std::size_t>((std::uint64_t{lock} * 0x9E3779B97F4A7C15u) >> 32) &
         (places.size() - 1);
}

void Place(Places& places, std::uint32_t lock, std::size_t index) {
  std::size_t at = Home(lock, places);
  while (places[at] != 0) at = (at + 1) & (places.size() - 1);
  places[at] = static_cast<std::uint32_t>(index + 1);
}

// Indexes the bucket afresh, with room for one more entry; in the bucket's order, as above.
void IndexBucket(Places& places, const std::vector<BookEntry>& bucket) {
  std::size_t size = 4;
  while (size < 2 * (bucket.size() + 1)) size *= 2;
  places.assign(size, 0);
  for (std::size_t index = 0; index < bucket.size(); ++index)
    Place(places, bucket[index].hashLock, index);
}

// Calls `visit` with the index of every entry of the bucket under `lock`, in the bucket's order,
// until it returns true.
template <typename Visit>
void ForEachOfLock(const Places& places, const std::vector<BookEntry>& bucket, std::uint32_t lock,
                   const Visit& visit) {
  if (places.empty()) return;
  for (std::size_t at = Home(lock, places); places[at] != 0; at = (at + 1) & (places.size() - 1)) {
    const std::size_t index = places[at] - 1;
    if (bucket[index].hashLock == lock && visit(index)) return;
  }
}

}  // namespace

std::int64_t BookEntry::Weight() const {
  const std::int64_t weight = 2 * std::int64_t{goodCount} + neutralCount;
  return weight > 0 ? weight : 0;
}

int OpeningBook::BucketIndex(std::int64_t hashKey) {
  // The remainder keeps the key's sign: key -1 goes to bucket 1, not to 1023.
  const auto key = static_cast<std::int32_t>(hashKey);
  return std::abs(key % TABLE_SIZE);
}

bool OpeningBook::Load(const std::string& fileName, std::string& error) {
  // Only a regular file: a FIFO would hold the engine until some writer came.
  std::ifstream in;
  if (IsRegularFile(fileName)) in.open(fileName, std::ios::binary);
  if (!in.is_open()) {
    error = "Can't load OpeningBook!";
    return false;
  }
  std::int32_t size = 0;
  if (!GetInt(in, size)) {
    error = "OpeningBook file is damaged!";
    return false;
  }
  if (size != TABLE_SIZE) {
    // Not the program's own book: a polyglot book, if it is a sound one.
    auto other = std::make_unique<PolyglotBook>();
    if (!other->Load(fileName)) {
      error = "TABLE_SIZE of file is not correct";
      return false;
    }
    polyglot = std::move(other);
    entryCount = static_cast<std::int32_t>(std::min<std::int64_t>(polyglot->Size(), INT32_MAX));
    return true;
  }
  Table white, black;
  std::int32_t count = 0;
  if (!ReadSection(*in.rdbuf(), white, MARKER_END_WHITE, count) ||
      !ReadSection(*in.rdbuf(), black, MARKER_END_BLACK, count)) {
    error = "OpeningBook file is damaged!";
    return false;
  }
  polyglot.reset();
  whiteTable = std::move(white);
  blackTable = std::move(black);
  for (std::size_t bucket = 0; bucket < TABLE_SIZE; ++bucket) {
    IndexBucket(whitePlaces[bucket], whiteTable[bucket]);
    IndexBucket(blackPlaces[bucket], blackTable[bucket]);
  }
  entryCount = count;
  return true;
}

std::string OpeningBook::EntriesLine() const {
  std::ostringstream line;
  line << "OpeningsBook =       " << std::setw(7) << entryCount << " entries\n";
  return line.str();
}

bool OpeningBook::Save(const std::string& fileName, std::string& error) const {
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  if (!out.is_open()) {
    error = "Can't open destfile for creating OpeningBook!";
    return false;
  }
  PutInt(out, TABLE_SIZE);
  for (const Table* table : {&whiteTable, &blackTable}) {
    for (std::size_t bucket = 0; bucket < table->size(); ++bucket) {
      for (const BookEntry& entry : (*table)[bucket]) WriteEntry(out, entry);
      const bool last = bucket + 1 == table->size();
      out.put(static_cast<char>(!last                  ? MARKER_NEXT_BUCKET
                                : table == &whiteTable ? MARKER_END_WHITE
                                                       : MARKER_END_BLACK));
    }
  }
  out.close();
  if (out.fail()) {
    error = "Can't write OpeningBook file " + fileName + "!";
    return false;
  }
  return true;
}

void OpeningBook::AddMove(const Move& move, std::int64_t hashKey, std::uint32_t hashLock,
                          int outcome, Color side) {
  if (outcome == OUTCOME_BAD) return;
  const auto at = static_cast<std::size_t>(BucketIndex(hashKey));
  std::vector<BookEntry>& bucket = (side == WHITE ? whiteTable : blackTable)[at];
  Places& places = (side == WHITE ? whitePlaces : blackPlaces)[at];
  std::size_t index = bucket.size();
  ForEachOfLock(places, bucket, hashLock, [&](std::size_t candidate) {
    if (!(bucket[candidate].move == move)) return false;
    index = candidate;
    return true;
  });
  // The collisions are the entries in front of it in its bucket.
  if (std::int64_t{maxCollisions} < static_cast<std::int64_t>(index))
    maxCollisions = static_cast<std::int32_t>(index);
  if (index == bucket.size()) {
    ++entryCount;
    if (places.size() < 2 * (bucket.size() + 1)) IndexBucket(places, bucket);
    BookEntry entry;
    entry.hashLock = hashLock;
    entry.move = move;
    bucket.push_back(entry);
    Place(places, hashLock, index);
  }
  BookEntry& found = bucket[index];
  if (outcome == OUTCOME_GOOD) found.goodCount += 1;
  if (outcome == OUTCOME_NEUTRAL) found.neutralCount += 1;
}

std::vector<BookCandidate> OpeningBook::Candidates(const Board& board) const {
  if (polyglot) return polyglot->Candidates(board);
  std::int64_t key;
  std::uint32_t lock;
  board.Hashes(key, lock);
  const auto at = static_cast<std::size_t>(BucketIndex(key));
  const bool white = board.sideToMove == WHITE;
  const std::vector<BookEntry>& bucket = (white ? whiteTable : blackTable)[at];
  std::vector<BookCandidate> candidates;
  ForEachOfLock((white ? whitePlaces : blackPlaces)[at], bucket, lock, [&](std::size_t index) {
    // A lock can be shared by another position, and a foreign file may hold anything.
    const BookEntry& entry = bucket[index];
    if (IsLegalMove(board, entry.move)) candidates.push_back({entry.move, entry.Weight()});
    return false;
  });
  return candidates;
}

BookChoice OpeningBook::Probe(const Board& board) const {
  const std::vector<BookCandidate> candidates = Candidates(board);
  if (candidates.empty()) return BookChoice();
  std::int64_t total = 0;
  for (const BookCandidate& candidate : candidates) total += candidate.weight;

  // Draw a candidate uniformly and keep it with a chance proportional to its weight. Without
  // any weight (only a foreign file can hold such entries) the uniform draw stands.
  const int n = static_cast<int>(candidates.size());
  int chosen;
  for (;;) {
    chosen = std::rand() % n;
    if (total == 0) break;
    const double share = static_cast<double>(candidates[static_cast<std::size_t>(chosen)].weight) /
                         static_cast<double>(total);
    if (share > (std::rand() % 10000) / 10000.0) break;
  }
  return {candidates[static_cast<std::size_t>(chosen)].move, chosen + 1, n};
}
