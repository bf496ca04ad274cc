// What both engine protocols do alike: the game they keep, and, in each one's words, the option
// Strength, input they refuse, finished games, and an analysis that goes on after a mate until
// the front end leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "protocol/EngineProcess.h"
#include "support/TestBoards.h"

namespace {

// The game that both protocols keep, first on its own: the strength of its search, what the
// search knows of the moves played, and the draws it claims.
void PlayMove(EngineSession& game, const std::string& text) {
  Move move;
  ASSERT_TRUE(game.FindMove(text, move)) << text;
  game.Play(move);
}

SearchAnswer Think(EngineSession& game, int depth) {
  SearchRequest request;
  request.options = game.GameOptions();
  SearchOrder order;
  order.depth = depth;
  ApplyOrder(order, request);
  return game.Think(request);
}

// In a won ending, the move that would repeat a position of the game is a draw to the search:
// the engine finds another way on.
TEST(EngineSession, TheSearchAvoidsRepeatingAPositionOfTheGame) {
  EngineSession game("");
  std::string error;
  ASSERT_TRUE(game.SetUp("8/8/8/8/1K6/8/5kp1/3Q4 w - - 0 1", error)) << error;
  const std::string first = CoordinateText(Think(game, 5).move);
  PlayMove(game, first);
  const std::string reply = CoordinateText(Think(game, 5).move);
  PlayMove(game, reply);
  // Both moves back: the position of the start again, and the first move would repeat the
  // position after it.
  PlayMove(game, first.substr(2, 2) + first.substr(0, 2));
  PlayMove(game, reply.substr(2, 2) + reply.substr(0, 2));
  ASSERT_EQ(game.DrawClaim(), "");
  const SearchAnswer again = Think(game, 5);
  EXPECT_NE(CoordinateText(again.move), first);
  ASSERT_FALSE(again.variation.empty());
  EXPECT_TRUE(IsLegalMove(game.Position(), again.move));
}

// The draws of the game's rules, as the engine claims them.
TEST(EngineSession, DrawClaims) {
  EngineSession game("");
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(game.DrawClaim(), "");
    for (const char* move : {"g1f3", "g8f6", "f3g1", "f6g8"}) PlayMove(game, move);
  }
  EXPECT_EQ(game.DrawClaim(), "1/2-1/2 {3-fold repetition}");

  std::string error;
  ASSERT_TRUE(game.SetUp("8/8/4k3/8/8/3BK3/8/8 w - - 0 1", error));
  EXPECT_EQ(game.DrawClaim(), "1/2-1/2 {insufficient material}");

  // The half-move clock of a FEN counts: two plies more end the game, and both searches
  // see it, as they see a dead position; from a clock at 0 the queen wins.
  for (const char* strength : {EngineSession::STRENGTH_CLASSIC, EngineSession::STRENGTH_FULL}) {
    ASSERT_TRUE(game.SetStrength(strength));
    for (const auto& [fen, drawn] : {std::pair{"8/k7/8/8/8/8/3Q2K1/8 w - - 98 50", true},
                                     {"8/8/4k3/8/8/3KN3/8/8 w - - 0 1", true},
                                     {"8/k7/8/8/8/8/3Q2K1/8 w - - 0 50", false}}) {
      ASSERT_TRUE(game.SetUp(fen, error)) << error;
      const int score = Think(game, 8).move.score;
      EXPECT_TRUE(drawn ? score == 0 : score > 500) << strength << " " << fen << " " << score;
    }
    ASSERT_TRUE(game.SetUp("8/k7/8/8/8/8/3Q2K1/8 w - - 99 50", error));
    PlayMove(game, "g2g3");
    EXPECT_EQ(game.DrawClaim(), "1/2-1/2 {50-move rule}");
  }
}

