#include <gtest/gtest.h>

#include "support/RunProgram.h"
#include "support/TestBoards.h"

namespace {

ProgramRun Perft(const std::string& arguments) {
  TemporaryDirectory directory;
  return RunIn(directory, VELMORA_PERFT_BINARY, arguments, "", true);
}

TEST(PerftTool, DividesAndEndsWithTimeAndNodes) {
  std::string divide;  // 20 replies to every first move, in generation order
  for (const PerftDivision& first : PerftDivide(Board(), 1))
    divide += CoordinateText(first.move) + ": 20\n";
  ProgramRun run = Perft("--divide 2");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.output.starts_with(divide + "Time: ")) << run.output;
  EXPECT_TRUE(run.output.ends_with(" ms\nNodes: 400\n")) << run.output;
  // The position may be given as one argument or as several.
  for (const char* fen :
       {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", "'8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -'"}) {
    run = Perft(std::string("3 ") + fen);
    EXPECT_EQ(run.status, 0) << fen;
    EXPECT_TRUE(run.output.starts_with("Time: ") && run.output.ends_with(" ms\nNodes: 2812\n"))
        << run.output;
  }
}

TEST(PerftTool, RefusesBadArgumentsWithAMessage) {
  for (const char* arguments : {"", "0", "x", "3x", "--divide", "13"}) {
    const ProgramRun run = Perft(arguments);
    EXPECT_EQ(run.status, 2) << arguments;
    EXPECT_TRUE(run.output.starts_with("Usage: velmora-perft [--divide] DEPTH [FEN]\n"))
        << arguments;
  }
  const ProgramRun run = Perft("2 'rnbqkbnr/pppppppp w KQkq -'");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output,
            "velmora-perft: invalid FEN: the placement must have eight ranks of eight squares\n");
}

}  // namespace
