#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "protocol/XboardSession.h"
#include "search/NegaScout.h"
#include "search/SearchDriver.h"
#include "support/ConsoleCapture.h"
#include "support/TestBoards.h"

namespace {

// A clock that moves on by `step` milliseconds every time it is read.
NegaScout::Clock SteppingClock(std::int64_t step) {
  auto now = std::make_shared<std::int64_t>(0);
  return [now, step] { return *now += step; };
}

// The depths of the "Iteration of depth " lines in the console text.
std::vector<int> IterationDepths(const std::string& console) {
  std::vector<int> depths;
  const std::string marker = "Iteration of depth ";
  for (auto at = console.find(marker); at != std::string::npos; at = console.find(marker, at + 1))
    depths.push_back(std::stoi(console.substr(at + marker.size())));
  return depths;
}

// The engine's move through the search driver, which shows the search on the console as every
// mode does, and the thinking lines of its iterations when asked for. The engine's limits stay.
Move Choose(NegaScout& engine, const Board& board, std::vector<std::string>* thinking = nullptr) {
  SearchRequest request;
  request.limits = engine.Limits();
  request.console = [](const std::string& line) { *ConsoleOut << line; };
  if (thinking)
    request.onIteration = [thinking](const IterationReport& report) {
      thinking->push_back(ThinkingLine(report));
    };
  return ChooseMove(engine, board, std::move(request)).move;
}

Move Think(const std::string& fen, const SearchLimits& limits) {
  NegaScout engine(limits, SteppingClock(0));
  return Choose(engine, FromFen(fen));
}

TEST(NegaScout, MateInOneIsSeenFromIterationDepthThreeAndReported) {
  ConsoleCapture console;
  const char* fen = "6k1/5ppp/8/8/8/8/8/3RK3 w - - 0 1";
  EXPECT_LT(Think(fen, SearchLimits::FixedDepth(2)).score, SCORE_MATE_FOUND);
  NegaScout engine(SearchLimits::FixedDepth(3), SteppingClock(0));
  std::vector<std::string> lines;
  const Move mate = Choose(engine, FromFen(fen), &lines);
  EXPECT_EQ(mate.score, 30001 - 2);
  EXPECT_EQ(CoordinateText(mate), "d1d8");
  // The thinking line: depth, score, time, nodes and the variation.
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].substr(0, 10), "3\t100001\t0");
  EXPECT_EQ(lines[1].substr(lines[1].rfind('\t') + 1, 4), "d1d8");
  EXPECT_NE(console.Take().find("Iteration of depth 3; best move = WR - d1d8\nAI thought "),
            std::string::npos);

  // The mate found at depth 3 does not stop depth 4, which is always searched; there it does.
  Think(fen, SearchLimits());
  EXPECT_EQ(IterationDepths(console.Take()), (std::vector<int>{2, 3, 4}));
}

// At the root a lost position is answered with resignation and a stalemate as such.
TEST(NegaScout, MateStalemateAndIllegalPositionsAtTheRootAndInside) {
  ConsoleCapture console;
  const auto think = [](const char* fen, int depth) {
    const Move move = Think(fen, SearchLimits::FixedDepth(depth));
    return std::tuple(move.flags, move.piece, move.from, move.score);
  };
  const char* mated = "3R2k1/5ppp/8/8/8/8/8/4K3 b - - 0 1";
  const char* stalemate = "7k/5K2/6Q1/8/8/8/8/8 b - - 0 1";
  EXPECT_EQ(think(mated, 2), std::tuple(MOVE_RESIGN, BK, -1, SCORE_NONE));
  EXPECT_EQ(think(stalemate, 2), std::tuple(MOVE_STALEMATE, BK, -1, SCORE_NONE));
  // Every move allows a mate in one: the engine gives up at depth 4 while it still sees it.
  EXPECT_EQ(think("8/8/8/8/8/1k6/2q4P/K7 w - - 0 1", 4),
            std::tuple(MOVE_RESIGN, WK, At("h2"), -30001 + 2));

  NegaScout engine;
  Move out;
  Board board = FromFen(mated);
  EXPECT_EQ(engine.Search(board, 3, &out, -30000, 30000), -30001 + 3);
  board = FromFen(stalemate);
  EXPECT_EQ(engine.Search(board, 2, &out, -30000, 30000), 0);
  board = FromFen("4k3/8/8/8/8/8/8/4R1K1 b - - 0 1");
  board.sideToMove = WHITE;  // White could take the king
  EXPECT_EQ(engine.Search(board, 2, &out, -30000, 30000), SCORE_ILLEGAL);
  EXPECT_EQ(engine.SearchRoot(board, 2, &out, -30000, 30000), -SCORE_ILLEGAL);
  // The quiescence search does not refuse it: no capture is tried, the static score stands.
  EXPECT_LT(std::abs(engine.Quiesce(board, -30000, 30000, 0)), 5000);
}

