#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "board/Rules.h"
#include "book/Outcome.h"
#include "search/NegaScout.h"
#include "search/SearchDriver.h"
#include "support/TestBoards.h"

namespace {

// The book answers before any search and counts as one; a stop request set while the engine
// thinks ends the search with a legal move, every finished iteration is reported, and the
// engine's own control is back afterwards.
TEST(SearchDriver, TheBookFirstThenTheSearchUntilItIsStopped) {
  NegaScout engine(SearchLimits::FixedDepth(3));
  const Board start;
  OpeningBook book;
  book.AddMove(GeneratedMove(start, "d2d4"), start.HashKey(), start.HashLock(), OUTCOME_GOOD,
               WHITE);
  SearchRequest request;
  request.book = &book;
  SearchAnswer answer = ChooseMove(engine, start, request);
  EXPECT_EQ(CoordinateText(answer.move), "d2d4");
  EXPECT_EQ(answer.book.candidates, 1);
  EXPECT_EQ(engine.SearchCount(), 1);

  SearchControl own;
  own.maxNodes = 123456789;
  engine.SetControl(own);
  std::atomic<bool> stop = false;
  int polls = 0;
  std::vector<IterationReport> reports;
  request = SearchRequest();
  request.limits = SearchLimits::FixedDepth(9);
  request.stop = &stop;
  request.listen = [&] { stop = ++polls == 4; };
  request.onIteration = [&](const IterationReport& report) { reports.push_back(report); };
  const Board board = FromFen("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3");
  answer = ChooseMove(engine, board, request);
  EXPECT_TRUE(answer.stopped);
  EXPECT_TRUE(IsLegalMove(board, answer.move));
  EXPECT_EQ(engine.Control().maxNodes, 123456789);
  ASSERT_FALSE(reports.empty());
  std::int64_t nodes = 0;
  for (const IterationReport& report : reports) nodes += report.iterationNodes;
  EXPECT_EQ(reports.back().nodes, nodes);
  EXPECT_EQ(reports.back().depth, engine.CompletedDepth());
}

// A slow iteration does not carry the search past its limit of time: with a clock that moves
// on a second at every look, the console game's ten seconds end the search in its fourth
// iteration, which its depths would always finish, with a move of the last finished one.
TEST(SearchDriver, TheLimitOfTimeEndsARunningIteration) {
  auto now = std::make_shared<std::int64_t>(0);
  NegaScout engine(SearchLimits(), [now] { return *now += 1000; });
  const Board board = FromFen("r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP2BPPP/R2QKB1R w KQ - 0 9");
  SearchRequest request;
  std::vector<IterationReport> reports;
  request.onIteration = [&](const IterationReport& report) { reports.push_back(report); };
  const SearchAnswer answer = ChooseMove(engine, board, request);
  EXPECT_TRUE(answer.stopped);
  // The look that ends the search and the one that times it each move the clock on.
  EXPECT_LE(answer.elapsedMs, SearchLimits().maxTimeMs + 2000);
  ASSERT_FALSE(reports.empty());
  EXPECT_LT(reports.back().depth, SearchLimits::DEFAULT_MIN_DEPTH);
  EXPECT_TRUE(answer.move == reports.back().best);
}

}  // namespace