// "Strength" names the console game's search (Classic, the default, or Specified, its older
// name) or the full one, in any case; any other text leaves the choice as it was.
TEST(EngineSession, StrengthNames) {
  EngineSession game("");
  EXPECT_FALSE(game.FullStrength());
  const std::tuple<const char*, bool, bool> names[] = {
      {"Full", true, true},       {"classic", true, false},   {"FULL", true, true},
      {"Fast", false, true},      {"Specified", true, false}, {"", false, false},
      {"full", true, true},       {"Ful", false, true},       {"SPECIFIED", true, false},
      {"Classics", false, false}, {"Full ", false, false}};
  for (const auto& [name, taken, full] : names) {
    EXPECT_EQ(game.SetStrength(name), taken) << name;
    EXPECT_EQ(game.FullStrength(), full) << name;
    EXPECT_EQ(dynamic_cast<StrongSearch*>(&game.Engine()) != nullptr, full) << name;
  }
}

// The limit of strength plays the strong search at the level asked, only while it is on; a
// level off the scale is refused and the level stays.
TEST(EngineSession, TheLimitOfStrengthChoosesTheLevel) {
  EngineSession game("");
  EXPECT_EQ(game.Level(), 0);
  EXPECT_TRUE(game.SetElo(1700));
  EXPECT_EQ(game.Level(), 0);
  game.LimitStrength(true);
  EXPECT_EQ(game.Level(), 1700);
  EXPECT_NE(dynamic_cast<StrongSearch*>(&game.Engine()), nullptr);
  EXPECT_FALSE(game.SetElo(LEVEL_MIN - 1));
  EXPECT_FALSE(game.SetElo(LEVEL_MAX + 1));
  EXPECT_EQ(game.Level(), 1700);
  game.LimitStrength(false);
  EXPECT_EQ(game.Level(), 0);
  EXPECT_EQ(dynamic_cast<StrongSearch*>(&game.Engine()), nullptr);
}

// Lines the front end sends, and the engine's answers, a line each: in order, search reports
// aside (unless a report is expected); an answer ending in '*' is a prefix.
using Exchange = std::pair<std::string, std::string>;

struct Dialect {
  const char* mode;
  const char* hello;      // the front end's first words: the engine lists its options,
  const char* helloEnd;   // up to this line
  const char* strength;   // the option Strength in that list, its default marked
  bool fullByDefault;     // the strength a session starts with: Full or Classic
  const char* switchTo;   // names the other one (any case; UCI also resizes and clears its
                          // tables, which changes nothing), then a ping
  const char* pong;       // the ping's answer
  const char* setUp;      // a position: these words, its FEN,
  const char* moves;      // then these words and moves from it
  const char* search;     // a search that reports every iteration to depth 5 at least
  const char* analyse;    // an analysis without end
  const char* moveWord;   // what the engine's move starts with
  const char* mateInTwo;  // in a report: the side to move mates in two
  const std::vector<Exchange>& script;
  std::string log;  // what the game log holds after the script, in fragments ending in '\n'

  std::string Position(const std::string& fen, const std::string& played) const {
    return setUp + fen + (played.empty() ? "" : moves + played);
  }
};

const std::vector<Exchange> UCI_SCRIPT = {
    {"foo bar\nposition\nposition startpos e2e4\nposition fen 8/8/8 w - -\ngo depth 3\ngo",
     "info string unknown command: foo\ninfo string position needs startpos or fen: position \n"
     "info string position: 'moves' expected instead of e2e4\ninfo string illegal position: *\n"
     "info string no legal position: go\nbestmove 0000\ninfo string no legal position: go\n"
     "bestmove 0000"},
    {"setoption name Hash value 0\nsetoption name OwnBook value maybe\nsetoption name Colour\n"
     "setoption name Strength value Fast\nsetoption name Strength\n"
     "setoption name UCI_Elo value 999\nsetoption name UCI_LimitStrength value yes",
     "info string Hash is a number from 1 to 4096\ninfo string OwnBook is true or false\n"
     "info string no option Colour\ninfo string Strength is Classic or Full\n"
     "info string Strength is Classic or Full\n"
     "info string UCI_Elo is a number from 1000 to 2000\n"
     "info string UCI_LimitStrength is true or false"},
    {"position fen 4k3/P7/8/8/8/8/8/4K3 w - - 0 1 moves a7a8k\nfoo\x01\xff",
     "info string illegal move a7a8k: the moves from it on are left out\n"
     "info string unknown command: foo\\x01\\xff"},
    // A "go" with bad numbers is still answered; without a book file there is no book.
    {"setoption name BookFile value\nposition startpos moves e2e4 e7e5\n"
     "go depth x movetime -5 searchmoves zz",
     "info string go: depth needs a number\ninfo string go: x is not understood\n"
     "info string go: movetime needs a number\ninfo string go: -5 is not understood\n"
     "info string go: searchmoves: zz is no legal move\ninfo depth 1 *\nbestmove *"},
    // Mated and stalemated sides have no move to give.
    {"position fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1 moves a1a8\ngo",
     "info depth 0 score mate 0\nbestmove 0000"},
    {"position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1\ngo movetime 100",
     "info depth 0 score cp 0\nbestmove 0000"}};

