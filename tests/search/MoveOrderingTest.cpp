#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "search/MoveOrdering.h"

namespace {

// The moves one at a time in the stable order of the counters of the side handed in, with the
// chosen move first, whether a node stops early or goes through every move; short lists and
// lists longer than the room on the stack.
TEST(MoveOrdering, OneAtATimeStablyByTheCountersWithTheChosenMoveFirst) {
  HistoryTable history;
  std::int32_t* const counters = &history[0][0][0];
  std::fill_n(counters, 2 * 64 * 64, 77);
  ClearHistory(history);
  EXPECT_EQ(std::count(counters, counters + 2 * 64 * 64, 0), 2 * 64 * 64);
  // Few distinct counters, so that most moves tie with others, and the extremes of the type.
  // White's counters differ from Black's.
  std::mt19937 random(2024);
  constexpr std::int32_t values[] = {0, 1, 2, 3, -5, 2147483647, -2147483647 - 1};
  for (int i = 0; i < 2 * 64 * 64; ++i) counters[i] = values[random() % (i % 3 == 0 ? 7 : 4)];
  const auto higher = [&](int a, int b, const std::vector<Move>& moves) {
    const Move &x = moves[static_cast<std::size_t>(a)], &y = moves[static_cast<std::size_t>(b)];
    return history[BLACK][x.from][x.to] > history[BLACK][y.from][y.to];
  };
  for (int size : {1, 2, 3, 4, 5, 31, 64, 129, 300, 40}) {
    MoveList list;
    std::vector<Move> moves;
    for (int i = 0; i < size; ++i) {
      moves.push_back(Move{BQ, NO_PIECE, static_cast<int>(random() % 64),
                           static_cast<int>(random() % 64), MOVE_NORMAL, i});
      list.Add(moves.back());
    }
    std::vector<int> sorted(static_cast<std::size_t>(size));
    for (int i = 0; i < size; ++i) sorted[static_cast<std::size_t>(i)] = i;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&](int a, int b) { return higher(a, b, moves); });
    for (int first : {-1, 0, size / 2, size - 1}) {
      std::vector<int> expected;
      if (first >= 0) expected.push_back(first);
      for (int index : sorted)
        if (index != first) expected.push_back(index);
      for (int asked : {1, 3, size}) {
        MoveOrder order(list, first, &history[BLACK]);
        for (int k = 0; k < asked && k < size; ++k)
          ASSERT_EQ(order.Next(), expected[static_cast<std::size_t>(k)])
              << "size " << size << " first " << first << " step " << k;
      }
    }
  }
  // Without counters every move is alike: generation order after the chosen move.
  MoveList list;
  for (int i = 0; i < 4; ++i) list.Add(Move{WN, NO_PIECE, i, 63 - i, MOVE_NORMAL, i});
  MoveOrder unordered(list, 2, nullptr);
  for (int expected : {2, 0, 1, 3}) EXPECT_EQ(unordered.Next(), expected);
}

}  // namespace
