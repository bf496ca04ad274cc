#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <tuple>

#include "search/TranspositionTable.h"
#include "support/ConsoleCapture.h"
#include "support/TestBoards.h"

namespace {

std::string Report(const TranspositionTable& table) {
  ConsoleCapture console;
  table.PrintStatistics();
  *ConsoleOut << 1.5;  // the report leaves the stream's number format as it found it
  return console.Take();
}

TEST(TranspositionTable, KeysOfEitherSignShareASlot) {
  EXPECT_EQ(TranspositionTable::SlotIndex(-655361, TT_SIZE), 1);
  EXPECT_EQ(TranspositionTable::SlotIndex(std::numeric_limits<std::int32_t>::min(), TT_SIZE),
            524288);
  EXPECT_EQ(TranspositionTable::SlotIndex(std::numeric_limits<std::int64_t>::min(), 1000), 808);
  TranspositionTable table(-1, 1000);
  const Board start;
  EXPECT_EQ(&table.Slot(start), &table.SlotAt(start.HashKey()));
  // Two positions in one slot: only the stored one answers.
  table.SlotAt(234).Store(TT_UPPER, 15, 2, 0x80000001u, 3, -1, -1, 0);
  EXPECT_TRUE(table.SlotAt(-1234).Answers(0x80000001u));
  EXPECT_FALSE(table.SlotAt(-1234).Answers(0x00000001u));
}

TEST(TranspositionTable, OnlyMateScoresAreCorrectedForTheMovesPlayedSince) {
  for (const auto& [stored, at14, at6] : {std::tuple{29950, 29946, 29954},
                                          {29949, 29949, 29949},
                                          {-29949, -29949, -29949},
                                          {-29950, -29946, -29954}}) {
    TTEntry entry;
    entry.Store(TT_EXACT, stored, 4, 1, 10, -1, -1, 0);
    EXPECT_EQ(std::pair(entry.CorrectedScore(14), entry.CorrectedScore(6)), std::pair(at14, at6));
  }
}

TEST(TranspositionTable, ReportCountsEntriesByDepthAndPlyAndClearEmptiesEveryEntry) {
  TranspositionTable table;
  for (std::int64_t slot = 0; slot < TT_SIZE; ++slot)
    table.SlotAt(slot).Store(TT_EXACT, 120, 1, 0, 1, At("e2"), At("e4"), 999);
  EXPECT_EQ(Report(table),
            "\n S T A T S  -  TranspositionTable \ntotal number of entries:  655360"
            " of  655360 ( 100.00% )\n- depth\n  ^-   1:  655360\n- ply\n"
            "  ^-   1:  655360\n1.5");
  table.Clear();
  table.SetColour(WHITE);
  EXPECT_FALSE(table.SlotAt(0).Answers(0));  // an empty entry's check is 0 too
  const TTEntry& last = table.SlotAt(TT_SIZE - 1);
  EXPECT_TRUE(last.score == 0 && last.depth == 0 && last.ply == -1 && last.from == -1);
  EXPECT_EQ(Report(table),
            "\n S T A T S  -  TranspositionTable  white\ntotal number of entries: "
            "      0 of  655360 ( 0.00% )\n- depth\n- ply\n1.5");

  TranspositionTable small(BLACK, 1000);
  for (auto [slot, depth, ply] :
       {std::tuple{0, 3, 12}, {1, 3, 14}, {2, -1, 12}, {3, 1, 1000}, {4, 1, -1}})
    small.SlotAt(slot).Store(TT_LOWER, 0, depth, 1, ply, -1, -1, 0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(Report(small),
            "\n S T A T S  -  TranspositionTable  black\n"
            "total number of entries:       5 of    1000 ( 0.50% )\n- depth\n  ^-   3:       2\n"
            "  ^-  -1:       1\n- ply\n  ^-  14:       1\n  ^-  12:       2\n1.5");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            " TRANSPOSITIONTABLE IS CORRUPTED  TRANSPOSITIONTABLE IS CORRUPTED ");
}

}  // namespace
