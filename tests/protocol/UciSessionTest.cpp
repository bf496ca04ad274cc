// The engine under a UCI front end, driven through pipes as tournament managers and analysis
// boards drive it, as a program or as a session in this process: what UCI says its own way
// (what both protocols share is in BothProtocolsTest).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <iostream>
#include <set>
#include <sstream>
#include <streambuf>

#include "protocol/EngineProcess.h"
#include "protocol/ProgramVersion.h"
#include "protocol/ProtocolChannel.h"
#include "protocol/UciSession.h"
#include "protocol/WinDrawLoss.h"

namespace {

const std::string START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

// A front end in this process, at the other end of the engine's pipe, as the engine's standard
// output: it sends the lines of its script up to the next "go" and waits for the engine's move
// before it sends the rest; after the last line it closes the pipe. `onAnswer` sees every line
// the engine sends as it comes.
class ScriptedFrontEnd : public std::streambuf {
 public:
  explicit ScriptedFrontEnd(const std::string& script) {
    std::istringstream lines(script);
    for (std::string line; std::getline(lines, line);) lines_.push_back(line);
    EXPECT_EQ(pipe(ends_), 0);
    SendNext();
  }
  ~ScriptedFrontEnd() override {
    for (const int end : ends_)
      if (end >= 0) close(end);
  }
  int EngineEnd() const { return ends_[0]; }

  std::vector<std::string> answers;
  std::function<void(const std::string&)> onAnswer;

 protected:
  int_type overflow(int_type c) override {
    if (c == '\n') {
      answers.push_back(std::exchange(partial_, std::string()));
      if (onAnswer) onAnswer(answers.back());
      if (answers.back().starts_with("bestmove ")) SendNext();
    } else if (c != traits_type::eof()) {
      partial_ += traits_type::to_char_type(c);
    }
    return traits_type::not_eof(c);
  }

 private:
  void SendNext() {
    std::string burst;
    bool searches = false;
    while (next_ < lines_.size() && !searches) {
      searches = lines_[next_].starts_with("go");
      burst += lines_[next_++] + "\n";
    }
    if (!burst.empty()) {
      EXPECT_EQ(write(ends_[1], burst.data(), burst.size()), ssize_t(burst.size()));
    }
    if (!searches && ends_[1] >= 0) close(std::exchange(ends_[1], -1));
  }

