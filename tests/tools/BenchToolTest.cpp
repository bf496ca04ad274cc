#include <gtest/gtest.h>

#include "support/RunProgram.h"

namespace {

// The node total is the signature of the console game's search: any change to move order,
// evaluation, table rules or limits changes it. A deliberate change of behaviour updates the number
// here.
TEST(BenchTool, TheNodeSignatureAndTheReportLayout) {
  TemporaryDirectory directory;
  const ProgramRun run = RunIn(directory, VELMORA_BENCH_BINARY, "3");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output.substr(0, 53), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR g1f3 619\n");
  EXPECT_NE(run.output.find("\nNodes: 878328\nTime: "), std::string::npos) << run.output;
  EXPECT_NE(run.output.find(" ms\nNPS: "), std::string::npos);

  // The strong search has a signature of its own: every change to it that moves the number
  // says so.
  const ProgramRun full = RunIn(directory, VELMORA_BENCH_BINARY, "--full 6");
  EXPECT_EQ(full.status, 0);
  EXPECT_NE(full.output.find("\nNodes: 275680\n"), std::string::npos) << full.output;

  const ProgramRun bad = RunIn(directory, VELMORA_BENCH_BINARY, "1", "", true);
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.output.find("Usage: velmora-bench"), std::string::npos);
}

}  // namespace
