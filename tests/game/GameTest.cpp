#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <tuple>
#include <vector>

#include "board/Fen.h"
#include "board/Rules.h"
#include "game/ComputerPlayer.h"
#include "game/ConsoleInput.h"
#include "game/Game.h"
#include "game/HumanPlayer.h"
#include "search/NegaScout.h"
#include "support/ConsoleCapture.h"
#include "support/TemporaryDirectory.h"
#include "support/TestBoards.h"

namespace {

// A console game in a directory of its own, with scripted input and a quick computer.
class GameTest : public ::testing::Test {
 protected:
  GameTest() {
    LastMoveFile = (directory.Path() / "lastmove.bin").string();
    ConsoleIn = &input;
    NewGame();
  }
  // A game appends to the log once, when it ends: every game needs a new one.
  void NewGame() {
    game.reset();
    game = std::make_unique<Game>(File("openingbook.bin"), File("games.pgn"));
    game->players[WHITE] = std::make_unique<HumanPlayer>(WHITE);
    game->players[WHITE]->name = "Whity";
    auto engine = std::make_unique<NegaScout>(SearchLimits::FixedDepth(3));
    game->players[BLACK] = std::make_unique<ComputerPlayer>(BLACK, std::move(engine), nullptr);
  }
  ~GameTest() override {
    game.reset();
    ConsoleIn = &std::cin;
    LastMoveFile = "LastMove.bin";
  }

  // Both seats taken by people, for games whose every move the test types.
  void TwoPeople() {
    game->players[BLACK] = std::make_unique<HumanPlayer>(BLACK);
    game->players[BLACK]->name = "Blacky";
  }