const Dialect UCI = {"uci",
                     "uci",
                     "uciok",
                     "option name Strength type combo default Full var Classic var Full",
                     true,
                     "setoption name strength value SPECIFIED\nsetoption name Hash value 64\n"
                     "setoption name hash value 21\nsetoption name Clear Hash\nucinewgame\nisready",
                     "readyok",
                     "position fen ",
                     " moves ",
                     "go depth 5",
                     "go infinite",
                     "bestmove",
                     " score mate 2 ",
                     UCI_SCRIPT,
                     ""};

const std::vector<Exchange> XBOARD_SCRIPT = {
    {"new\nforce\nusermove e2e5\nusermove e2\nfoo bar\nsetboard 8/8/8 w - -\ngo\nusermove e2e4\n"
     "e2e4\nanalyze",
     "Illegal move: e2e5\nIllegal move: e2\nError (unknown command): foo\n"
     "tellusererror Illegal position\nError (no legal position): go\n"
     "Error (no legal position): usermove\nError (no legal position): e2e4\n"
     "Error (no legal position): analyze"},
    {"option Strength=Fast\noption Colour=1\noption Strength\nlevel 40 x 0\noption Elo=2001\n"
     "option Limit strength=yes\noption OwnBook=2\noption MultiPV=9\noption MultiPV=0\n"
     "option MultiPV\nnps -1\nnps 1.5",
     "Error (bad value): option Strength=Fast\nError (unknown option): Colour\n"
     "Error (bad value): option Strength\nError (bad time control): level 40 x 0\n"
     "Error (bad value): option Elo=2001\nError (bad value): option Limit strength=yes\n"
     "Error (bad value): option OwnBook=2\nError (bad value): option MultiPV=9\n"
     "Error (bad value): option MultiPV=0\nError (bad value): option MultiPV\n"
     "Error (bad value): nps -1\nError (bad value): nps 1.5"},
    {"setboard 4k3/P7/8/8/8/8/8/4K3 w - - 0 1\nusermove a7a8k\nfoo\x01\xff",
     "Illegal move: a7a8k\nError (unknown command): foo\\x01\\xff"},
    // A promotion needs its letter; CR LF line ends are read like LF; a finished game takes
    // no more moves.
    {"setboard 4k3/1P6/8/8/8/8/8/4K3 w - - 0 1\r\nusermove b7b8\r\nusermove b7b8n\r\nping 4\r\n"
     "result 1/2-1/2 {agreed}\nusermove e8d7",
     "Illegal move: b7b8\npong 4\nIllegal move (the game is over): e8d7"},
    // Mated by the move, and analysed at once; mated in one, the engine resigns.
    {"new\nsetboard 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1\nusermove a1a8\npost\nanalyze\nexit",
     "1-0 {White mates}\n0\t-100000\t0\t0\t1-0 {White mates}"},
    {"force\nsetboard 6k1/8/8/8/8/1r6/r7/7K w - - 0 1\ngo", "resign"},
    // The move that repeats a position for the third time is claimed as a draw while the
    // engine plays a side; in force mode the second time passes without a word.
    {"new\nforce\nsetboard 4k1n1/4p3/8/8/8/8/4P3/4K1N1 w - - 0 1\nusermove g1f3\nusermove g8f6\n"
     "usermove f3g1\nusermove f6g8\nusermove g1f3\nusermove g8f6\nusermove f3g1\nplayother\n"
     "usermove f6g8\nping 1\nresult 1/2-1/2 {3-fold repetition}\nping 2",
     "1/2-1/2 {3-fold repetition}\npong 1\npong 2"}};

