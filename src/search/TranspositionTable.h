// Search results remembered per position: score, bound kind, depth and best move, one entry per
// slot. The engine keeps one table for White to move and one for Black to move, since the hash
// values do not cover the side to move. The probe and store rules belong to the searches; the
// table only finds the slot of a position, empties itself and reports how full it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <type_traits>

#include "board/Board.h"

inline constexpr int TT_SIZE = 655360;  // entries per table (0xA0000)
// The tables' memory as front ends set it, in megabytes: the usual size counts as this many.
inline constexpr int TT_DEFAULT_MEGABYTES = 21;
inline constexpr int TT_MAX_MEGABYTES = 4096;
// Entries per table for a size in megabytes (both tables, their marks and ages together).
int TableEntriesFor(int megabytes);

// Kinds of entry (TTEntry::type). An entry of all zero bytes is empty, so that fresh zeroed
// memory is an empty table.
inline constexpr std::int32_t TT_EMPTY = 0;
inline constexpr std::int32_t TT_EXACT = 1;
inline constexpr std::int32_t TT_UPPER = 2;  // the true score is at most the stored one
inline constexpr std::int32_t TT_LOWER = 3;  // the true score is at least the stored one

// Stored scores this far from 0 are mate scores and get corrected for the moves played since.
inline constexpr std::int32_t TT_MATE_SCORE = 29950;

// Sixteen bytes, four to a cache line. Depths fit a byte: the full-width search goes at most
// SearchLimits::maxDepth plies deep and the quiescence search at most one ply per piece.
struct TTEntry {
  std::int32_t check = 0;  // the position's Board::HashLock, to tell apart positions of a slot
  std::int32_t score = 0;  // from the point of view of the side to move in the position
  std::int32_t ply = 0;    // the board's moveNumber when stored
  std::int8_t type = TT_EMPTY;
  std::int8_t depth = 0;  // remaining depth; 0 or less from the quiescence search
  std::int8_t from = 0;   // the best move, -1 when none (0 in an empty entry)
  std::int8_t to = 0;

  // Holds a result for the position with this lock.
  bool Answers(std::uint32_t lock) const {
    return type != TT_EMPTY && check == static_cast<std::int32_t>(lock);
  }

  // Whether a result of the full-width search replaces this entry: a search reaching further
  // into the game (stored half-move plus depth) does, as does a deeper one of the same position,
  // an exact result over a bound, and anything over an empty slot.
  bool TakesSearchResult(int kind, int searchDepth, std::uint32_t lock, int moveNumber) const {
    return ply + depth < moveNumber + searchDepth || (depth < searchDepth && Answers(lock)) ||
           (kind == TT_EXACT && type != TT_EXACT) || type == TT_EMPTY;
  }
  // The quiescence search trusts its results less: they only fill empty slots.
  bool TakesQuiescenceResult() const { return type == TT_EMPTY; }

  // Writes every field at once, as a store does. The node counter is for tracing and not kept.
  void Store(int kind, int value, int searchDepth, std::uint32_t lock, int moveNumber, int bestFrom,
             int bestTo, int /*nodes*/) {
    *this = TTEntry{static_cast<std::int32_t>(lock),
                    value,
                    moveNumber,
                    static_cast<std::int8_t>(kind),
                    static_cast<std::int8_t>(searchDepth),
                    static_cast<std::int8_t>(bestFrom),
                    static_cast<std::int8_t>(bestTo)};
  }

  // The stored score as seen at moveNumber: a mate score shrinks (a win) or grows (a loss) by
  // the half-moves played since it was stored; every other score is taken as stored.
  int CorrectedScore(int moveNumber) const;
};
static_assert(sizeof(TTEntry) == 16 && std::is_trivially_copyable_v<TTEntry>);

// Where a position's result is kept: its entry, and the entry's mark. The marks, a byte per
// entry beside its age, are an eighth of the entries' size: a search that finds its position's
// mark empty or naming another lock knows what the entry holds without waiting for it to come
// from memory.
// A mark is 0 exactly while the entry is empty; a store writes the mark of the stored lock, and
// an entry handed out for writing directly gets the mark that stands for any lock.
class TableSlot {
 public:
  static constexpr std::uint8_t ANY_LOCK = 255;
  // A stored lock's mark: its top seven bits, plus one.
  static constexpr std::uint8_t MarkOf(std::uint32_t lock) {
    return static_cast<std::uint8_t>((lock >> 25) + 1);
  }

  TableSlot(TTEntry* entry, std::uint8_t* mark) : entry_(entry), mark_(mark) {}

  // False only for an empty entry.
  bool MayBeUsed() const { return *mark_ != 0; }
  // False only for an empty entry or one that holds another lock.
  bool MayAnswer(std::uint32_t lock) const { return *mark_ == ANY_LOCK || *mark_ == MarkOf(lock); }
  TTEntry& Entry() const { return *entry_; }
  // Stores as TTEntry::Store does and marks the slot with the lock (or as empty).
  void Store(int kind, int value, int searchDepth, std::uint32_t lock, int moveNumber, int bestFrom,
             int bestTo, int nodes) const {
    entry_->Store(kind, value, searchDepth, lock, moveNumber, bestFrom, bestTo, nodes);
    *mark_ = kind == TT_EMPTY ? 0 : MarkOf(lock);
  }

