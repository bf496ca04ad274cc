// The real program as a person runs it at the console, in a fresh directory with scripted
// standard input: its modes, signals, and its files, which it writes whole or leaves as they were
// and reads only when they are regular files.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <tuple>

#include "support/ChildProcess.h"
#include "support/ConsoleCapture.h"
#include "support/TestBoards.h"

namespace {

const std::string PROMPT = "Your move, Whity ( e.g. e2e4 ) ?  ";

// Ctrl-C, SIGTERM and SIGHUP end the program, and the game so far is kept in the log as
// unfinished; a game without a move leaves nothing. (From a pipe the program says nothing
// before it has read a first line.)
TEST(ConsoleGame, InterruptingSignalsKeepTheGameSoFar) {
  for (const auto& [signal, typed, prompts] : {std::tuple{SIGINT, "e2e4\n", 2},
                                               {SIGTERM, "e2e4\n", 2},
                                               {SIGHUP, "e2e4\n", 2},
                                               {SIGINT, "fen\n", 1}}) {
    TemporaryDirectory directory;
    // The book answers at once.
    std::filesystem::copy_file(VELMORA_DEFAULT_BOOK, directory.Path() / "openingbook.bin");
    ChildProcess game(directory.Path(), {VELMORA_BINARY});
    game.Write(typed);
    for (int prompt = 0; prompt < prompts; ++prompt)
      ASSERT_TRUE(game.ReadThrough(PROMPT).ends_with(PROMPT));
    game.Signal(signal);
    EXPECT_EQ(game.Wait(), 128 + signal) << signal;
    const std::string log = directory.Read("games.pgn");
    if (prompts == 1) {
      EXPECT_EQ(log, "");
      continue;
    }
    EXPECT_TRUE(log.starts_with("[Event \" Casual Game\" ]\n")) << log;
    EXPECT_NE(log.find("[Round \"  1\" ]\n[White \" Whity\" ]\n[Black \" Blacky\" ]\n"
                       "[Result \" *\" ]\n\n  1.  e2e4  "),
              std::string::npos)
        << log;
    EXPECT_TRUE(log.ends_with("  *\n\n")) << log;
    EXPECT_EQ(log.find("[Event", 1), std::string::npos) << log;
  }
}

// Started without an argument from a pipe, the program reads a first line before it says
// anything. A greeting ("uci", "xboard", in any case, blanks around it) makes it that engine;
// any other line, however close, is the console game's first input, answered as if typed
// after another, and so is the end of input.
TEST(ConsoleGame, AFirstLineFromAPipe) {
  TemporaryDirectory directory;
  const auto output = [&directory](const std::string& typed) {
    return RunProgram(directory, {VELMORA_BINARY}, typed).output;
  };
  const std::string unreadable = PROMPT + "Sorry, no legal syntax !\n";
  for (const char* typed : {"uc\nquit\n", "ucinewgame\n", "uci x\n", "  xboardx\nquit\n", "xboar\n",
                            "\tuci\r\r\n", "u ci\n", "uci\rx\n", ""}) {
    std::string after = output(std::string("zz\n") + typed);
    ASSERT_NE(after.find(unreadable), std::string::npos) << after;
    EXPECT_EQ(output(typed), after.erase(after.find(unreadable), unreadable.size())) << typed;
  }
  for (const auto& [typed, said] :
       {std::pair{" UCI \r\nisready\n", "id name Velmora@uciok\nreadyok\n"},
        {"uci", "id name Velmora@uciok\n"},
        {"\txBoard\nprotover 2\nping 3\n", "feature done=1\npong 3\n"}}) {
    const std::string answers = output(typed);
    ExpectFragments(answers, std::string(said) + "@!Welcome");
  }
}

// A game in which no move was made leaves nothing in the log; every other game is appended.
TEST(ConsoleGame, ResigningAtOnceLogsNothing) {
  TemporaryDirectory directory;
  const ProgramRun first = RunProgram(directory, {VELMORA_BINARY}, "e2e\ne7e5\nexit\n");
  EXPECT_EQ(first.status, 0);
  // From a folder without a book the program reads the one beside it.
  EXPECT_TRUE(first.output.starts_with(
      "            Welcome to Chess!\n    ~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~\n"
      "OpeningsBook = "));
  EXPECT_NE(
      first.output.find(" entries\n"
                        "MaxSearchNodes =      999999 nodes\nMaxSearchTime =        10000 ms\n"
                        "MaxSearchIterTime =     2500 ms\nMinSearchDepth =           4 moves\n"
                        "MaxSearchDepth =          25 moves\n"
                        "TranspositionTable =  655360 x2 entries ( 45 MB )\n--A--"),
      std::string::npos);
  EXPECT_NE(first.output.find(
                "\nNEXT MOVE( 1 ): WHITE\nSCORE from perspective white +0\n"
                "Your move, Whity ( e.g. e2e4 ) ?  Sorry, no legal syntax !\n"
                "Your move, Whity ( e.g. e2e4 ) ?  Sorry, You don't have a piece at square 12\n"
                "Your move, Whity ( e.g. e2e4 ) ?  Whity selects move: RESIGNATION!\n"
                "GAME OVER.  Thanks for playing!\n"),
            std::string::npos)
      << first.output;
  EXPECT_EQ(first.output.find("Game-Log written"), std::string::npos);
  EXPECT_EQ(directory.Read("games.pgn"), "");
  EXPECT_FALSE(std::filesystem::exists(directory.Path() / "LastMove.bin"));
  EXPECT_EQ(std::filesystem::file_size(directory.Path() / "NegaScout.log"), 0u);

  // The end of input leaves a game unfinished; the second game starts on a line of its own.
  EXPECT_EQ(RunProgram(directory, {VELMORA_BINARY}, "e2e4\n").status, 0);
  EXPECT_EQ(RunProgram(directory, {VELMORA_BINARY, "black"}, "quit\n").status, 0);
  const std::string log = directory.Read("games.pgn");
  const auto second = log.find("[Event \" Casual Game\" ]", 1);
  ASSERT_NE(second, std::string::npos);
  EXPECT_EQ(log.substr(second - 5, 5), "  *\n\n");
  EXPECT_NE(log.find("[White \" Whity\" ]\n[Black \" Blacky\" ]\n"), std::string::npos);
}

// The modes of the program, run from a folder with two position files: what they say (the
// fragments, '@' between them, as in ExpectFragments) and their exit status. A first argument
// that names no mode is refused before the program starts anything: a mistyped engine mode
// must not become a console game waiting for moves.
TEST(ConsoleGame, TheModes) {
  const std::string unknown =
      "'; the modes are: black load pgn xboard uci createbook --help -h --version (none: a "
      "console game as White)\n";
  const struct {
    std::vector<std::string> arguments;
    std::string typed, said;
    int status;
  } runs[] = {
      // Black mates at once from the text position.
      {{"load", "fool.txt"},
       "",
       "\nLoaded Board from file \"fool.txt\".\nMaxSearchNodes@NEXT MOVE( 1 ): BLACK\n@"
       "Blacky selects move: BQ - d8h4\nBlacky plays Qh4#\nCHECKMATE - Player wins.\n",
       0},
      // Without its one file, or with more arguments to a console game, the program refuses
      // with its usage and starts nothing.
      {{"load"}, "quit\n", "velmora load takes one position file\n\nUsage: velmora [MODE]", 2},
      {{"load", "fool.txt", "fool.txt"}, "", "takes one position file@Usage: velmora [MODE]", 2},
      {{"black", "white"}, "", "velmora black takes no argument\n\nUsage: velmora [MODE]", 2},
      // White's move is answered at once by the computer's mate; nothing else needs thinking.
      {{"load", "start.txt"}, "back\nsave g1\ng2g4\n", "Nervous ? Tired ?? Stupid ???\n", 0},
      // Start options of a console game, anywhere after its mode; refused when unknown or
      // without a readable value.
      {{"--level", "1500", "black", "--compact", "--clock", "1+1"},
       "quit\n",
       "Level: 1500.@Game clock: 1:00.0 + 1 s@Whity plays @Clock: Whity @"
       "1  R N B K Q B N R\n",
       0},
      {{"--level", "99"}, "", "velmora: --level 99: A level is a number from@Usage:", 2},
      {{"black", "--time", "-1"}, "", "velmora: --time -1: not a time@Usage:", 2},
      {{"--clock"}, "", "velmora: --clock wants its value@Usage:", 2},
      {{"black", "--bogus"}, "", "velmora: unknown option '--bogus'@Usage:", 2},
      // An engine takes one start option.
      {{"uci", "--bogus"}, "", "velmora uci: unknown option '--bogus'@Usage:", 2},
      {{"xboard", "--trace", "x"}, "", "velmora xboard: unknown option 'x'@Usage:", 2},
      {{"--help"}, "", "Usage: velmora [MODE]@velmora uci [--trace]@with --trace", 0},
      {{"-h"}, "", "Usage: velmora [MODE]@velmora uci ", 0},
      {{"--version"}, "", "Velmora 1.", 0},
      {{"xbaord"}, "e2e4\n", "velmora: unknown mode 'xbaord" + unknown, 2},
      {{"Xboard"}, "e2e4\n", "velmora: unknown mode 'Xboard" + unknown, 2},
      {{"white"}, "e2e4\n", "velmora: unknown mode 'white" + unknown, 2},
      {{""}, "e2e4\n", "velmora: unknown mode '" + unknown, 2},
  };
  TemporaryDirectory directory;
  directory.Write("fool.txt",
                  "# Black mates at once\nwk e1\nwq d1\nwb f1\nwp e2\nwp f3\nwp g4\nwp h2\nwp d2\n"
                  "wn g1\nbk e8\nbq d8\nbp e5\n?b\n");
  directory.Write("start.txt",
                  "wk e1\nwq d1\nwb f1\nwp e2\nwp f3\nwp h2\nwp d2\nwp g2\nwn g1\nbk e8\nbq d8\n"
                  "bp e5\n?w\n");
  for (const auto& [arguments, typed, said, status] : runs) {
    std::vector<std::string> command = {VELMORA_BINARY};
    command.insert(command.end(), arguments.begin(), arguments.end());
    TemporaryDirectory empty;
    const bool refused = status == 2;
    const ProgramRun run =
        RunProgram(refused ? empty : directory, command, typed, ChildProcess::Errors::WITH_OUTPUT);
    EXPECT_EQ(run.status, status) << command[1];
    ExpectFragments(run.output, said);
    // A refusal starts nothing, and not even a file is written.
    EXPECT_TRUE(!refused || (run.output.find("Welcome") == std::string::npos &&
                             std::filesystem::is_empty(empty.Path())))
        << run.output;
  }
  EXPECT_EQ(std::filesystem::file_size(directory.Path() / "g1"), 180u);
  EXPECT_EQ(std::filesystem::file_size(directory.Path() / "LastMove.bin"), 180u);
  EXPECT_NE(directory.Read("games.pgn").find("  1.  g2g4  Qd8h4  0-1\n\n"), std::string::npos);

  // The book of an installed program is found from any folder.
  std::filesystem::create_directories(directory.Path() / "bin");
  std::filesystem::create_directories(directory.Path() / "share/velmora");
  std::filesystem::copy_file(VELMORA_BINARY, directory.Path() / "bin/velmora");
  std::filesystem::copy_file(VELMORA_DEFAULT_BOOK,
                             directory.Path() / "share/velmora/openingbook.bin");
  const ProgramRun run = RunProgram(directory, {directory.Path() / "bin/velmora"}, "quit\n");
  EXPECT_NE(run.output.find("\nOpeningsBook = "), std::string::npos) << run.output;
}

// A log that holds one game already, which must survive every failed append byte for byte.
const std::string OLD_LOG =
    "[Event \" Casual Game\" ]\n[Site \" \" ]\n[Date \" 2010.03.07\" ]\n[Round \"  1\" ]\n"
    "[White \" Whity\" ]\n[Black \" Blacky\" ]\n[Result \" 0-1\" ]\n\n"
    "  1.  e2e4  e7e5   2.    0-1\n\n";

// A record that does not fit under a file-size limit leaves the log as it was, byte for byte;
// the console game says so on the console and on standard error and claims no success, and an
// engine says so on standard error. Without the limit the same game is appended whole.
TEST(Files, ARecordThatCannotBeWrittenWholeLeavesTheLogAsItWas) {
  TemporaryDirectory directory;
  // Old games enough that the engine's other files stay below the limit.
  std::string old;
  for (int game = 0; game < 60; ++game) old += OLD_LOG;
  directory.Write("games.pgn", old);
  const ProgramRun limited = RunProgram(directory, {VELMORA_BINARY}, "e2e4\nquit\n",
                                        ChildProcess::Errors::WITH_OUTPUT, old.size() + 60);
  EXPECT_EQ(limited.status, 0) << limited.output;
  const std::string error =
      "Can't write the game to logfile 'games.pgn' (File too large)! The log is left as it was.\n";
  const auto first = limited.output.find(error);
  ASSERT_NE(first, std::string::npos) << limited.output;
  EXPECT_NE(limited.output.find(error, first + 1), std::string::npos) << limited.output;
  EXPECT_EQ(limited.output.find("Game-Log written"), std::string::npos);
  EXPECT_EQ(directory.Read("games.pgn"), old);
  const ProgramRun engine = RunProgram(directory, {VELMORA_BINARY, "xboard", "--trace"},
                                       "xboard\nnew\nforce\nusermove e2e4\nusermove e7e5\nquit\n",
                                       ChildProcess::Errors::TO_FILE, old.size() + 60);
  EXPECT_EQ(engine.status, 0);
  EXPECT_EQ(directory.Read("stderr.txt"), error);
  EXPECT_TRUE(directory.Read("VelmoraConsole.txt").ends_with(error));
  EXPECT_EQ(directory.Read("games.pgn"), old);

  const ProgramRun run = RunProgram(directory, {VELMORA_BINARY}, "e2e4\nquit\n");
  EXPECT_TRUE(
      run.output.ends_with("GAME OVER.  Thanks for playing!\n"
                           "Game-Log written to games.pgn!\n"))
      << run.output;
  const std::string log = directory.Read("games.pgn");
  EXPECT_TRUE(log.starts_with(old + "[Event \" Casual Game\" ]\n")) << log;
  EXPECT_TRUE(log.ends_with(" 0-1\n\n")) << log;
}

// A save takes the place of the old file only when it is complete, with the old file's
// permissions; a failed one leaves the old file and no temporary file.
TEST(Files, ASaveReplacesTheOldFileOnlyWhenComplete) {
  TemporaryDirectory directory;
  const std::string old = "an old file, not a position";
  directory.Write("g1", old);
  namespace fs = std::filesystem;
  fs::permissions(directory.Path() / "g1",
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const auto others = [&] {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(directory.Path()))
      count += entry.path().filename().string().starts_with("g1.") ? 1 : 0;
    return count;
  };
  // Too little room for a position file (180 bytes); SIGXFSZ would end a program that does not
  // guard its writes.
  const ProgramRun limited =
      RunProgram(directory, {VELMORA_BINARY}, "save g1\nyes\nsave g2\nquit\n",
                 ChildProcess::Errors::WITH_OUTPUT, 100);
  EXPECT_NE(limited.output.find("already exists. Overwrite  ? ( yes / no ) Couldn't write 'g1'!\n" +
                                PROMPT + "Couldn't write 'g2'!\n"),
            std::string::npos)
      << limited.output;
  EXPECT_EQ(directory.Read("g1"), old);
  EXPECT_FALSE(fs::exists(directory.Path() / "g2"));
  EXPECT_EQ(others(), 0);

  const ProgramRun run = RunProgram(directory, {VELMORA_BINARY}, "save g1\nyes\nload g1\nquit\n");
  EXPECT_NE(run.output.find("\nRestored board:\n"), std::string::npos) << run.output;
  EXPECT_EQ(fs::file_size(directory.Path() / "g1"), 180u);
  EXPECT_EQ(fs::status(directory.Path() / "g1").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(others(), 0);
}

// A FIFO, a directory or a missing file named to `velmora load`, to `load` or to `save` is
// answered at once with the usual message: a FIFO opened for reading would hold the program
// until some writer came (the test would fail by its timeout). A position that cannot
// come from a game (the side that has just moved in check, a missing king) ends the program
// unplayed too.
TEST(Files, OnlyRegularFilesAndPlayablePositionsAreLoaded) {
  TemporaryDirectory directory;
  ASSERT_EQ(mkfifo((directory.Path() / "fifo").c_str(), 0600), 0);
  std::filesystem::create_directory(directory.Path() / "dir");
  directory.Write("check.txt", "wk e1\nbk e8\nwr e5\n?w\n");
  directory.Write("king.txt", "bk e8\n\nbq\n");
  const std::string missing = "'! File doesn't exist ?\n";
  for (const auto& [name, status, end] :
       {std::tuple{"fifo", 1, "Couldn't open 'fifo" + missing},
        {"dir", 1, "Couldn't open 'dir" + missing},
        {"missing", 1, "Couldn't open 'missing" + missing},
        {"check.txt", 1,
         std::string("Board::Load() check.txt: the side not to move is in check!\n")},
        {"king.txt", 255,
         std::string("Board::Load() 1 errors occured while reading king.txt!\n"
                     "Board::Load() Der weisse Koenig fehlt!!!\n")}}) {
    const ProgramRun run = RunProgram(directory, {VELMORA_BINARY, "load", name}, "quit\n");
    EXPECT_EQ(run.status, status) << name;
    EXPECT_TRUE(run.output.ends_with(end)) << run.output;
  }
  EXPECT_EQ(directory.Read("games.pgn"), "");

  const ProgramRun run =
      RunProgram(directory, {VELMORA_BINARY}, "load fifo\nsave fifo\nload dir\nsave dir\nquit\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.output.find(PROMPT + "Couldn't open 'fifo'! File doesn't exist ?\n" + PROMPT +
                            "Couldn't write 'fifo'!\n" + PROMPT +
                            "Couldn't open 'dir'! File doesn't exist ?\n" + PROMPT +
                            "Couldn't write 'dir'!\n" + PROMPT),
            std::string::npos)
      << run.output;
  EXPECT_TRUE(std::filesystem::is_fifo(directory.Path() / "fifo"));
}

// Two console games in one folder share the take-back file: each takes back its own moves, and
// a game reads the file back only while it holds what the game itself wrote.
TEST(Files, TwoGamesInOneFolderTakeBackTheirOwnMoves) {
  TemporaryDirectory directory;
  std::filesystem::copy_file(VELMORA_DEFAULT_BOOK, directory.Path() / "openingbook.bin");
  // The other game: White mates at once, from a position of its own it keeps for taking back,
  // and the computer resigns.
  directory.Write("mate.txt", "wk g1\nwr a1\nbk g8\nbp f7\nbp g7\nbp h7\n?w\n");
  const auto otherGame = [&] {
    const ProgramRun other = RunProgram(directory, {VELMORA_BINARY, "load", "mate.txt"}, "a1a8\n");
    EXPECT_NE(other.output.find("Whity selects move: WR - a1a8\n"), std::string::npos)
        << other.output;
  };
  const std::string initialPosition = "2 WP | WP | WP | WP | WP | WP | WP | WP 2";
  const std::string otherPosition = "1    |    |    |    |    |    | WK |    1";
  const std::string changed =
      "The take-back file 'LastMove.bin' was changed by another game; it is not used.\n";

  ChildProcess game(directory.Path(), {VELMORA_BINARY});
  // Types a line; what the program says in answer, up to its next question.
  const auto type = [&game](const std::string& line) {
    game.Send(line);
    return game.ReadThrough(PROMPT);
  };
  // From a pipe the program says nothing before it has read a first line.
  game.Send("e2e4");
  ASSERT_TRUE(game.ReadThrough(PROMPT).ends_with(PROMPT));
  // From the game's own record, whatever the other game wrote.
  EXPECT_NE(game.ReadThrough(PROMPT).find("Blacky selects move: "), std::string::npos);
  otherGame();
  std::string text = type("back");
  EXPECT_NE(text.find("Restored board:"), std::string::npos) << text;
  EXPECT_NE(text.find(initialPosition), std::string::npos) << text;
  EXPECT_EQ(text.find(changed), std::string::npos) << text;

  // After a load the record is empty: the take-back file the game wrote itself serves.
  type("e2e4");
  type("save a1");
  EXPECT_NE(type("load a1").find("Restored board:"), std::string::npos);
  text = type("back");
  EXPECT_NE(text.find(initialPosition), std::string::npos) << text;
  EXPECT_EQ(text.find(changed), std::string::npos) << text;

  // Written by the other game since, it is refused, and the empty record has nothing to give.
  type("e2e4");
  type("save a2");
  type("load a2");
  otherGame();
  text = type("back");
  EXPECT_EQ(text, changed + "Nervous ? Tired ?? Stupid ???\n" + PROMPT);
  EXPECT_EQ(text.find(otherPosition), std::string::npos);
  EXPECT_EQ(game.Wait(), 0);
}

}  // namespace