  // Plays from `fen` with `typed` as the whole input; the console text.
  std::string Play(const std::string& fen, const std::string& typed) {
    if (!fen.empty()) game->board = FromFen(fen);
    input.str(typed);
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

// The messages of a missing piece and of a text that is no move are checked in ConsoleGameTest.
TEST_F(GameTest, TypedMovesAreCheckedAndRefusedWithTheirReason) {
  std::string text = Play("", "e2e5\nz2e4\ne2e4e5\nb1d2\nE2-E4\nexit\n");
  EXPECT_NE(text.find("Sorry, this move is not in the pseudo-legal list: \nWP - e2e5\nWN - g1f3\n"),
            std::string::npos);
  EXPECT_NE(text.find("is invalid!\nSorry, illegal source square -1\n"), std::string::npos);
  EXPECT_NE(text.find("must be 4 or 5 characters long!\n"), std::string::npos);
  EXPECT_NE(text.find("Sorry, can't capture your own piece!\n"), std::string::npos);
  EXPECT_NE(text.find("Whity selects move: WP - e2e4\n"), std::string::npos);

  // The pinned knight may not move; then the computer (Black) is asked nothing: White resigns.
  NewGame();
  text = Play("4r1k1/8/8/8/8/8/4N3/4K3 w - - 0 1", "e2c3\nquit\n");
  EXPECT_NE(text.find("Sorry, this move leaves your king in check: \nWN - e2c3\n"),
            std::string::npos);

  // A human playing Black gets the other wording.
  NewGame();
  game->players[BLACK] = std::make_unique<HumanPlayer>(BLACK);
  text = Play("4k3/8/8/8/8/8/8/4K3 b - - 0 1", "d5d4\ne8e8\nresign\n");
  EXPECT_NE(text.find("Sorry, you don't have a piece in square 27\n"), std::string::npos);
  EXPECT_NE(text.find("Sorry, you can't capture your own piece in square 4\n"), std::string::npos);
}

// Moves in standard notation beside coordinates, outer blanks passed over, a promotion letter
// that saves the question, and the commands that only answer: help and hint.
TEST_F(GameTest, StandardNotationPromotionLettersHelpAndHint) {
  std::string text = Play("4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "Nd2\nNd5\n Nbd2 \nexit\n");
  EXPECT_NE(text.find("Ambiguous move Nd2: it can be Nbd2, Nfd2\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Illegal move: Nd5\n"), std::string::npos);
  EXPECT_NE(text.find("Whity selects move: WN - b1d2\n"), std::string::npos);

  NewGame();
  text = Play("7k/P7/8/8/8/8/8/K7 w - - 0 1", "help\n?\na7a8n\nexit\n");
  EXPECT_EQ(text.find("Promote the pawn"), std::string::npos);
  EXPECT_NE(text.find("Commands: save FILE, load FILE, back"), std::string::npos);
  EXPECT_NE(Log().find("a7a8=N"), std::string::npos);

  NewGame();
  text = Play("6k1/5ppp/8/8/8/8/8/3RK3 w - - 0 1", "hint\nexit\n");
  EXPECT_NE(text.find("Hint: Rd8# ( d1d8 )\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("Whity selects move: WR"), std::string::npos);
}

TEST_F(GameTest, EnPassantCastlingAndPromotionAreClassifiedFromTheBoard) {
  // After e5xd6 e.p. and O-O the game ends by White's resignation; the log has the moves.
  Play("4k3/8/8/3pP3/8/8/8/4K2R w K d6 0 2", "e5d6\ne1g1\nexit\n");
  const std::string log = Log();
  EXPECT_NE(log.find("  2.  e5xd6 "), std::string::npos) << log;
  EXPECT_NE(log.find("  3.  Ke1g1 "), std::string::npos) << log;

  // The prompt comes once per character read: x, the line end, r.
  NewGame();
  const std::string text = Play("7k/P7/8/8/8/8/8/K7 w - - 0 1", "a7a8\nx\nr\nexit\n");
  const std::string prompt = "Promote the pawn to [ K ]night, [ R ]ook, [ B ]ishop, [ Q ]ueen?";
  EXPECT_NE(text.find("?  " + prompt + prompt + prompt + "Whity selects move: WP - a7a8\n"),
            std::string::npos);
  EXPECT_NE(text.find("\n8 WR |"), std::string::npos);  // the rook stands on a8; exit was not lost
  NewGame();
  Play("7k/P7/8/8/8/8/8/K7 w - - 0 1", "a7a8\nn\nexit\n");
  EXPECT_NE(Log().find("a7a8=N"), std::string::npos);
}

TEST_F(GameTest, SaveAskBeforeOverwritingLoadAndTakeBack) {
  const std::string g1 = File("g1");
  const std::string text = Play("", "e2e4\nsave " + g1 + "\nsave   " + g1 + "\nno\nsave " + g1 +
                                        "\nyes\nload " + g1 + "\nlast\nsave\nload\nexit\n");
  EXPECT_NE(text.find("File: '" + g1 + "' already exists. Overwrite  ? ( yes / no ) Your move"),
            std::string::npos);
  EXPECT_NE(text.find("\nRestored board:\n--A--"), std::string::npos);
  EXPECT_NE(text.find("Please enter a valid filename ( e.g.: 'save mygame' ) !\n"),
            std::string::npos);
  EXPECT_NE(text.find("Please enter a valid filename ( e.g.: 'load mygame' ) !\n"),
            std::string::npos);
  // "last" went back to the initial position: the resignation is White's first move again.
  EXPECT_EQ(game->board.moveNumber, 2);

  std::filesystem::remove(LastMoveFile);
  EXPECT_FALSE(game->TakeBack());
  EXPECT_NE(console.Take().find("Couldn't open '" + LastMoveFile + "'! File doesn't exist ?\n"),
            std::string::npos);
}

// Position files and text positions: a read that fails is a file that cannot be opened, only
// what a position file can hold is read, damaged files change nothing, and every file the game
// saves loads again.
TEST_F(GameTest, StoredFilesAreReadSafelyAndEverySavedFileLoadsAgain) {
  std::filesystem::create_directory(File("dir"));
  Board text;
  const auto load = [&](const std::string& name) {
    std::string messages;
    const TextPositionStatus status = ReadTextPosition(name, text, messages);
    *ConsoleOut << messages;
    return status == TextPositionStatus::READ;
  };
  EXPECT_FALSE(load(File("dir")));
  EXPECT_FALSE(game->LoadFromFile(File("dir")));
  EXPECT_NE(console.Take().find("Couldn't open '" + File("dir") + "'! File doesn't exist ?\n"),
            std::string::npos);
  directory.Write("long.txt", std::string(2 << 20, '#'));
  EXPECT_FALSE(load(File("long.txt")));
  EXPECT_NE(console.Take().find("is too long for a position file!"), std::string::npos);
  // A device is no file to read.
  EXPECT_FALSE(load("/dev/zero"));
  EXPECT_FALSE(game->LoadFromFile("/dev/zero"));
  EXPECT_NE(console.Take().find("Couldn't open '/dev/zero'! File doesn't exist ?\n"),
            std::string::npos);

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
  // Black in check with White to move.
  const BoardImage checked = ToImage(FromFen("4k3/8/8/8/8/8/4R3/4K3 b - - 0 1"));
  std::string inCheck =
      std::string(checked.begin(), checked.end()) + image.substr(BOARD_IMAGE_SIZE);
  inCheck[SIDE] = WHITE;
  const Board before = game->board;
  // A pawn on the first or the last rank, with counts and sets that agree.
  const auto pawnOn = [&](int pawn, Square square) {
    Board board = before;
    board.AddPiece(pawn, square);
    const BoardImage pawnImage = ToImage(board);
    return std::string(pawnImage.begin(), pawnImage.end()) + image.substr(BOARD_IMAGE_SIZE);
  };
  // The first is Black's engine state cut short, the second a file too long.
  for (const std::string& content :
       {image.substr(0, 179), image + '\0', std::string(), changed(SIDE, 2), changed(MATERIAL, 0),
        changed(WHITE_KING, 0x10) /* where the black king stands */, changed(MOVE_NUMBER, 0),
        changed(MOVE_NUMBER, -2147483647 - 1), changed(MOVE_NUMBER, 2147483647),
        changed(MOVE_NUMBER, MAX_MOVE_NUMBER + 1), inCheck, pawnOn(WP, 1), pawnOn(WP, 57),
        pawnOn(BP, 6), pawnOn(BP, 62)}) {
    directory.Write("bad", content);
    EXPECT_FALSE(game->LoadFromFile(File("bad"))) << content.size();
    EXPECT_TRUE(SamePosition(game->board, before));
    EXPECT_NE(console.Take().find("Couldn't load '" + File("bad") + "'!"), std::string::npos);
  }
  directory.Write("high", changed(MOVE_NUMBER, MAX_MOVE_NUMBER));
  EXPECT_TRUE(game->LoadFromFile(File("high")));

  EXPECT_FALSE(game->SaveToFile(File("no-such-directory/game")));
  EXPECT_NE(console.Take().find("Couldn't write '" + File("no-such-directory/game") + "'!\n"),
            std::string::npos);
}

// The record of the game: from any position, with the right winner, without retracted moves,
// and restarted by a load.
TEST_F(GameTest, TheRecordFollowsTheGameOnTheBoard) {
  // Black to move mates at once: Black wins, and the record names its start.
  const std::string fool = "rnbqkbnr/pppp1ppp/8/4p3/6P1/5P2/PPPPP2P/RNBQKBNR b KQkq - 0 2";
  Play(fool, "");
  EXPECT_NE(Log().find("[Result \" 0-1\" ]\n[SetUp \"1\"]\n[FEN \"" + fool +
                       "\"]\n\n  2. ...  Qd8h4  0-1\n\n"),
            std::string::npos)
      << Log();

  // The computer stalemates the person: a draw.
  std::filesystem::remove(File("games.pgn"));
  NewGame();
  const std::string text = Play("K7/P2k4/8/8/8/8/8/8 b - - 0 60", "");
  EXPECT_NE(text.find("Whity selects move: STALEMATE!!!\nStalemate - Game is a draw.\n"),
            std::string::npos)
      << text;
  EXPECT_NE(Log().find("[Result \" 1/2-1/2\" ]"), std::string::npos);
  EXPECT_NE(Log().find("  60. ...  Kd7c"), std::string::npos) << Log();

  // Taken back, the moves leave the record; a load starts it again from the loaded position.
  std::filesystem::remove(File("games.pgn"));
  NewGame();
  game->board = FromFen("7k/8/8/8/8/8/8/R3K3 w - - 0 1");
  ASSERT_TRUE(game->SaveToFile(File("rook")));
  game->board = Board();
  Play("", "b1c3\nback\ng1f3\nload " + File("rook") + "\na1a2\nexit\n");
  const std::string log = Log();
  EXPECT_EQ(log.find("b1c3"), std::string::npos) << log;
  EXPECT_EQ(log.find("g1f3"), std::string::npos) << log;
  EXPECT_NE(log.find("[FEN \"7k/8/8/8/8/8/8/R3K3 w - - 0 1\"]\n\n  1.  Ra1a2 "), std::string::npos)
      << log;
}

// Each draw rule ends the game at once with its line and a drawn result; one move short of
// each, the game goes on.
TEST_F(GameTest, DrawRulesEndTheGame) {
  // The game from a FEN, or from a hand-written position file (NAME.txt).
  const auto drawn = [&](const std::string& position, const std::string& typed, bool people) {
    std::filesystem::remove(File("games.pgn"));
    NewGame();
    if (people) TwoPeople();
    const bool file = position.ends_with(".txt");
    if (file) {
      EXPECT_EQ(game->LoadAtStart(File(position)), TextPositionStatus::READ);
    }
    const std::string text = Play(file ? "" : position, typed);
    const bool draw = text.find(" - Game is a draw.\n") != std::string::npos;
    EXPECT_EQ(draw, Log().find("[Result \" 1/2-1/2\" ]") != std::string::npos) << text;
    return draw ? text.substr(text.rfind("selects move: ")) : std::string();
  };
  const std::string knights = "Ng1f3\nNg8f6\nNf3g1\nNf6g8\nNg1f3\nNg8f6\nNf3g1\n";
  EXPECT_NE(drawn("", knights + "Nf6g8\nexit\n", true).find("Draw by threefold repetition"),
            std::string::npos);
  EXPECT_EQ(drawn("", knights + "exit\n", true), "");

  // 100 plies of piece moves that never capture or repeat a position, from a hand-written
  // position: the count starts there.
  directory.Write("rooks.txt", "wk e1\nwr a1\nwn b1\nbk e8\nbr a8\nbn b8\n?w\n");
  Board start;
  std::string messages;
  ASSERT_EQ(ReadTextPosition(File("rooks.txt"), start, messages), TextPositionStatus::READ);
  std::vector<Board> seen{start};
  std::string walk;
  Board board = start;
  for (int ply = 0; ply < 100; ++ply) {
    MoveList moves;
    Board generated = board;
    moves.Generate(generated);
    for (const Move& move : moves) {
      Board next = board;
      PlayMove(next, move);
      const auto repeats = [&](const Board& old) { return SameForRepetition(old, next); };
      if (IsIrreversible(move) || !IsLegal(board, move) ||
          std::any_of(seen.begin(), seen.end(), repeats))
        continue;
      walk += CoordinateText(move) + "\n";
      seen.push_back(board = next);
      break;
    }
  }
  ASSERT_EQ(seen.size(), 101u);
  EXPECT_NE(drawn("rooks.txt", walk + "exit\n", true).find("Draw by the fifty-move rule"),
            std::string::npos);
  const std::string shorter = walk.substr(0, walk.rfind('\n', walk.size() - 2) + 1);
  EXPECT_EQ(drawn("rooks.txt", shorter + "exit\n", true), "");

  // Captures that leave no mating material, and near misses that still have some.
  for (const auto& [fen, move, dead] : std::vector<std::tuple<const char*, const char*, bool>>{
           {"n3k3/8/8/8/8/8/4r3/4K3 w - - 0 1", "Kxe2", true},      // knight alone
           {"4k3/8/8/8/8/8/4r3/4K3 w - - 0 1", "Kxe2", true},       // kings alone
           {"4k3/8/8/2b5/8/8/4r3/B3K3 w - - 0 1", "Kxe2", true},    // bishops, dark squares
           {"nn2k3/8/8/8/8/8/4r3/4K3 w - - 0 1", "Kxe2", false},    // two knights
           {"4k3/8/8/3b4/8/8/4r3/B3K3 w - - 0 1", "Kxe2", false},   // bishops on both colours
           {"4k3/8/8/8/8/8/4r2p/4K3 w - - 0 1", "Kxe2", false}}) {  // a pawn
    EXPECT_EQ(drawn(fen, std::string(move) + "\nexit\n", false).find("neither side can mate") !=
                  std::string::npos,
              dead)
        << fen;
  }
}

// The person as Black against the computer, to the end; a new game; three move pairs taken back
// from the game's own record; a mate by promotion recorded with its piece.
TEST_F(GameTest, EitherColourNewGamesTakeBacksAndTheLog) {
  game->players[WHITE] = std::make_unique<ComputerPlayer>(
      WHITE, std::make_unique<NegaScout>(SearchLimits::FixedDepth(3)), nullptr);
  game->players[BLACK] = std::make_unique<HumanPlayer>(BLACK);
  std::string text = Play("6k1/8/8/8/8/1r6/r7/7K w - - 0 1", "back\nRb1\n");
  EXPECT_NE(text.find("Nervous ? Tired ?? Stupid ???\n"), std::string::npos) << text;
  EXPECT_NE(text.find("selects move: WK - h1g1\n"), std::string::npos) << text;
  EXPECT_NE(Log().find("  1.  Kh1g1  Rb3b1   2.    0-1\n"), std::string::npos) << Log();

  std::filesystem::remove(File("games.pgn"));
  NewGame();
  TwoPeople();
  text = Play("", "e2e4\nnew\nd2d4\nd7d5\nexit\n");
  EXPECT_NE(text.find("A new game begins.\n"), std::string::npos);
  std::string log = Log();
  EXPECT_NE(log.find("[Result \" *\" ]\n\n  1.  e2e4  *\n"), std::string::npos) << log;
  EXPECT_NE(log.find("  1.  d2d4  d7d5   2.    0-1\n"), std::string::npos) << log;

  std::filesystem::remove(File("games.pgn"));
  NewGame();
  TwoPeople();
  Play("", "e4\ne5\nNf3\nNc6\nBb5\na6\nBa4\nNf6\nback\nback\nback\nexit\n");
  log = Log();
  EXPECT_NE(log.find("\n  1.  e2e4  e7e5   2.    0-1\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("SetUp"), std::string::npos);

  std::filesystem::remove(File("games.pgn"));
  NewGame();
  game->players[WHITE] = std::make_unique<ComputerPlayer>(
      WHITE, std::make_unique<NegaScout>(SearchLimits::FixedDepth(3)), nullptr);
  Play("k7/2P5/1K6/8/8/8/8/8 w - - 0 1", "");
  log = Log();
  EXPECT_NE(log.find("  1.  c7c8="), std::string::npos) << log;
  EXPECT_NE(log.find("[Result \" 1-0\" ]"), std::string::npos);
}

TEST(ComputerPlayer, AMoveThatLeavesNoLegalReplyEndsTheGame) {
  const Board board = FromFen("7k/5K2/8/6Q1/8/8/8/8 w - - 0 1");
  const auto standingAfter = [&](const char* text) {
    Board after = board;
    const Move move = GeneratedMove(board, text);
    after.MakeMove(&move);
    return StandingOf(after);
  };
  EXPECT_EQ(standingAfter("g5g6"), Standing::STALEMATE);
  EXPECT_EQ(standingAfter("g5g7"), Standing::CHECKMATE);
  EXPECT_EQ(standingAfter("g5g4"), Standing::PLAY_ON);

  ConsoleCapture console;
  // The clock stands still: the search took no measurable time.
  auto engine =
      std::make_unique<NegaScout>(SearchLimits::FixedDepth(3), [] { return std::int64_t{7}; });
  ComputerPlayer player(WHITE, std::move(engine), nullptr);
  Board position = board;
  Move move;
  player.GetMove(position, move);
  EXPECT_NE(console.Take().find("AI thought 0 seconds! ( "), std::string::npos);
  EXPECT_EQ(move.flags, MOVE_CHECKMATE);
  EXPECT_GE(move.score, SCORE_MATE_FOUND);
  // A mate was found: the tables are emptied for the next search.
  EXPECT_EQ(player.Engine().Table(WHITE).Slot(position).type, TT_EMPTY);
}

}  // namespace
