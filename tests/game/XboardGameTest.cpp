// The program as the engine of a graphical front end, driven through pipes a line at a time.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "board/MoveList.h"
#include "game/XboardComputerPlayer.h"
#include "support/ProtocolSession.h"
#include "support/TemporaryDirectory.h"
#include "support/TestBoards.h"

namespace {

const std::string FEATURES =
    "feature ping=0 setboard=1 playother=0 san=0 usermove=1 time=0 draw=0 sigint=0 sigterm=0 reuse=0 analyze=1 "
    "myname=\"Velmora\" variants=\"losers\" color=0 ics=0 name=0 pause=0 done=1";

std::string Read(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A directory with the default book, and the engine started in it through the handshake.
struct Engine {
  Engine() : session((std::filesystem::copy_file(VELMORA_DEFAULT_BOOK, directory.Path() / "openingbook.bin"), directory.Path()),
                     {VELMORA_BINARY, "xboard"}) {
    EXPECT_EQ(session.ReadLine(), "            Welcome to Chess!");
    session.ReadLine();
    session.Send("xboard");
    session.Send("protover 2");
    EXPECT_EQ(session.ReadLine(), FEATURES);
  }
  TemporaryDirectory directory;
  ProtocolSession session;
};

// Whether "move xxxx" is a legal move on the board; makes it there.
bool PlayReply(Board& board, const std::string& line) {
  if (!line.starts_with("move ")) return false;
  const std::string text = line.substr(5);
  MoveList moves;
  moves.Generate(board);
  for (const Move& move : moves) {
    std::string coords;
    Board::SquareToCoord(move.from, move.to, coords);
    if (coords != text.substr(0, 4)) continue;
    Board next = board;
    next.MakeMove(&move);
    MoveList replies;
    if (!replies.Generate(next) && replies.LastFailure() == GenerationFailure::KING_CAPTURE) return false;
    board = next;
    return true;
  }
  return false;
}

TEST(XboardGame, TheEngineAnswersAsBlackAndSkipsWhatItDoesNotKnow) {
  Engine engine;
  for (const char* line : {"accepted usermove", "new", "level 40 5 0", "post", "hard", "usermove e2e4"})
    engine.session.Send(line);
  Board board;
  Play(board, {"e2e4"});
  const std::string reply = engine.session.ReadUntil("move ");
  EXPECT_TRUE(PlayReply(board, reply)) << reply;
  ASSERT_FALSE(engine.session.Skipped().empty());  // the book says where the move came from
  EXPECT_TRUE(engine.session.Skipped().back().starts_with("0\t0\t0\t0\topening: "));

  engine.session.Send("usermove e2e5");  // illegal: refused without a reply
  engine.session.Send("remove");         // back to the initial position
  engine.session.Send("usermove d2d4");
  board = Board();
  Play(board, {"d2d4"});
  EXPECT_TRUE(PlayReply(board, engine.session.ReadUntil("move "))) << "after d2d4";
  engine.session.Send("quit");
  EXPECT_EQ(engine.session.ReadLine(), "Game-Log written to games.pgn!");
  EXPECT_EQ(engine.session.Wait(), 0);

  const std::string trace = Read(engine.directory.Path() / "ConnTrace.txt");
  EXPECT_TRUE(trace.starts_with("Trace started...\n\nIn: xboard\nIn: protover 2\nOut: " + FEATURES + "\nIn: accepted usermove\n"));
  const std::string console = Read(engine.directory.Path() / "VelmoraConsole.txt");
  EXPECT_NE(console.find("Sorry, You don't have a piece at square 52\n"), std::string::npos);
  EXPECT_NE(console.find("Whity selects move: RESIGNATION!\nGAME OVER.  Thanks for playing!\n"), std::string::npos);
  EXPECT_NE(Read(engine.directory.Path() / "games.pgn").find("[White \" Whity\" ]"), std::string::npos);
}

TEST(XboardGame, AFirstWhiteMakesTheEnginePlayWhite) {
  Engine engine;
  engine.session.Send("remove");  // nothing to take back yet
  engine.session.Send("white");
  Board board;
  EXPECT_TRUE(PlayReply(board, engine.session.ReadUntil("move ")));
  engine.session.Send("resign");
  EXPECT_EQ(engine.session.ReadUntil("Game-Log"), "Game-Log written to games.pgn!");
  EXPECT_EQ(engine.session.Wait(), 0);
  const std::string console = Read(engine.directory.Path() / "VelmoraConsole.txt");
  EXPECT_NE(console.find("Nervous ? Tired ?? Stupid ???\n"), std::string::npos);
  EXPECT_NE(console.find("Humen -> AI\n"), std::string::npos);
  EXPECT_NE(console.find("Winboard - AI selects move: "), std::string::npos);
  EXPECT_NE(console.find("Winboard - Human selects move: RESIGNATION!\n"), std::string::npos);
  EXPECT_NE(Read(engine.directory.Path() / "games.pgn").find("[Result \" 1-0\" ]"), std::string::npos);
}

TEST(XboardGame, AClosedPipeEndsTheGameAndAWrongStartIsRefused) {
  {
    Engine engine;
    engine.session.Send("usermove e2e4");
    EXPECT_TRUE(engine.session.ReadUntil("move ").starts_with("move "));
    engine.session.CloseInput();
    EXPECT_EQ(engine.session.ReadUntil("Game-Log"), "Game-Log written to games.pgn!");
    EXPECT_EQ(engine.session.Wait(), 0);
    EXPECT_TRUE(std::filesystem::exists(engine.directory.Path() / "games.pgn"));
  }
  TemporaryDirectory directory;
  ProtocolSession wrong(directory.Path(), {VELMORA_BINARY, "xboard"});
  wrong.Send("protover 2");
  EXPECT_EQ(wrong.Wait(), 1);
  EXPECT_EQ(Read(directory.Path() / "stderr.txt"), "'xboard' command expected");
}

TEST(XboardGame, PromotionLettersForTheFrontEnd) {
  Move move{WP, BR, At("b7"), At("a8"), MOVE_CAPTURE + PROMOTE_ROOK, -1, -1, -1};
  EXPECT_EQ(ProtocolMoveText(move), "b7a8r");
  move.flags = MOVE_NORMAL + PROMOTE_KNIGHT;
  EXPECT_EQ(ProtocolMoveText(move), "b7a8n");
  move.flags = MOVE_CHECKMATE;
  EXPECT_EQ(ProtocolMoveText(move), "b7a8");
}

}  // namespace
