// The tools of tools/ run as a person runs them: velmora-perft, velmora-bench (its node total
// is the search's signature) and the ladder's table of match folders.
#include <gtest/gtest.h>

#include "support/ChildProcess.h"
#include "support/TestBoards.h"

namespace {

ProgramRun Perft(std::vector<std::string> arguments) {
  TemporaryDirectory directory;
  arguments.insert(arguments.begin(), VELMORA_PERFT_BINARY);
  return RunProgram(directory, arguments, "", ChildProcess::Errors::WITH_OUTPUT);
}

TEST(PerftTool, DividesAndEndsWithTimeAndNodes) {
  std::string divide;  // 20 replies to every first move, in generation order
  for (const PerftDivision& first : PerftDivide(Board(), 1))
    divide += CoordinateText(first.move) + ": 20\n";
  ProgramRun run = Perft({"--divide", "2"});
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.output.starts_with(divide + "Time: ")) << run.output;
  EXPECT_TRUE(run.output.ends_with(" ms\nNodes: 400\n")) << run.output;
  // The position may be given as one argument or as several.
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"3", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8", "w", "-", "-"},
        {"3", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -"}}) {
    run = Perft(arguments);
    EXPECT_EQ(run.status, 0) << arguments.size();
    EXPECT_TRUE(run.output.starts_with("Time: ") && run.output.ends_with(" ms\nNodes: 2812\n"))
        << run.output;
  }
}

TEST(PerftTool, RefusesBadArgumentsWithAMessage) {
  for (const char* argument : {"", "0", "x", "3x", "--divide", "13"}) {
    const ProgramRun run =
        Perft(*argument ? std::vector<std::string>{argument} : std::vector<std::string>{});
    EXPECT_EQ(run.status, 2) << argument;
    EXPECT_TRUE(run.output.starts_with("Usage: velmora-perft [--divide] DEPTH [FEN]\n"))
        << argument;
  }
  const ProgramRun run = Perft({"2", "rnbqkbnr/pppppppp w KQkq -"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output,
            "velmora-perft: invalid FEN: the placement must have eight ranks of eight squares\n");
}

// The node total is the signature of the console game's search: any change to move order,
// evaluation, table rules or limits changes it. A deliberate change of behaviour updates the number
// here.
TEST(BenchTool, TheNodeSignatureAndTheReportLayout) {
  TemporaryDirectory directory;
  const ProgramRun run = RunProgram(directory, {VELMORA_BENCH_BINARY, "3"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output.substr(0, 53), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR g1f3 619\n");
  EXPECT_NE(run.output.find("\nNodes: 878328\nTime: "), std::string::npos) << run.output;
  EXPECT_NE(run.output.find(" ms\nNPS: "), std::string::npos);

  // The strong search has a signature of its own: every change to it that moves the number
  // says so.
  const ProgramRun full = RunProgram(directory, {VELMORA_BENCH_BINARY, "--full", "6"});
  EXPECT_EQ(full.status, 0);
  EXPECT_NE(full.output.find("\nNodes: 248485\n"), std::string::npos) << full.output;

  const ProgramRun bad =
      RunProgram(directory, {VELMORA_BENCH_BINARY, "1"}, "", ChildProcess::Errors::WITH_OUTPUT);
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.output.find("Usage: velmora-bench"), std::string::npos);
}

const std::string LADDER = VELMORA_TEST_DATA "/../tools/ladder";

// A match folder of `games` games, colours alternating, with the results given from Velmora's
// side: w won, d drawn, l lost, t lost on time.
void WriteMatch(const TemporaryDirectory& directory, const std::string& name,
                const std::string& results) {
  std::string pgn;
  for (std::size_t i = 0; i < results.size(); ++i) {
    const bool velmoraWhite = i % 2 == 0;
    const char r = results[i];
    const bool whiteWon = (r == 'w') == velmoraWhite;
    const std::string result = r == 'd' ? "1/2-1/2" : whiteWon ? "1-0" : "0-1";
    std::string reason = r == 'd' ? "Draw by repetition" : "Black resigns";
    if (r == 't') reason = std::string(velmoraWhite ? "White" : "Black") + " loses on time";
    pgn += "[Round \"" + std::to_string(i + 1) + "\"]\n[White \"" +
           (velmoraWhite ? "Velmora" : "Other") + "\"]\n[Black \"" +
           (velmoraWhite ? "Other" : "Velmora") + "\"]\n[Result \"" + result + "\"]\n\n1. e4 e5 " +
           std::to_string(i) + ". Nf3 {" + reason + "} " + result + "\n\n";
  }
  std::filesystem::create_directory(directory.Path() / name);
  directory.Write(name + "/xboard.pgn", pgn);
  directory.Write(name + "/finished", "0\n");
}

TEST(LadderTool, TheTableAndTheSequentialTest) {
  TemporaryDirectory directory;
  WriteMatch(directory, "better", std::string(60, 'w') + std::string(20, 'd') + "ll");
  WriteMatch(directory, "worse", std::string(60, 'l') + "wt");
  WriteMatch(directory, "even", "wlwldd");
  const ProgramRun run = RunProgram(directory, {"/bin/bash", LADDER, "--summary", ".", "-s"}, "",
                                    ChildProcess::Errors::WITH_OUTPUT);
  ASSERT_EQ(run.status, 0) << run.output;
  // One of the 62 games of "worse" Velmora lost on time: the time column counts it.
  EXPECT_EQ(run.output,
            "Opponent   Games    W    D    L   Score     Elo   +/-  Time V/O  Compl. V/O  Notes\n"
            "better        82   60   20    2   85.4%    +306    79       0/0         0/0  \n"
            "           SPRT elo0 0 elo1 10: LLR +6.39 in [-2.94, +2.94]: H1: at least as strong\n"
            "even           6    2    2    2   50.0%      +0   271       0/0         0/0  \n"
            "           SPRT elo0 0 elo1 10: LLR -0.00 in [-2.94, +2.94]: continue\n"
            "worse         62    1    0   61    1.6%    -714   inf       1/0         0/0  \n"
            "           SPRT elo0 0 elo1 10: LLR -27.60 in [-2.94, +2.94]: H0: no gain\n");
}

}  // namespace
