// The engine under a front end, driven through pipes a line at a time, as xboard 4.9 drives
// it: what the xboard protocol says its own way (what both protocols share is in
// BothProtocolsTest). Each test replays one kind of session and judges the replies.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <tuple>

#include "board/Fen.h"
#include "board/MoveList.h"
#include "board/Rules.h"
#include "book/PGNParser.h"
#include "protocol/EngineProcess.h"
#include "protocol/XboardSession.h"

namespace {

// The features, each option on a line of its own, as xboard needs it.
const std::vector<std::string> FEATURES = {
    "feature ping=1 setboard=1 playother=1 san=0 usermove=1 time=1 draw=0 sigint=0 sigterm=0 "
    "reuse=0 analyze=1 memory=1 exclude=1 myname=\"Velmora\" variants=\"normal\" color=0 ics=0 "
    "name=1 pause=0 nps=1 smp=1",
    "feature option=\"Strength -combo *Classic /// Full\"",
    "feature option=\"Limit strength -check 0\"",
    "feature option=\"Elo -spin 1500 1000 2000\"",
    "feature option=\"OwnBook -check 1\"",
    "feature option=\"MultiPV -spin 1 1 8\"",
    "feature done=1"};

const std::string MIDDLEGAME = "r2q1rk1/pp2bppp/2n1bn2/3p4/3P4/2NBBN2/PP3PPP/R2Q1RK1 w - - 0 10";

// The engine through the handshake, with its trace files.
struct Xboard : EngineProcess {
  Xboard() : EngineProcess({"xboard", "--trace"}) {
    EXPECT_EQ(Greet("xboard\nprotover 2", "feature done=1"), FEATURES);
  }
  // What xboard 4.9.1 sent when it started the engine for a match game (from its debug log):
  // it accepts every feature but "color", sets the clock, then waits for the opponent before
  // it says who moves.
  void StartLikeXboard() {
    for (const char* feature : {"ping", "setboard", "playother", "san", "usermove", "time", "draw",
                                "sigint", "sigterm", "reuse", "analyze", "myname", "variants"})
      session.Send(std::string("accepted ") + feature);
    session.Send(
        "rejected color\naccepted ics\naccepted name\naccepted pause\naccepted nps\n"
        "accepted option\naccepted option\naccepted option\naccepted option\naccepted option\n"
        "accepted done");
    session.Send("new\nlevel 40 0:10 0\npost\nhard\nping 1\nforce");
    EXPECT_EQ(session.ReadLine(), "pong 1");
  }
  // The engine's move; the thinking lines before it are kept.
  std::string NextMove() { return Until("move "); }
  // Quits; the game log.
  std::string Log() {
    EXPECT_EQ(Quit(), 0);
    return directory.Read("games.pgn");
  }
};

// The moves of a thinking line's variation.
std::vector<std::string> Variation(const std::string& line) {
  std::istringstream words(Field(line, 4));
  std::vector<std::string> moves;
  for (std::string move; words >> move;) moves.push_back(move);
  return moves;
}

TEST(XboardSession, XboardStartUpThenGamesToMateInBothColours) {
  Xboard engine;
  engine.StartLikeXboard();
  // The engine is White: "black" and "white" only name the sides, "go" starts it, and it
  // moves exactly once.
  engine.session.Send("computer\nblack\ntime 1000\notim 1000\nwhite\ngo");
  EXPECT_TRUE(engine.session.ReadLine().starts_with("0\t0\t0\t0\topening: "));
  EXPECT_TRUE(MoveIsLegal(engine.session.ReadLine(), WriteFen(Board())));
  engine.session.Send("ping 2");
  EXPECT_EQ(engine.session.ReadLine(), "pong 2");

  // As White, a mate in one with a promotion: sent with its letter, scored as a mate in one.
  engine.session.Send("new\nforce\nsetboard 7k/P5R1/7K/8/8/8/8/8 w - - 0 50\ngo");
  const std::string promotion = engine.NextMove();
  EXPECT_TRUE(promotion == "move a7a8q" || promotion == "move a7a8r") << promotion;
  EXPECT_EQ(Field(engine.reports.back(), 1), "100001") << engine.reports.back();
  EXPECT_EQ(engine.session.ReadLine(), "1-0 {White mates}");
  engine.session.Send("result 1-0 {White mates}");

  // As Black, after the front end's move, the way xboard starts a set-up game.
  engine.session.Send("new\nforce\nsetboard r5k1/8/8/8/8/8/6PP/6K1 w - - 0 40\nusermove g1h1");
  engine.session.Send("ping 3\ngo");
  EXPECT_EQ(engine.session.ReadLine(), "pong 3");
  EXPECT_EQ(engine.NextMove(), "move a8a1");
  EXPECT_EQ(engine.session.ReadLine(), "0-1 {Black mates}");

  const std::string log = engine.Log();
  // The first game ended unfinished when "new" came; the set-up games carry their position.
  for (const char* text :
       {"[White \" Velmora\" ]", "[Result \" *\" ]", "[FEN \"7k/P5R1/7K/8/8/8/8/8 w - - 0 50\"]",
        "  1-0\n", "Kg1h1  Ra8a1  0-1\n"})
    EXPECT_NE(log.find(text), std::string::npos) << text << "\n" << log;
  EXPECT_EQ(engine.directory.Read("stderr.txt"), "");
}

TEST(XboardSession, ForceMovesGoUndoAndRemoveInBothColours) {
  Xboard engine;
  engine.session.Send("new\nforce\nusermove e2e4\nusermove e7e5\nusermove g1f3\nsd 3\ngo");
  EXPECT_TRUE(
      MoveIsLegal(engine.NextMove(), "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq -"));
  // Black is the engine's side: take back its move and ours, and play another move.
  engine.session.Send("remove\nusermove f1c4");
  EXPECT_TRUE(
      MoveIsLegal(engine.NextMove(), "rnbqkbnr/pppp1ppp/8/4p3/2B1P3/8/PPPP1PPP/RNBQK1NR b KQkq -"));
  // Undo one ply in force mode, then let the engine take White's side.
  engine.session.Send("force\nundo\nundo\nundo\nundo\nwhite\ngo");
  EXPECT_TRUE(MoveIsLegal(engine.NextMove(), WriteFen(Board())));
  engine.session.Send("force\nundo\nundo");
  EXPECT_EQ(engine.session.ReadLine(), "Error (no move to take back): undo");
  EXPECT_EQ(engine.Log(), "");  // every move was taken back: nothing to record
}

TEST(XboardSession, CommandsDuringTheSearchAreReadAtOnce) {
  Xboard engine;
  // "?" arrives with "go": the move of the first finished iteration is played at once.
  engine.session.Send("new\nforce\nsetboard " + MIDDLEGAME + "\ngo\n?");
  std::string line = engine.session.ReadLine();
  while (line.starts_with("1\t") || line.starts_with("2\t")) line = engine.session.ReadLine();
  EXPECT_TRUE(MoveIsLegal(line, MIDDLEGAME)) << line;

  // A ping during the search is answered after the move; quit ends the search and the game
  // is written, unfinished.
  engine.session.Send("force\nundo\nsd 3\ngo\nping 3");
  EXPECT_TRUE(MoveIsLegal(engine.NextMove(), MIDDLEGAME));
  EXPECT_EQ(engine.session.ReadLine(), "pong 3");
  engine.session.Send("sd 30\nplayother\ngo\nquit");
  EXPECT_EQ(engine.session.Wait(), 0);
  EXPECT_NE(engine.directory.Read("games.pgn").find("[Result \" *\" ]"), std::string::npos);
  const std::string trace = engine.directory.Read("ConnTrace.txt");
  EXPECT_EQ(trace.find("Out: move", trace.find("In: quit")), std::string::npos) << trace;
}

// The analysis searches the position, not the book, follows the moves, and leaves out the
// excluded ones until the position changes; "memory" sizes the tables, "cores" sets the
// threads.
TEST(XboardSession, AnalysisFollowsTheMovesAndLeavesOutExcludedOnes) {
  Xboard engine;
  engine.session.Send("new\npost\nanalyze");
  EXPECT_TRUE(engine.session.ReadLine().starts_with("1\t"));
  engine.session.Send("usermove e2e4");
  // The analysis of the new position begins again at one ply.
  const std::string line = engine.Until("1\t");
  // The variation is now Black's: it starts with a move of a black piece.
  EXPECT_TRUE(Field(line, 4)[1] == '7' || Field(line, 4)[1] == '8') << line;
  engine.session.Send("undo\nexit\nping 5");
  EXPECT_EQ(engine.Until("pong"), "pong 5");

  // Two cores search the full strength's analysis, and its excluded moves stay out.
  engine.session.Send("memory 8\ncores two\ncores 2\noption Strength=Full\nnew\nforce\nsetboard " +
                      MIDDLEGAME);
  EXPECT_EQ(engine.Until("Error"), "Error (bad number of cores): cores two");
  engine.session.Send("post\nanalyze\nexclude all\ninclude d1b3\nexclude e2e5\nping 1");
  EXPECT_EQ(engine.Until("Error"), "Error (illegal move): exclude e2e5");
  EXPECT_EQ(engine.Until("pong"), "pong 1");
  for (int i = 0; i < 2; ++i) {
    const std::string thinking = engine.session.ReadLine();
    EXPECT_TRUE(IsReport(thinking) && Field(thinking, 4).starts_with("d1b3")) << thinking;
  }
  // With every move left out there is nothing to analyse; a move and its take-back clear the
  // set.
  engine.session.Send("exclude all\nping 2\nping 3");
  EXPECT_EQ(engine.Until("pong"), "pong 2");
  EXPECT_EQ(engine.session.ReadLine(), "pong 3");
  engine.session.Send("usermove a2a3\nundo\nping 4");
  EXPECT_EQ(engine.Until("pong"), "pong 4");
  EXPECT_TRUE(IsReport(engine.session.ReadLine()));
  engine.session.Send("exit");
  EXPECT_EQ(engine.Log(), "");  // nothing was played
  EXPECT_EQ(engine.directory.Read("ConnTrace.txt").find("Out: move"), std::string::npos);
}

// The thinking line: depth, score, centiseconds since the search began, the nodes since then
// and the variation. Mates count moves from 100000, whatever the score. A new best move in the
// middle of an iteration is shown only when its score is no mate, and with its legal moves.
TEST(XboardSession, ThinkingLineLayout) {
  IterationReport report;
  std::tie(report.depth, report.score, report.iterationNodes, report.nodes, report.elapsedMs,
           report.variation) = std::tuple(3, 47, 151, 200, 1234, "d1d8");
  EXPECT_EQ(ThinkingLine(report), "3\t47\t123\t200\td1d8");
  report.mateMoves = 2;
  EXPECT_EQ(ThinkingLine(report), "3\t100002\t123\t200\td1d8");
  report.mateMoves = -3;
  EXPECT_EQ(ThinkingLine(report), "3\t-100003\t123\t200\td1d8");

  EngineSession game("");
  const std::tuple<int, std::vector<std::string>, std::optional<std::string>> newBest[] = {
      {35, {"e2e4", "e7e5", "e2e4"}, "5\t35\t150\t9876\te2e4 e7e5"},
      {-29998, {"e2e4"}, std::nullopt},                      // mated, as far as seen
      {29997, {"e2e4"}, std::nullopt},                       // mates
      {0, {"f2f3", "e7e5", "g2g4", "d8h4"}, std::nullopt}};  // the variation ends in mate
  for (const auto& [score, moves, line] : newBest) {
    SearchProgress progress;
    std::tie(progress.kind, progress.depth, progress.score, progress.nodes, progress.elapsedMs) =
        std::tuple(SearchProgress::Kind::NEW_BEST, 5, score, 9876, 1500);
    Board walk;
    for (const std::string& text : moves) {
      Move move;
      if (FindCoordinateMove(walk, text, move))
        PlayMove(walk, move);
      else
        FindCoordinateMove(Board(), text, move);  // a move the position does not allow
      progress.variation.push_back(move);
    }
    EXPECT_EQ(NewBestLine(progress, Board(), game.Engine()), line) << score;
  }
}

// With name=1 xboard names the opponent before each game (the first lines are from its debug
// log of a game against Fairy-Max). The log has the name on the opponent's side, whichever
// colour the engine plays and however the game ends: by the front end's result, by the engine's
// own claim, or with the front end leaving in the middle of it.
TEST(XboardSession, TheLogNamesTheOpponentHoweverTheGameEnds) {
  Xboard engine;
  engine.StartLikeXboard();
  engine.session.Send("computer\nname Fairy-Max 5.0b\nblack\ntime 800\notim 800\nwhite\ngo");
  EXPECT_TRUE(MoveIsLegal(engine.NextMove(), WriteFen(Board())));
  engine.session.Send("result 0-1 {Fairy-Max wins}");
  engine.session.Send(
      "new\nname Human Player\nforce\nsetboard r5k1/8/8/8/8/8/6PP/6K1 w - - 0 40\n"
      "usermove g1h1\ngo");
  EXPECT_EQ(engine.NextMove(), "move a8a1");
  EXPECT_EQ(engine.session.ReadLine(), "0-1 {Black mates}");
  engine.session.Send("new\nname The \"Quoted\" \\One\nusermove e2e4");
  EXPECT_TRUE(engine.NextMove().starts_with("move "));
  const std::string log = engine.Log();
  std::size_t at = 0;
  for (const char* tags :
       {"[White \" Velmora\" ]\n[Black \" Fairy-Max 5.0b\" ]\n[Result \" 0-1\" ]",
        "[White \" Human Player\" ]\n[Black \" Velmora\" ]\n[Result \" 0-1\" ]",
        "[White \" The \\\"Quoted\\\" \\\\One\" ]\n[Black \" Velmora\" ]\n"
        "[Result \" *\" ]"}) {
    at = log.find(tags, at);
    EXPECT_NE(at, std::string::npos) << tags << "\n" << log;
  }
}

// OwnBook=0 has the engine search its game moves where the book knows the position; OwnBook=1
// takes the book again. After "nps N" the clock counts nodes at N a second: at a billion a
// second the 10 ms left (time 1) are a million nodes, far more than 10 ms of the wall clock
// allow, and never more. "nps 0" and "new" bring back the wall clock.
TEST(XboardSession, GameMovesByTheBookOptionAndTheNodeRate) {
  Xboard engine;
  for (const char* own : {"0", "1"}) {
    engine.reports.clear();
    engine.session.Send(std::string("new\noption OwnBook=") + own + "\nsd 3\ngo");
    EXPECT_TRUE(MoveIsLegal(engine.NextMove(), WriteFen(Board())));
    ASSERT_FALSE(engine.reports.empty());
    EXPECT_EQ(engine.reports.front().find("opening: ") != std::string::npos, own[0] == '1')
        << engine.reports.front();
  }
  const std::tuple<const char*, bool> rates[] = {
      {"new\nnps 1000000000", true}, {"nps 0", false}, {"nps 1000000000\nnew", false}};
  for (const auto& [rate, inNodes] : rates) {
    engine.reports.clear();
    engine.session.Send(std::string(rate) + "\nforce\nsetboard " + MIDDLEGAME +
                        "\nlevel 40 0:01 0\ntime 1\notim 100\ngo");
    EXPECT_TRUE(MoveIsLegal(engine.NextMove(), MIDDLEGAME)) << rate;
    std::int64_t most = 0;
    for (const std::string& report : engine.reports)
      most = std::max<std::int64_t>(most, std::stoll(Field(report, 3)));
    EXPECT_EQ(most > 100000, inNodes) << rate << " " << most;
    EXPECT_LE(most, 1000000) << rate;
  }
}

// An analysis as xboard runs it with MultiPV=3 and its periodic updates (the commands from its
// debug log): every iteration shows three lines of different moves, one after the other. "."
// is answered at once with stat01 and the search goes on: time and nodes rise, the total is
// the number of root moves searched, and once the search has run a while the move it searches
// is named. Outside an analysis "." needs no answer.
TEST(XboardSession, AnAnalysisOfThreeLinesAndItsStatus) {
  Xboard engine;
  engine.session.Send(
      "option MultiPV=3\nmemory 68\nnew\nlevel 40 5 0\npost\nhard\nping 1\nforce\n"
      "analyze");
  EXPECT_EQ(engine.Until("pong"), "pong 1");
  for (int depth = 1; depth <= 5; ++depth) {
    std::vector<std::string> firsts;
    const std::string first = engine.session.ReadLine();
    for (const std::string& line : {first, engine.session.ReadLine(), engine.session.ReadLine()}) {
      EXPECT_EQ(ReportDepth(line), depth) << line;
      EXPECT_EQ(Field(line, 3), Field(first, 3)) << line;
      firsts.push_back(Variation(line).at(0));
    }
    std::sort(firsts.begin(), firsts.end());
    EXPECT_EQ(std::unique(firsts.begin(), firsts.end()), firsts.end()) << first;
  }

  // Fields of a stat01 line: time, nodes, depth, moves left, moves in all, the move.
  const auto status = [&engine](int rootMoves) {
    engine.session.Send(".");
    const std::string line = engine.Until("stat01: ");
    std::istringstream fields(line.substr(8));
    std::int64_t time = -1, nodes = -1;
    int depth = 0, left = -1, total = 0;
    std::string move;
    fields >> time >> nodes >> depth >> left >> total >> move;
    EXPECT_TRUE(time >= 0 && depth >= 2 && left >= 0 && left <= total && total == rootMoves)
        << line;
    return std::tuple(time, nodes, move);
  };
  auto [time, nodes, move] = status(20);
  // Once the search has run a second the root moves are reported as they are begun: the
  // status names one soon after.
  for (std::string line = engine.Until(""); IsReport(line) && std::stoi(Field(line, 2)) < 100;)
    line = engine.Until("");
  for (int tries = 0; move.empty() && tries < 1000; ++tries) {
    const auto [laterTime, moreNodes, searched] = status(20);
    EXPECT_GE(laterTime, time);
    EXPECT_GE(moreNodes,
              std::max<std::int64_t>(nodes, std::stoll(Field(engine.reports.back(), 3))));
    std::tie(time, nodes, move) = std::tuple(laterTime, moreNodes, searched);
  }
  EXPECT_TRUE(MoveIsLegal("move " + move, WriteFen(Board()))) << move;
  engine.session.Send("exclude e2e4");
  status(19);
  engine.session.Send("exit\n.\nping 2");
  for (std::string line = engine.session.ReadLine(); line != "pong 2" && line != "<timeout>";
       line = engine.session.ReadLine())
    EXPECT_FALSE(line.starts_with("stat01")) << line;
}

// While an iteration runs, a new best move's score may be only a bound, the more so a mate.
// Here the move tried first is mated in one, while White is mated in two at best: no line
// claims a quicker mate, nor one for White, and the nodes never go back within the search. By
// depth 13 the search has run over a second, long enough to report new best moves.
TEST(XboardSession, NoThinkingLineClaimsAQuickerMateThanThereIs) {
  Xboard engine;
  engine.session.Send("force\nsetboard 8/8/4k3/8/8/4r3/2K4r/8 w - - 0 1\npost\nanalyze");
  std::int64_t nodes = 0;
  std::string line;
  do {
    line = engine.session.ReadLine();
    ASSERT_TRUE(IsReport(line)) << line;
    const int score = std::stoi(Field(line, 1));
    EXPECT_TRUE(score == -100002 || (score > -30000 && score < 30000)) << line;
    EXPECT_GE(std::stoll(Field(line, 3)), nodes) << line;
    nodes = std::stoll(Field(line, 3));
  } while (ReportDepth(line) < 13);
  EXPECT_EQ(Field(line, 1), "-100002") << line;
}

// With "hard" the engine thinks on the reply its variation expects. That reply goes on with the
// same search (its depths keep rising); any other reply is searched afresh; "easy" ends it. The
// log holds exactly the moves played, never the guess.
TEST(XboardSession, PonderingOnTheExpectedReplyAndOnAnyOther) {
  Xboard engine;
  EngineSession replay("");  // the game as played
  std::string error;
  replay.SetUp(MIDDLEGAME, error);
  std::vector<std::string> played;
  const auto play = [&](const std::string& text) {
    Move move;
    ASSERT_TRUE(replay.FindMove(text, move)) << text;
    replay.Play(move);
    played.push_back(text);
  };
  // A legal move other than any of `others`.
  const auto moveOtherThan = [&replay](const std::vector<std::string>& others) {
    for (const Move& move : LegalMoves(replay.Position()))
      if (std::find(others.begin(), others.end(), CoordinateText(move)) == others.end())
        return CoordinateText(move);
    return std::string();
  };
  // The front end's move as xboard sends it, and the engine's answer.
  const auto exchange = [&](const std::string& reply) {
    play(reply);
    engine.session.Send("time 1000\notim 1000\nusermove " + reply);
    const std::string move = engine.NextMove();
    ASSERT_TRUE(move.starts_with("move ")) << move;
    play(move.substr(5));
  };
  engine.session.Send("new\nhard\npost\nlevel 40 0:10 0\nsetboard " + MIDDLEGAME);
  exchange("a2a3");
  const std::vector<std::string> expected = Variation(engine.reports.back());
  ASSERT_GE(expected.size(), 2u) << engine.reports.back();
  // Pondering shows its thinking before the reply comes; the reply arrives at depth 3.
  engine.reports.clear();
  while (engine.reports.empty() || ReportDepth(engine.reports.back()) < 3) engine.Until("");
  ASSERT_TRUE(IsReport(engine.reports.back())) << engine.reports.back();
  exchange(expected[1]);
  std::vector<std::string> guesses;
  for (std::size_t i = 0; i < engine.reports.size(); ++i) {
    EXPECT_LE(ReportDepth(engine.reports[i > 0 ? i - 1 : 0]), ReportDepth(engine.reports[i]));
    if (Variation(engine.reports[i]).size() > 1) guesses.push_back(Variation(engine.reports[i])[1]);
  }
  // Another reply than any the variations expected.
  EXPECT_TRUE(IsReport(engine.session.ReadLine()));
  exchange(moveOtherThan(guesses));
  // Pondering ends with "easy": after the next move nothing more is thought.
  engine.session.Send("easy");
  exchange(moveOtherThan({}));
  engine.session.Send("ping 1");
  EXPECT_EQ(engine.session.ReadLine(), "pong 1");
  // Quit while the engine ponders: the guess is no move of the game.
  engine.session.Send("hard");
  exchange(moveOtherThan({}));
  EXPECT_TRUE(IsReport(engine.session.ReadLine()));
  std::istringstream log(engine.Log());
  PGNParser reader(log);
  ASSERT_TRUE(reader.getNextMatch());
  std::vector<std::string> logged;
  const Move* move = nullptr;
  for (int outcome = 0; reader.getNextMove(move, outcome);) logged.push_back(CoordinateText(*move));
  EXPECT_EQ(logged, played);
}

// A pipe closed by the front end ends the game, which is logged; standard output carries only
// protocol lines, the rest is console text. A first line that is no "xboard" is refused; a
// front end of protocol version 1 (gnome-chess: xboard, random, no protover) gets no features
// and plays.
TEST(XboardSession, TheStartAndTheEndOfTheConnection) {
  {
    Xboard engine;
    engine.session.Send("usermove e2e4");
    EXPECT_TRUE(engine.NextMove().starts_with("move "));
    EXPECT_EQ(engine.session.Wait(), 0);
    const std::string console = engine.directory.Read("VelmoraConsole.txt");
    EXPECT_TRUE(console.starts_with("            Welcome to Chess!\n")) << console;
    EXPECT_TRUE(console.ends_with("Game-Log written to games.pgn!\n")) << console;
    EXPECT_NE(engine.directory.Read("games.pgn").find("  1.  e2e4  "), std::string::npos);
    std::string start = "Trace started...\n\nIn: xboard\nIn: protover 2\n";
    for (const std::string& feature : FEATURES) start += "Out: " + feature + "\n";
    EXPECT_TRUE(engine.directory.Read("ConnTrace.txt").starts_with(start + "In: usermove e2e4\n"));
  }
  EngineProcess wrong("xboard");
  wrong.session.Send("protover 2");
  EXPECT_EQ(wrong.session.Wait(), 1);
  EXPECT_EQ(wrong.directory.Read("stderr.txt"), "'xboard' command expected");

  EngineProcess gnome({"xboard", "--trace"});
  gnome.session.Send("xboard\nrandom\nnew\ne2e4");
  EXPECT_TRUE(gnome.Until("move").starts_with("move "));
  gnome.session.Send("g1f3");  // legal after any first move of Black
  EXPECT_TRUE(gnome.Until("move").starts_with("move "));
  EXPECT_EQ(gnome.Quit(), 0);
  EXPECT_EQ(gnome.directory.Read("ConnTrace.txt").find("feature"), std::string::npos);

  // Started without an argument, as python-chess (SimpleEngine.popen_xboard) starts an engine,
  // the program is the xboard engine: these are the lines it sent for a game move. Without
  // --trace the engine writes only its game.
  EngineProcess plain(std::vector<std::string>{});
  EXPECT_EQ(plain.Greet("xboard\nprotover 2", "feature done=1"), FEATURES);
  plain.session.Send(
      "rejected reuse\nrejected sigterm\naccepted memory\nnew\nforce\nst 0.3\nnopost\neasy\n"
      "go");
  EXPECT_TRUE(MoveIsLegal(plain.Until("move"), WriteFen(Board())));
  plain.session.Send("ping 57360");
  EXPECT_EQ(plain.session.ReadLine(), "pong 57360");
  EXPECT_EQ(plain.Quit(), 0);
  EXPECT_EQ(plain.directory.Read("stderr.txt"), "");
  EXPECT_EQ(plain.Files(), (std::vector<std::string>{"games.pgn", "stderr.txt"}));
}

}  // namespace
