#include <gtest/gtest.h>

#include "support/RunProgram.h"

namespace {

std::string Perft(const std::string& arguments, int* status) {
  TemporaryDirectory directory;
  const ProgramRun run = RunIn(directory.Path(), std::string("'") + VELMORA_PERFT_BINARY + "' " + arguments, "", true);
  *status = run.status;
  return run.output;
}

TEST(PerftTool, DividesAndEndsWithTimeAndNodes) {
  int status = -1;
  const std::string output = Perft("--divide 2", &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(output.substr(0, 24), "g1f3: 20\ng1h3: 20\nb1a3: ");
  EXPECT_NE(output.find("\ne2e4: 20\n"), std::string::npos);
  EXPECT_NE(output.find("\nTime: "), std::string::npos);
  EXPECT_EQ(output.substr(output.size() - 12), "\nNodes: 400\n");

  const std::string unquoted = Perft("3 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", &status);
  EXPECT_EQ(unquoted.substr(unquoted.size() - 13), "\nNodes: 2812\n");
  EXPECT_EQ(status, 0);
  const std::string quoted = Perft("3 '8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -'", &status);
  EXPECT_EQ(quoted.substr(quoted.size() - 13), "\nNodes: 2812\n");
}

TEST(PerftTool, RefusesBadArgumentsWithAMessage) {
  int status = 0;
  for (const char* arguments : {"", "0", "x", "3x", "--divide", "13"}) {
    const std::string output = Perft(arguments, &status);
    EXPECT_EQ(status, 2) << arguments;
    EXPECT_NE(output.find("Usage: velmora-perft"), std::string::npos) << arguments;
  }
  const std::string output = Perft("2 'rnbqkbnr/pppppppp w KQkq -'", &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(output.find("invalid FEN"), std::string::npos);
}

}  // namespace
