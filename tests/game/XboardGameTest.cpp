// The program as the engine of a graphical front end, driven through pipes a line at a time.
#include <gtest/gtest.h>

#include <filesystem>

#include "game/XboardComputerPlayer.h"
#include "support/ProtocolSession.h"
#include "support/TemporaryDirectory.h"
#include "support/TestBoards.h"

namespace {

const std::string FEATURES =
    "feature ping=0 setboard=1 playother=0 san=0 usermove=1 time=0 draw=0 sigint=0 sigterm=0 reuse=0 analyze=1 "
    "myname=\"Velmora\" variants=\"losers\" color=0 ics=0 name=0 pause=0 done=1";

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
  // Whether the engine's next "move" is a legal move after the given moves from the start.
  bool MovesLegallyAfter(std::initializer_list<const char*> moves) {
    Board board;
    Play(board, moves);
    const std::string line = session.ReadUntil("move ");
    for (const PerftDivision& legal : PerftDivide(board, 1))
      if (line == "move " + PerftMoveText(legal.move)) return true;
    ADD_FAILURE() << "not a legal move: " << line;
    return false;
  }
  TemporaryDirectory directory;
  ProtocolSession session;
};

TEST(XboardGame, TheEngineAnswersAsBlackAndSkipsWhatItDoesNotKnow) {
  Engine engine;
  for (const char* line : {"accepted usermove", "new", "level 40 5 0", "post", "hard", "usermove e2e4"})
    engine.session.Send(line);
  // The book says where the move came from.
  EXPECT_TRUE(engine.session.ReadUntil("0\t0\t0\t0\topening: ").starts_with("0\t"));
  EXPECT_TRUE(engine.MovesLegallyAfter({"e2e4"}));

  engine.session.Send("usermove e2e5");  // illegal: refused without a reply
  engine.session.Send("remove");         // back to the initial position
  engine.session.Send("usermove d2d4");
  EXPECT_TRUE(engine.MovesLegallyAfter({"d2d4"}));
  engine.session.Send("quit");
  EXPECT_EQ(engine.session.ReadLine(), "Game-Log written to games.pgn!");
  EXPECT_EQ(engine.session.Wait(), 0);

  EXPECT_TRUE(engine.directory.Read("ConnTrace.txt")
                  .starts_with("Trace started...\n\nIn: xboard\nIn: protover 2\nOut: " + FEATURES + "\nIn: accepted usermove\n"));
  const std::string console = engine.directory.Read("VelmoraConsole.txt");
  EXPECT_NE(console.find("Sorry, You don't have a piece at square 52\n"), std::string::npos);
  EXPECT_NE(console.find("Whity selects move: RESIGNATION!\nGAME OVER.  Thanks for playing!\n"), std::string::npos);
  EXPECT_NE(engine.directory.Read("games.pgn").find("[White \" Whity\" ]"), std::string::npos);
}

TEST(XboardGame, AFirstWhiteMakesTheEnginePlayWhite) {
  Engine engine;
  engine.session.Send("remove");  // nothing to take back yet
  engine.session.Send("white");
  EXPECT_TRUE(engine.MovesLegallyAfter({}));
  engine.session.Send("resign");
  EXPECT_EQ(engine.session.ReadUntil("Game-Log"), "Game-Log written to games.pgn!");
  EXPECT_EQ(engine.session.Wait(), 0);
  const std::string console = engine.directory.Read("VelmoraConsole.txt");
  EXPECT_NE(console.find("Nervous ? Tired ?? Stupid ???\n"), std::string::npos);
  EXPECT_NE(console.find("Humen -> AI\n"), std::string::npos);
  EXPECT_NE(console.find("Winboard - AI selects move: "), std::string::npos);
  EXPECT_NE(console.find("Winboard - Human selects move: RESIGNATION!\n"), std::string::npos);
  EXPECT_NE(engine.directory.Read("games.pgn").find("[Result \" 1-0\" ]"), std::string::npos);
}

TEST(XboardGame, AClosedPipeEndsTheGameAndAWrongStartIsRefused) {
  {
    Engine engine;
    engine.session.Send("usermove e2e4");
    EXPECT_TRUE(engine.MovesLegallyAfter({"e2e4"}));
    engine.session.CloseInput();
    EXPECT_EQ(engine.session.ReadUntil("Game-Log"), "Game-Log written to games.pgn!");
    EXPECT_EQ(engine.session.Wait(), 0);
    EXPECT_TRUE(std::filesystem::exists(engine.directory.Path() / "games.pgn"));
  }
  TemporaryDirectory directory;
  ProtocolSession wrong(directory.Path(), {VELMORA_BINARY, "xboard"});
  wrong.Send("protover 2");
  EXPECT_EQ(wrong.Wait(), 1);
  EXPECT_EQ(directory.Read("stderr.txt"), "'xboard' command expected");
}

TEST(XboardGame, PromotionLettersForTheFrontEnd) {
  Move move{WP, BR, At("b7"), At("a8"), MOVE_CAPTURE + PROMOTE_ROOK};
  EXPECT_EQ(ProtocolMoveText(move), "b7a8r");
  move.flags = MOVE_NORMAL + PROMOTE_KNIGHT;
  EXPECT_EQ(ProtocolMoveText(move), "b7a8n");
  move.flags = MOVE_CHECKMATE;
  EXPECT_EQ(ProtocolMoveText(move), "b7a8");
}

}  // namespace