 private:
  TTEntry* entry_;
  std::uint8_t* mark_;
};

class TranspositionTable {
 public:
  // colour: WHITE or BLACK, -1 when not said; only the statistics heading uses it.
  // The entries are allocated by the first access that may write one, not here.
  explicit TranspositionTable(int colour = -1, int size = TT_SIZE);
  virtual ~TranspositionTable();

  TranspositionTable(const TranspositionTable&) = delete;
  TranspositionTable& operator=(const TranspositionTable&) = delete;

  void SetColour(int colour) { colour_ = colour; }
  int Colour() const { return colour_; }
  int Size() const { return size_; }

  // Empties every entry (nothing to do before the entries exist). It costs next to nothing
  // whatever the size: each entry carries the age of the table it was written in, and one of
  // an older age is emptied when it is next asked for, so that a search sees exactly what it
  // would see in a table emptied byte by byte.
  void Clear();
  // Gives the table `size` entries (at least one), all empty, allocated when first needed.
  void Resize(int size);
  // The entry at an index below Size(), to sample the table's use; empty before allocation.
  const TTEntry& EntryAt(int index) const {
    return entries_ && Current(index) ? entries_[index] : EMPTY_ENTRY;
  }
  // Whether the entries have been allocated.
  bool Allocated() const { return entries_ != nullptr; }
  // Allocates the entries now, before threads that share the table first ask for them.
  void AllocateNow() {
    if (!entries_) Allocate();
  }

  // The entry of the position (by Board::HashKey), to read or write directly. An entry handed
  // out for writing counts as used, by any lock, from then on.
  TTEntry& Slot(const Board& board) { return SlotAt(board.HashKey()); }
  const TTEntry& Slot(const Board& board) const { return SlotAt(board.HashKey()); }
  TTEntry& SlotAt(std::int64_t hashKey) {
    const int index = IndexAllocating(hashKey);
    marks_[index].lock = TableSlot::ANY_LOCK;
    return entries_[index];
  }
  // The searches' access: the entry with its mark, marked when the search stores.
  TableSlot PlaceAt(std::int64_t hashKey) {
    const int index = IndexAllocating(hashKey);
    return TableSlot(entries_ + index, &marks_[index].lock);
  }
  // A table not yet allocated answers with an empty entry.
  const TTEntry& SlotAt(std::int64_t hashKey) const { return EntryAt(Index(hashKey)); }

  // Asks the processor to fetch the key's entry and its mark, when the entries exist.
  void Prefetch(std::int64_t hashKey) const {
    if (!entries_) return;
    const int index = Index(hashKey);
    __builtin_prefetch(entries_ + index);
    __builtin_prefetch(marks_.get() + index);
  }

  // The absolute value of the signed remainder: a key and its negation share a slot.
  static int SlotIndex(std::int64_t hashKey, int size);

  // Writes the occupancy with histograms by depth and by ply. An entry with an impossible ply
  // or depth is left out; the answer is the number of such corrupted entries.
  int WriteStatistics(std::ostream& out) const;

 private:
  static constexpr TTEntry EMPTY_ENTRY{};
  // An entry's mark (see TableSlot) and the age of the table it was written in.
  struct Mark {
    std::uint8_t lock;
    std::uint8_t age;
  };
  // Each Clear empties this share of the entries for good (see Clear).
  static constexpr int SCRUB_SHARE = 128;

  bool Current(int index) const { return marks_[index].age == age_; }
  // An entry of an older table is emptied, and belongs to this one from now on.
  void Refresh(int index) {
    if (Current(index)) return;
    entries_[index] = TTEntry{};
    marks_[index] = Mark{0, age_};
  }

  // SlotIndex, quicker for the keys of Board::HashKey in a table of the usual size.
  int Index(std::int64_t hashKey) const {
    if (size_ == TT_SIZE && hashKey == static_cast<std::int32_t>(hashKey)) {
      const std::int32_t remainder = static_cast<std::int32_t>(hashKey) % TT_SIZE;
      return remainder < 0 ? -remainder : remainder;
    }
    return SlotIndex(hashKey, size_);
  }
  int IndexAllocating(std::int64_t hashKey) {
    if (!entries_) Allocate();
    const int index = Index(hashKey);
    Refresh(index);
    return index;
  }
  void Allocate();
  void Release();

  TTEntry* entries_ = nullptr;
  // One per entry, from zeroed memory that the system hands out as it is first touched.
  struct FreeMarks {
    void operator()(Mark* marks) const { std::free(marks); }
  };
  std::unique_ptr<Mark[], FreeMarks> marks_;
  std::uint8_t age_ = 0;     // the age of the entries written now
  int scrubbed_ = 0;         // the share Clear empties next
  void* mapping_ = nullptr;  // what the system mapped for the entries, when it did
  std::size_t mappedBytes_ = 0;
  int size_;
  int colour_;
};
