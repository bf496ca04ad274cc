// The real program, run in a fresh directory with scripted standard input.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <tuple>
#include <vector>

#include "support/ChildProcess.h"
#include "support/ConsoleCapture.h"

namespace {

const std::string PROMPT = "Your move, Whity ( e.g. e2e4 ) ?  ";

// Ctrl-C, SIGTERM and SIGHUP end the program, and the game so far is kept in the log as
// unfinished; a game without a move leaves nothing.
TEST(ConsoleGame, InterruptingSignalsKeepTheGameSoFar) {
  for (const auto& [signal, typed, prompts] : {std::tuple{SIGINT, "e2e4\n", 2},
                                               {SIGTERM, "e2e4\n", 2},
                                               {SIGHUP, "e2e4\n", 2},
                                               {SIGINT, "", 1}}) {
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

  // The end of input resigns as well; the second game starts on a line of its own.
  EXPECT_EQ(RunProgram(directory, {VELMORA_BINARY}, "e2e4\n").status, 0);
  EXPECT_EQ(RunProgram(directory, {VELMORA_BINARY, "black"}, "quit\n").status, 0);
  const std::string log = directory.Read("games.pgn");
  const auto second = log.find("[Event \" Casual Game\" ]", 1);
  ASSERT_NE(second, std::string::npos);
  EXPECT_EQ(log.substr(second - 6, 6), " 0-1\n\n");
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
       "Blacky selects move: BQ - d8h4\nCHECKMATE - Player wins.\n",
       0},
      // Without a file name the game starts from the initial position.
      {{"load"}, "quit\n", "8 BR | BN | BB | BQ | BK | BB | BN | BR 8", 0},
      // White's move is answered at once by the computer's mate; nothing else needs thinking.
      {{"load", "start.txt"}, "back\nsave g1\ng2g4\n", "Nervous ? Tired ?? Stupid ???\n", 0},
      {{"--help"}, "", "Usage: velmora [MODE]@velmora uci ", 0},
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
    // A refusal says nothing else, and not even a file is written.
    EXPECT_TRUE(!refused || (run.output == said && std::filesystem::is_empty(empty.Path())))
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

}  // namespace
