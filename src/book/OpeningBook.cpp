#include "book/OpeningBook.h"

#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <sstream>

#include "board/LittleEndian.h"
#include "board/MoveList.h"
#include "board/Rules.h"
#include "book/Outcome.h"
#include "book/PGNParser.h"

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

bool ReadEntry(std::istream& in, BookEntry& entry) {
  std::int32_t lock = 0;
  Move& m = entry.move;
  for (std::int32_t* field : {&entry.goodCount, &entry.neutralCount, &lock, &m.captured, &m.to,
                              &m.score, &m.scoreType, &m.flags, &m.piece, &m.depth, &m.from})
    if (!GetInt(in, *field)) return false;
  entry.hashLock = static_cast<std::uint32_t>(lock);
  return IsBoardMove(m);
}

// One side's buckets up to the marker that ends the section; false for a damaged section.
template <typename Table>
bool ReadSection(std::istream& in, Table& table, std::uint8_t endMarker, std::int32_t& entryCount) {
  std::size_t bucket = 0;
  for (int c = in.get(); c != std::char_traits<char>::eof(); c = in.get()) {
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
  std::ifstream in(fileName, std::ios::binary);
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
    error = "TABLE_SIZE of file is not correct";
    return false;
  }
  Table white, black;
  std::int32_t count = 0;
  if (!ReadSection(in, white, MARKER_END_WHITE, count) ||
      !ReadSection(in, black, MARKER_END_BLACK, count)) {
    error = "OpeningBook file is damaged!";
    return false;
  }
  whiteTable = std::move(white);
  blackTable = std::move(black);
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
  std::vector<BookEntry>& bucket =
      (side == WHITE ? whiteTable : blackTable)[static_cast<std::size_t>(BucketIndex(hashKey))];
  BookEntry* found = nullptr;
  std::int32_t passed = 0;
  for (BookEntry& entry : bucket) {
    if (entry.hashLock == hashLock && entry.move == move) {
      found = &entry;
      break;
    }
    if (maxCollisions < ++passed) maxCollisions = passed;
  }
  if (!found) {
    ++entryCount;
    BookEntry entry;
    entry.hashLock = hashLock;
    entry.move = move;
    bucket.push_back(entry);
    found = &bucket.back();
  }
  if (outcome == OUTCOME_GOOD) found->goodCount += 1;
  if (outcome == OUTCOME_NEUTRAL) found->neutralCount += 1;
}

BookChoice OpeningBook::Probe(const Board& board) const {
  std::int64_t key;
  std::uint32_t lock;
  board.Hashes(key, lock);
  const std::vector<BookEntry>& bucket =
      (board.sideToMove == WHITE ? whiteTable
                                 : blackTable)[static_cast<std::size_t>(BucketIndex(key))];
  std::vector<const BookEntry*> candidates;
  std::int64_t total = 0;
  for (const BookEntry& entry : bucket) {
    // A lock can be shared by another position, and a foreign file may hold anything.
    if (entry.hashLock != lock || !IsLegalMove(board, entry.move)) continue;
    candidates.push_back(&entry);
    total += entry.Weight();
  }
  if (candidates.empty()) return BookChoice();

  // Draw a candidate uniformly and keep it with a chance proportional to its weight. Without
  // any weight (only a foreign file can hold such entries) the uniform draw stands.
  const int n = static_cast<int>(candidates.size());
  int chosen;
  for (;;) {
    chosen = std::rand() % n;
    if (total == 0) break;
    const double share =
        static_cast<double>(candidates[static_cast<std::size_t>(chosen)]->Weight()) /
        static_cast<double>(total);
    if (share > (std::rand() % 10000) / 10000.0) break;
  }
  return {&candidates[static_cast<std::size_t>(chosen)]->move, chosen + 1, n};
}
