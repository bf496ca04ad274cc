// What both engine protocols do alike, in each one's words: the option Strength, input they
// refuse, finished games, and an analysis that goes on after a mate until the front end leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "board/Fen.h"
#include "protocol/EngineProcess.h"

namespace {

// Lines the front end sends, and the engine's answers: in order, search reports aside (unless
// a report is expected); an answer ending in '*' is a prefix.
using Exchange = std::pair<std::string, std::vector<std::string>>;

struct Dialect {
  const char* mode;
  const char* hello;      // the front end's first words: the engine lists its options,
  const char* helloEnd;   // up to this line
  const char* strength;   // the option Strength in that list, its default marked
  const char* byDefault;  // the strength a session starts with,
  const char* switchTo;   // and the command that names the other one (any case), with a ping
  const char* pong;       // and the ping's answer
  std::string (*position)(const std::string& fen, const std::string& moves);
  const char* search;     // a search that reaches depth 6 and reports every iteration
  const char* analyse;    // an analysis without end
  const char* moveWord;   // what the engine's move starts with
  const char* mateInTwo;  // in a report: the side to move mates in two
  std::vector<Exchange> script;
  std::vector<std::string> log;  // what the game log holds after the script
};

const Dialect UCI = {
    "uci",
    "uci",
    "uciok",
    "option name Strength type combo default Full var Classic var Full",
    EngineSession::STRENGTH_FULL,
    "setoption name strength value SPECIFIED\nucinewgame\nisready",
    "readyok",
    [](const std::string& fen, const std::string& moves) {
      return "position fen " + fen + (moves.empty() ? "" : " moves " + moves);
    },
    "go depth 6",
    "go infinite",
    "bestmove",
    " score mate 2 ",
    {{"foo bar\nposition\nposition startpos e2e4\nposition fen 8/8/8 w - -\ngo depth 3\ngo",
      {"info string unknown command: foo", "info string position needs startpos or fen: position ",
       "info string position: 'moves' expected instead of e2e4", "info string illegal position: *",
       "info string no legal position: go", "bestmove 0000", "info string no legal position: go",
       "bestmove 0000"}},
     {"setoption name Hash value 0\nsetoption name OwnBook value maybe\nsetoption name Colour\n"
      "setoption name Strength value Fast\nsetoption name Strength",
      {"info string Hash is a number from 1 to 4096", "info string OwnBook is true or false",
       "info string no option Colour", "info string Strength is Classic or Full",
       "info string Strength is Classic or Full"}},
     {"position fen 4k3/P7/8/8/8/8/8/4K3 w - - 0 1 moves a7a8k\nfoo\x01\xff",
      {"info string illegal move a7a8k: the moves from it on are left out",
       "info string unknown command: foo\\x01\\xff"}},
     // A "go" with bad numbers is still answered; without a book file there is no book.
     {"setoption name BookFile value\nposition startpos moves e2e4 e7e5\n"
      "go depth x movetime -5 searchmoves zz",
      {"info string go: depth needs a number", "info string go: x is not understood",
       "info string go: movetime needs a number", "info string go: -5 is not understood",
       "info string go: searchmoves: zz is no legal move", "info depth 2 *", "bestmove *"}},
     // Mated and stalemated sides have no move to give.
     {"position fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1 moves a1a8\ngo",
      {"info depth 0 score mate 0", "bestmove 0000"}},
     {"position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1\ngo movetime 100",
      {"info depth 0 score cp 0", "bestmove 0000"}}},
    {}};

const Dialect XBOARD = {
    "xboard",
    "xboard\nprotover 2",
    "feature done=1",
    "feature option=\"Strength -combo *Classic /// Full\"",
    EngineSession::STRENGTH_CLASSIC,
    "exit\noption Strength=full\nping 1",
    "pong 1",
    [](const std::string& fen, const std::string& moves) {
      return "force\nsetboard " + fen + (moves.empty() ? "" : "\nusermove " + moves);
    },
    "post\nanalyze",
    "post\nanalyze",
    "move",
    "\t100002\t",
    {{"new\nforce\nusermove e2e5\nusermove e2\nfoo bar\nsetboard 8/8/8 w - -\ngo\nusermove e2e4\n"
      "e2e4\nanalyze",
      {"Illegal move: e2e5", "Illegal move: e2", "Error (unknown command): foo",
       "tellusererror Illegal position", "Error (no legal position): go",
       "Error (no legal position): usermove", "Error (no legal position): e2e4",
       "Error (no legal position): analyze"}},
     {"option Strength=Fast\noption Colour=1\noption Strength\nlevel 40 x 0",
      {"Error (bad value): option Strength=Fast", "Error (unknown option): Colour",
       "Error (bad value): option Strength", "Error (bad time control): level 40 x 0"}},
     {"setboard 4k3/P7/8/8/8/8/8/4K3 w - - 0 1\nusermove a7a8k\nfoo\x01\xff",
      {"Illegal move: a7a8k", "Error (unknown command): foo\\x01\\xff"}},
     // A promotion needs its letter; CR LF line ends are read like LF; a finished game takes
     // no more moves.
     {"setboard 4k3/1P6/8/8/8/8/8/4K3 w - - 0 1\r\nusermove b7b8\r\nusermove b7b8n\r\nping 4\r\n"
      "result 1/2-1/2 {agreed}\nusermove e8d7",
      {"Illegal move: b7b8", "pong 4", "Illegal move (the game is over): e8d7"}},
     // Mated by the move, and analysed at once; mated in one, the engine resigns.
     {"new\nsetboard 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1\nusermove a1a8\npost\nanalyze\nexit",
      {"1-0 {White mates}", "0\t-100000\t0\t0\t1-0 {White mates}"}},
     {"force\nsetboard 6k1/8/8/8/8/1r6/r7/7K w - - 0 1\ngo", {"resign"}}},
    {"[FEN \"4k3/1P6/8/8/8/8/8/4K3 w - - 0 1\"]", "b7b8=N  1/2-1/2",
     "[FEN \"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1\"]", "Ra1a8  1-0"}};

void PrintTo(const Dialect& dialect, std::ostream* out) { *out << dialect.mode; }

class BothProtocols : public ::testing::TestWithParam<Dialect> {};

TEST_P(BothProtocols, RefusalsAndFinishedGamesInProtocolForm) {
  const Dialect& dialect = GetParam();
  EngineProcess engine(dialect.mode);
  engine.Greet(dialect.hello, dialect.helloEnd);
  for (const auto& [sent, answers] : dialect.script) {
    engine.session.Send(sent);
    for (const std::string& answer : answers) {
      std::string line = engine.session.ReadLine();
      while (IsReport(line) && !IsReport(answer)) line = engine.session.ReadLine();
      if (answer.ends_with('*'))
        EXPECT_TRUE(line.starts_with(answer.substr(0, answer.size() - 1))) << line << "\n" << sent;
      else
        EXPECT_EQ(line, answer) << sent;
    }
  }
  // The engine goes on: a legal position gets its move.
  const std::string start = WriteFen(Board());
  engine.session.Send(dialect.position(start, "e2e4") + "\ngo");
  EXPECT_TRUE(MoveIsLegal(engine.Until(dialect.moveWord),
                          "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -"));
  EXPECT_EQ(engine.Quit(), 0);
  const std::string log = engine.directory.Read("games.pgn");
  for (const std::string& text : dialect.log) EXPECT_NE(log.find(text), std::string::npos) << log;
  EXPECT_EQ(log.empty(), dialect.log.empty()) << log;
}

// The option is listed with its default; the engine searches as the game's own search of that
// strength does, and of the other one once a front end names it.
TEST_P(BothProtocols, TheStrengthOptionChoosesTheSearch) {
  const Dialect& dialect = GetParam();
  EngineProcess engine(dialect.mode);
  const std::vector<std::string> greeting = engine.Greet(dialect.hello, dialect.helloEnd);
  EXPECT_NE(std::find(greeting.begin(), greeting.end(), dialect.strength), greeting.end());
  const std::string fen = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3";
  const bool fullFirst = dialect.byDefault == std::string(EngineSession::STRENGTH_FULL);
  for (const bool full : {fullFirst, !fullFirst}) {
    if (full != fullFirst) {
      engine.session.Send(dialect.switchTo);
      engine.Until(dialect.pong);
    }
    engine.session.Send(dialect.position(fen, "f1b5") + "\n" + dialect.search);
    // The last report of depth 5: UCI counts the nodes of the whole search, xboard the
    // iteration's.
    std::string report;
    for (std::string line = engine.session.ReadLine(); ReportDepth(line) <= 5;
         line = engine.session.ReadLine()) {
      if (ReportDepth(line) == 5) report = line;
      if (line.starts_with("bestmove") || line == "<end>" || line == "<timeout>") break;
    }
    const IterationReport reference = ReferenceSearch(
        full ? EngineSession::STRENGTH_FULL : EngineSession::STRENGTH_CLASSIC, fen, {"f1b5"}, 5);
    EXPECT_TRUE(report.find(" nodes " + std::to_string(reference.nodes) + " ") !=
                    std::string::npos ||
                Field(report, 3) == std::to_string(reference.iterationNodes))
        << full << " " << report << " " << reference.nodes << " " << reference.iterationNodes;
  }
}

// An analysis goes on deepening after it has found a mate, as a front end may wait for a
// depth. A front end that then stops reading ends the session as the end of input does: the
// engine exits normally, and the game is logged where the protocol logs games.
TEST_P(BothProtocols, AnAnalysisGoesOnAfterAMateUntilTheFrontEndLeaves) {
  const Dialect& dialect = GetParam();
  EngineProcess engine(dialect.mode);
  engine.Greet(dialect.hello, dialect.helloEnd);
  engine.session.Send(dialect.position("1k6/8/2K5/8/8/8/8/7R b - - 0 1", "b8a8") + "\n" +
                      dialect.analyse);
  std::string line;
  do line = engine.session.ReadLine();
  while (line != "<end>" && line != "<timeout>" && ReportDepth(line) < 7);
  EXPECT_NE(line.find(dialect.mateInTwo), std::string::npos) << line;
  engine.session.CloseOutput();
  EXPECT_EQ(engine.session.Wait(false), 0);
  EXPECT_NE(engine.directory.Read("ConnTrace.txt").find("(the front end no longer reads)"),
            std::string::npos);
  EXPECT_EQ(engine.directory.Read("games.pgn").find("Kb8a8") != std::string::npos,
            !dialect.log.empty());
}

INSTANTIATE_TEST_SUITE_P(Engine, BothProtocols, ::testing::Values(UCI, XBOARD),
                         [](const auto& info) { return std::string(info.param.mode); });

}  // namespace
