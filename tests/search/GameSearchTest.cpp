// The search as the engine modes run it: the front end's clock, depth and node orders, the
// principal variation with its mates, root moves, reports while an iteration runs and
// pondering's change of clock. Clocks are fake: they step with every look.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "board/Rules.h"
#include "search/NegaScout.h"
#include "search/SearchDriver.h"
#include "support/TestBoards.h"

namespace {

NegaScout::Clock SteppingClock(std::int64_t step) {
  auto now = std::make_shared<std::int64_t>(0);
  return [now, step] { return *now += step; };
}

struct Searched {
  SearchAnswer answer;
  std::vector<IterationReport> reports;
};

// One search of the position under the order, on a fake clock, with the game's draw rules.
Searched Search(const std::string& fen, const SearchOrder& order, std::int64_t clockStep = 0,
                SearchOptions options = SearchOptions()) {
  NegaScout engine(SearchLimits(), SteppingClock(clockStep));
  SearchRequest request;
  options.gameRules = true;
  request.options = std::move(options);
  ApplyOrder(order, request);
  Searched searched;
  request.onIteration = [&](const IterationReport& report) { searched.reports.push_back(report); };
  searched.answer = ChooseMove(engine, FromFen(fen), request);
  return searched;
}

const char* const MIDDLE_GAME = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3";

// With a clock the console's limits are off: where they end the search (an iteration over
// 2.5 s, 10 s in all), a long game clock goes deeper; a fixed time per move and a single
// legal move end it early, and the hard limit is never passed.
TEST(GameSearch, TheClockDecides) {
  constexpr std::int64_t step = 100;  // fake milliseconds per look at the clock
  const Searched console = Search(MIDDLE_GAME, SearchOrder(), step);
  SearchOrder clocked;
  clocked.clock.remainingMs = 600000;
  const Searched deep = Search(MIDDLE_GAME, clocked, step);
  ASSERT_FALSE(console.reports.empty());
  ASSERT_FALSE(deep.reports.empty());
  EXPECT_LE(console.answer.elapsedMs, 10000 + 3 * step);
  EXPECT_GT(deep.answer.elapsedMs, 10000);
  SearchRequest request;
  ApplyOrder(clocked, request);
  EXPECT_LE(deep.answer.elapsedMs, request.budget.hardMs + step);
  EXPECT_TRUE(IsLegalMove(FromFen(MIDDLE_GAME), deep.answer.move));

  // A depth given with the clock is kept, also beyond where the console's node limit stops.
  const char* kings = "8/8/8/3k4/8/3K4/8/8 w - - 0 1";
  const int consoleDepth = Search(kings, SearchOrder()).reports.back().depth;
  clocked.depth = consoleDepth + 2;
  EXPECT_EQ(Search(kings, clocked).reports.back().depth, consoleDepth + 2);
  clocked.depth = 0;

  SearchOrder fixed;
  fixed.clock.fixedMoveMs = 200;
  EXPECT_LE(Search(MIDDLE_GAME, fixed, 10).answer.elapsedMs, 200);

  // A single legal move (the king out of check) is played after a short look, deep enough for
  // its score to say what the position holds.
  const Searched forced = Search("7k/8/8/8/8/8/6q1/K7 w - - 0 1", clocked, step);
  EXPECT_GT(forced.reports.size(), 1u);
  EXPECT_LT(forced.answer.elapsedMs, request.budget.softMs / 4);
  EXPECT_EQ(CoordinateText(forced.answer.move), "a1b1");

  // The time of a fixed time per move is used, to within its reserve.
  fixed.clock.fixedMoveMs = 3000;
  const Searched exact = Search(MIDDLE_GAME, fixed, 10);
  EXPECT_GE(exact.answer.elapsedMs, 2800);
  EXPECT_LE(exact.answer.elapsedMs, 3000);
}

// A front end's search looks at one ply first: "depth 1" is one ply, and a search cut short at
// once (no nodes, no time) still answers with a searched move: the first iteration always
// finishes. In Kiwipete the first move generated, Qf3-g4, loses the queen to Nxg4.
TEST(GameSearch, EverySearchAnswersWithAFinishedIteration) {
  const char* kiwipete = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
  SearchOrder one;
  one.depth = 1;
  const Searched shallow = Search(kiwipete, one);
  ASSERT_EQ(shallow.reports.size(), 1u);
  EXPECT_EQ(shallow.reports[0].depth, 1);
  SearchOrder budget;
  SearchOrder hurried;
  hurried.clock.remainingMs = 20;
  for (const std::int64_t nodes : {0, 50, 100000}) {
    budget.nodes = nodes;
    const Searched searched = Search(kiwipete, budget);
    ASSERT_FALSE(searched.reports.empty()) << nodes;
    EXPECT_NE(CoordinateText(searched.answer.move), "f3g4") << nodes;
    hurried.clock.fixedMoveMs = nodes == 0 ? -1 : nodes / 10;
    const Searched quick = Search(kiwipete, hurried, 100);  // each look at the clock: 0.1 s
    ASSERT_FALSE(quick.reports.empty()) << nodes;
    EXPECT_NE(CoordinateText(quick.answer.move), "f3g4") << nodes;
  }

  // Only a tool's ceiling ends the first iteration, and then a legal move answers: here the
  // captures take the capture search half a million nodes at one ply.
  const char* captures = "r3k2r/pqppp1b1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPPPBPB/R3K2R w KQkq - 0 1";
  NegaScout engine(SearchLimits(), SteppingClock(0));
  SearchRequest request;
  ApplyOrder(one, request);
  request.budget.nodeCeiling = 3000;
  std::size_t iterations = 0;
  request.onIteration = [&](const IterationReport&) { iterations += 1; };
  const SearchAnswer capped = ChooseMove(engine, FromFen(captures), request);
  EXPECT_EQ(iterations, 0u);
  EXPECT_LT(capped.nodes, 3000 + 2 * 2048);
  EXPECT_TRUE(IsLegalMove(FromFen(captures), capped.move));
}

// Under a front end's game a position where no mate is possible is a draw, whatever the
// material says, and so is one the fifty-move rule will end before anything changes.
TEST(GameSearch, DeadPositionsAreDraws) {
  SearchOrder order;
  order.depth = 6;
  for (const char* dead : {"8/8/4k3/8/8/3KN3/8/8 w - - 0 1", "8/8/4k3/8/8/3KB3/8/8 b - - 0 1",
                           "8/8/4kb2/8/8/3KB3/8/8 w - - 0 1"}) {
    EXPECT_EQ(Search(dead, order).reports.back().score, 0) << dead;
  }
  EXPECT_GT(Search("8/8/4k3/8/8/3KN3/4P3/8 w - - 0 1", order).reports.back().score, 100);
}

// The variation holds the real promotion piece and ends at the mate; mates count in moves,
// for the side to move (positive) or against it (negative), and the first move is the answer.
TEST(GameSearch, VariationsEndAtTheMate) {
  SearchOrder order;
  order.depth = 4;
  // b8=N mates, b8=Q stalemates.
  const Searched knight = Search("K7/1P6/k7/6R1/8/8/5B2/8 w - - 0 1", order);
  EXPECT_EQ(CoordinateText(knight.answer.move), "b7b8n");
  EXPECT_EQ(knight.reports.back().variation, "b7b8n");
  EXPECT_EQ(knight.reports.back().mateMoves, 1);

  order.depth = 6;
  const char* mated = "6k1/8/8/8/8/1r6/r7/7K w - - 0 1";
  const Searched lost = Search(mated, order);
  const IterationReport& last = lost.reports.back();
  EXPECT_EQ(last.mateMoves, -1);
  ASSERT_EQ(last.moves.size(), 2u);
  EXPECT_EQ(CoordinateText(last.moves[0]), CoordinateText(lost.answer.move).substr(0, 4));
  Board board = FromFen(mated);
  for (const Move& move : last.moves) {
    ASSERT_TRUE(IsLegalMove(board, move));
    PlayMove(board, move);
  }
  EXPECT_EQ(StandingOf(board), Standing::CHECKMATE);
  EXPECT_EQ(lost.answer.variation, last.moves);

  // Two moves to mate: the king closes the seventh rank, then the rook mates.
  const Searched two = Search("k7/8/2K5/8/8/8/8/7R w - - 0 1", order);
  EXPECT_EQ(two.reports.back().mateMoves, 2);
  EXPECT_EQ(two.reports.back().moves.size(), 3u);
}

// The fifty-move rule draws only lawful positions: with 99 plies gone, a king move into the
// rook's file stays refused (a game was forfeited that way), and the hundredth ply may mate.
TEST(GameSearch, TheFiftyMoveRuleDrawsOnlyLawfulPositions) {
  SearchOrder order;
  order.depth = 4;
  SearchOptions late;
  late.reversiblePlies = 99;
  const char* rookEnding = "8/8/k7/3K4/8/1R6/8/4r3 b - - 99 133";
  const Searched searched = Search(rookEnding, order, 0, late);
  EXPECT_TRUE(IsLegalMove(FromFen(rookEnding), searched.answer.move))
      << CoordinateText(searched.answer.move);
  EXPECT_EQ(searched.reports.back().score, 0);
  const Searched mate = Search("k7/8/1K6/8/8/8/8/7R w - - 99 80", order, 0, late);
  EXPECT_EQ(CoordinateText(mate.answer.move), "h1h8");
  EXPECT_EQ(mate.reports.back().mateMoves, 1);
}

// A mate order ends a search without end by itself, once the mate is short enough.
TEST(GameSearch, AMateOrderEndsTheSearch) {
  SearchOrder mate;
  mate.mateMoves = 2;
  mate.infinite = true;
  const Searched found = Search("k7/8/2K5/8/8/8/8/7R w - - 0 1", mate);
  EXPECT_FALSE(found.answer.stopped);
  EXPECT_EQ(found.reports.back().mateMoves, 2);
}

// After the first second: the counters at least once a second, the root move being searched,
// and a new best move of the root with its variation.
TEST(GameSearch, ReportsWhileAnIterationRuns) {
  NegaScout engine(SearchLimits(), SteppingClock(20));
  SearchRequest request;
  SearchOrder order;
  order.depth = 5;
  ApplyOrder(order, request);
  std::vector<SearchProgress> reports;
  request.options.gameRules = true;
  request.options.progress = [&](const SearchProgress& progress) { reports.push_back(progress); };
  ChooseMove(engine, FromFen(MIDDLE_GAME), request);
  ASSERT_FALSE(reports.empty());
  std::int64_t lastPeriodic = 0;
  int kinds[3] = {0, 0, 0};
  for (const SearchProgress& report : reports) {
    kinds[static_cast<int>(report.kind)] += 1;
    if (report.kind == SearchProgress::Kind::PERIODIC) {
      EXPECT_GE(report.elapsedMs - lastPeriodic, 1000);
      lastPeriodic = report.elapsedMs;
      EXPECT_GT(report.nodes, 0);
    } else {
      EXPECT_GE(report.elapsedMs, 1000);
    }
    if (report.kind == SearchProgress::Kind::CURRENT_MOVE) {
      EXPECT_GE(report.moveNumber, 1);
    }
    if (report.kind == SearchProgress::Kind::NEW_BEST) {
      EXPECT_FALSE(report.variation.empty());
    }
  }
  EXPECT_GT(kinds[0], 0);
  EXPECT_GT(kinds[1], 0);
}

// Pondering searches without end; when the guess is played, the running search gets the
// clock from then on and ends by itself.
TEST(GameSearch, APonderedSearchTakesTheClockWhenTheGuessIsPlayed) {
  NegaScout engine(SearchLimits(), SteppingClock(10));
  SearchRequest request;
  SearchOrder order;
  order.infinite = true;
  ApplyOrder(order, request);
  GameClock clock;
  clock.fixedMoveMs = 300;
  int polls = 0;
  request.listen = [&] {
    if (++polls == 50) engine.RestartClock(BudgetFor(clock));
  };
  const SearchAnswer answer = ChooseMove(engine, FromFen(MIDDLE_GAME), request);
  EXPECT_FALSE(answer.stopped && answer.variation.empty());
  EXPECT_GE(polls, 50);
  EXPECT_TRUE(IsLegalMove(FromFen(MIDDLE_GAME), answer.move));
}

}  // namespace
