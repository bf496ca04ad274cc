#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <limits>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>

#include "game/Console.h"
#include "search/TranspositionTable.h"
#include "support/TestBoards.h"

namespace {

// Collects the console text and standard error while it lives.
struct OutputCapture {
  std::ostringstream console, errors;
  std::ostream* savedConsole = std::exchange(ConsoleOut, &console);
  std::streambuf* savedErrors = std::cerr.rdbuf(errors.rdbuf());
  ~OutputCapture() {
    ConsoleOut = savedConsole;
    std::cerr.rdbuf(savedErrors);
  }
};

std::string Report(const TranspositionTable& table, std::string* errors = nullptr) {
  OutputCapture output;
  table.PrintStatistics();
  *ConsoleOut << 1.5;  // the report leaves the stream's number format as it found it
  if (errors) *errors = output.errors.str();
  return output.console.str();
}

TEST(TranspositionTable, ClearedTableAnswersNothing) {
  TranspositionTable table(WHITE);
  table.SlotAt(5).Store(TT_EXACT, 120, 3, 0, 7, At("e2"), At("e4"), 999);
  table.SlotAt(-77).Store(TT_LOWER, -40, -1, 0xDEADBEEF, 9, 1, 2, 3);
  EXPECT_TRUE(table.SlotAt(5).Answers(0) && table.SlotAt(77).Answers(0xDEADBEEF));
  table.Clear();
  for (std::int64_t slot = 0; slot < table.Size(); ++slot) {
    const TTEntry& entry = table.SlotAt(slot);
    ASSERT_FALSE(entry.Answers(0));  // an empty entry's check is 0 too
    ASSERT_TRUE(entry.score == 0 && entry.depth == 0 && entry.ply == -1);
  }
  EXPECT_EQ(Report(table),
            "\n S T A T S  -  TranspositionTable  white\ntotal number of entries: "
            "      0 of  655360 ( 0.00% )\n- depth\n- ply\n1.5");
}

TEST(TranspositionTable, KeysOfEitherSignShareASlot) {
  EXPECT_EQ(TranspositionTable::SlotIndex(-655361, TT_SIZE), 1);
  EXPECT_EQ(TranspositionTable::SlotIndex(std::numeric_limits<std::int32_t>::min(), TT_SIZE),
            524288);
  EXPECT_EQ(TranspositionTable::SlotIndex(std::numeric_limits<std::int64_t>::min(), 1000), 808);
  TranspositionTable table(-1, 1000);
  Board board = FromFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");  // its keys are negative
  for (const char* move : {"a1a8", "h8h1", "e1d2"}) {
    EXPECT_EQ(&table.Slot(board), &table.SlotAt(std::llabs(board.HashKey()))) << move;
    Play(board, {move});
  }
  // Two positions in one slot: only the stored one answers.
  table.SlotAt(234).Store(TT_UPPER, 15, 2, 0x80000001u, 3, -1, -1, 0);
  EXPECT_TRUE(table.SlotAt(-1234).Answers(0x80000001u));
  EXPECT_FALSE(table.SlotAt(-1234).Answers(0x00000001u));
}

TEST(TranspositionTable, OnlyMateScoresAreCorrectedForTheMovesPlayedSince) {
  for (const auto& [stored, at14, at6] : {std::tuple{29990, 29986, 29994},
                                          {29950, 29946, 29954},
                                          {29949, 29949, 29949},
                                          {-29949, -29949, -29949},
                                          {-29950, -29946, -29954},
                                          {-29990, -29986, -29994}}) {
    TTEntry entry;
    entry.Store(TT_EXACT, stored, 4, 1, 10, -1, -1, 0);
    EXPECT_EQ(entry.CorrectedScore(14), at14) << stored;
    EXPECT_EQ(entry.CorrectedScore(6), at6) << stored;
  }
}

TEST(TranspositionTable, ReportHistogramsCorruptionAndAFullTable) {
  TranspositionTable table(-1, 1000);
  table.SetColour(BLACK);
  for (auto [slot, depth, ply] :
       {std::tuple{0, 3, 12}, {1, 3, 14}, {2, -1, 12}, {3, 1, 1000}, {4, 1, -1}})
    table.SlotAt(slot).Store(TT_LOWER, 0, depth, 1, ply, -1, -1, 0);
  std::string errors;
  EXPECT_EQ(Report(table, &errors),
            "\n S T A T S  -  TranspositionTable  black\n"
            "total number of entries:       5 of    1000 ( 0.50% )\n- depth\n  ^-   3:       2\n"
            "  ^-  -1:       1\n- ply\n  ^-  14:       1\n  ^-  12:       2\n1.5");
  EXPECT_EQ(errors, " TRANSPOSITIONTABLE IS CORRUPTED  TRANSPOSITIONTABLE IS CORRUPTED ");

  TranspositionTable full;
  for (std::int64_t slot = 0; slot < TT_SIZE; ++slot)
    full.SlotAt(slot).Store(TT_EXACT, 0, 1, 1, 1, -1, -1, 0);
  EXPECT_EQ(Report(full),
            "\n S T A T S  -  TranspositionTable \ntotal number of entries:  655360"
            " of  655360 ( 100.00% )\n- depth\n  ^-   1:  655360\n- ply\n"
            "  ^-   1:  655360\n1.5");
}

}  // namespace
