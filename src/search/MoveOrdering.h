// History move ordering: moves that caused cut-offs before are tried first. The counters are
// kept per side to move, from-square and to-square, by the search that owns them; it hands the
// counters of the side to move to every ordering.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "board/MoveList.h"

// The counters of one side, indexed [from][to].
using OrderingCounters = std::int32_t[64][64];
// Both sides' counters, indexed [colour][from][to].
using HistoryTable = OrderingCounters[2];

// Sets every counter of both sides to 0.
void ClearHistory(HistoryTable& table);

// The moves of a list by their counters, highest first, one at a time, with a chosen move
// first. Stable: moves with equal counters keep their order, so with all counters 0 the
// generation order stays. Each step picks the next move only when it is asked for, so a node
// that stops after its first moves does not pay for ordering the rest. The list itself is not
// reordered.
class MoveOrder {
 public:
  // Reads the counters now; null orders every move alike. `first` is the index of the move
  // to hand out first, -1 for none.
  MoveOrder(const MoveList& list, int first, const OrderingCounters* counters);
  // The same by a priority for each move of the list, in list order, highest first.
  struct Priorities {
    const std::int32_t* values;
  };
  MoveOrder(const MoveList& list, int first, Priorities priorities);
  MoveOrder(const MoveOrder&) = delete;
  MoveOrder& operator=(const MoveOrder&) = delete;

  // The list index of the next move; at most Size() calls.
  int Next() {
    if (next_ == 0 && first_ >= 0) return TakeChosen();
    if (next_ < SELECTED) {
      // The lowest key is known after the constructor, and the last one left needs no search;
      // otherwise it is looked for.
      const int best = lowest_ >= 0 ? lowest_ : next_ + 1 == size_ ? next_ : FindLowest();
      lowest_ = -1;
      std::swap(keys_[next_], keys_[best]);
    } else if (next_ == SELECTED) {
      // A node that goes on this far will likely try every move: the rest is sorted at once.
      SortRest();
    }
    return static_cast<int>(static_cast<std::uint32_t>(keys_[next_++]));
  }

 private:
  static constexpr int INLINE_ROOM = 128;

  // Room for the keys, each from keyOf(index), and the lowest of them.
  template <typename KeyOf>
  void Fill(KeyOf keyOf);

  // The first call with a chosen move.
  int TakeChosen();
  // Where the lowest key from next_ on is.
  [[gnu::noinline]] int FindLowest() const;
  // Sorts the keys from next_ on.
  [[gnu::noinline]] void SortRest();
  static constexpr int SELECTED = 3;  // moves picked one by one before the rest is sorted

  std::uint64_t inline_[INLINE_ROOM];
  std::unique_ptr<std::uint64_t[]> heap_;
  std::uint64_t* keys_;
  int size_;
  int next_ = 0;
  int first_;
  int lowest_ = 0;  // where the lowest key not yet handed out is, -1 when not known
};
