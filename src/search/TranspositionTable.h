// Search results remembered per position: score, bound kind, depth and best move, one entry per
// slot. The engine keeps one table for White to move and one for Black to move, since the hash
// values do not cover the side to move. The probe and store rules belong to the searches; the
// table only finds the slot of a position, empties itself and reports how full it is.
#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>

#include "board/Board.h"

inline constexpr int TT_SIZE = 655360;  // entries per table (0xA0000)

// Kinds of entry (TTEntry::type).
inline constexpr std::int32_t TT_EMPTY = -1;
inline constexpr std::int32_t TT_EXACT = 0;
inline constexpr std::int32_t TT_UPPER = 1;  // the true score is at most the stored one
inline constexpr std::int32_t TT_LOWER = 2;  // the true score is at least the stored one

// Stored scores this far from 0 are mate scores and get corrected for the moves played since.
inline constexpr std::int32_t TT_MATE_SCORE = 29950;

struct TTEntry {
  std::int32_t type = TT_EMPTY;
  std::int32_t score = 0;  // from the point of view of the side to move in the position
  std::int32_t depth = 0;  // remaining depth; 0 or less from the quiescence search
  std::int32_t check = 0;  // the position's Board::HashLock, to tell apart positions of a slot
  std::int32_t ply = -1;   // the board's moveNumber when stored
  std::int32_t from = -1;  // the best move, -1 when none
  std::int32_t to = -1;
  std::int32_t nodeCount = 0;  // the engine's node counter when stored; for tracing only

  // Holds a result for the position with this lock.
  bool Answers(std::uint32_t lock) const {
    return type != TT_EMPTY && check == static_cast<std::int32_t>(lock);
  }

  // Writes every field at once, as a store does.
  void Store(int kind, int value, int searchDepth, std::uint32_t lock, int moveNumber, int bestFrom,
             int bestTo, int nodes) {
    *this = TTEntry{kind,       value,    searchDepth, static_cast<std::int32_t>(lock),
                    moveNumber, bestFrom, bestTo,      nodes};
  }

  // The stored score as seen at moveNumber: a mate score shrinks (a win) or grows (a loss) by
  // the half-moves played since it was stored; every other score is taken as stored.
  int CorrectedScore(int moveNumber) const;
};
static_assert(sizeof(TTEntry) == 8 * sizeof(std::int32_t) && std::is_trivially_copyable_v<TTEntry>);

class TranspositionTable {
 public:
  // colour: WHITE or BLACK, -1 when not said; only the statistics heading uses it.
  explicit TranspositionTable(int colour = -1, int size = TT_SIZE);
  virtual ~TranspositionTable() = default;

  TranspositionTable(const TranspositionTable&) = delete;
  TranspositionTable& operator=(const TranspositionTable&) = delete;

  void SetColour(int colour) { colour_ = colour; }
  int Colour() const { return colour_; }
  int Size() const { return size_; }

  // Empties every entry.
  void Clear();

  // The entry of the position (by Board::HashKey); the searches read and write it directly.
  TTEntry& Slot(const Board& board) { return SlotAt(board.HashKey()); }
  const TTEntry& Slot(const Board& board) const { return SlotAt(board.HashKey()); }
  TTEntry& SlotAt(std::int64_t hashKey) { return entries_[SlotIndex(hashKey, size_)]; }
  const TTEntry& SlotAt(std::int64_t hashKey) const { return entries_[SlotIndex(hashKey, size_)]; }

  // The absolute value of the signed remainder: a key and its negation share a slot.
  static int SlotIndex(std::int64_t hashKey, int size);

  // Occupancy with histograms by depth and by ply on the console; an entry with an
  // impossible ply or depth is reported as corruption on standard error and left out.
  void PrintStatistics() const;

 private:
  std::unique_ptr<TTEntry[]> entries_;
  int size_;
  int colour_;
};
