// The engine under a UCI front end, driven through pipes as tournament managers and analysis
// boards drive it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>
#include <string>
#include <vector>

#include "protocol/EngineSession.h"
#include "search/NegaScout.h"
#include "support/ConsoleCapture.h"
#include "support/ProtocolSession.h"
#include "support/TemporaryDirectory.h"
#include "support/TestBoards.h"

namespace {

struct UciEngine {
  UciEngine() : session(directory.Path(), {VELMORA_BINARY, "uci"}) {}
  // Lines up to the one that starts with `prefix`; the info lines among them are kept.
  std::string Until(const std::string& prefix) {
    for (std::string line = session.ReadLine();; line = session.ReadLine()) {
      if (line.starts_with("info depth")) lastInfo = line;
      if (line.starts_with(prefix) || line == "<timeout>" || line == "<end>") return line;
    }
  }
  // The bestmove line's move: legal in the position given by the FEN and moves.
  bool BestMoveIsLegal(const std::string& fen, const std::string& line) {
    EngineSession game("");
    std::string error;
    Move move;
    return line.starts_with("bestmove ") && game.SetUp(fen, error) &&
           game.FindMove(line.substr(9, line.find(' ', 9) - 9), move);
  }
  TemporaryDirectory directory;
  ProtocolSession session;
  std::string lastInfo;
};

TEST(UciSession, HandshakeAndTheSearchOfTheConsoleEngine) {
  UciEngine engine;
  engine.session.Send("uci");
  EXPECT_EQ(engine.session.ReadLine(), "id name Velmora");
  EXPECT_TRUE(engine.session.ReadLine().starts_with("id author "));
  EXPECT_EQ(engine.session.ReadLine(), "option name OwnBook type check default true");
  EXPECT_TRUE(engine.session.ReadLine().starts_with("option name BookFile type string default "));
  EXPECT_EQ(engine.session.ReadLine(), "option name Hash type spin default 21 min 1 max 4096");
  EXPECT_EQ(engine.session.ReadLine(), "option name Clear Hash type button");
  EXPECT_EQ(engine.session.ReadLine(), "option name MultiPV type spin default 1 min 1 max 8");
  EXPECT_EQ(engine.session.ReadLine(), "option name Ponder type check default false");
  EXPECT_EQ(engine.session.ReadLine(),
            "option name Strength type combo default Full var Classic var Full");
  EXPECT_EQ(engine.session.ReadLine(), "uciok");
  // With the book, the opening reply of a game comes from it at once: no search, only the
  // book's word. An analysis (a depth, nodes, a time, without end) is searched all the same.
  engine.session.Send("isready\nucinewgame\nposition startpos moves e2e4\ngo");
  EXPECT_EQ(engine.session.ReadLine(), "readyok");
  const std::string bookLine = engine.session.ReadLine();
  ASSERT_TRUE(bookLine.starts_with("info string book move ")) << bookLine;
  EXPECT_EQ(engine.session.ReadLine(), "bestmove " + bookLine.substr(22, 4));
  engine.session.Send("go depth 3");
  EXPECT_TRUE(engine.session.ReadLine().starts_with("info depth 2 "));
  EXPECT_TRUE(engine.Until("bestmove").starts_with("bestmove "));

  // Without it, the same move and node count as the game's own search to depth 5 with the
  // moves played so far: the full-strength search at first, then the console game's, named
  // by its old name; a table resized and back to its usual size, and cleared, changes nothing.
  ConsoleCapture console;
  for (const bool full : {true, false}) {
    engine.session.Send(std::string("setoption name OwnBook value false\n") +
                        (full ? "" : "setoption name Strength value specified\n") +
                        "setoption name Hash value 64\nsetoption name hash value 21\n"
                        "setoption name Clear Hash\nucinewgame\nposition startpos moves e2e4 e7e5 "
                        "g1f3\ngo depth 5");
    const std::string best = engine.Until("bestmove");
    EngineSession game("");
    game.SetStrength(full ? EngineSession::STRENGTH_FULL : EngineSession::STRENGTH_CLASSIC);
    for (const char* text : {"e2e4", "e7e5", "g1f3"}) {
      Move played;
      ASSERT_TRUE(game.FindMove(text, played));
      game.Play(played);
    }
    SearchRequest request;
    request.options = game.GameOptions();
    SearchOrder order;
    order.depth = 5;
    ApplyOrder(order, request);
    const SearchAnswer reference = game.Think(request);
    EXPECT_TRUE(best.starts_with("bestmove " + CoordinateText(reference.move) + " ponder "))
        << best;
    EXPECT_TRUE(engine.lastInfo.starts_with("info depth 5 seldepth ")) << engine.lastInfo;
    EXPECT_NE(engine.lastInfo.find(" nodes " + std::to_string(reference.nodes) + " "),
              std::string::npos)
        << full << " " << engine.lastInfo;
  }
  engine.session.Send("quit");
  EXPECT_EQ(engine.session.Wait(), 0);
  EXPECT_EQ(engine.directory.Read("stderr.txt"), "");
}

TEST(UciSession, PositionsWithCastlingEnPassantAndTheEndOfTheGame) {
  UciEngine engine;
  // Black takes en passant, White castles short; castling long through the check is refused.
  const std::string fen = "r3k2r/8/8/8/4Pp2/8/8/R3K2R b KQkq e3 0 1";
  engine.session.Send("position fen " + fen + " moves f4e3 e1g1\ngo depth 2");
  EXPECT_TRUE(engine.BestMoveIsLegal("r3k2r/8/8/8/8/4p3/8/R4RK1 b kq - 0 2", engine.Until("best")));
  engine.session.Send("position fen r3k2r/8/8/8/8/8/3q4/R3K2R w KQkq - 0 1 moves e1c1\ngo depth 2");
  EXPECT_EQ(engine.Until("info string"),
            "info string illegal move e1c1: the moves from it on are left out");
  EXPECT_TRUE(
      engine.BestMoveIsLegal("r3k2r/8/8/8/8/8/3q4/R3K2R w KQkq - 0 1", engine.Until("bestmove")));
  // A promotion in the variation names its piece, as the front end needs it to read it.
  engine.session.Send("position fen 1r5k/P7/8/8/8/8/8/K7 w - - 0 1\ngo depth 2");
  EXPECT_TRUE(engine.Until("bestmove").starts_with("bestmove a7b8q ponder "));
  EXPECT_NE(engine.lastInfo.find(" pv a7b8q "), std::string::npos) << engine.lastInfo;
  // Mated and stalemated sides have no move to give.
  engine.session.Send("position fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1 moves a1a8\ngo");
  EXPECT_EQ(engine.session.ReadLine(), "info depth 0 score mate 0");
  EXPECT_EQ(engine.session.ReadLine(), "bestmove 0000");
  engine.session.Send("position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1\ngo movetime 100");
  EXPECT_EQ(engine.session.ReadLine(), "info depth 0 score cp 0");
  EXPECT_EQ(engine.session.ReadLine(), "bestmove 0000");
}

TEST(UciSession, StopIsReadyAndTheClockDuringTheSearch) {
  UciEngine engine;
  engine.session.Send("setoption name OwnBook value false\nposition startpos\ngo infinite");
  EXPECT_TRUE(engine.Until("info depth 3").starts_with("info depth 3"));
  engine.session.Send("isready");
  EXPECT_EQ(engine.Until("readyok"), "readyok");  // answered, the search goes on
  engine.session.Send("stop");
  EXPECT_TRUE(engine.BestMoveIsLegal("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
                                     engine.Until("bestmove")));

  engine.session.Send("position startpos moves e2e4\ngo movetime 200");
  EXPECT_TRUE(engine.Until("bestmove").starts_with("bestmove "));

  // A node budget and the end of input end a search too.
  engine.session.Send("go nodes 5000");
  EXPECT_TRUE(engine.Until("bestmove").starts_with("bestmove "));
  engine.session.Send("go infinite");
  engine.Until("info depth 2");
  EXPECT_EQ(engine.session.Wait(), 0);
}

// Mates in moves for the side to move, and against it; the real promotion piece; several
// lines with their own first moves; only the moves asked for; a mate order.
TEST(UciSession, MatesLinesAndSearchMoves) {
  UciEngine engine;
  engine.session.Send(
      "setoption name OwnBook value false\nposition fen 6k1/8/8/8/8/1r6/r7/7K w - - 0 1\n"
      "go depth 6");
  engine.Until("bestmove");
  EXPECT_NE(engine.lastInfo.find(" score mate -1 "), std::string::npos) << engine.lastInfo;
  engine.session.Send("position fen 6k1/8/8/8/8/1r6/r7/7K b - - 0 1\ngo depth 6");
  EXPECT_EQ(engine.Until("bestmove"), "bestmove b3b1");
  EXPECT_NE(engine.lastInfo.find(" score mate 1 "), std::string::npos) << engine.lastInfo;
  EXPECT_TRUE(engine.lastInfo.ends_with(" pv b3b1")) << engine.lastInfo;
  engine.session.Send("position fen K7/1P6/k7/6R1/8/8/5B2/8 w - - 0 1\ngo mate 1");
  EXPECT_EQ(engine.Until("bestmove"), "bestmove b7b8n");
  EXPECT_NE(engine.lastInfo.find(" score mate 1 "), std::string::npos) << engine.lastInfo;

  engine.session.Send("setoption name MultiPV value 3\nposition startpos\ngo depth 3");
  std::vector<std::string> infos;
  for (std::string line = engine.session.ReadLine(); !line.starts_with("bestmove");
       line = engine.session.ReadLine()) {
    ASSERT_TRUE(line.starts_with("info ")) << line;
    if (line.starts_with("info depth 3 ")) infos.push_back(line);
  }
  ASSERT_EQ(infos.size(), 3u);
  std::set<std::string> firsts;
  for (std::size_t line = 0; line < 3; ++line) {
    EXPECT_NE(infos[line].find(" multipv " + std::to_string(line + 1) + " "), std::string::npos);
    firsts.insert(infos[line].substr(infos[line].find(" pv ") + 4, 4));
  }
  EXPECT_EQ(firsts.size(), 3u);

  engine.session.Send("setoption name MultiPV value 1\ngo depth 3 searchmoves h2h3 a2a3");
  const std::string best = engine.Until("bestmove");
  EXPECT_TRUE(best.starts_with("bestmove h2h3") || best.starts_with("bestmove a2a3")) << best;
  engine.session.Send("quit");
  EXPECT_EQ(engine.session.Wait(), 0);
}

// "go ponder" searches the expected position without the book until "ponderhit" (then the
// clock decides and the move follows) or "stop"; the answer names the reply to ponder on. (The
// full-strength search's variation may stop after its first move, with nothing to ponder on.)
TEST(UciSession, Pondering) {
  UciEngine engine;
  engine.session.Send(
      "setoption name Strength value Classic\nsetoption name Ponder value true\n"
      "position startpos moves e2e4 e7e5\n"
      "go ponder wtime 2000 btime 2000");
  EXPECT_TRUE(engine.session.ReadLine().starts_with("info depth 2 ")) << "searched, no book";
  engine.Until("info depth 3");
  engine.session.Send("ponderhit");
  const std::string best = engine.Until("bestmove");
  EXPECT_TRUE(
      engine.BestMoveIsLegal("rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq -", best));
  EXPECT_NE(best.find(" ponder "), std::string::npos) << best;

  engine.session.Send("position startpos moves e2e4\ngo ponder wtime 2000 btime 2000");
  engine.Until("info depth 3");
  engine.session.Send("isready\nstop");
  EXPECT_EQ(engine.Until("readyok"), "readyok");
  EXPECT_TRUE(engine.BestMoveIsLegal("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -",
                                     engine.Until("bestmove")));
  // A ponder search that ends by itself (a mate is found) waits for the front end's word.
  engine.session.Send("position fen 6k1/8/8/8/8/1r6/r7/7K b - - 0 1\ngo ponder\nisready");
  EXPECT_EQ(engine.Until("readyok"), "readyok");
  engine.session.Send("ponderhit");
  EXPECT_EQ(engine.Until("bestmove"), "bestmove b3b1");
  engine.session.Send("quit");
  EXPECT_EQ(engine.session.Wait(), 0);
}

TEST(UciSession, BadInputIsReportedAndIgnored) {
  UciEngine engine;
  engine.session.Send("foo bar\nposition\nposition fen 8/8/8 w - -\nposition startpos e2e4");
  EXPECT_EQ(engine.session.ReadLine(), "info string unknown command: foo");
  EXPECT_EQ(engine.session.ReadLine(), "info string position needs startpos or fen: position ");
  EXPECT_TRUE(engine.session.ReadLine().starts_with("info string illegal position: "));
  EXPECT_EQ(engine.session.ReadLine(), "info string position: 'moves' expected instead of e2e4");
  engine.session.Send(
      "setoption name Hash value 0\nsetoption name OwnBook value maybe\nsetoption name Colour");
  EXPECT_EQ(engine.session.ReadLine(), "info string Hash is a number from 1 to 4096");
  EXPECT_EQ(engine.session.ReadLine(), "info string OwnBook is true or false");
  EXPECT_EQ(engine.session.ReadLine(), "info string no option Colour");
  // Option names in any case; an empty value is a value (no book file: no book).
  engine.session.Send(
      "setoption name ownbook value true\nsetoption name BookFile value\n"
      "position startpos\ngo wtime 2000 btime 2000");
  EXPECT_TRUE(engine.session.ReadLine().starts_with("info depth 2 ")) << "searched, no book";
  EXPECT_TRUE(engine.Until("bestmove").starts_with("bestmove "));
  // A "go" with a bad number is still answered.
  engine.session.Send("position startpos moves e2e4 e7e5\ngo depth x movetime -5 searchmoves zz");
  EXPECT_EQ(engine.session.ReadLine(), "info string go: depth needs a number");
  EXPECT_EQ(engine.session.ReadLine(), "info string go: x is not understood");
  EXPECT_EQ(engine.session.ReadLine(), "info string go: movetime needs a number");
  EXPECT_EQ(engine.session.ReadLine(), "info string go: -5 is not understood");
  EXPECT_EQ(engine.session.ReadLine(), "info string go: searchmoves: zz is no legal move");
  EXPECT_TRUE(engine.BestMoveIsLegal("rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq -",
                                     engine.Until("bestmove")));
  engine.session.Send("quit");
  EXPECT_EQ(engine.session.Wait(), 0);
}

// What front ends really send at the edges: a negative time left after an overstep (the
// engine moves after its first iteration), a refused position (no move is right for the
// front end's position until a legal one comes), k as a promotion (a king), bytes that are no
// text, a FIFO as the book file, and a front end that stops reading during an analysis.
TEST(UciSession, OddValuesRefusedPositionsAndAClosedOutput) {
  UciEngine engine;
  ASSERT_EQ(mkfifo((engine.directory.Path() / "fifo.bin").c_str(), 0600), 0);
  engine.session.Send(
      "setoption name BookFile value fifo.bin\nposition startpos moves e2e4 c7c5 g1f3\n"
      "go wtime -5 btime -5 winc 0 binc 0");
  EXPECT_TRUE(engine.session.ReadLine().starts_with("info depth 2 "));
  EXPECT_TRUE(engine.BestMoveIsLegal("rnbqkbnr/pp1ppppp/8/2p5/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq -",
                                     engine.Until("bestmove")));
  EXPECT_EQ(engine.directory.Read("stderr.txt"), "Can't load OpeningBook!\n");

  engine.session.Send("position fen 8/8/8/8 w - - 0 1\ngo depth 3\ngo infinite");
  EXPECT_TRUE(engine.session.ReadLine().starts_with("info string illegal position: "));
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(engine.session.ReadLine(), "info string no legal position: go");
    EXPECT_EQ(engine.session.ReadLine(), "bestmove 0000");
  }
  engine.session.Send("position fen 4k3/P7/8/8/8/8/8/4K3 w - - 0 1 moves a7a8k\nfoo\x01\xff");
  EXPECT_EQ(engine.session.ReadLine(),
            "info string illegal move a7a8k: the moves from it on are left out");
  EXPECT_EQ(engine.session.ReadLine(), "info string unknown command: foo\\x01\\xff");

