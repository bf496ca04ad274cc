// The console game played in-process with scripted input: the moves and commands a person
// types, the computer's replies, the draws the rules give, the record in the log and the files
// of positions.
#include <gtest/gtest.h>

#include <algorithm>
#include <new>

#include "game/ComputerPlayer.h"
#include "game/ConsoleInput.h"
#include "game/Game.h"
#include "game/HumanPlayer.h"
#include "game/OutOfMemory.h"
#include "search/NegaScout.h"
#include "support/ConsoleCapture.h"
#include "support/TemporaryDirectory.h"
#include "support/TestBoards.h"

#if defined(__SANITIZE_ADDRESS__)
// Let a request that can never be met fail as it would without the sanitizer.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
#endif

namespace {

// A console game in a directory of its own, with scripted input and a quick computer.
class GameTest : public ::testing::Test {
 protected:
  GameTest() {
    LastMoveFile = File("lastmove.bin");
    ConsoleIn = &input;
    NewGame();
  }
  ~GameTest() override {
    game.reset();
    ConsoleIn = &std::cin;
    LastMoveFile = "LastMove.bin";
  }
  // A new game with an empty log (a game appends to it once, when it ends). `seats` names who
  // plays White and Black: h a person, c the computer.
  void NewGame(const char* seats = "hc") {
    game.reset();
    std::filesystem::remove(File("games.pgn"));
    game = std::make_unique<Game>(File("openingbook.bin"), File("games.pgn"));
    for (const Color side : {WHITE, BLACK})
      game->players[side] =
          seats[side] == 'h'
              ? std::unique_ptr<Player>(std::make_unique<HumanPlayer>(side))
              : std::make_unique<ComputerPlayer>(
                    side, std::make_unique<NegaScout>(SearchLimits::FixedDepth(3)), nullptr);
    game->players[WHITE]->name = "Whity";
    game->players[BLACK]->name = "Blacky";
  }
  // Plays from `fen` (the position as it stands when empty) with `typed` as the whole input;
  // the console text.
  std::string Play(const std::string& fen, const std::string& typed) {
    if (!fen.empty()) game->board = FromFen(fen);
    input.str(typed);
    input.clear();  // from the end of an earlier game's input
    game->Run();
    return console.Take();
  }
  std::string File(const std::string& name) const { return (directory.Path() / name).string(); }
  std::string Log() const { return directory.Read("games.pgn"); }

