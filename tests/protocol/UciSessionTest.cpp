// The engine under a UCI front end, driven through pipes as tournament managers and analysis
// boards drive it: what UCI says its own way (what both protocols share is in BothProtocolsTest).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>

#include "protocol/EngineProcess.h"

namespace {

const std::string START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

TEST(UciSession, HandshakeAndTheBook) {
  EngineProcess engine("uci");
  const std::vector<std::string> greeting = engine.Greet("uci", "uciok");
  ASSERT_EQ(greeting.size(), 12u);
  EXPECT_EQ(greeting[0], "id name Velmora");
  EXPECT_TRUE(greeting[1].starts_with("id author "));
  EXPECT_EQ(greeting[2], "option name OwnBook type check default true");
  EXPECT_TRUE(greeting[3].starts_with("option name BookFile type string default "));
  EXPECT_EQ(greeting[4], "option name Hash type spin default 21 min 1 max 4096");
  EXPECT_EQ(greeting[5], "option name Clear Hash type button");
  EXPECT_EQ(greeting[6], "option name MultiPV type spin default 1 min 1 max 8");
  EXPECT_EQ(greeting[7], "option name Ponder type check default false");
  EXPECT_EQ(greeting[9], "option name UCI_LimitStrength type check default false");
  EXPECT_EQ(greeting[10], "option name UCI_Elo type spin default 1500 min 1000 max 2000");
  // With the book, the opening reply of a game comes from it at once: no search, only the
  // book's word. An analysis (a depth, nodes, a time, without end) is searched all the same.
  engine.session.Send("isready\nucinewgame\nposition startpos moves e2e4\ngo");
  EXPECT_EQ(engine.session.ReadLine(), "readyok");
  const std::string bookLine = engine.session.ReadLine();
  ASSERT_TRUE(bookLine.starts_with("info string book move ")) << bookLine;
  EXPECT_EQ(engine.session.ReadLine(), "bestmove " + bookLine.substr(22, 4));
  engine.session.Send("go depth 3");
  EXPECT_TRUE(engine.session.ReadLine().starts_with("info depth 1 "));
  EXPECT_TRUE(engine.Until("bestmove").starts_with("bestmove "));

  EXPECT_EQ(engine.Quit(), 0);
  EXPECT_EQ(engine.directory.Read("stderr.txt"), "");
}

// A promotion in the best move and in the variation names its piece.
TEST(UciSession, PromotionsNameTheirPiece) {
  EngineProcess engine("uci");
  engine.session.Send("position fen 1r5k/P7/8/8/8/8/8/K7 w - - 0 1\ngo depth 2");
  EXPECT_TRUE(engine.Until("bestmove").starts_with("bestmove a7b8q ponder "));
  EXPECT_NE(engine.reports.back().find(" pv a7b8q "), std::string::npos) << engine.reports.back();
}

// "isready" is answered while the engine thinks; "stop", a time, a node budget, a negative time
// left after an overstep (the move after the first iteration) and the end of input end a
// search. A FIFO as the book file is refused, not waited on.
TEST(UciSession, WhatEndsASearch) {
  EngineProcess engine("uci");
  ASSERT_EQ(mkfifo((engine.directory.Path() / "fifo.bin").c_str(), 0600), 0);
  engine.session.Send("setoption name OwnBook value false\nposition startpos\ngo infinite");
  EXPECT_TRUE(engine.Until("info depth 3").starts_with("info depth 3"));
  engine.session.Send("isready");
  EXPECT_EQ(engine.Until("readyok"), "readyok");
  engine.session.Send("stop");
  EXPECT_TRUE(MoveIsLegal(engine.Until("bestmove"), START));
  engine.session.Send("position startpos moves e2e4\ngo movetime 200\ngo nodes 5000");
  EXPECT_TRUE(engine.Until("bestmove").starts_with("bestmove "));
  EXPECT_TRUE(engine.Until("bestmove").starts_with("bestmove "));

  engine.session.Send(
      "setoption name OwnBook value true\nsetoption name BookFile value fifo.bin\n"
      "position startpos moves e2e4 c7c5 g1f3\ngo wtime -5 btime -5 winc 0 binc 0");
  EXPECT_TRUE(engine.session.ReadLine().starts_with("info depth 1 "));
  EXPECT_TRUE(MoveIsLegal(engine.Until("bestmove"),
                          "rnbqkbnr/pp1ppppp/8/2p5/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq -"));
  EXPECT_EQ(engine.directory.Read("stderr.txt"), "Can't load OpeningBook!\n");
  engine.session.Send("go infinite");
  engine.Until("info depth 2");
  EXPECT_EQ(engine.session.Wait(), 0);
}

// Mates in moves for the side to move, and against it; the real promotion piece of a mate
// order; several lines with their own first moves; only the moves asked for.
TEST(UciSession, MatesLinesAndSearchMoves) {
  EngineProcess engine("uci");
  engine.session.Send(
      "setoption name OwnBook value false\nposition fen 6k1/8/8/8/8/1r6/r7/7K w - - 0 1\n"
      "go depth 6");
  engine.Until("bestmove");
  EXPECT_NE(engine.reports.back().find(" score mate -1 "), std::string::npos);
  engine.session.Send("position fen 6k1/8/8/8/8/1r6/r7/7K b - - 0 1\ngo depth 6");
  EXPECT_EQ(engine.Until("bestmove"), "bestmove b3b1");
  EXPECT_NE(engine.reports.back().find(" score mate 1 "), std::string::npos);
  EXPECT_TRUE(engine.reports.back().ends_with(" pv b3b1")) << engine.reports.back();
  engine.session.Send("position fen K7/1P6/k7/6R1/8/8/5B2/8 w - - 0 1\ngo mate 1");
  EXPECT_EQ(engine.Until("bestmove"), "bestmove b7b8n");
  EXPECT_NE(engine.reports.back().find(" score mate 1 "), std::string::npos);

  engine.session.Send("setoption name MultiPV value 3\nposition startpos\ngo depth 3");
  engine.reports.clear();
  engine.Until("bestmove");
  std::set<std::string> firsts;
  for (const std::string& info : engine.reports) {
    if (!info.starts_with("info depth 3 ")) continue;
    EXPECT_NE(info.find(" multipv " + std::to_string(firsts.size() + 1) + " "), std::string::npos);
    firsts.insert(info.substr(info.find(" pv ") + 4, 4));
  }
  EXPECT_EQ(firsts.size(), 3u);

  engine.session.Send("setoption name MultiPV value 1\ngo depth 3 searchmoves h2h3 a2a3");
  const std::string best = engine.Until("bestmove");
  EXPECT_TRUE(best.starts_with("bestmove h2h3") || best.starts_with("bestmove a2a3")) << best;
  EXPECT_EQ(engine.Quit(), 0);
}

// "go ponder" searches the expected position without the book until "ponderhit" (then the
// clock decides and the move follows) or "stop"; the answer names the reply to ponder on. (The
// full-strength search's variation may stop after its first move, with nothing to ponder on.)
TEST(UciSession, Pondering) {
  EngineProcess engine("uci");
  engine.session.Send(
      "setoption name Strength value Classic\nsetoption name Ponder value true\n"
      "position startpos moves e2e4 e7e5\ngo ponder wtime 2000 btime 2000");
  EXPECT_TRUE(engine.session.ReadLine().starts_with("info depth 1 ")) << "searched, no book";
  engine.Until("info depth 3");
  engine.session.Send("ponderhit");
  const std::string best = engine.Until("bestmove");
  EXPECT_TRUE(MoveIsLegal(best, "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq -"));
  EXPECT_NE(best.find(" ponder "), std::string::npos) << best;

  engine.session.Send("position startpos moves e2e4\ngo ponder wtime 2000 btime 2000");
  engine.Until("info depth 3");
  engine.session.Send("isready\nstop");
  EXPECT_EQ(engine.Until("readyok"), "readyok");
  EXPECT_TRUE(MoveIsLegal(engine.Until("bestmove"),
                          "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -"));
  // A ponder search that ends by itself (a mate is found) waits for the front end's word.
  engine.session.Send("position fen 6k1/8/8/8/8/1r6/r7/7K b - - 0 1\ngo ponder\nisready");
  EXPECT_EQ(engine.Until("readyok"), "readyok");
  engine.session.Send("ponderhit");
  EXPECT_EQ(engine.Until("bestmove"), "bestmove b3b1");
  EXPECT_EQ(engine.Quit(), 0);
}

}  // namespace
