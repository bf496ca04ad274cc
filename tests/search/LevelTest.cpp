// Playing levels: the lower the level, the fewer nodes and the more often a move a little
// worse than the best; never a move outside the margin, never a mate given away.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "search/Level.h"
#include "search/SearchDriver.h"
#include "search/StrongSearch.h"
#include "support/TestBoards.h"

namespace {

struct LevelMove {
  SearchAnswer answer;
  std::vector<IterationReport> reports;  // what the caller is shown
};

LevelMove PlayAt(int level, const std::string& fen, std::uint64_t seed) {
  StrongSearch engine(SearchLimits(), [] { return std::int64_t{0}; });
  std::mt19937_64 random(seed);
  SearchRequest request;
  request.limits = SearchLimits::Unlimited(2, 64);
  request.level = level;
  request.random = &random;
  LevelMove played;
  request.onIteration = [&](const IterationReport& report) { played.reports.push_back(report); };
  played.answer = ChooseMove(engine, FromFen(fen), request);
  return played;
}

TEST(Level, LowerLevelsSearchLessAndChooseAmongNearBestMoves) {
  for (int level = LEVEL_MIN; level < LEVEL_MAX; level += 100) {
    EXPECT_LT(SettingsFor(level).nodes, SettingsFor(level + 100).nodes);
    EXPECT_GE(SettingsFor(level).marginCp, SettingsFor(level + 100).marginCp);
  }
  EXPECT_EQ(SettingsFor(LEVEL_MIN - 500).nodes, SettingsFor(LEVEL_MIN).nodes);

  const char* quiet = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP2BPPP/R2QKB1R w KQ - 0 9";
  std::set<std::string> weak, strong;
  for (std::uint64_t seed = 1; seed <= 12; ++seed) {
    const LevelMove low = PlayAt(LEVEL_MIN, quiet, seed);
    ASSERT_FALSE(low.reports.empty());
    // The caller sees one line, as it asked; the move is one of the level's lines, within
    // the margin of the best.
    for (const IterationReport& report : low.reports) EXPECT_EQ(report.line, 1);
    EXPECT_TRUE(IsLegalMove(FromFen(quiet), low.answer.move));
    EXPECT_GE(low.answer.move.score, low.reports.back().score - SettingsFor(LEVEL_MIN).marginCp);
    EXPECT_LE(low.answer.nodes, SettingsFor(LEVEL_MIN).nodes + 4096);
    weak.insert(CoordinateText(low.answer.move));
    if (seed <= 3) strong.insert(CoordinateText(PlayAt(LEVEL_MAX, quiet, seed).answer.move));
  }
  EXPECT_GT(weak.size(), 1U);
  EXPECT_EQ(strong.size(), 1U);

  // Every level takes a mate in one.
  for (int level : {LEVEL_MIN, 1500, LEVEL_MAX})
    for (std::uint64_t seed = 1; seed <= 4; ++seed)
      EXPECT_EQ(
          CoordinateText(PlayAt(level, "6k1/5ppp/8/8/8/8/8/3RK3 w - - 0 1", seed).answer.move),
          "d1d8");
}

}  // namespace
