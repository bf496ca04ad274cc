#include "search/MoveOrdering.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <utility>

const OrderingCounters* OrderingTable = nullptr;

namespace {

// Runs of this many moves are sorted by insertion before they are merged.
constexpr int RUN_LENGTH = 32;

std::int32_t Counter(const Move& move) { return (*OrderingTable)[move.from][move.to]; }

void InsertionSort(Move* first, Move* last) {
  for (Move* next = first + 1; next < last; ++next) {
    const std::int32_t counter = Counter(*next);
    if (Counter(next[-1]) >= counter) continue;
    const Move move = *next;
    Move* hole = next;
    do {
      *hole = hole[-1];
      --hole;
    } while (hole != first && Counter(hole[-1]) < counter);
    *hole = move;
  }
}

// Merges the sorted runs [left, mid) and [mid, right) into out; on equal counters the left run
// goes first, which keeps the sort stable.
void Merge(const Move* left, const Move* mid, const Move* right, Move* out) {
  const Move* a = left;
  const Move* b = mid;
  while (a != mid && b != right) *out++ = Counter(*b) > Counter(*a) ? *b++ : *a++;
  out = std::copy(a, mid, out);
  std::copy(b, right, out);
}

// Room for the merges: allocated on the first long list, grown only for a longer one.
Move* Scratch(int size) {
  static std::unique_ptr<Move[]> buffer;
  static int capacity = 0;
  if (size > capacity) {
    capacity = std::max(size, 256);
    buffer.reset(new Move[static_cast<std::size_t>(capacity)]);
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
  for (int first = 0; first < size; first += RUN_LENGTH)
    InsertionSort(data + first, data + std::min(first + RUN_LENGTH, size));
  if (size <= RUN_LENGTH) return;

  // Bottom-up merges, back and forth between the list and the scratch.
  Move* source = data;
  Move* target = Scratch(size);
  for (int width = RUN_LENGTH; width < size; width *= 2) {
    for (int left = 0; left < size; left += 2 * width) {
      const int mid = std::min(left + width, size);
      const int right = std::min(left + 2 * width, size);
      Merge(source + left, source + mid, source + right, target + left);
    }
    std::swap(source, target);
  }
  if (source != data) std::copy(source, source + size, data);
}
