#include "protocol/XboardConnection.h"

#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "support/ConsoleCapture.h"
#include "support/TemporaryDirectory.h"

namespace {

// The feature line and the trace of the handshake are checked in XboardGameTest.
struct Connection {
  explicit Connection(const std::string& lines) : in(lines), connection(in, out, (directory.Path() / "trace.txt").string()) {}
  ~Connection() { XboardMode = false; }
  TemporaryDirectory directory;
  std::istringstream in;
  std::ostringstream out;
  XboardConnection connection;
};

TEST(XboardConnection, CommandsAreReadLowercasedByTheirFirstLetters) {
  Connection c("xboard\nprotover 2\nusermove E2E4\nnewgame\nquit\n\nIllegal move: x\nlevel 40 5 0\nremove\nwhite\n");
  EXPECT_TRUE(XboardMode);
  EXPECT_EQ(CurrentConnection, &c.connection);

  int code = CMD_NONE;
  std::string text;
  const auto read = [&](int expectedCode, const std::string& expectedText, bool recognised) {
    const bool known = c.connection.ReadCommand(code, text);
    EXPECT_EQ(std::tuple(known, code, text), std::tuple(recognised, expectedCode, expectedText));
  };
  read(CMD_USERMOVE, "e2e4", true);  // lowercased, the word and its blank taken off
  read(CMD_NEW, "ame", true);        // a prefix is enough; one character after the word goes
  read(CMD_QUIT, "", true);
  read(CMD_UNKNOWN, "", false);
  read(CMD_UNKNOWN, "illegal move: x", false);  // lowercased before it is looked up
  read(CMD_UNKNOWN, "level 40 5 0", false);
  read(CMD_REMOVE, "", true);
  read(CMD_WHITE, "", true);
  read(CMD_QUIT, "", true);  // the end of input counts as quit, every time it is read
  read(CMD_QUIT, "", true);
}

TEST(XboardConnection, SendWritesTheProtocolTheConsoleAndTheTrace) {
  ConsoleCapture console;
  Connection c("xboard\nprotover 2\n");
  c.out.str("");
  c.connection.Send(CMD_MOVE, "g8f6");
  c.connection.Send(CMD_RESIGN, "");
  c.connection.Send(CMD_THINKING, "2\t-12\t0\t300\te7e5 g1f3");
  EXPECT_EQ(c.out.str(), "move g8f6\nresign\n2\t-12\t0\t300\te7e5 g1f3\n");
  EXPECT_EQ(console.Take(), "move g8f6\nresign\nthinking 2\t-12\t0\t300\te7e5 g1f3\n");
  const std::string trace = c.directory.Read("trace.txt");
  EXPECT_TRUE(trace.ends_with("Out: move g8f6\nOut: resign \nOut: thinking 2\t-12\t0\t300\te7e5 g1f3\n")) << trace;
}

// A wrong first line is checked through the real program in XboardGameTest.
TEST(XboardConnectionDeathTest, AWrongHandshakeEndsTheProgram) {
  EXPECT_EXIT(Connection("xboard\nnew\n"), ::testing::ExitedWithCode(1), "^'protover' command expected$");
  EXPECT_EXIT(Connection(""), ::testing::ExitedWithCode(1), "^'xboard' command expected$");
}

}  // namespace