  std::vector<std::string> lines_;
  std::size_t next_ = 0;
  std::string partial_;
  int ends_[2] = {-1, -1};
};

struct Conversation {
  std::vector<std::string> answers;  // the engine's lines, search reports aside
  std::vector<std::string> reports;  // its "info depth ... score" lines
  std::string errors;                // what it wrote on standard error
};

// A UCI session in this process with the book named, and its protocol trace, if named, from
// the start.
Conversation Converse(const std::string& script, const std::string& bookFile = "",
                      const std::string& traceFile = "",
                      std::function<void(const std::string&)> onAnswer = nullptr) {
  ConsoleCapture console;
  StreamCapture errors(std::cerr);
  ScriptedFrontEnd frontEnd(script);
  frontEnd.onAnswer = std::move(onAnswer);
  std::ostream out(&frontEnd);
  ProtocolInput input(frontEnd.EngineEnd());
  ProtocolChannel channel(input, out, traceFile);
  UciSession session(channel, bookFile);
  session.Run();
  Conversation conversation;
  for (const std::string& line : frontEnd.answers)
    (ReportDepth(line) > 0 ? conversation.reports : conversation.answers).push_back(line);
  conversation.errors = errors.Take();
  return conversation;
}

// The engine names itself with the version --version names; its options are in
// TheOptionsAndTheirRefusals. It writes no file unless asked to trace.
TEST(UciSession, HandshakeAndTheBook) {
  TemporaryDirectory folder;
  EXPECT_EQ(RunProgram(folder, {VELMORA_BINARY, "--version"}).output,
            std::string("Velmora ") + ProgramVersion() + "\n");
  EngineProcess engine("uci");
  const std::vector<std::string> greeting = engine.Greet("uci", "uciok");
  ASSERT_EQ(greeting.size(), 17u);
  EXPECT_EQ(greeting[0], std::string("id name Velmora ") + ProgramVersion());
  EXPECT_TRUE(greeting[1].starts_with("id author "));
  EXPECT_EQ(greeting[2], "option name OwnBook type check default true");
  EXPECT_TRUE(greeting[3].starts_with("option name BookFile type string default "));
  EXPECT_EQ(greeting[4], "option name Hash type spin default 21 min 1 max 4096");
  EXPECT_EQ(greeting[5], "option name Clear Hash type button");
  EXPECT_EQ(greeting[6], "option name Threads type spin default 1 min 1 max 64");
  EXPECT_EQ(greeting[7], "option name MultiPV type spin default 1 min 1 max 8");
  EXPECT_EQ(greeting[8], "option name Ponder type check default false");
  EXPECT_EQ(greeting[10], "option name UCI_LimitStrength type check default false");
  EXPECT_EQ(greeting[11], "option name UCI_Elo type spin default 1500 min 1000 max 2000");
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
  EXPECT_EQ(engine.Files(), std::vector<std::string>{"stderr.txt"});
}

// Started without an argument, as python-chess (SimpleEngine.popen_uci) starts an engine, the
// program is the UCI engine: these are the lines it sent, with an analysis and a game move.
TEST(UciSession, StartedWithoutAnArgumentByAFrontEnd) {
  EngineProcess engine(std::vector<std::string>{});
  const std::vector<std::string> greeting = engine.Greet("uci", "uciok");
  ASSERT_EQ(greeting.size(), 17u);
  EXPECT_EQ(greeting[0], std::string("id name Velmora ") + ProgramVersion());
  engine.session.Send("ucinewgame\nisready");
  EXPECT_EQ(engine.session.ReadLine(), "readyok");
  engine.session.Send("position startpos\ngo movetime 200");
  EXPECT_TRUE(MoveIsLegal(engine.Until("bestmove"), START));
  engine.session.Send(
      "setoption name UCI_AnalyseMode value true\nsetoption name UCI_ShowWDL value true\n"
      "setoption name Move Overhead value 50\nposition startpos\ngo depth 5");
  EXPECT_TRUE(MoveIsLegal(engine.Until("bestmove"), START));
  ASSERT_FALSE(engine.reports.empty());
  EXPECT_NE(engine.reports.back().find(" wdl "), std::string::npos) << engine.reports.back();
  EXPECT_EQ(engine.Quit(), 0);
  EXPECT_EQ(engine.Files(), std::vector<std::string>{"stderr.txt"});
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
  // Said when it is named and when the game move would read it.
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(engine.session.ReadLine(), "info string BookFile fifo.bin: Can't load OpeningBook!");
  EXPECT_TRUE(engine.session.ReadLine().starts_with("info depth 1 "));
  EXPECT_TRUE(MoveIsLegal(engine.Until("bestmove"),
                          "rnbqkbnr/pp1ppppp/8/2p5/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq -"));
  EXPECT_EQ(engine.directory.Read("stderr.txt"),
            "Can't load OpeningBook!\nCan't load OpeningBook!\n");
  // A mated side has nothing to search, yet a search without end waits for "stop".
  engine.session.Send(
      "position fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1 moves a1a8\ngo infinite\n"
      "isready");
  EXPECT_EQ(engine.session.ReadLine(), "info depth 0 score mate 0");
  EXPECT_EQ(engine.session.ReadLine(), "readyok");
  engine.session.Send("stop");
  EXPECT_EQ(engine.session.ReadLine(), "bestmove 0000");
  engine.session.Send("position startpos\ngo infinite");
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

// The answer to "uci", then what the engine says of values it cannot take: the option stays as
// it was.
TEST(UciSession, TheOptionsAndTheirRefusals) {
  TemporaryDirectory directory;
  const std::string folder = directory.Path().string();
  const Conversation uci = Converse(
      "uci\nsetoption name Move Overhead value 5001\nsetoption name move overhead value -1\n"
      "setoption name Move Overhead value 2s\nsetoption name UCI_ShowWDL value yes\n"
      "setoption name UCI_AnalyseMode value 1\nsetoption name Threads value 0\n"
      "setoption name threads value 65\nsetoption name Debug Log File value " +
      folder + "\nsetoption name Debug Log File value " + folder + "/none/trace.txt");
  const std::vector<std::string> expected = {
      std::string("id name Velmora ") + ProgramVersion(),
      "id author the Velmora developers",
      "option name OwnBook type check default true",
      "option name BookFile type string default ",
      "option name Hash type spin default 21 min 1 max 4096",
      "option name Clear Hash type button",
      "option name Threads type spin default 1 min 1 max 64",
      "option name MultiPV type spin default 1 min 1 max 8",
      "option name Ponder type check default false",
      "option name Strength type combo default Full var Classic var Full",
      "option name UCI_LimitStrength type check default false",
      "option name UCI_Elo type spin default 1500 min 1000 max 2000",
      "option name Move Overhead type spin default 100 min 0 max 5000",
      "option name UCI_AnalyseMode type check default false",
      "option name UCI_ShowWDL type check default false",
      "option name Debug Log File type string default",
      "uciok",
      "info string Move Overhead is a number from 0 to 5000",
      "info string Move Overhead is a number from 0 to 5000",
      "info string Move Overhead is a number from 0 to 5000",
      "info string UCI_ShowWDL is true or false",
      "info string UCI_AnalyseMode is true or false",
      "info string Threads is a number from 1 to 64",
      "info string threads is a number from 1 to 64",
      "info string Debug Log File: " + folder + " is no regular file",
      "info string Debug Log File: can't write " + folder + "/none/trace.txt"};
  EXPECT_EQ(uci.answers, expected);
  EXPECT_EQ(uci.errors, "");
}

// A book that cannot be read is reported to the front end when a game move first reads it, and
// when the front end names it; a file mended after that is read at the next game move.
TEST(UciSession, ABookFileThatCannotBeRead) {
  TemporaryDirectory directory;
  const std::string missing = (directory.Path() / "book.bin").string();
  const std::string damaged = directory.Write("damaged.bin", "no book").string();
  const Conversation unread =
      Converse("position startpos\ngo wtime 100 btime 100\ngo wtime 100 btime 100", missing);
  ASSERT_EQ(unread.answers.size(), 3u);
  EXPECT_EQ(unread.answers[0], "info string BookFile " + missing + ": Can't load OpeningBook!");
  EXPECT_TRUE(unread.answers[1].starts_with("bestmove ") &&
              unread.answers[2].starts_with("bestmove "));
  EXPECT_EQ(unread.errors, "Can't load OpeningBook!\n");

  const Conversation mended =
      Converse("setoption name BookFile value " + damaged + "\nsetoption name BookFile value " +
                   missing + "\nisready\nposition startpos moves e2e4\ngo",
               "", "", [&](const std::string& line) {
                 if (line == "readyok") std::filesystem::copy_file(VELMORA_DEFAULT_BOOK, missing);
               });
  ASSERT_EQ(mended.answers.size(), 5u);
  EXPECT_EQ(mended.answers[0],
            "info string BookFile " + damaged + ": TABLE_SIZE of file is not correct");
  EXPECT_EQ(mended.answers[1], "info string BookFile " + missing + ": Can't load OpeningBook!");
  EXPECT_EQ(mended.answers[2], "readyok");
  EXPECT_TRUE(mended.answers[3].starts_with("info string book move ")) << mended.answers[3];
  EXPECT_EQ(mended.answers[4], "bestmove " + mended.answers[3].substr(22, 4));
}

// In the front end's analysis mode the book does not answer a game move: it is searched.
TEST(UciSession, AnalyseModeKeepsTheBookOut) {
  const Conversation game = Converse(
      "setoption name UCI_AnalyseMode value true\nposition startpos moves e2e4\n"
      "go wtime 300 btime 300\nsetoption name UCI_AnalyseMode value false\ngo wtime 300 btime 300",
      VELMORA_DEFAULT_BOOK);
  ASSERT_EQ(game.answers.size(), 3u);
  EXPECT_TRUE(game.answers[0].starts_with("bestmove ")) << game.answers[0];
  EXPECT_FALSE(game.reports.empty());
  EXPECT_TRUE(game.answers[1].starts_with("info string book move ")) << game.answers[1];
}

// With UCI_ShowWDL every score of a report carries the chances of the result that belong to it,
// from the side to move: mating, mated, and any other score.
TEST(UciSession, TheChancesOfTheResultFollowTheScore) {
  const Conversation game = Converse(
      "position startpos moves e2e4 e7e5\ngo depth 3\nsetoption name UCI_ShowWDL value true\n"
      "go depth 3\nposition fen 6k1/8/8/8/8/1r6/r7/7K b - - 0 1\ngo depth 3\n"
      "position fen 6k1/8/8/8/8/1r6/r7/7K w - - 0 1\ngo depth 6\n"
      "position fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1 moves a1a8\ngo depth 3");
  EXPECT_NE(
      std::find(game.answers.begin(), game.answers.end(), "info depth 0 score mate 0 wdl 0 0 1000"),
      game.answers.end());
  int shown = 0;
  std::set<std::string> mates;
  for (const std::string& report : game.reports) {
    // " score KIND VALUE [wdl W D L] nodes "
    std::istringstream words(report.substr(report.find(" score ") + 7));
    std::string kind, next;
    int value = 0;
    ASSERT_TRUE(words >> kind >> value >> next) << report;
    ASSERT_TRUE(kind == "cp" || kind == "mate") << report;
    if (next != "wdl") {
      EXPECT_EQ(next, "nodes") << report;
      EXPECT_EQ(shown, 0) << report;  // only before the option is set
      continue;
    }
    ++shown;
    WinDrawLoss shownChances{};
    ASSERT_TRUE(words >> shownChances.win >> shownChances.draw >> shownChances.loss >> next);
    EXPECT_EQ(next, "nodes") << report;
    const WinDrawLoss chances = kind == "cp" ? WinDrawLossOf(value, 0) : WinDrawLossOf(0, value);
    EXPECT_EQ(shownChances, chances) << report;
    if (kind == "mate")
      mates.insert(std::to_string(value) + " wdl " + std::to_string(shownChances.win) + " " +
                   std::to_string(shownChances.draw) + " " + std::to_string(shownChances.loss));
  }
  EXPECT_GT(shown, 0);
  EXPECT_EQ(mates, (std::set<std::string>{"1 wdl 1000 0 0", "-1 wdl 0 0 1000"}));
}

// The reserve for the front end comes off the clock of every game move: with all the time left
// kept back, the engine moves after its first iteration, as with no time left.
TEST(UciSession, MoveOverheadComesOffTheClock) {
  const Conversation game = Converse(
      "setoption name Move Overhead value 5000\nposition startpos moves e2e4 e7e5\n"
      "go wtime 5000 btime 5000 movestogo 1");
  ASSERT_EQ(game.answers.size(), 1u);
  EXPECT_TRUE(game.answers[0].starts_with("bestmove ")) << game.answers[0];
  ASSERT_FALSE(game.reports.empty());
  EXPECT_LE(ReportDepth(game.reports.back()), 3) << game.reports.back();
}

// The trace goes where the front end names, and, for no name, back where it went from the start
// (or nowhere).
TEST(UciSession, TheDebugLogFileTakesTheTrace) {
  TemporaryDirectory directory;
  const std::string named = (directory.Path() / "named.txt").string();
  Converse("setoption name Debug Log File value " + named +
               "\nisready\nsetoption name debug log file value <empty>\nisready",
           "", (directory.Path() / "start.txt").string());
  EXPECT_EQ(directory.Read("named.txt"),
            "Trace started...\n\nIn: isready\nOut: readyok\n"
            "In: setoption name debug log file value <empty>\n");
  EXPECT_EQ(directory.Read("start.txt"),
            "Trace started...\n\nIn: setoption name Debug Log File value " + named +
                "\nIn: isready\nOut: readyok\nIn: (end of input)\n");
}

// The chances of a score: per mille, summing to 1000; the win rises and the loss falls with the
// score, and a score and its negation have them the other way round; a mate is certain, and no
// score, however large, overflows.
TEST(WinDrawLoss, TheChancesOfAScore) {
  WinDrawLoss before = WinDrawLossOf(-2000, 0);
  EXPECT_EQ(before, (WinDrawLoss{0, 0, 1000}));
  for (int score = -2000; score <= 2000; score += 5) {
    const WinDrawLoss now = WinDrawLossOf(score, 0);
    EXPECT_EQ(now.win + now.draw + now.loss, 1000) << score;
    EXPECT_TRUE(now.win >= 0 && now.draw >= 0 && now.loss >= 0) << score;
    EXPECT_TRUE(now.win >= before.win && now.loss <= before.loss) << score;
    const WinDrawLoss mirrored = WinDrawLossOf(-score, 0);
    EXPECT_EQ((WinDrawLoss{mirrored.loss, mirrored.draw, mirrored.win}), now) << score;
    before = now;
  }
  EXPECT_EQ(before, (WinDrawLoss{1000, 0, 0}));
  const WinDrawLoss even = WinDrawLossOf(0, 0);
  EXPECT_TRUE(even.draw > even.win && even.win == even.loss);
  EXPECT_EQ(WinDrawLossOf(100, 0).win, 500);  // a pawn up: an even chance of a win
  for (const int score : {0, -300, INT_MAX, INT_MIN}) {
    EXPECT_EQ(WinDrawLossOf(score, 3), (WinDrawLoss{1000, 0, 0}));
    EXPECT_EQ(WinDrawLossOf(score, -1), (WinDrawLoss{0, 0, 1000}));
  }
  EXPECT_EQ(WinDrawLossOf(INT_MAX, 0), (WinDrawLoss{1000, 0, 0}));
  EXPECT_EQ(WinDrawLossOf(INT_MIN, 0), (WinDrawLoss{0, 0, 1000}));
}

}  // namespace
