// The table of tools/ladder read from match folders made by hand: the score of each side,
// time losses and the verdict of the sequential test between two builds.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/RunProgram.h"

namespace {

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
  const ProgramRun run = RunIn(directory, "/bin/bash", "'" + LADDER + "' --summary . -s", "", true);
  ASSERT_EQ(run.status, 0) << run.output;
  const auto row = [&](const std::string& name) {
    const std::size_t at = run.output.find("\n" + name + " ");
    return at == std::string::npos
               ? std::string()
               : run.output.substr(at + 1, run.output.find('\n', at + 1) + 1 - at - 1);
  };
  const auto verdict = [&](const std::string& name) {
    const std::size_t at = run.output.find("\n" + name + " ");
    const std::size_t line = run.output.find('\n', at + 1);
    return run.output.substr(line + 1, run.output.find('\n', line + 1) - line - 1);
  };
  EXPECT_TRUE(row("better").starts_with("better        82   60   20    2   85.4%")) << run.output;
  EXPECT_TRUE(verdict("better").ends_with(": H1: at least as strong")) << run.output;
  // One of the 62 lost on time, by Velmora: the time column counts it.
  EXPECT_TRUE(row("worse").starts_with("worse         62    1    0   61    1.6%")) << run.output;
  EXPECT_NE(row("worse").find("      1/0 "), std::string::npos) << run.output;
  EXPECT_TRUE(verdict("worse").ends_with(": H0: no gain")) << run.output;
  EXPECT_TRUE(verdict("even").ends_with("in [-2.94, +2.94]: continue")) << run.output;
}

}  // namespace