// A front end's command or a game clock can end a search at any node: the move is then that of
// the last finished iteration, and without one the first legal move; never an empty move.
TEST(NegaScout, AStoppedSearchPlaysTheLastFinishedIteration) {
  ConsoleCapture console;
  const Board board = FromFen("r2q1rk1/pp2bppp/2n1bn2/3p4/3P4/2NBBN2/PP3PPP/R2Q1RK1 w - - 0 10");
  Move atDepth3;
  NegaScout reference(SearchLimits::FixedDepth(3), SteppingClock(0));
  reference.Think(board, &atDepth3);

  // Asked after every few thousand nodes and after every iteration: the third answer stops.
  int asked = 0;
  SearchControl control;
  control.interrupted = [&asked] { return ++asked > 2; };
  NegaScout engine(SearchLimits::FixedDepth(8), SteppingClock(0));
  engine.SetControl(control);
  Move move;
  engine.Think(board, &move);
  EXPECT_TRUE(engine.Stopped());
  ASSERT_GE(engine.CompletedDepth(), 2);
  EXPECT_LT(engine.CompletedDepth(), 8);
  EXPECT_TRUE(engine.CompletedDepth() != 3 || move == atDepth3);

  // Stopped before the first iteration ends (its quiescence search is long here).
  const Board busy = FromFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -");
  control.interrupted = [] { return true; };
  engine.SetControl(control);
  engine.Think(busy, &move);
  EXPECT_EQ(engine.CompletedDepth(), 0);
  EXPECT_EQ(CoordinateText(move), CoordinateText(PerftDivide(busy, 1).front().move));

  // The hard time limit of the clock: each reading of this clock moves on by 10 ms.
  SearchControl clock;
  clock.hardMs = 30;
  NegaScout timed(SearchLimits::FixedDepth(8), SteppingClock(10));
  timed.SetControl(clock);
  timed.Think(board, &move);
  EXPECT_TRUE(timed.Stopped());
  EXPECT_LT(timed.CompletedDepth(), 8);
  EXPECT_NE(move.from, -1);

  // With a control that never stops, the search is the same as without one.
  control.interrupted = [] { return false; };
  NegaScout watched(SearchLimits::FixedDepth(3), SteppingClock(0));
  watched.SetControl(control);
  watched.Think(board, &move);
  EXPECT_EQ(std::tuple(move, watched.TotalNodes()), std::tuple(atDepth3, reference.TotalNodes()));
}

// A clock that gives these readings in turn, then the last one for ever.
NegaScout::Clock ScriptedClock(std::vector<std::int64_t> readings) {
  auto next = std::make_shared<std::size_t>(0);
  return [next, readings] { return readings[std::min((*next)++, readings.size() - 1)]; };
}

