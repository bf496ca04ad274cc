#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "search/MoveOrdering.h"

namespace {

TEST(MoveOrdering, SortsStablyByTheCountersOfTheSelectedSide) {
  HistoryTable history;
  std::int32_t* const counters = &history[0][0][0];
  std::fill_n(counters, 2 * 64 * 64, 77);
  ClearHistory(history);
  EXPECT_EQ(std::count(counters, counters + 2 * 64 * 64, 0), 2 * 64 * 64);
  // White's counters differ from Black's.
  std::mt19937 random(2024);
  // Few distinct counters, so that most moves tie with others, and the extremes of the type.
  constexpr std::int32_t values[] = {0, 1, 2, 3, -5, 2147483647, -2147483647 - 1};
  for (int i = 0; i < 2 * 64 * 64; ++i) counters[i] = values[random() % (i % 3 == 0 ? 7 : 4)];
  const auto higher = [&](const Move& a, const Move& b) {
    return history[BLACK][a.from][a.to] > history[BLACK][b.from][b.to];
  };
  // Short and long lists (longer than the room on the stack), and shorter after longer ones.
  for (int size : {0, 1, 2, 31, 32, 33, 64, 65, 97, 256, 257, 700, 40}) {
    MoveList list;
    std::vector<Move> expected;
    for (int i = 0; i < size; ++i) {
      const int from = static_cast<int>(random() % 64), to = static_cast<int>(random() % 64);
      expected.push_back(Move{BQ, NO_PIECE, from, to, MOVE_NORMAL, i, i % 3, i % 5});
      list.Add(expected.back());
    }
    OrderingTable = nullptr;  // orders every move alike
    SortMoves(list);
    OrderingTable = &history[BLACK];
    SortMoves(list);
    std::stable_sort(expected.begin(), expected.end(), higher);
    ASSERT_EQ(list.Size(), size);
    for (int i = 0; i < size; ++i) {
      const Move &move = list[i], &want = expected[static_cast<std::size_t>(i)];
      ASSERT_TRUE(move == want && move.score == want.score && move.scoreType == want.scoreType &&
                  move.depth == want.depth)
          << "size " << size << " index " << i;
    }
  }
  OrderingTable = nullptr;
}

// MoveOrder hands out what SortMoves would give, with the chosen move taken out and put first,
// whether a node stops early or goes through every move.
TEST(MoveOrdering, OneAtATimeInTheSortedOrderWithTheChosenMoveFirst) {
  HistoryTable history{};
  std::mt19937 random(7);
  for (auto& row : history[WHITE])
    for (std::int32_t& counter : row) counter = static_cast<std::int32_t>(random() % 5);
  OrderingTable = &history[WHITE];
  for (int size : {1, 2, 3, 4, 5, 30, 129, 300}) {
    MoveList list;
    for (int i = 0; i < size; ++i)
      list.Add(Move{WN, NO_PIECE, static_cast<int>(random() % 64), static_cast<int>(random() % 64),
                    MOVE_NORMAL, i});
    MoveList sorted = list;
    SortMoves(sorted);
    for (int first : {-1, 0, size / 2, size - 1}) {
      std::vector<int> expected;  // the scores, which number the moves
      if (first >= 0) expected.push_back(first);
      for (const Move& move : sorted)
        if (move.score != first) expected.push_back(move.score);
      for (int asked : {1, 3, size}) {
        MoveOrder order(list, first);
        for (int k = 0; k < asked && k < size; ++k)
          ASSERT_EQ(list[order.Next()].score, expected[static_cast<std::size_t>(k)])
              << "size " << size << " first " << first << " step " << k;
      }
    }
  }
  OrderingTable = nullptr;
  MoveList list;
  for (int i = 0; i < 4; ++i) list.Add(Move{WN, NO_PIECE, i, 63 - i, MOVE_NORMAL, i});
  MoveOrder unordered(list, 2);
  for (int expected : {2, 0, 1, 3}) EXPECT_EQ(unordered.Next(), expected);
}

}  // namespace
