// The engine under a front end, driven through pipes a line at a time, as xboard 4.9 drives
// it. Each test replays one kind of session and judges the order and content of the replies.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "board/Fen.h"
#include "board/MoveList.h"
#include "protocol/EngineSession.h"
#include "protocol/XboardSession.h"
#include "support/ProtocolSession.h"
#include "support/TemporaryDirectory.h"

namespace {

// The features, the option on a line of its own, as xboard needs it.
const std::string FEATURE_LINES[] = {
    "feature ping=1 setboard=1 playother=1 san=0 usermove=1 time=1 draw=0 sigint=0 sigterm=0 "
    "reuse=0 analyze=1 memory=1 exclude=1 myname=\"Velmora\" variants=\"normal\" color=0 ics=0 "
    "name=0 pause=0",
    "feature option=\"Strength -combo *Classic /// Full\"", "feature done=1"};

// What xboard 4.9.1 sent when it started the engine for a match game (from its debug log):
// it rejects "color", sets the clock, then waits for the opponent before it says who moves.
const std::vector<std::string> XBOARD_START = {"accepted ping",
                                               "accepted setboard",
                                               "accepted playother",
                                               "accepted san",
                                               "accepted usermove",
                                               "accepted time",
                                               "accepted draw",
                                               "accepted sigint",
                                               "accepted sigterm",
                                               "accepted reuse",
                                               "accepted analyze",
                                               "accepted myname",
                                               "accepted variants",
                                               "rejected color",
                                               "accepted ics",
                                               "accepted name",
                                               "accepted pause",
                                               "accepted done",
                                               "new",
                                               "level 40 0:10 0",
                                               "post",
                                               "hard",
                                               "ping 1",
                                               "force"};

// The engine started in a fresh folder with the default book, through the handshake.
struct Engine {
  explicit Engine(bool withBook = true)
      : session((withBook ? std::filesystem::copy_file(VELMORA_DEFAULT_BOOK,
                                                       directory.Path() / "openingbook.bin")
                          : false,
                 directory.Path()),
                {VELMORA_BINARY, "xboard"}) {
    session.Send("xboard\nprotover 2");
    for (const std::string& features : FEATURE_LINES) EXPECT_EQ(session.ReadLine(), features);
  }
  void StartLikeXboard() {
    for (const std::string& line : XBOARD_START) session.Send(line);
    EXPECT_EQ(session.ReadLine(), "pong 1");
  }
  // Quits and returns the game log.
  std::string Quit() {
    session.Send("quit");
    EXPECT_EQ(session.Wait(), 0);
    return directory.Read("games.pgn");
  }
  TemporaryDirectory directory;
  ProtocolSession session;
};

// Whether `line` is "move X" with X legal in the position.
bool IsLegalMoveLine(const std::string& line, const std::string& fen) {
  if (!line.starts_with("move ")) return false;
  EngineSession game("");
  std::string error;
  Move move;
  return game.SetUp(fen, error) && game.FindMove(line.substr(5), move) &&
         CoordinateText(move) == line.substr(5);
}

// Field `index` of a thinking line (0 depth, 1 score, ... 4 the variation).
std::string Field(const std::string& line, int index) {
  std::istringstream fields(line);
  std::string field;
  for (int i = 0; i <= index; ++i) std::getline(fields, field, '\t');
  return field;
}

// The moves of a thinking line's variation.
std::vector<std::string> Variation(const std::string& line) {
  std::istringstream words(Field(line, 4));
  std::vector<std::string> moves;
  for (std::string move; words >> move;) moves.push_back(move);
  return moves;
}

bool IsThinking(const std::string& line) {
  return !line.empty() && std::isdigit(static_cast<unsigned char>(line[0])) &&
         line.find('\t') != std::string::npos;
}

// Reads up to the engine's move or resignation; the thinking lines before it go to `thinking`.
std::string ReadMove(ProtocolSession& session, std::vector<std::string>& thinking) {
  std::string line = session.ReadLine();
  for (; !line.starts_with("move ") && line != "resign" && line != "<timeout>" && line != "<end>";
       line = session.ReadLine())
    if (IsThinking(line)) thinking.push_back(line);
  return line;
}

TEST(XboardSession, XboardStartUpThenGamesToMateInBothColours) {
  Engine engine;
  engine.StartLikeXboard();
  // The engine is White: "black" and "white" only name the sides, "go" starts it, and it
  // moves exactly once.
  engine.session.Send("computer\nblack\ntime 1000\notim 1000\nwhite\ngo");
  EXPECT_TRUE(engine.session.ReadLine().starts_with("0\t0\t0\t0\topening: "));
  EXPECT_TRUE(IsLegalMoveLine(engine.session.ReadLine(), WriteFen(Board())));
  engine.session.Send("ping 2");
  EXPECT_EQ(engine.session.ReadLine(), "pong 2");

  // The engine, as White, mates in one with a promotion: sent with its letter, and scored as a
  // mate in one.
  engine.session.Send("new\nforce\nsetboard 7k/P5R1/7K/8/8/8/8/8 w - - 0 50\ngo");
  std::vector<std::string> thinking;
  const std::string promotion = ReadMove(engine.session, thinking);
  EXPECT_TRUE(promotion == "move a7a8q" || promotion == "move a7a8r") << promotion;
  ASSERT_FALSE(thinking.empty());
  EXPECT_EQ(Field(thinking.back(), 1), "100001") << thinking.back();
  EXPECT_EQ(engine.session.ReadLine(), "1-0 {White mates}");
  engine.session.Send("result 1-0 {White mates}");

  // As Black, after the front end's move, the way xboard starts a set-up game.
  engine.session.Send("new\nforce\nsetboard r5k1/8/8/8/8/8/6PP/6K1 w - - 0 40\nusermove g1h1");
  engine.session.Send("ping 3\ngo");
  EXPECT_EQ(engine.session.ReadLine(), "pong 3");
  EXPECT_EQ(engine.session.ReadUntil("move"), "move a8a1");
  EXPECT_EQ(engine.session.ReadLine(), "0-1 {Black mates}");

  const std::string log = engine.Quit();
  // The first game ended unfinished when "new" came; the set-up games carry their position.
  EXPECT_NE(log.find("[White \" Velmora\" ]"), std::string::npos) << log;
  EXPECT_NE(log.find("[Result \" *\" ]"), std::string::npos) << log;
  EXPECT_NE(log.find("[FEN \"7k/P5R1/7K/8/8/8/8/8 w - - 0 50\"]"), std::string::npos) << log;
  EXPECT_NE(log.find("  1-0\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Kg1h1  Ra8a1  0-1\n"), std::string::npos) << log;
  EXPECT_EQ(engine.directory.Read("stderr.txt"), "");
}

TEST(XboardSession, ForceMovesGoUndoAndRemoveInBothColours) {
  Engine engine(false);  // no book: every reply is searched
  engine.session.Send("new\nforce\nusermove e2e4\nusermove e7e5\nusermove g1f3\nsd 3\ngo");
  const std::string fen = "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq -";
  EXPECT_TRUE(IsLegalMoveLine(engine.session.ReadUntil("move"), fen));
  // Black is the engine's side: take back its move and ours, and play another move.
  engine.session.Send("remove\nusermove f1c4");
  EXPECT_TRUE(IsLegalMoveLine(engine.session.ReadUntil("move"),
                              "rnbqkbnr/pppp1ppp/8/4p3/2B1P3/8/PPPP1PPP/RNBQK1NR b KQkq -"));
  // Undo one ply in force mode, then let the engine take White's side.
  engine.session.Send("force\nundo\nundo\nundo\nundo\nwhite\ngo");
  EXPECT_TRUE(IsLegalMoveLine(engine.session.ReadUntil("move"), WriteFen(Board())));
  engine.session.Send("force\nundo\nundo");
  EXPECT_EQ(engine.session.ReadLine(), "Error (no move to take back): undo");
  const std::string log = engine.Quit();
  EXPECT_EQ(log, "");  // every move was taken back: nothing to record
}

TEST(XboardSession, CommandsDuringTheSearchAreReadAtOnce) {
  Engine engine(false);
  const std::string middlegame = "r2q1rk1/pp2bppp/2n1bn2/3p4/3P4/2NBBN2/PP3PPP/R2Q1RK1 w - - 0 10";
  // "?" arrives with "go": the move of the first finished iteration is played at once.
  engine.session.Send("new\nforce\nsetboard " + middlegame);
  engine.session.Send("go\n?");
  std::string line = engine.session.ReadLine();
  if (line.starts_with("2\t")) line = engine.session.ReadLine();
  EXPECT_TRUE(IsLegalMoveLine(line, middlegame)) << line;

  // A ping during the search is answered after the move; quit ends the search and the game
  // is written, unfinished.
  engine.session.Send("force\nundo\nsd 3\ngo\nping 3");
  EXPECT_TRUE(IsLegalMoveLine(engine.session.ReadUntil("move"), middlegame));
  EXPECT_EQ(engine.session.ReadLine(), "pong 3");
  engine.session.Send("sd 30\nplayother\ngo\nquit");
  EXPECT_EQ(engine.session.Wait(), 0);
  const std::string log = engine.directory.Read("games.pgn");
  EXPECT_NE(log.find("[Result \" *\" ]"), std::string::npos) << log;
  const std::string trace = engine.directory.Read("ConnTrace.txt");
  EXPECT_EQ(trace.find("Out: move", trace.find("In: quit")), std::string::npos) << trace;
}

TEST(XboardSession, RefusalsInProtocolForm) {
  Engine engine;
  engine.session.Send("new\nforce\nusermove e2e5\nusermove e2\nfoo bar\nsetboard 8/8/8 w - -");
  EXPECT_EQ(engine.session.ReadLine(), "Illegal move: e2e5");
  EXPECT_EQ(engine.session.ReadLine(), "Illegal move: e2");
  EXPECT_EQ(engine.session.ReadLine(), "Error (unknown command): foo");
  EXPECT_EQ(engine.session.ReadLine(), "tellusererror Illegal position");
  // A promotion needs its letter; CR LF line ends are read like LF.
  engine.session.Send("setboard 4k3/1P6/8/8/8/8/8/4K3 w - - 0 1\r\nusermove b7b8\r\nlevel 40 x 0");
  EXPECT_EQ(engine.session.ReadLine(), "Illegal move: b7b8");
  EXPECT_EQ(engine.session.ReadLine(), "Error (bad time control): level 40 x 0");
  engine.session.Send("usermove b7b8n\r\nping 4\r");
  EXPECT_EQ(engine.session.ReadLine(), "pong 4");
  engine.session.Send("result 1/2-1/2 {agreed}\nusermove e8d7");
  EXPECT_EQ(engine.session.ReadLine(), "Illegal move (the game is over): e8d7");
  const std::string log = engine.Quit();
  EXPECT_NE(log.find("[FEN \"4k3/1P6/8/8/8/8/8/4K3 w - - 0 1\"]"), std::string::npos) << log;
  EXPECT_NE(log.find("b7b8=N  1/2-1/2"), std::string::npos) << log;
}

TEST(XboardSession, AnalysisFollowsTheMovesUntilExit) {
  Engine engine;
  engine.session.Send("new\npost\nanalyze");
  // The position itself is searched, not the book: thinking lines, no move.
  EXPECT_TRUE(engine.session.ReadLine().starts_with("2\t"));
  engine.session.Send("usermove e2e4");
  std::string line = engine.session.ReadLine();
  while (!line.starts_with("2\t") && line != "<timeout>") line = engine.session.ReadLine();
  // The variation is now Black's: it starts with a move of a black piece.
  const std::string first = line.substr(line.rfind('\t') + 1, 2);
  EXPECT_TRUE(first[1] == '7' || first[1] == '8') << line;
  engine.session.Send("undo\nexit\nping 5");
  EXPECT_EQ(engine.session.ReadUntil("pong"), "pong 5");
  EXPECT_EQ(engine.Quit(), "");  // nothing was played
  EXPECT_EQ(engine.directory.Read("ConnTrace.txt").find("Out: move"), std::string::npos);
}

// The thinking line: depth, score, centiseconds since the search began, the iteration's nodes
// and the variation.
TEST(XboardSession, ThinkingLineLayout) {
  IterationReport report;
  report.depth = 3;
  report.score = 47;
  report.iterationNodes = 151;
  report.nodes = 200;
  report.elapsedMs = 1234;
  report.variation = "d1d8";
  EXPECT_EQ(ThinkingLine(report), "3\t47\t123\t151\td1d8");
  // Mates count moves from 100000, whatever the score: the side to move mates in 2, or is
  // mated in 3.
  report.mateMoves = 2;
  EXPECT_EQ(ThinkingLine(report), "3\t100002\t123\t151\td1d8");
  report.mateMoves = -3;
  EXPECT_EQ(ThinkingLine(report), "3\t-100003\t123\t151\td1d8");
}

// Mated in one, the engine says so and resigns; a finished position is analysed at once, with
// its result; a front end of protocol version 1 (gnome-chess: xboard, random, no protover) gets
// no features and plays.
TEST(XboardSession, MatedFinishedPositionsAndProtocolVersionOne) {
  Engine engine;
  // White's only move is met by mate.
  engine.session.Send("force\nsetboard 6k1/8/8/8/8/1r6/r7/7K w - - 0 1\ngo");
  std::vector<std::string> thinking;
  EXPECT_EQ(ReadMove(engine.session, thinking), "resign");
  ASSERT_FALSE(thinking.empty());
  EXPECT_EQ(Field(thinking.back(), 1), "-100001") << thinking.back();
  engine.session.Send("new\nsetboard 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1\nusermove a1a8");
  EXPECT_EQ(engine.session.ReadLine(), "1-0 {White mates}");
  engine.session.Send("post\nanalyze");
  EXPECT_EQ(engine.session.ReadLine(), "0\t-100000\t0\t0\t1-0 {White mates}");
  engine.Quit();

  TemporaryDirectory directory;
  ProtocolSession gnome(directory.Path(), {VELMORA_BINARY, "xboard"});
  gnome.Send("xboard\nrandom\nnew\ne2e4");
  EXPECT_EQ(gnome.ReadUntil("move").substr(0, 5), "move ");
  gnome.Send("g1f3");  // legal after any first move of Black
  EXPECT_EQ(gnome.ReadUntil("move").substr(0, 5), "move ");
  gnome.Send("quit");
  EXPECT_EQ(gnome.Wait(), 0);
  EXPECT_EQ(directory.Read("ConnTrace.txt").find("feature"), std::string::npos);
}

// The game as the test plays it along: coordinate moves made on a record of its own.
struct Replay {
  explicit Replay(const std::string& fen) : game(""), start(fen) {
    std::string error;
    game.SetUp(fen, error);
  }
  // Plays a move the test knows to be legal.
  void Play(const std::string& text) {
    Move move;
    ASSERT_TRUE(game.FindMove(text, move)) << text;
    game.Play(move);
    moves.push_back(text);
  }
  // A legal move other than any of `others`.
  std::string MoveOtherThan(const std::vector<std::string>& others) const {
    for (const Move& move : LegalMoves(game.Position()))
      if (std::find(others.begin(), others.end(), CoordinateText(move)) == others.end())
        return CoordinateText(move);
    return "";
  }
  // The record the engine's log should hold for these moves, from the FEN tag on.
  std::string Log(const std::string& white, const std::string& black) const {
    TemporaryDirectory directory;
    EngineSession record((directory.Path() / "games.pgn").string());
    std::string error;
    record.SetUp(start, error);
    for (const std::string& text : moves) {
      Move move;
      record.FindMove(text, move);
      record.Play(move);
    }
    record.whiteName = white;
    record.blackName = black;
    record.WriteRecord();
    const std::string log = directory.Read("games.pgn");
    return log.substr(log.find("[FEN"));
  }
  EngineSession game;
  std::string start;
  std::vector<std::string> moves;
};

// With "hard" the engine thinks on the reply its variation expects. That reply goes on with the
// same search (its depths keep rising); any other reply is searched afresh; "easy" ends it. The
// log holds exactly the moves played, never the guess.
TEST(XboardSession, PonderingOnTheExpectedReplyAndOnAnyOther) {
  Engine engine(false);
  const std::string start = "r2q1rk1/pp2bppp/2n1bn2/3p4/3P4/2NBBN2/PP3PPP/R2Q1RK1 w - - 0 10";
  Replay replay(start);
  engine.session.Send("new\nhard\npost\nlevel 40 0:10 0\nsetboard " + start);
  std::vector<std::string> thinking;
  // The front end's move as xboard sends it, and the engine's answer.
  const auto exchange = [&](const std::string& reply) {
    replay.Play(reply);
    engine.session.Send("time 1000\notim 1000\nusermove " + reply);
    const std::string move = ReadMove(engine.session, thinking);
    ASSERT_TRUE(move.starts_with("move ")) << move;
    replay.Play(move.substr(5));
  };
  exchange("a2a3");
  ASSERT_FALSE(thinking.empty());
  const std::vector<std::string> expected = Variation(thinking.back());
  ASSERT_GE(expected.size(), 2u) << thinking.back();
  // Pondering shows its thinking before the reply comes; the reply arrives at depth 3.
  thinking = {engine.session.ReadLine()};
  while (IsThinking(thinking.back()) && std::stoi(Field(thinking.back(), 0)) < 3)
    thinking.push_back(engine.session.ReadLine());
  ASSERT_TRUE(IsThinking(thinking.back())) << thinking.back();
  exchange(expected[1]);
  for (std::size_t i = 1; i < thinking.size(); ++i)
    EXPECT_LE(std::stoi(Field(thinking[i - 1], 0)), std::stoi(Field(thinking[i], 0)))
        << thinking[i];

  // Another reply than any the variations expected.
  std::vector<std::string> guesses;
  for (const std::string& line : thinking)
    if (Variation(line).size() > 1) guesses.push_back(Variation(line)[1]);
  EXPECT_TRUE(IsThinking(engine.session.ReadLine()));
  exchange(replay.MoveOtherThan(guesses));

  // Pondering ends with "easy": after the next move nothing more is thought.
  engine.session.Send("easy");
  exchange(replay.MoveOtherThan({}));
  engine.session.Send("ping 1");
  EXPECT_EQ(engine.session.ReadLine(), "pong 1");
  // Quit while the engine ponders: the guess is no move of the game.
  engine.session.Send("hard");
  exchange(replay.MoveOtherThan({}));
  EXPECT_TRUE(IsThinking(engine.session.ReadLine()));
  const std::string log = engine.Quit();
  ASSERT_NE(log.find("[FEN"), std::string::npos) << log;
  EXPECT_EQ(log.substr(log.find("[FEN")), replay.Log("Winboard - Human", "Velmora"));
}

// After a move that repeats a position for the third time the engine, when it plays a side,
// claims the draw; in force mode the second time passes without a word.
TEST(XboardSession, ARepetitionIsClaimed) {
  Engine engine(false);
  engine.session.Send("new\nforce\nsetboard 4k1n1/4p3/8/8/8/8/4P3/4K1N1 w - - 0 1");
  engine.session.Send("usermove g1f3\nusermove g8f6\nusermove f3g1\nusermove f6g8");
  engine.session.Send("usermove g1f3\nusermove g8f6\nusermove f3g1\nplayother\nusermove f6g8");
  engine.session.Send("ping 1");
  EXPECT_EQ(engine.session.ReadLine(), "1/2-1/2 {3-fold repetition}");
  EXPECT_EQ(engine.session.ReadLine(), "pong 1");
  engine.session.Send("result 1/2-1/2 {3-fold repetition}\nping 2");
  EXPECT_EQ(engine.session.ReadLine(), "pong 2");
  const std::string log = engine.Quit();
  EXPECT_NE(log.find("Ng8f6   4.  Nf3g1  Nf6g8  1/2-1/2"), std::string::npos) << log;
}

// "memory" sizes the tables; excluded moves stay out of the analysis until the position changes.
TEST(XboardSession, MemoryAndExcludedMovesInAnalysis) {
  Engine engine(false);
  const std::string middlegame = "r2q1rk1/pp2bppp/2n1bn2/3p4/3P4/2NBBN2/PP3PPP/R2Q1RK1 w - - 0 10";
  engine.session.Send("memory 8\nnew\nforce\nsetboard " + middlegame);
  engine.session.Send("post\nanalyze\nexclude all\ninclude d1b3\nexclude e2e5\nping 1");
  EXPECT_EQ(engine.session.ReadUntil("Error"), "Error (illegal move): exclude e2e5");
  EXPECT_EQ(engine.session.ReadUntil("pong"), "pong 1");
  for (int line = 0; line < 2; ++line) {
    const std::string thinking = engine.session.ReadLine();
    EXPECT_TRUE(IsThinking(thinking) && Field(thinking, 4).starts_with("d1b3")) << thinking;
  }
  // With every move left out there is nothing to analyse.
  engine.session.Send("exclude all\nping 2\nping 3");
  EXPECT_EQ(engine.session.ReadUntil("pong"), "pong 2");
  EXPECT_EQ(engine.session.ReadLine(), "pong 3");
  // A move and its take-back clear the set.
  engine.session.Send("usermove a2a3\nundo\nping 4");
  EXPECT_EQ(engine.session.ReadUntil("pong"), "pong 4");
  EXPECT_TRUE(IsThinking(engine.session.ReadLine()));
  engine.session.Send("exit");
  EXPECT_EQ(engine.Quit(), "");
}

// The option the features name chooses the full-strength search; other options and values
// are refused in protocol form.
TEST(XboardSession, TheFullStrengthSearchIsAnOption) {
  Engine engine(false);
  engine.session.Send("option Strength=Fast\noption Colour=1\noption Strength");
  EXPECT_EQ(engine.session.ReadLine(), "Error (bad value): option Strength=Fast");
  EXPECT_EQ(engine.session.ReadLine(), "Error (unknown option): Colour");
  EXPECT_EQ(engine.session.ReadLine(), "Error (bad value): option Strength");
  engine.session.Send("option Strength=Full\nnew\nforce\nsetboard k7/8/2K5/8/8/8/8/7R w - - 0 1");
  engine.session.Send("sd 6\ngo");
  const std::string move = engine.session.ReadUntil("move");
  EXPECT_TRUE(move == "move c6b6" || move == "move c6c7") << move;
  engine.session.Send(move == "move c6b6" ? "usermove a8b8" : "usermove a8a7");
  EXPECT_EQ(engine.session.ReadUntil("move"), move == "move c6b6" ? "move h1h8" : "move h1a1");
  EXPECT_EQ(engine.session.ReadLine(), "1-0 {White mates}");
  EXPECT_NE(engine.Quit(), "");
}

// An analysis goes on deepening after it found a mate: a front end may wait for a depth.
TEST(XboardSession, AnAnalysisGoesOnAfterAMate) {
  Engine engine(false);
  engine.session.Send("new\nforce\nsetboard k7/8/2K5/8/8/8/8/7R w - - 0 1\npost\nanalyze");
  std::string thinking;
  do {
    thinking = engine.session.ReadLine();
  } while (IsThinking(thinking) && std::stoi(Field(thinking, 0)) < 6);
  EXPECT_TRUE(IsThinking(thinking)) << thinking;
  EXPECT_EQ(Field(thinking, 1), "100002") << thinking;
  engine.session.Send("exit");
  EXPECT_EQ(engine.Quit(), "");
}

TEST(XboardSession, AClosedPipeEndsTheGameAndAWrongStartIsRefused) {
  {
    Engine engine;
    engine.session.Send("usermove e2e4");
    EXPECT_TRUE(engine.session.ReadUntil("move").starts_with("move "));
    engine.session.CloseInput();
    EXPECT_EQ(engine.session.Wait(), 0);
    // Standard output carries only protocol lines: the rest is console text.
    const std::string console = engine.directory.Read("VelmoraConsole.txt");
    EXPECT_TRUE(console.starts_with("            Welcome to Chess!\n")) << console;
    EXPECT_TRUE(console.ends_with("Game-Log written to games.pgn!\n")) << console;
    EXPECT_NE(engine.directory.Read("games.pgn").find("  1.  e2e4  "), std::string::npos);
    EXPECT_TRUE(engine.directory.Read("ConnTrace.txt")
                    .starts_with("Trace started...\n\nIn: xboard\nIn: protover 2\nOut: " +
                                 FEATURE_LINES[0] + "\nOut: " + FEATURE_LINES[1] +
                                 "\nOut: " + FEATURE_LINES[2] + "\nIn: usermove e2e4\n"));
  }
  TemporaryDirectory directory;
  ProtocolSession wrong(directory.Path(), {VELMORA_BINARY, "xboard"});
  wrong.Send("protover 2");
  EXPECT_EQ(wrong.Wait(), 1);
  EXPECT_EQ(directory.Read("stderr.txt"), "'xboard' command expected");
}

// After a refused setboard nothing is played or analysed until a position is set; k is no
// promotion; bytes that are no text are shown, not echoed.
TEST(XboardSession, ARefusedPositionIsNoPositionAndKIsNoPromotion) {
  Engine engine;
  engine.session.Send("new\nforce\nsetboard 8/8/8 w - -\ngo\nusermove e2e4\ne2e4\nanalyze");
  EXPECT_EQ(engine.session.ReadLine(), "tellusererror Illegal position");
  EXPECT_EQ(engine.session.ReadLine(), "Error (no legal position): go");
  EXPECT_EQ(engine.session.ReadLine(), "Error (no legal position): usermove");
  EXPECT_EQ(engine.session.ReadLine(), "Error (no legal position): e2e4");
  EXPECT_EQ(engine.session.ReadLine(), "Error (no legal position): analyze");
  engine.session.Send("setboard 4k3/P7/8/8/8/8/8/4K3 w - - 0 1\nusermove a7a8k\nfoo\x01\xff");
  EXPECT_EQ(engine.session.ReadLine(), "Illegal move: a7a8k");
  EXPECT_EQ(engine.session.ReadLine(), "Error (unknown command): foo\\x01\\xff");
  engine.session.Send("new\nusermove e2e4");
  EXPECT_TRUE(engine.session.ReadUntil("move").starts_with("move "));
  engine.Quit();
}

// A front end that stops reading during an analysis ends the session as the end of input
// does: the game is recorded and the engine exits normally.
TEST(XboardSession, AClosedOutputDuringAnalysisKeepsTheRecord) {
  Engine engine(false);
  engine.session.Send("new\nforce\nusermove e2e4\npost\nanalyze");
  EXPECT_TRUE(IsThinking(engine.session.ReadLine()));
  engine.session.CloseOutput();
  EXPECT_EQ(engine.session.Wait(false), 0);
  EXPECT_NE(engine.directory.Read("games.pgn").find("  1.  e2e4  "), std::string::npos);
}

}  // namespace
