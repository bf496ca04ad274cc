// The strong search of the engine modes, judged by positions and moves: it finds what
// the console game's search finds (mates through checks and sacrifices, mated and forced lines), a
// pass never replaces a move where passing is what the position forbids (zugzwang, check), a
// repetition is a draw even where the kept tables know the position, and mate distances stay
// true from one search of a game to the next.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "board/Rules.h"
#include "book/GameRecord.h"
#include "search/NegaScout.h"
#include "search/SearchDriver.h"
#include "search/StrongSearch.h"
#include "support/TestBoards.h"

namespace {

SearchOptions Options() {
  SearchOptions options;
  options.gameRules = true;
  return options;
}

// The last iteration of a search of `board` to `depth` by `engine`.
IterationReport SearchTo(IterativeSearch& engine, const Board& board, int depth,
                         SearchOptions options = Options()) {
  engine.SetLimits(SearchLimits::FixedDepth(depth));
  engine.SetOptions(std::move(options));
  IterationReport last;
  engine.SetIterationOutput([&last](const IterationReport& report) { last = report; });
  Move move;
  engine.Think(board, &move);
  return last;
}

// The full search, by a fresh engine, sees every mate the console game's search sees at the same
// depth, and more: it neither passes in check nor reduces a check, its extension of checks
// finds the smothered mate that the console game's search needs more depth for, and its order
// loses nothing.
TEST(StrongSearch, FindsTheMatesAndForcedLinesOfTheConsoleSearch) {
  struct Case {
    const char* fen;
    int depth;
    const char* move;
    int mateMoves;
    bool consoleSearchToo = true;  // the console game's search finds it at this depth too
  };
  const Case cases[] = {
      // b8=N mates, b8=Q stalemates.
      {"K7/1P6/k7/6R1/8/8/5B2/8 w - - 0 1", 4, "b7b8n", 1},
      // The king closes the seventh rank first: a quiet move, then the mate.
      {"k7/8/2K5/8/8/8/8/7R w - - 0 1", 6, nullptr, 2},
      // Philidor's smothered mate: four checks, a double check and a queen sacrifice.
      {"r6k/6pp/8/6N1/8/1Q6/8/6K1 w - - 0 1", 8, "g5f7", 4, false},
      // Mated whatever White does.
      {"6k1/8/8/8/8/1r6/r7/7K w - - 0 1", 6, nullptr, -1},
      // In check, with a single move that escapes.
      {"4k3/8/8/8/8/8/3q4/4K3 w - - 0 1", 5, "e1d2", 0},
  };
  for (const Case& c : cases) {
    for (const bool full : {false, true}) {
      if (!full && !c.consoleSearchToo) continue;
      StrongSearch strong;
      NegaScout console;
      IterativeSearch& engine = full ? static_cast<IterativeSearch&>(strong) : console;
      const IterationReport report = SearchTo(engine, FromFen(c.fen), c.depth);
      SCOPED_TRACE(std::string(c.fen) + (full ? " (full)" : " (console)"));
      EXPECT_EQ(report.mateMoves, c.mateMoves) << report.variation;
      if (c.move) {
        EXPECT_EQ(CoordinateText(report.best), c.move) << report.variation;
      }
      // A variation that ends in mate is all legal moves and as long as the mate says.
      if (c.mateMoves > 0) {
        EXPECT_EQ(static_cast<int>(report.moves.size()), 2 * c.mateMoves - 1);
      }
    }
  }
}

// The rook on f5 is defended only by a knight pinned to its king. At the last ply before the
// capture search the knight's capture, which would leave its king in check, is refused as it
// is at every other ply, so the shallowest iteration already sees that the queen takes the
// rook for nothing; the console game's search counts the knight's capture there.
TEST(StrongSearch, APinnedDefenderDefendsNothingAtTheLastPly) {
  const Board board = FromFen("4k3/pp2n3/8/5r2/8/7Q/PP6/4R1K1 w - - 0 1");
  StrongSearch full;
  EXPECT_EQ(CoordinateText(SearchTo(full, board, 2).best), "h3f5");
  NegaScout console;
  EXPECT_NE(CoordinateText(SearchTo(console, board, 2).best), "h3f5");
}

// After Qg3 (or Qc3) every black move allows the queen to take on g7 with mate, and g6 is
// refused since the pawn is pinned. The shallowest iteration gives the mate to its capture
// search, where a side in check may not stand pat: it has to get out, and cannot. Once the
// first black move is seen to lose to the mate, the others are searched against that mate:
// the capture search must not leave the mating capture out as winning too little material.
// The root looks at Qg3 alone, so that it cannot come after a move the score prefers.
TEST(StrongSearch, AMateGivenInTheCaptureSearchIsAMate) {
  const Board board = FromFen("7k/6pp/8/3P4/8/3Q4/1B6/1K6 w - - 0 1");
  SearchOptions queenMoves = Options();
  for (const Move& move : LegalMoves(board))
    if (CoordinateText(move) == "d3g3") queenMoves.rootMoves.push_back(move);
  ASSERT_EQ(queenMoves.rootMoves.size(), 1u);
  StrongSearch engine;
  const IterationReport report = SearchTo(engine, board, 2, queenMoves);
  EXPECT_EQ(report.mateMoves, 2) << report.variation;
  EXPECT_EQ(report.score, SCORE_WINDOW - 3) << report.variation;
}

// A mutual zugzwang of kings and pawns: whoever moves loses the pawn. A pass would see the
// other side in zugzwang; the full search never passes with only pawns, so the side to move
// sees its loss, and a spare pawn move that hands the move over is seen to win.
TEST(StrongSearch, NeverPassesWhereZugzwangDecides) {
  for (const char* fen : {"8/8/3pK3/2kP4/8/8/8/8 w - - 0 1", "8/8/3pK3/2kP4/8/8/8/8 b - - 0 1"}) {
    StrongSearch engine;
    const IterationReport report = SearchTo(engine, FromFen(fen), 10);
    EXPECT_LT(report.score, -50) << fen << ": " << report.variation;
  }
  StrongSearch engine;
  const IterationReport tempo = SearchTo(engine, FromFen("8/8/3pK3/2kP4/8/8/P7/8 w - - 0 1"), 12);
  EXPECT_EQ(CoordinateText(tempo.best).substr(0, 2), "a2") << tempo.variation;
  EXPECT_GT(tempo.score, 50) << tempo.variation;
  // King and pawn against king: Ke6 takes the opposition and wins, e6 lets Black take it and
  // draws. A side that passed would never lose the opposition, and both moves would look alike.
  StrongSearch opposition;
  const IterationReport taken =
      SearchTo(opposition, FromFen("4k3/8/3K4/4P3/8/8/8/8 w - - 0 1"), 10);
  EXPECT_EQ(CoordinateText(taken.best), "d6e6") << taken.variation;
  EXPECT_GT(taken.score, 300) << taken.variation;
}

// A queen and a rook down, White can go back to a position of the game: that draw is its best
// move, also when the kept tables hold the lost score of the same positions from a search that
// did not know the game.
TEST(StrongSearch, ARepetitionIsADrawEvenWhereTheKeptTablesKnowTheLoss) {
  GameRecord game;
  game.Restart(FromFen("k7/8/8/8/2P5/1r6/q7/7K w - - 0 1"));
  for (const char* text : {"h1g1", "a2a3", "g1h1", "a3a2"}) {
    Move move;
    ASSERT_TRUE(FindCoordinateMove(game.Position(), text, move)) << text;
    game.Play(move);
  }
  StrongSearch engine;
  const IterationReport unaware = SearchTo(engine, game.Position(), 6);
  EXPECT_LT(unaware.score, -500);

  SearchOptions options = Options();
  options.reversiblePlies = game.ReversiblePlies();
  for (int ply = game.Plies() - options.reversiblePlies; ply < game.Plies(); ++ply)
    options.earlierPositions.push_back(RepetitionKey(game.PositionBefore(ply)));
  const IterationReport aware = SearchTo(engine, game.Position(), 6, options);
  EXPECT_EQ(aware.score, 0) << aware.variation;
  EXPECT_EQ(CoordinateText(aware.best), "h1g1");
}

// The attacker keeps its tables from move to move; each search announces the mate one move
// nearer, with the score of exactly that distance, and the game ends in that mate.
TEST(StrongSearch, MateDistancesStayTrueThroughTheKeptTables) {
  Board board = FromFen("k7/8/2K5/8/8/8/8/7Q w - - 0 1");
  StrongSearch attacker;
  int announced = 0;
  for (int move = 0; move < 6 && StandingOf(board) == Standing::PLAY_ON; ++move) {
    const IterationReport report = SearchTo(attacker, board, 8);
    ASSERT_GT(report.mateMoves, 0) << report.variation;
    if (announced > 0) {
      EXPECT_EQ(report.mateMoves, announced - 1);
    }
    announced = report.mateMoves;
    EXPECT_EQ(report.score, SCORE_WINDOW - (2 * announced - 1));
    PlayMove(board, report.moves[0]);
    if (StandingOf(board) != Standing::PLAY_ON) break;
    StrongSearch defender;
    PlayMove(board, SearchTo(defender, board, 6).moves.at(0));
  }
  EXPECT_EQ(StandingOf(board), Standing::CHECKMATE);
  EXPECT_EQ(announced, 1);
}

// The root tries first the best move it knows, from the kept table or the iteration before;
// that move never slips past the root moves a front end asked for, nor into a second line.
TEST(StrongSearch, TheRootsFirstMoveKeepsToTheRootMovesAndLines) {
  const Board board = FromFen("r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP2BPPP/R2QKB1R w KQ - 0 9");
  StrongSearch engine;
  const IterationReport free = SearchTo(engine, board, 6);
  ASSERT_FALSE(free.moves.empty());

  // Another move only, with the tables that know the first.
  Move other;
  for (const Move& move : LegalMoves(board))
    if (!(move == free.best)) other = move;
  SearchOptions only = Options();
  only.rootMoves = {other};
  std::vector<IterationReport> reports;
  engine.SetLimits(SearchLimits::FixedDepth(6));
  engine.SetOptions(only);
  engine.SetIterationOutput(
      [&reports](const IterationReport& report) { reports.push_back(report); });
  Move played;
  engine.Think(board, &played);
  EXPECT_TRUE(played == other);
  ASSERT_FALSE(reports.empty());
  for (const IterationReport& report : reports) EXPECT_TRUE(report.best == other);

  // Three lines, three different moves in every iteration, best first, the first of them the
  // answer; from the start position too, where the lines' scores lie close together. Past the
  // first plies every line is a variation, not a lone move, and the best one goes deep.
  SearchOptions three = Options();
  three.lines = 3;
  for (const Board& start : {board, Board()}) {
    reports.clear();
    engine.SetLimits(SearchLimits::FixedDepth(8));
    engine.SetOptions(three);
    engine.Think(start, &played);
    ASSERT_EQ(reports.size() % 3, 0U);
    for (std::size_t at = 0; at < reports.size(); at += 3) {
      EXPECT_FALSE(reports[at].best == reports[at + 1].best);
      EXPECT_FALSE(reports[at].best == reports[at + 2].best);
      EXPECT_FALSE(reports[at + 1].best == reports[at + 2].best);
      EXPECT_GE(reports[at].score, reports[at + 1].score) << reports[at].depth;
      EXPECT_GE(reports[at + 1].score, reports[at + 2].score) << reports[at].depth;
      for (std::size_t line = at; line < at + 3 && reports[at].depth >= 4; ++line)
        EXPECT_GE(reports[line].moves.size(), line == at ? 4U : 2U) << reports[at].depth;
    }
    EXPECT_TRUE(played == reports[reports.size() - 3].best);
  }
}

// The move counters of a game's searches, kept from move to move, gain by the quiet moves that
// cut nodes off and lose by those tried before them, and stay within their bound however long
// the engine plays: the second search starts with every counter at the bound (twice the bound,
// halved as a kept search begins). So do the counters of the moves that follow a move, which
// are narrower: at the bound they never wrap round.
TEST(StrongSearch, MoveCountersRiseAndFallWithinTheirBound) {
  struct Counters : StrongSearch {
    void SetAll(std::int32_t value, std::int16_t followUp) {
      for (auto& side : history_)
        for (auto& row : side)
          for (std::int32_t& counter : row) counter = value;
      for (auto& byPiece : *followUps_)
        for (auto& rows : byPiece)
          for (auto& row : rows) row.fill(followUp);
    }
    std::pair<int, int> FollowUpRange() const {
      const std::int16_t* flat = &(*followUps_)[0][0][0][0];
      const auto [low, high] = std::minmax_element(flat, flat + sizeof(FollowUpTable) / 2);
      return {*low, *high};
    }
  };
  constexpr std::int32_t BOUND = 1 << 14;
  const Board board = FromFen("r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP2BPPP/R2QKB1R w KQ - 0 9");
  Counters engine;
  const std::int32_t* const flat = &engine.History()[0][0][0];
  SearchTo(engine, board, 7);
  const auto [lowest, highest] = std::minmax_element(flat, flat + 2 * 64 * 64);
  EXPECT_LT(*lowest, 0);
  EXPECT_GT(*highest, 0);
  EXPECT_LT(engine.FollowUpRange().first, 0);
  EXPECT_GT(engine.FollowUpRange().second, 0);

  engine.SetAll(2 * BOUND, BOUND);
  SearchTo(engine, board, 7);
  const auto [lower, higher] = std::minmax_element(flat, flat + 2 * 64 * 64);
  EXPECT_LT(*lower, BOUND);
  EXPECT_EQ(*higher, BOUND);
  EXPECT_GE(engine.FollowUpRange().first, -BOUND);
  EXPECT_GE(engine.FollowUpRange().second, BOUND / 2);
  EXPECT_LE(engine.FollowUpRange().second, BOUND);
}

// Threads beside the search share its tables and say nothing: the reports are those of one
// search, deepening ply by ply, and it still finds the mate; together they visit more nodes
// than the search alone. A stop request ends them all.
TEST(StrongSearch, ThreadsShareTheWorkAndTheSearchSpeaksAlone) {
  StrongSearch engine;
  engine.SetThreads(0);
  EXPECT_EQ(engine.Threads(), 1);
  engine.SetThreads(1000);
  EXPECT_EQ(engine.Threads(), StrongSearch::MAX_THREADS);
  engine.SetThreads(2);
  EXPECT_EQ(engine.Threads(), 2);

  const Board smothered = FromFen("r6k/6pp/8/6N1/8/1Q6/8/6K1 w - - 0 1");
  std::vector<IterationReport> reports;
  engine.SetLimits(SearchLimits::FixedDepth(8));
  engine.SetOptions(Options());
  engine.SetIterationOutput(
      [&reports](const IterationReport& report) { reports.push_back(report); });
  Move move;
  engine.Think(smothered, &move);
  ASSERT_FALSE(reports.empty());
  for (std::size_t at = 0; at < reports.size(); ++at)
    EXPECT_EQ(reports[at].depth, static_cast<int>(at) + 2);
  EXPECT_EQ(CoordinateText(move), "g5f7");
  EXPECT_EQ(reports.back().mateMoves, 4);
  EXPECT_LE(reports.back().nodes, engine.TotalNodes());

  // A search without end, stopped after a few thousand nodes of its own.
  const Board middle =
      FromFen("r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP2BPPP/R2QKB1R w KQ - 0 9");
  engine.SetLimits(SearchLimits::Unlimited(1, MAX_SEARCH_DEPTH));
  engine.SetIterationOutput(nullptr);
  SearchControl control;
  int looks = 0;
  control.interrupted = [&looks] { return ++looks > 50; };
  engine.SetControl(control);
  engine.Think(middle, &move);
  EXPECT_TRUE(engine.Stopped());
  EXPECT_TRUE(IsLegalMove(middle, move));
  StrongSearch alone;
  alone.SetLimits(SearchLimits::Unlimited(1, MAX_SEARCH_DEPTH));
  looks = 0;
  alone.SetControl(control);
  alone.Think(middle, &move);
  EXPECT_GT(engine.TotalNodes(), alone.TotalNodes());
}

// On a game's clock, a best move that has held for several iterations ends the search before
// its soft limit and one that has just changed, or a falling score, lets it run on; no
// settling passes half the hard limit (or the soft limit, when that is more). Without a clock
// to adapt to, the soft limit is what it is.
TEST(StrongSearch, ASettledBestMoveSavesTimeForAnUnsettledOne) {
  struct Timed : StrongSearch {
    std::int64_t Limit(bool changed, int drop, int same) const {
      Settling settling;
      settling.bestChanged = changed;
      settling.scoreDrop = drop;
      settling.sameBest = same;
      return SoftLimit(settling);
    }
  };
  Timed engine;
  SearchControl control;
  control.softMs = 1000;
  control.hardMs = 8000;
  engine.SetControl(control);
  SearchOptions options = Options();
  engine.SetOptions(options);
  EXPECT_EQ(engine.Limit(false, 0, 8), 1000);
  EXPECT_EQ(engine.Limit(true, 200, 0), 1000);

  options.adaptTime = true;
  engine.SetOptions(options);
  const std::int64_t settled = engine.Limit(false, 0, 8);
  const std::int64_t settling = engine.Limit(false, 0, 3);
  const std::int64_t young = engine.Limit(false, 0, 1);
  const std::int64_t changed = engine.Limit(true, 0, 0);
  const std::int64_t falling = engine.Limit(true, 40, 0);
  const std::int64_t fallingFar = engine.Limit(true, 200, 0);
  EXPECT_LT(settled, 1000);
  EXPECT_LT(settled, settling);
  EXPECT_LT(settling, young);
  EXPECT_LT(young, changed);
  EXPECT_LT(changed, falling);
  EXPECT_LT(falling, fallingFar);
  EXPECT_LE(fallingFar, 4000);
  EXPECT_LT(engine.Limit(false, 40, 8), engine.Limit(false, 40, 1));

  control.hardMs = 4000;
  engine.SetControl(control);
  EXPECT_EQ(engine.Limit(true, 200, 0), 2000);
  control.hardMs = 1200;  // half of it is less than the soft limit
  engine.SetControl(control);
  EXPECT_EQ(engine.Limit(true, 200, 0), 1000);
  EXPECT_LT(engine.Limit(false, 0, 8), 1000);
}

}  // namespace