const Dialect XBOARD = {"xboard",
                        "xboard\nprotover 2",
                        "feature done=1",
                        "feature option=\"Strength -combo *Classic /// Full\"",
                        false,
                        "exit\noption Strength=full\nping 1",
                        "pong 1",
                        "force\nsetboard ",
                        "\nusermove ",
                        "post\nanalyze",
                        "post\nanalyze",
                        "move",
                        "\t100002\t",
                        XBOARD_SCRIPT,
                        "[FEN \"4k3/1P6/8/8/8/8/8/4K3 w - - 0 1\"]\nb7b8=N  1/2-1/2\n"
                        "[FEN \"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1\"]\nRa1a8  1-0\n"
                        "Ng8f6   4.  Nf3g1  Nf6g8  1/2-1/2\n"};

void PrintTo(const Dialect& dialect, std::ostream* out) { *out << dialect.mode; }

class BothProtocols : public ::testing::TestWithParam<Dialect> {};

TEST_P(BothProtocols, RefusalsAndFinishedGamesInProtocolForm) {
  const Dialect& dialect = GetParam();
  EngineProcess engine(dialect.mode);
  engine.Greet(dialect.hello, dialect.helloEnd);
  for (const auto& [sent, answers] : dialect.script) {
    engine.session.Send(sent);
    std::istringstream lines(answers);
    for (std::string answer; std::getline(lines, answer);) {
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
  engine.session.Send(dialect.Position(start, "e2e4") + "\ngo");
  EXPECT_TRUE(MoveIsLegal(engine.Until(dialect.moveWord),
                          "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -"));
  EXPECT_EQ(engine.Quit(), 0);
  const std::string log = engine.directory.Read("games.pgn");
  std::istringstream fragments(dialect.log);
  for (std::string text; std::getline(fragments, text);)
    EXPECT_NE(log.find(text), std::string::npos) << log;
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
  for (const bool full : {dialect.fullByDefault, !dialect.fullByDefault}) {
    if (full != dialect.fullByDefault) {
      engine.session.Send(dialect.switchTo);
      engine.Until(dialect.pong);
    }
    engine.session.Send(dialect.Position(fen, "f1b5") + "\n" + dialect.search);
    // The last report of depth 5: both count the nodes of the whole search.
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
                Field(report, 3) == std::to_string(reference.nodes))
        << full << " " << report << " " << reference.nodes;
  }
}

// An analysis goes on deepening after it has found a mate, as a front end may wait for a
// depth. A front end that then stops reading ends the session as the end of input does: the
// engine exits normally, and the game is logged where the protocol logs games. With --trace the
// engine keeps its console text and the traces of the protocol and of the search.
TEST_P(BothProtocols, AnAnalysisGoesOnAfterAMateUntilTheFrontEndLeaves) {
  const Dialect& dialect = GetParam();
  EngineProcess engine({dialect.mode, "--trace"});
  engine.Greet(dialect.hello, dialect.helloEnd);
  engine.session.Send(dialect.Position("1k6/8/2K5/8/8/8/8/7R b - - 0 1", "b8a8") + "\n" +
                      dialect.analyse);
  std::string line;
  do line = engine.session.ReadLine();
  while (line != "<end>" && line != "<timeout>" && ReportDepth(line) < 7);
  EXPECT_NE(line.find(dialect.mateInTwo), std::string::npos) << line;
  engine.session.CloseOutput();
  EXPECT_EQ(engine.session.Wait(false), 0);
  EXPECT_NE(engine.directory.Read("ConnTrace.txt").find("(the front end no longer reads)"),
            std::string::npos);
  EXPECT_TRUE(engine.directory.Read("VelmoraConsole.txt").starts_with("            Welcome"));
  EXPECT_TRUE(std::filesystem::exists(engine.directory.Path() / "NegaScout.log"));
  EXPECT_EQ(engine.directory.Read("games.pgn").find("Kb8a8") != std::string::npos,
            !dialect.log.empty());
}

INSTANTIATE_TEST_SUITE_P(Engine, BothProtocols, ::testing::Values(UCI, XBOARD),
                         [](const auto& info) { return std::string(info.param.mode); });

}  // namespace
