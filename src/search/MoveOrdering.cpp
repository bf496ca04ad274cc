#include "search/MoveOrdering.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <utility>

namespace {

// A move's place in the sorted list as one number: its counter, highest first, then its place
// in the list. No two moves share one, so any sort of the numbers is the stable sort.
std::uint64_t SortKey(std::int32_t priority, int index) {
  const auto counter = static_cast<std::uint32_t>(priority);
  // Flipping the sign bit orders the counters as unsigned numbers; inverting puts them high first.
  const std::uint32_t descending = ~(counter ^ 0x80000000u);
  return std::uint64_t{descending} << 32 | static_cast<std::uint32_t>(index);
}

// Ascending; insertion for the short lists that are most of them.
[[gnu::noinline]] void SortKeys(std::uint64_t* keys, int size) {
  if (size > 64) {
    std::sort(keys, keys + size);
    return;
  }
  for (int i = 1; i < size; ++i) {
    const std::uint64_t key = keys[i];
    int hole = i;
    for (; hole > 0 && keys[hole - 1] > key; --hole) keys[hole] = keys[hole - 1];
    keys[hole] = key;
  }
}

}  // namespace

void ClearHistory(HistoryTable& table) {
  for (OrderingCounters& side : table)
    for (auto& row : side) std::fill(std::begin(row), std::end(row), 0);
}

MoveOrder::MoveOrder(const MoveList& list, int first, const OrderingCounters* counters)
    : keys_(inline_), size_(list.Size()), first_(first) {
  Fill([&](int i) {
    return counters ? SortKey((*counters)[list[i].from][list[i].to], i) : std::uint64_t(i);
  });
}

MoveOrder::MoveOrder(const MoveList& list, int first, Priorities priorities)
    : keys_(inline_), size_(list.Size()), first_(first) {
  Fill([&](int i) { return SortKey(priorities.values[i], i); });
}

template <typename KeyOf>
void MoveOrder::Fill(KeyOf keyOf) {
  if (size_ == 1) {  // one move needs no counters
    keys_[0] = 0;
    return;
  }
  if (size_ > INLINE_ROOM) {
    heap_ = std::make_unique<std::uint64_t[]>(static_cast<std::size_t>(size_));
    keys_ = heap_.get();
  }
  // The lowest key is found on the way, which spares the first pick its own pass.
  std::uint64_t lowest = ~std::uint64_t{0};
  for (int i = 0; i < size_; ++i) {
    const std::uint64_t key = keyOf(i);
    keys_[i] = key;
    const bool lower = key < lowest;
    lowest = lower ? key : lowest;
    lowest_ = lower ? i : lowest_;
  }
}

void MoveOrder::SortRest() { SortKeys(keys_ + next_, size_ - next_); }

int MoveOrder::TakeChosen() {
  // The chosen move leaves the keys still to be picked from; the lowest key stays known
  // unless it was the chosen one.
  std::swap(keys_[0], keys_[first_]);
  if (lowest_ == first_) {
    lowest_ = -1;
  } else if (lowest_ == 0) {
    lowest_ = first_;
  }
  next_ = 1;
  return first_;
}

int MoveOrder::FindLowest() const {
  // Without a branch per key: which key is lower is not foreseeable.
  int best = next_;
  std::uint64_t lowest = keys_[next_];
  for (int i = next_ + 1; i < size_; ++i) {
    const bool lower = keys_[i] < lowest;
    lowest = lower ? keys_[i] : lowest;
    best = lower ? i : best;
  }
  return best;
}