  // The record of the moves is all an analysis has; the engine ends as at the end of input.
  engine.session.Send("position startpos\ngo infinite");
  EXPECT_TRUE(engine.session.ReadLine().starts_with("info depth "));
  engine.session.CloseOutput();
  EXPECT_EQ(engine.session.Wait(false), 0);
  EXPECT_NE(engine.directory.Read("ConnTrace.txt").find("(the front end no longer reads)"),
            std::string::npos);
}

// "Strength" chooses the full-strength search, in any case; it finds the mate in two and,
// with the tables it kept, the mate that follows.
TEST(UciSession, TheFullStrengthSearchIsAnOption) {
  UciEngine engine;
  engine.session.Send(
      "setoption name Strength value Fast\nsetoption name strength value FULL\n"
      "position fen k7/8/2K5/8/8/8/8/7R w - - 0 1\ngo depth 6");
  EXPECT_EQ(engine.session.ReadLine(), "info string Strength is Classic or Full");
  std::string info;
  for (std::string line = engine.session.ReadLine(); !line.starts_with("bestmove");
       line = engine.session.ReadLine())
    info = line;
  EXPECT_NE(info.find(" score mate 2 "), std::string::npos) << info;
  engine.session.Send("position fen k7/8/2K5/8/8/8/8/7R w - - 0 1 moves c6b6 a8b8\ngo depth 4");
  EXPECT_EQ(engine.Until("bestmove"), "bestmove h1h8");
  // An analysis without end goes on after the mate, until the front end stops it.
  engine.session.Send("position fen k7/8/2K5/8/8/8/8/7R w - - 0 1\ngo infinite");
  EXPECT_NE(engine.Until("info depth 7").find(" score mate 2 "), std::string::npos);
  engine.session.Send("stop");
  EXPECT_TRUE(engine.Until("bestmove").starts_with("bestmove c6"));
  engine.session.Send("quit");
  EXPECT_EQ(engine.session.Wait(), 0);
}

}  // namespace
