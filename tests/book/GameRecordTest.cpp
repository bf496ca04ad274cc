#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/Rules.h"
#include "book/GameRecord.h"
#include "support/TestBoards.h"

namespace {

// Moves played leave no castling path behind; take-backs restore the positions and the
// result; the record written has the moves and the result decided outside the board.
TEST(GameRecord, MovesTakeBacksAndTheRecordWritten) {
  GameRecord record;
  const Board start = FromFen("r3k3/8/8/8/8/8/8/4K2R w K - 0 1");
  record.Restart(start);
  record.Play(GeneratedMove(record.Position(), "e1g1"));
  EXPECT_EQ(record.Position().castlePath[WHITE], 0u);
  EXPECT_EQ(record.Position().bitboards[WK], MaskOf(At("g1")));
  const Board castled = record.Position();
  record.Play(GeneratedMove(record.Position(), "a8a1"));
  const std::vector<int> plies = {record.LastPlyAt(start), record.LastPlyAt(castled),
                                  record.LastPlyAt(record.Position())};
  EXPECT_EQ(plies, (std::vector<int>{0, 1, -1}));

  record.SetResult("0-1");
  PGNWriter writer;
  record.WriteInto(writer);
  const std::string text = writer.GameText(writer.resultText);
  EXPECT_NE(text.find("  1.  Ke1g1  Ra8a1  0-1\n"), std::string::npos) << text;

  EXPECT_FALSE(record.TakeBack(3));
  EXPECT_EQ(record.Plies(), 2);
  ASSERT_TRUE(record.TakeBack(1));
  EXPECT_TRUE(SamePosition(record.Position(), castled));
  EXPECT_EQ(record.Result(), "*");
  ASSERT_TRUE(record.TakeBack(1));
  EXPECT_TRUE(SamePosition(record.Position(), start));
  EXPECT_TRUE(record.Moves().empty());
}

}  // namespace