// With minimum depth 2 the clock is read at the start, at both ends of every iteration and,
// for the total, after each iteration that did not end the search by itself: the readings
// {0, 0, T} make the first iteration take T ms, {0, 0, 0, T} the first total T ms. The default
// limits (2500 ms, 10000 ms, 999999 nodes) are checked where the program prints them.
TEST(NegaScout, StopRulesAtTheirBoundaries) {
  ConsoleCapture console;
  const Board board = FromFen("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3");
  const auto depths = [&](SearchLimits limits, std::vector<std::int64_t> readings) {
    limits.minDepth = 2;
    limits.maxDepth = 4;
    NegaScout engine(limits, ScriptedClock(std::move(readings)));
    Choose(engine, board);
    return IterationDepths(console.Take());
  };
  const std::vector<int> all = {2, 3, 4}, first = {2};
  EXPECT_EQ(depths(SearchLimits(), {0, 0, 2500}), all);
  EXPECT_EQ(depths(SearchLimits(), {0, 0, 2501}), first);
  EXPECT_EQ(depths(SearchLimits(), {0, 0, 0, 10000}), all);
  EXPECT_EQ(depths(SearchLimits(), {0, 0, 0, 10001}), first);
  // The limit of time ends even an iteration up to the minimum depth (4): the first look at
  // the clock in the third iteration ends it.
  NegaScout slow(SearchLimits(), SteppingClock(20000));
  Choose(slow, board);
  Move move;
  EXPECT_EQ(IterationDepths(console.Take()), first);

  // The node limit: an iteration of exactly maxNodes nodes is followed by the next one.
  NegaScout counted(SearchLimits::FixedDepth(2), SteppingClock(0));
  counted.Think(board, &move);
  console.Take();
  SearchLimits nodes;
  nodes.maxNodes = counted.TotalNodes();
  EXPECT_EQ(depths(nodes, {0}), (std::vector<int>{2, 3}));  // depth 3 visits more
  nodes.maxNodes -= 1;
  EXPECT_EQ(depths(nodes, {0}), first);
}

// Capture history lives as long as the engine; history and tables start empty in every search,
// and LoadState empties them but keeps the capture history.
TEST(NegaScout, CaptureHistoryIsKeptHistoryAndTablesStartEmpty) {
  ConsoleCapture console;
  const auto search = [](NegaScout& engine, const char* fen) {
    Move move;
    engine.Think(FromFen(fen), &move);
    return std::tuple(CoordinateText(move), move.score, engine.TotalNodes());
  };
  const auto counters = [](const HistoryTable& table) {
    const std::int32_t* const flat = &table[0][0][0];
    return std::vector<std::int32_t>(flat, flat + 2 * 64 * 64);
  };
  const char* busy = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
  // Blocked pawns and distant kings: no capture within reach, so the capture history plays no
  // part.
  const char* quiet = "7k/8/8/p1p5/P1P5/8/8/K7 w - - 0 1";
  // Each search the same as an engine's first.
  std::vector<std::int32_t> historyOfFirst;
  const auto firstSearch = [&](const char* fen) {
    NegaScout engine(SearchLimits::FixedDepth(3), SteppingClock(0));
    const auto result = search(engine, fen);
    historyOfFirst = counters(engine.History());
    return result;
  };
  NegaScout kept(SearchLimits::FixedDepth(3), SteppingClock(0));
  const auto first = firstSearch(busy);
  EXPECT_EQ(search(kept, busy), first);
  EXPECT_NE(counters(kept.CaptureHistory()), std::vector<std::int32_t>(2 * 64 * 64, 0));
  EXPECT_NE(search(kept, busy), first);
  const auto quietFirst = firstSearch(quiet);
  EXPECT_EQ(search(kept, quiet), quietFirst);
  EXPECT_EQ(search(kept, quiet), quietFirst);
  EXPECT_EQ(counters(kept.History()), historyOfFirst);

  const std::vector<std::int32_t> captures = counters(kept.CaptureHistory());
  std::istringstream state(std::string("\x07\0\0\0", 4));
  kept.LoadState(state);
  EXPECT_EQ(kept.SearchCount(), 7);
  EXPECT_EQ(counters(kept.CaptureHistory()), captures);
  EXPECT_EQ(counters(kept.History()), std::vector<std::int32_t>(2 * 64 * 64, 0));
  EXPECT_EQ(search(kept, quiet), quietFirst);
}

