#include "search/MoveOrdering.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <utility>

const OrderingCounters* OrderingTable = nullptr;

namespace {

// A move's place in the sorted list as one number: its counter, highest first, then its place
// in the list. No two moves share one, so any sort of the numbers is the stable sort.
std::uint64_t SortKey(const Move& move, int index) {
  const auto counter = static_cast<std::uint32_t>((*OrderingTable)[move.from][move.to]);
  // Flipping the sign bit orders the counters as unsigned numbers; inverting puts them high first.
  const std::uint32_t descending = ~(counter ^ 0x80000000u);
  return std::uint64_t{descending} << 32 | static_cast<std::uint32_t>(index);
}

// Room for a long list's keys and for moving its records: allocated on the first list longer
// than the stack room, grown only for a longer one.
template <typename T>
T* Scratch(int size) {
  static std::unique_ptr<T[]> buffer;
  static int capacity = 0;
  if (size > capacity) {
    capacity = std::max(size, 256);
    buffer.reset(new T[static_cast<std::size_t>(capacity)]);
  }
  return buffer.get();
}

}  // namespace

void ClearHistory(HistoryTable& table) {
  for (OrderingCounters& side : table)
    for (auto& row : side) std::fill(std::begin(row), std::end(row), 0);
}

void SortMoves(MoveList& list) {
  const int size = list.Size();
  if (size < 2 || OrderingTable == nullptr) return;
  Move* const data = list.begin();
  constexpr int STACK_ROOM = 256;
  std::uint64_t stackKeys[STACK_ROOM];
  std::uint64_t* const keys = size <= STACK_ROOM ? stackKeys : Scratch<std::uint64_t>(size);
  bool inOrder = true;
  for (int i = 0; i < size; ++i) {
    keys[i] = SortKey(data[i], i);
    if (i > 0 && keys[i] < keys[i - 1]) inOrder = false;
  }
  if (inOrder) return;  // e.g. every counter equal
  if (size <= 16) {
    for (int i = 1; i < size; ++i) {
      const std::uint64_t key = keys[i];
      int hole = i;
      for (; hole > 0 && keys[hole - 1] > key; --hole) keys[hole] = keys[hole - 1];
      keys[hole] = key;
    }
  } else {
    std::sort(keys, keys + size);
  }
  Move* const sorted = Scratch<Move>(size);
  for (int i = 0; i < size; ++i) sorted[i] = data[static_cast<std::uint32_t>(keys[i])];
  std::copy(sorted, sorted + size, data);
}