  TemporaryDirectory directory;
  ConsoleCapture console;
  std::istringstream input;
  std::unique_ptr<Game> game;
};

const std::string PROMOTE = "Promote the pawn to [ K ]night, [ R ]ook, [ B ]ishop, [ Q ]ueen?";
const std::string FOOL = "rnbqkbnr/pppp1ppp/8/4p3/6P1/5P2/PPPPP2P/RNBQKBNR b KQkq - 0 2";
const std::string KNIGHTS = "Ng1f3\nNg8f6\nNf3g1\nNf6g8\nNg1f3\nNg8f6\nNf3g1\n";

// Games from a position: the seats, what is typed, and fragments of what the console says and
// of the log.
TEST_F(GameTest, ScriptedGames) {
  // Fragments are separated by @; one that starts with ! must not appear.
  const struct {
    const char* seats;
    std::string fen, typed, said, logged;
  } games[] = {
      // Typed moves are checked and refused with their reason.
      {"hc", "", "e2e5\nz2e4\ne2e4e5\nb1d2\nE2-E4\nexit\n",
       "Sorry, this move is not in the pseudo-legal list: \nWP - e2e5\nWN - g1f3\n@"
       "is invalid!\nSorry, illegal source square -1\n@must be 4 or 5 characters long!\n@"
       "Sorry, can't capture your own piece!\n@Whity selects move: WP - e2e4\n",
       ""},
      // The pinned knight may not move; then White resigns and the computer is asked nothing.
      {"hc", "4r1k1/8/8/8/8/8/4N3/4K3 w - - 0 1", "e2c3\nquit\n",
       "Sorry, this move leaves your king in check: \nWN - e2c3\n", ""},
      // A person playing Black gets the other wording.
      {"hh", "4k3/8/8/8/8/8/8/4K3 b - - 0 1", "d5d4\ne8e8\nresign\n",
       "Sorry, you don't have a piece in square 27\n@"
       "Sorry, you can't capture your own piece in square 4\n",
       ""},
      // Standard notation beside coordinates, outer blanks passed over.
      {"hc", "4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "Nd2\nNd5\n Nbd2 \nexit\n",
       "Ambiguous move Nd2: it can be Nbd2, Nfd2\n@Illegal move: Nd5\n@"
       "Whity selects move: WN - b1d2\n",
       ""},
      // Help answers; a promotion letter saves the question.
      {"hc", "7k/P7/8/8/8/8/8/K7 w - - 0 1", "help\n?\na7a8n\nexit\n",
       "!Promote the pawn@Commands: save FILE, load FILE, back", "a7a8=N"},
      // The question comes once per character read: x, the line end, r; exit is not lost.
      {"hc", "7k/P7/8/8/8/8/8/K7 w - - 0 1", "a7a8\nx\nr\nexit\n",
       "?  " + PROMOTE + PROMOTE + PROMOTE + "Whity selects move: WP - a7a8\n@\n8 WR |", "a7a8=R"},
      // A hint only answers.
      {"hc", "6k1/5ppp/8/8/8/8/8/3RK3 w - - 0 1", "hint\nexit\n",
       "Hint: Rd8# ( d1d8 )\n@!Whity selects move: WR", ""},
      // En passant and castling are classified from the board.
      {"hc", "4k3/8/8/3pP3/8/8/8/4K2R w K d6 0 2", "e5d6\ne1g1\nexit\n", "",
       "  2.  e5xd6 @  3.  Ke1g1 "},
      // The side to move mates at once: Black wins, and the record names its start.
      {"hc", FOOL, "", "",
       "[Result \" 0-1\" ]\n[SetUp \"1\"]\n[FEN \"" + FOOL + "\"]\n\n  2. ...  Qd8h4  0-1\n\n"},
      // The computer stalemates the person: a draw.
      {"hc", "K7/P2k4/8/8/8/8/8/8 b - - 0 60", "",
       "Whity selects move: STALEMATE!!!\nStalemate - Game is a draw.\n",
       "[Result \" 1/2-1/2\" ]@  60. ...  Kd7c"},
      // The person as Black against the computer, which mates by promotion in the next game.
      {"ch", "6k1/8/8/8/8/1r6/r7/7K w - - 0 1", "back\nRb1\n",
       "Nervous ? Tired ?? Stupid ???\n@selects move: WK - h1g1\n",
       "  1.  Kh1g1  Rb3b1   2.    0-1\n"},
      {"cc", "k7/2P5/1K6/8/8/8/8/8 w - - 0 1", "", "", "  1.  c7c8=@[Result \" 1-0\" ]"},
      // A new game logs the old one unfinished; three move pairs are taken back from the game's
      // own record.
      {"hh", "", "e2e4\nnew\nd2d4\nd7d5\nexit\n", "A new game begins.\n",
       "[Result \" *\" ]\n\n  1.  e2e4  *\n@  1.  d2d4  d7d5   2.    0-1\n"},
      {"hh", "", "e4\ne5\nNf3\nNc6\nBb5\na6\nBa4\nNf6\nback\nback\nback\nexit\n", "",
       "\n  1.  e2e4  e7e5   2.    0-1\n@!SetUp"},
      // Each draw rule ends the game with its line and a drawn result; one move short of it,
      // the game goes on.
      {"hh", "", KNIGHTS + "Nf6g8\nexit\n", "Draw by threefold repetition", "1/2-1/2"},
      {"hh", "", KNIGHTS + "exit\n", "!Game is a draw", "!1/2-1/2"},
      // Captures that leave no mating material (a knight, the kings, bishops on one colour), and
      // near misses that still have some (two knights, bishops on both colours, a pawn).
      {"hc", "n3k3/8/8/8/8/8/4r3/4K3 w - - 0 1", "Kxe2\nexit\n", "neither side can mate",
       "1/2-1/2"},
      {"hc", "4k3/8/8/8/8/8/4r3/4K3 w - - 0 1", "Kxe2\nexit\n", "neither side can mate", "1/2-1/2"},
      {"hc", "4k3/8/8/2b5/8/8/4r3/B3K3 w - - 0 1", "Kxe2\nexit\n", "neither side can mate",
       "1/2-1/2"},
      {"hc", "nn2k3/8/8/8/8/8/4r3/4K3 w - - 0 1", "Kxe2\nexit\n", "!Game is a draw", "!1/2-1/2"},
      {"hc", "4k3/8/8/3b4/8/8/4r3/B3K3 w - - 0 1", "Kxe2\nexit\n", "!Game is a draw", "!1/2-1/2"},
      {"hc", "4k3/8/8/8/8/8/4r2p/4K3 w - - 0 1", "Kxe2\nexit\n", "!Game is a draw", "!1/2-1/2"},
      // The computer's move in standard notation, a check announced, the game so far and the
      // position; "moves" is no coordinate text, "fen" no short one.
      {"hc", "4k3/8/8/8/8/8/8/R3K3 w - - 0 1", "Ra8\nmoves\nfen\nexit\n",
       "Whity selects move: WR - a1a8\nCheck!\n@Blacky plays K@\n@1. Ra8+ K@"
       "/8/8/8/8/8/4K3 w - - 2 2\n",
       ""},
      {"hc", "4k3/8/8/8/8/8/8/R3K3 w - - 0 7", "moves\nexit\n", "No moves yet.\n", ""},
      // A position set up already mated ends at once, with nothing to log.
      {"hc", "8/8/8/8/8/5k2/6q1/7K w - - 0 1", "e4\n",
       "CHECKMATE - Player wins.\n@!Your move@!Whity selects", "!Kh1"},
      // After a resignation another game may follow; quit and exit end the program.
      {"hh", "", "e4\nresign\nyes\nd4\nquit\n",
       "Another game ? ( yes / no ) A new game begins.\n@!Another game ? ( yes / no ) GAME OVER",
       "1.  e2e4    1-0\n@1.  d2d4    1-0\n"},
      {"hh", "", "e4\nresign\nno\nd4\n", "Another game ? ( yes / no ) GAME OVER", "!d2d4"},
  };
  for (const auto& [seats, fen, typed, said, logged] : games) {
    NewGame(seats);
    SCOPED_TRACE(fen + " " + typed);
    ExpectFragments(Play(fen, typed), said);
    ExpectFragments(Log(), logged);
  }
}

// The settings at the console: a level, a time per move and a game clock, each shown and each
// refusing what it cannot read; the compact board seen from the person's side.
TEST_F(GameTest, LevelsClocksAndTheCompactBoard) {
  NewGame("ch");
  ExpectFragments(
      Play("4k3/8/8/8/8/8/8/R3K3 b - - 0 1",
           "level\nlevel 1500\nlevel 99\nlevel abc\nlevel\nlevel FULL\nlevel classic\ntime\n"
           "time 2.5\ntime 0\ntime -1\ntime\nclock 5+3\nclock 5 x\nclock 0\nclock off\ntime off\n"
           "board\nexit\n"),
      "Level: classic (the console game's own search).@Level: 1500.@"
      "A level is a number from@, not \"99\".@not \"abc\".@Level: 1500.@Level: full@"
      "Level: classic@at most 10 s a move@at most 2.5 s a move.@"
      "not \"0\".@not \"-1\".@at most 2.5 s a move.@"
      "Game clock: 5:00.0 + 3 s a move for each side.\nClock: Whity 5:00.0  Blacky 5:00.0\n@"
      "not \"5 x\".@not \"0\".@as the console game always has@as the console game always has@"
      // Black's view: rank 1 on top, the h-file on the left.
      "1  . . . K . . . R\n2  . . . . . . . .\n@8  . . . k . . . .\n   h g f e d c b a\n"
      "Black to move\n");

  // A game clock: every turn takes 25 s of the fake clock; White's third move comes too late.
  NewGame("hc");
  std::int64_t time = 0;
  game->now = [&time] { return time += 25000; };
  ASSERT_TRUE(game->SetGameClock("1+5"));
  const std::string text = Play("", "e4\nd4\nc4\n");
  ExpectFragments(text,
                  "Clock: Whity 0:40.0  Blacky 1:00.0\n@Clock: Whity 0:40.0  Blacky 0:40.0\n@"
                  "Clock: Whity 0:20.0  Blacky 0:40.0\n@"
                  "Whity's time is up - Blacky wins.\n@!Whity plays");
  ExpectFragments(Log(), "[Result \" 0-1\" ]@  1.  e2e4 @  2.  d2d4 @!c2c4");

  // A time per move: said with every move of the computer, and the hint keeps to it too.
  NewGame("hc");
  game->now = [&time] { return time += 500; };
  ASSERT_TRUE(game->SetMoveTime("3"));
  ExpectFragments(Play("", "e4\nhint\nexit\n"), "Blacky's time: 0:00.5 of 0:03.0 a move\n@Hint: ");
}

// 100 plies of piece moves that never capture or repeat a position, from a hand-written
// position (the count starts there), draw by the fifty-move rule; 99 do not.
TEST_F(GameTest, TheFiftyMoveRuleCountsFromAHandWrittenPosition) {
  std::string walk =
      "e1d2 e8d8 d2c3 d8c8 c3b4 c8d8 b4b5 d8c8 b5b6 c8d8 b6b7 d8e8 b7c8 e8f8 c8d8 f8g8 d8c8 g8h8 "
      "c8d8 h8g7 d8c8 g7g8 c8d8 g8f8 d8c8 f8e8 c8b7 e8d8 b7b6 d8c8 b6b5 c8d8 b5c5 d8c8 c5d6 c8d8 "
      "d6e6 d8c8 e6e7 c8b7 e7d8 b7b6 d8c8 b6c6 c8d8 c6b7 d8e8 b7c8 e8f8 c8d8 f8g8 d8c8 g8h8 c8d8 "
      "h8g7 d8c8 g7g8 c8d8 g8f8 d8c8 f8e8 c8b7 e8f8 b7c7 f8e8 c7b6 e8d8 b6c6 d8c8 c6b6 a1a2 b6c6 "
      "c8d8 c6b7 d8e8 b7c8 e8f8 c8d8 f8g8 d8c8 g8h8 c8d8 h8g7 d8c8 g7g8 c8d8 g8f8 d8c8 f8e8 c8b7 "
      "e8d8 b7b6 d8e8 b6c7 e8f8 c7b7 f8g8 b7c7 g8h8 c7c8 ";
  std::replace(walk.begin(), walk.end(), ' ', '\n');
  directory.Write("rooks.txt", "wk e1\nwr a1\nwn b1\nbk e8\nbr a8\nbn b8\n?w\n");
  for (const bool whole : {true, false}) {
    NewGame("hh");
    ASSERT_EQ(game->LoadAtStart(File("rooks.txt")), TextPositionStatus::READ);
    const std::string typed = whole ? walk : walk.substr(0, walk.size() - 5);
    const std::string text = Play("", typed + "exit\n");
    EXPECT_EQ(text.find("Draw by the fifty-move rule") != std::string::npos, whole);
    EXPECT_EQ(Log().find("1/2-1/2") != std::string::npos, whole);
  }
}

// Save asks before it overwrites and wants a name; taken back ("last" is "back"), moves leave
// the record; a load logs the game so far unfinished, as "new" does, and starts the record
// again from the loaded position; without the take-back file nothing is taken back.
TEST_F(GameTest, SaveLoadAndTakeBack) {
  game->board = FromFen("7k/8/8/8/8/8/8/R3K3 w - - 0 1");
  ASSERT_TRUE(game->SaveToFile(File("rook")));
  game->board = Board();
  const std::string rook = File("rook");
  ExpectFragments(
      Play("", "b1c3\nlast\ng1f3\nsave   " + rook + "\nno\nsave\nload\nload " + rook +
                   "\na1a2\nexit\n"),
      "File: '" + rook +
          "' already exists. Overwrite  ? ( yes / no ) Your move@"
          "\nRestored board:\n--A--@Please enter a valid filename ( e.g.: 'save mygame' ) !\n@"
          "Please enter a valid filename ( e.g.: 'load mygame' ) !\n");
  ExpectFragments(Log(),
                  "!b1c3@[Result \" *\" ]\n\n  1.  Ng1f3  Nb8c6  *\n@"
                  "[FEN \"7k/8/8/8/8/8/8/R3K3 w - - 0 1\"]\n\n  1.  Ra1a2 ");
  NewGame();
  game->board = FromFen("4k3/8/8/8/8/8/8/4K3 w - - 0 5");
  std::filesystem::remove(LastMoveFile);
  EXPECT_FALSE(game->TakeBack());
  ExpectFragments(console.Take(), "Couldn't open '" + LastMoveFile + "'! File doesn't exist ?\n");
}

// The end of input, at the prompt or at the promotion question, leaves the game unfinished: the
// person has gone (a closed terminal ends the input), but has not resigned.
TEST_F(GameTest, TheEndOfInputLeavesTheGameUnfinished) {
  for (const auto& [fen, typed] : std::vector<std::pair<std::string, std::string>>{
           {"", "e2e4\n"}, {"7k/P7/8/8/8/8/8/K7 w - - 0 1", "Ka1b1\na7a8"}}) {
    std::filesystem::remove(File("games.pgn"));
    NewGame();
    const std::string text = Play(fen, typed);
    EXPECT_EQ(text.find("RESIGNATION"), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with("GAME OVER.  Thanks for playing!\n")) << text;
    EXPECT_TRUE(Log().ends_with("  *\n\n")) << Log();
    EXPECT_EQ(Log().find("[Event", 1), std::string::npos) << Log();
  }
}

// Position files and text positions: a read that fails is a file that cannot be opened, only
// what a position file can hold is read, damaged files change nothing, and every file the game
// saves loads again.
TEST_F(GameTest, StoredFilesAreReadSafelyAndEverySavedFileLoadsAgain) {
  std::filesystem::create_directory(File("dir"));
  Board text;
  std::string messages;
  EXPECT_NE(ReadTextPosition(File("dir"), text, messages), TextPositionStatus::READ);
  directory.Write("long.txt", std::string(2 << 20, '#'));
  EXPECT_NE(ReadTextPosition(File("long.txt"), text, messages), TextPositionStatus::READ);
  EXPECT_NE(ReadTextPosition("/dev/zero", text, messages), TextPositionStatus::READ);
  ExpectFragments(messages, "is too long for a position file!");
  for (const std::string& name : {File("dir"), std::string("/dev/zero")}) {
    EXPECT_FALSE(game->LoadFromFile(name));
    ExpectFragments(console.Take(), "Couldn't open '" + name + "'! File doesn't exist ?\n");
  }

  // Two white kings, as a text position may have them: saved and loaded again.
  directory.Write("kings.txt", "wk e1\nwk a1\nbk e8\n?w\n");
  ASSERT_EQ(game->LoadAtStart(File("kings.txt")), TextPositionStatus::READ);
  ASSERT_TRUE(game->SaveToFile(File("kings")));
  EXPECT_TRUE(game->LoadFromFile(File("kings")));
  const std::string image = directory.Read("kings");
  const auto changed = [&](std::size_t offset, std::int32_t value) {
    std::string bytes = image;
    for (std::size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(value >> (8 * i));
    return bytes;
  };
  constexpr std::size_t SIDE = 40, MOVE_NUMBER = 44, MATERIAL = 24, WHITE_KING = 48 + 8 * WK;
  const Board before = game->board;
  // A board of its own in front of the kings' engine state.
  const auto withBoard = [&](Board board, int side) {
    const BoardImage bytes = ToImage(board);
    std::string file = std::string(bytes.begin(), bytes.end()) + image.substr(BOARD_IMAGE_SIZE);
    file[SIDE] = static_cast<char>(side);
    return file;
  };
  const auto pawnOn = [&](int pawn, Square square) {
    Board board = before;
    board.AddPiece(pawn, square);
    return withBoard(board, WHITE);
  };
  // Black's engine state cut short, a file too long, an empty one, a side that is none, wrong
  // material, the black king's square for the white one, move numbers out of range, Black in
  // check with White to move, a pawn on the first or the last rank with counts and sets that
  // agree.
  for (const std::string& content :
       {image.substr(0, 179), image + '\0', std::string(), changed(SIDE, 2), changed(MATERIAL, 0),
        changed(WHITE_KING, 0x10), changed(MOVE_NUMBER, 0), changed(MOVE_NUMBER, -2147483647 - 1),
        changed(MOVE_NUMBER, 2147483647), changed(MOVE_NUMBER, MAX_MOVE_NUMBER + 1),
        withBoard(FromFen("4k3/8/8/8/8/8/4R3/4K3 b - - 0 1"), WHITE), pawnOn(WP, 1), pawnOn(WP, 57),
        pawnOn(BP, 6), pawnOn(BP, 62)}) {
    directory.Write("bad", content);
    EXPECT_FALSE(game->LoadFromFile(File("bad"))) << content.size();
    EXPECT_TRUE(SamePosition(game->board, before));
    ExpectFragments(console.Take(), "Couldn't load '" + File("bad") + "'!");
  }
  directory.Write("high", changed(MOVE_NUMBER, MAX_MOVE_NUMBER));
  EXPECT_TRUE(game->LoadFromFile(File("high")));
  EXPECT_FALSE(game->SaveToFile(File("no-such-directory/game")));
  ExpectFragments(console.Take(), "Couldn't write '" + File("no-such-directory/game") + "'!\n");
}

TEST(ComputerPlayer, AMoveThatLeavesNoLegalReplyEndsTheGame) {
  ConsoleCapture console;
  // The clock stands still: the search took no measurable time.
  auto engine =
      std::make_unique<NegaScout>(SearchLimits::FixedDepth(3), [] { return std::int64_t{7}; });
  ComputerPlayer player(WHITE, std::move(engine), nullptr);
  Board position = FromFen("7k/5K2/8/6Q1/8/8/8/8 w - - 0 1");  // g5g6 stalemates, g5g7 mates
  Move move;
  player.GetMove(position, move);
  EXPECT_NE(console.Take().find("AI thought 0 seconds! ( "), std::string::npos);
  EXPECT_EQ(move.flags, MOVE_CHECKMATE);
  EXPECT_GE(move.score, SCORE_MATE_FOUND);
  // A mate was found: the tables are emptied for the next search.
  EXPECT_EQ(player.Engine().Table(WHITE).Slot(position).type, TT_EMPTY);
}

TEST(OutOfMemory, TheMessageNamesTheFailedRequestInKilobytes) {
  EXPECT_EXIT(OutOfMemoryHandler(5000000), ::testing::ExitedWithCode(255),
              "^Running out of memory! Tried to allocate 4882 KB\\.$");
  // Far more than any machine has: the allocation fails at once, with or without exceptions.
  const std::size_t huge = std::size_t{1} << 62;
  EXPECT_EXIT(
      {
        volatile char* memory = new char[huge];
        memory[0] = 1;
      },
      ::testing::ExitedWithCode(255), "Tried to allocate 4503599627370496 KB\\.");
  EXPECT_EXIT(
      {
        volatile char* memory = new (std::nothrow) char[huge];
        memory[0] = 1;
      },
      ::testing::ExitedWithCode(255), "Tried to allocate 4503599627370496 KB\\.");
}

}  // namespace