// An engine that lives through many games keeps counting captures: a counter that reached
// the largest value stays there instead of turning negative.
TEST(NegaScout, CaptureHistoryCountersStopAtTheirLargestValue) {
  struct FullCounters : NegaScout {
    FullCounters() : NegaScout(SearchLimits::FixedDepth(3), SteppingClock(0)) {
      for (auto& side : captureHistory_)
        for (auto& row : side)
          for (std::int32_t& counter : row) counter = std::numeric_limits<std::int32_t>::max();
    }
  };
  ConsoleCapture console;
  FullCounters engine;
  Move move;
  engine.Think(FromFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"),
               &move);
  EXPECT_GT(engine.Statistics().quiescenceCutoffs, 0);
  const std::int32_t* const flat = &engine.CaptureHistory()[0][0][0];
  EXPECT_TRUE(std::all_of(flat, flat + 2 * 64 * 64, [](std::int32_t counter) {
    return counter == std::numeric_limits<std::int32_t>::max();
  }));
}

// The parameters the program prints at its start are checked in ConsoleGameTest.
TEST(NegaScout, StateAndStatistics) {
  ConsoleCapture console;
  std::unique_ptr<SearchEngine> engine = SearchEngine::Create(ENGINE_NEGASCOUT);
  ASSERT_NE(engine, nullptr);

  std::istringstream saved(std::string("\x05\x01\x00\x00", 4));
  engine->LoadState(saved);
  std::ostringstream state;
  engine->SaveState(state);
  EXPECT_EQ(state.str(), std::string("\x05\x01\x00\x00", 4));

  // Before any search every counter is 0 and the move performance line is left out.
  int corrupted = -1;
  const std::string report = engine->StatisticsReport(corrupted);
  EXPECT_EQ(corrupted, 0);
  EXPECT_TRUE(
      report.starts_with("\n S T A T S  -  NegaScout\n"
                         "Regular nodes:         0  Quiescence nodes:         0\n"
                         "Regular TTHits:        0  Quiescence TTHits:        0\n"
                         "Regular Cutoffs:       0  Quiescence Cutoffs:       0\n"
                         "Regular Hash col:      0  Quiescence Hash col:      0\n"
                         "\n S T"))
      << report;

  // A small real search: the last iteration's counters, both move performances, the thinking
  // lines with the nodes since the search began and the variation's moves one blank apart.
  NegaScout engine3(SearchLimits::FixedDepth(3), SteppingClock(0));
  std::vector<std::string> lines;
  Choose(engine3, FromFen("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3"),
         &lines);
  console.Take();
  *ConsoleOut << engine3.StatisticsReport(corrupted);
  EXPECT_EQ(lines,
            (std::vector<std::string>{"2\t-159\t0\t482\tb1c3", "3\t-132\t0\t2619\tf1d3 d8e7"}));
  // The tables' own reports follow (their form is checked in TranspositionTableTest).
  const std::string real = console.Take();
  EXPECT_TRUE(
      real.starts_with("\n S T A T S  -  NegaScout\n"
                       "Regular nodes:       265  Quiescence nodes:      1872\n"
                       "Regular TTHits:      102  Quiescence TTHits:       19\n"
                       "Regular Cutoffs:     228  Quiescence Cutoffs:     350\n"
                       "Regular Hash col:      0  Quiescence Hash col:      1\n"
                       "Regular Moveperf:  95.25% Quiescence Moveperf:  81.06%\n\n"
                       " S T A T S  -  TranspositionTable  white\n"
                       "total number of entries:     433 of  655360 ( 0.06% )\n"))
      << real;
  EXPECT_NE(real.find(" S T A T S  -  TranspositionTable  black\n"
                      "total number of entries:     311 of  655360 ( 0.04% )\n"),
            std::string::npos);
}

}  // namespace
