#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "search/MoveOrdering.h"
#include "support/TestBoards.h"

namespace {

TEST(MoveOrdering, CountersOfTheSelectedSideOrderTheMovesTiesKeepGenerationOrder) {
  HistoryTable history;
  std::fill_n(&history[0][0][0], 2 * 64 * 64, 77);
  ClearHistory(history);
  Board board;
  MoveList list;
  ASSERT_TRUE(list.Generate(board));
  std::vector<std::string> expected = MoveTexts(list);
  OrderingTable = &history[WHITE];
  SortMoves(list);
  EXPECT_EQ(MoveTexts(list), expected);

  history[WHITE][At("e2")][At("e4")] = 9;  // a cut-off at depth 3
  history[WHITE][At("d2")][At("d4")] = history[WHITE][At("g1")][At("f3")] = 4;
  history[BLACK][At("a2")][At("a3")] = 100;  // not the selected side
  SortMoves(list);
  for (const char* first : {"d2d4", "g1f3", "e2e4"}) {
    std::erase(expected, first);
    expected.insert(expected.begin(), first);
  }
  EXPECT_EQ(MoveTexts(list), expected);
  OrderingTable = nullptr;
}

TEST(MoveOrdering, AgreesWithAStableSortAtEveryLength) {
  std::mt19937 random(2024);
  HistoryTable history{};
  // Few distinct counters, so that most moves tie with others.
  for (auto& row : history[BLACK])
    for (std::int32_t& counter : row) counter = static_cast<std::int32_t>(random() % 4);
  OrderingTable = &history[BLACK];
  const auto higher = [&](const Move& a, const Move& b) {
    return history[BLACK][a.from][a.to] > history[BLACK][b.from][b.to];
  };
  for (int size : {0, 1, 2, 31, 32, 33, 64, 65, 97, 256, 257, 700, 40}) {
    MoveList list;
    std::vector<Move> expected;
    for (int i = 0; i < size; ++i) {
      const int from = static_cast<int>(random() % 64), to = static_cast<int>(random() % 64);
      expected.push_back(Move{BQ, NO_PIECE, from, to, MOVE_NORMAL, i, i % 3, i % 5});
      list.Add(expected.back());
    }
    std::stable_sort(expected.begin(), expected.end(), higher);
    SortMoves(list);
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

}  // namespace
