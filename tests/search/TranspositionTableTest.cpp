#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <limits>
#include <sstream>
#include <string>
#include <tuple>

#include "search/NegaScout.h"
#include "search/TranspositionTable.h"
#include "support/ConsoleCapture.h"
#include "support/TestBoards.h"

namespace {

// The report on the console, and a warning on standard error per corrupted entry, as the
// program shows them.
std::string Report(const TranspositionTable& table) {
  ConsoleCapture console;
  for (int corrupted = table.WriteStatistics(*ConsoleOut); corrupted > 0; --corrupted)
    std::cerr << " TRANSPOSITIONTABLE IS CORRUPTED ";
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

// The entries exist only once a search may write one; until then every slot reads as empty.
TEST(TranspositionTable, EntriesAreAllocatedByTheFirstWritableAccessAndReadEmpty) {
  TranspositionTable table(WHITE, 5000);
  const TranspositionTable& reader = table;
  table.Clear();
  EXPECT_EQ(reader.SlotAt(17).type, TT_EMPTY);
  EXPECT_FALSE(table.Allocated());
  EXPECT_EQ(Report(table),
            "\n S T A T S  -  TranspositionTable  white\ntotal number of entries: "
            "      0 of    5000 ( 0.00% )\n- depth\n- ply\n1.5");
  for (int slot = 0; slot < 5000; ++slot) EXPECT_EQ(table.SlotAt(slot).type, TT_EMPTY);
  EXPECT_TRUE(table.Allocated());
  EXPECT_EQ(&reader.SlotAt(17), &table.SlotAt(17));
}

// Every field reads back as stored, over the whole range the searches use.
TEST(TranspositionTable, EntriesKeepEveryStoredField) {
  const struct {
    int type, score, depth;
    std::uint32_t lock;
    int ply, from, to;
  } cases[] = {
      {TT_EXACT, 31000, 25, 0xFFFFFFFFu, 2000001, 63, 0},
      {TT_UPPER, -31000, -40, 0x80000000u, 1, -1, -1},
      {TT_LOWER, -30001, 0, 0u, 37, 0, 63},
  };
  for (const auto& c : cases) {
    TTEntry entry;
    entry.Store(c.type, c.score, c.depth, c.lock, c.ply, c.from, c.to, 12345);
    EXPECT_TRUE(entry.Answers(c.lock));
    EXPECT_FALSE(entry.Answers(c.lock + 1));
    EXPECT_EQ((std::tuple<int, int, int, int, int, int>(entry.type, entry.score, entry.depth,
                                                        entry.ply, entry.from, entry.to)),
              std::tuple(c.type, c.score, c.depth, c.ply, c.from, c.to));
  }
}

// An engine that has not searched (a book move, a restored state) holds no table memory.
TEST(TranspositionTable, AnEngineAllocatesItsTablesForItsFirstSearch) {
  ConsoleCapture console;
  NegaScout engine(SearchLimits::FixedDepth(2));
  std::istringstream saved(std::string(4, '\0'));
  engine.LoadState(saved);  // empties the tables
  EXPECT_FALSE(engine.Table(WHITE).Allocated() || engine.Table(BLACK).Allocated());
  Move best;
  engine.Think(Board(), &best);
  EXPECT_TRUE(engine.Table(WHITE).Allocated() && engine.Table(BLACK).Allocated());
  EXPECT_TRUE(engine.Table(WHITE).Slot(Board()).Answers(Board().HashLock()));
  engine.LoadState(saved);
  EXPECT_FALSE(engine.Table(WHITE).Slot(Board()).Answers(Board().HashLock()));
}

// The marks let a search skip reading an entry that is empty or holds another position, so a
// mark must never lie: after a store through the slot, after any writable access, after a real
// search through both tables, and after emptying.
TEST(TranspositionTable, AMarkTellsAnEmptyEntryAndTheLockItHolds) {
  TranspositionTable table(-1, 1000);
  EXPECT_FALSE(table.PlaceAt(5).MayBeUsed());
  table.PlaceAt(5).Store(TT_LOWER, 7, 1, 9, 2, 8, 16, 0);
  EXPECT_TRUE(table.PlaceAt(-5).MayAnswer(9));
  EXPECT_TRUE(table.PlaceAt(-5).Entry().Answers(9));
  EXPECT_FALSE(table.PlaceAt(-5).MayAnswer(9 + (1u << 25)));
  EXPECT_FALSE(table.PlaceAt(6).MayBeUsed());
  table.SlotAt(6).Store(TT_UPPER, 1, 1, 1, 1, -1, -1, 0);
  EXPECT_TRUE(table.PlaceAt(6).MayAnswer(1) && table.PlaceAt(6).MayAnswer(0xFFFFFFFF));
  table.PlaceAt(7).Store(TT_EMPTY, 0, 0, 3, 1, -1, -1, 0);
  EXPECT_FALSE(table.PlaceAt(7).MayBeUsed());
  table.Clear();
  EXPECT_FALSE(table.PlaceAt(5).MayBeUsed() || table.PlaceAt(6).MayBeUsed());

  ConsoleCapture console;
  NegaScout engine(SearchLimits::FixedDepth(3));
  Move best;
  engine.Think(FromFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -"), &best);
  int used = 0;
  for (Color side : {WHITE, BLACK}) {
    for (int slot = 0; slot < TT_SIZE; ++slot) {
      const TableSlot place = engine.Table(side).PlaceAt(slot);
      const TTEntry& entry = place.Entry();
      ASSERT_EQ(place.MayBeUsed(), entry.type != TT_EMPTY) << "slot " << slot;
      if (place.MayBeUsed()) {
        ++used;
        ASSERT_TRUE(place.MayAnswer(static_cast<std::uint32_t>(entry.check))) << "slot " << slot;
      }
    }
  }
  EXPECT_GT(used, 1000);
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
  EXPECT_TRUE(last.type == TT_EMPTY && last.score == 0 && last.depth == 0 && last.ply == 0);
  EXPECT_EQ(Report(table),
            "\n S T A T S  -  TranspositionTable  white\ntotal number of entries: "
            "      0 of  655360 ( 0.00% )\n- depth\n- ply\n1.5");

  TranspositionTable small(BLACK, 1000);
  for (auto [slot, depth, ply] :
       {std::tuple{0, 3, 12}, {1, 3, 14}, {2, -1, 12}, {3, 1, 1000}, {4, 1, -1}})
    small.SlotAt(slot).Store(TT_LOWER, 0, depth, 1, ply, -1, -1, 0);
  StreamCapture errors(std::cerr);
  EXPECT_EQ(Report(small),
            "\n S T A T S  -  TranspositionTable  black\n"
            "total number of entries:       5 of    1000 ( 0.50% )\n- depth\n  ^-   3:       2\n"
            "  ^-  -1:       1\n- ply\n  ^-  14:       1\n  ^-  12:       2\n1.5");
  EXPECT_EQ(errors.Take(), " TRANSPOSITIONTABLE IS CORRUPTED  TRANSPOSITIONTABLE IS CORRUPTED ");
}

}  // namespace

namespace {

// A clear costs next to nothing whatever the size, yet no entry outlives it, however many
// clears follow (the entries' ages come round again after 256), and an entry stored after a
// clear is kept.
TEST(TranspositionTable, NoEntryOutlivesAClear) {
  TranspositionTable table(WHITE, 1000);
  const TranspositionTable& reader = table;
  for (int slot = 0; slot < 1000; ++slot)
    table.PlaceAt(slot).Store(TT_EXACT, 5, 1, 7, 1, -1, -1, 0);
  for (int clears = 1; clears <= 600; ++clears) {
    table.Clear();
    table.PlaceAt(0).Store(TT_LOWER, clears, 2, 9, 1, -1, -1, 0);
    ASSERT_TRUE(reader.SlotAt(0).Answers(9));
    if (clears % 50 != 0 && (clears < 254 || clears > 258)) continue;
    for (int slot = 1; slot < 1000; ++slot) ASSERT_EQ(reader.SlotAt(slot).type, TT_EMPTY) << clears;
  }
  for (int slot = 1; slot < 1000; ++slot) EXPECT_FALSE(table.PlaceAt(slot).MayBeUsed());
}

// An entry stored at half-move 10 with depth 3, an upper bound, for the position with lock 7.
TTEntry Stored(int type = TT_UPPER) {
  TTEntry entry;
  entry.Store(type, 50, 3, 7, 10, 12, 28, 0);
  return entry;
}

TEST(TranspositionTable, WhichResultsReplaceAnEntry) {
  struct Case {
    const char* what;
    TTEntry entry;
    int kind, depth;
    std::uint32_t lock;
    int moveNumber;
    bool replaces;
  };
  const Case cases[] = {
      {"anything fills an empty slot", TTEntry(), TT_UPPER, 1, 7, 1, true},
      {"reaching further into the game", Stored(), TT_UPPER, 2, 99, 12, true},
      {"reaching exactly as far", Stored(), TT_UPPER, 2, 99, 11, false},
      {"deeper, same position", Stored(), TT_LOWER, 4, 7, 5, true},
      {"as deep, same position", Stored(), TT_LOWER, 3, 7, 5, false},
      {"deeper, other position", Stored(), TT_LOWER, 4, 8, 5, false},
      {"exact over a bound", Stored(), TT_EXACT, 1, 8, 1, true},
      {"exact over exact", Stored(TT_EXACT), TT_EXACT, 1, 8, 1, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.entry.TakesSearchResult(c.kind, c.depth, c.lock, c.moveNumber), c.replaces)
        << c.what;
  // The quiescence search only ever fills empty slots.
  EXPECT_TRUE(TTEntry().TakesQuiescenceResult());
  EXPECT_FALSE(Stored().TakesQuiescenceResult());
}

}  // namespace
