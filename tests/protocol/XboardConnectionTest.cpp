#include "protocol/XboardConnection.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/ConsoleCapture.h"
#include "support/TemporaryDirectory.h"

namespace {

const std::string FEATURES =
    "feature ping=0 setboard=1 playother=0 san=0 usermove=1 time=0 draw=0 sigint=0 sigterm=0 reuse=0 analyze=1 "
    "myname=\"Velmora\" variants=\"losers\" color=0 ics=0 name=0 pause=0 done=1";

struct Connection {
  explicit Connection(const std::string& lines) : in(lines), connection(in, out, (directory.Path() / "trace.txt").string()) {}
  ~Connection() { XboardMode = false; }
  std::string Trace() const {
    std::ifstream file(directory.Path() / "trace.txt");
    return std::string(std::istreambuf_iterator<char>(file), {});
  }
  TemporaryDirectory directory;
  std::istringstream in;
  std::ostringstream out;
  XboardConnection connection;
};

TEST(XboardConnection, HandshakeReadAndTrace) {
  Connection c("xboard\nprotover 2\nusermove E2E4\nnewgame\nquit\n\nIllegal move: x\nlevel 40 5 0\nremove\nwhite\n");
  EXPECT_TRUE(XboardMode);
  EXPECT_EQ(CurrentConnection, &c.connection);
  EXPECT_EQ(c.out.str(), FEATURES + "\n");

  int code = CMD_NONE;
  std::string text;
  const auto read = [&](int expectedCode, const std::string& expectedText, bool recognised) {
    EXPECT_EQ(c.connection.ReadCommand(code, text), recognised);
    EXPECT_EQ(code, expectedCode);
    EXPECT_EQ(text, expectedText);
  };
  read(CMD_USERMOVE, "e2e4", true);  // lowercased, the word and its blank taken off
  read(CMD_NEW, "ame", true);        // a prefix is enough; one character after the word goes
  read(CMD_QUIT, "", true);
  read(CMD_UNKNOWN, "", false);
  read(CMD_UNKNOWN, "illegal move: x", false);
  read(CMD_UNKNOWN, "level 40 5 0", false);
  read(CMD_REMOVE, "", true);
  read(CMD_WHITE, "", true);
  read(CMD_QUIT, "", true);  // the end of input counts as quit, every time it is read
  read(CMD_QUIT, "", true);

  EXPECT_EQ(c.Trace().substr(0, 150), ("Trace started...\n\nIn: xboard\nIn: protover 2\nOut: " + FEATURES + "\nIn: usermove e2e4\n").substr(0, 150));
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
  const std::string trace = c.Trace();
  EXPECT_TRUE(trace.ends_with("Out: move g8f6\nOut: resign \nOut: thinking 2\t-12\t0\t300\te7e5 g1f3\n")) << trace;
}

TEST(XboardConnectionDeathTest, AWrongHandshakeEndsTheProgram) {
  EXPECT_EXIT(Connection("protover 2\n"), ::testing::ExitedWithCode(1), "^'xboard' command expected$");
  EXPECT_EXIT(Connection("xboard\nnew\n"), ::testing::ExitedWithCode(1), "^'protover' command expected$");
  EXPECT_EXIT(Connection(""), ::testing::ExitedWithCode(1), "^'xboard' command expected$");
}

}  // namespace
