#include <gtest/gtest.h>

#include <atomic>
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

}  // namespace
