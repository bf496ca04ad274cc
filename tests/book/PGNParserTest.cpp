#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "book/PGNParser.h"
#include "game/Console.h"
#include "support/TestBoards.h"

namespace {

constexpr int G = OUTCOME_GOOD;
constexpr int N = OUTCOME_NEUTRAL;
constexpr int B = OUTCOME_BAD;

struct Game {
  std::vector<std::string> moves;  // "e2e4"
  std::vector<int> outcomes;
  int lastFlags = -1;
};

// A reader on a text, with the moves of each game collected.
struct Pgn {
  std::istringstream input;
  PGNParser parser{input};

  explicit Pgn(const std::string& text) : input(text) {}

  Game Moves() {
    Game game;
    Move* move = nullptr;
    int outcome = -1;
    while (parser.getNextMove(move, outcome)) {
      std::string coords;
      Board::SquareToCoord(move->from, move->to, coords);
      game.moves.push_back(coords);
      game.outcomes.push_back(outcome);
      game.lastFlags = move->flags;
    }
    return game;
  }
  Game Next() {
    EXPECT_TRUE(parser.getNextMatch());
    return Moves();
  }
};

bool Has(const Board& board, int piece, const char* square) {
  return (board.bitboards[piece] & MaskOf(At(square))) != 0;
}

// Collects standard output while it lives.
struct StdoutCapture {
  std::ostringstream text;
  std::streambuf* saved = std::cout.rdbuf(text.rdbuf());
  ~StdoutCapture() { std::cout.rdbuf(saved); }
};

using Moves = std::vector<std::string>;
using Outcomes = std::vector<int>;

TEST(PGNParserTest, ResultTagGivesEveryMoveItsOutcome) {
  const struct {
    const char* tags;
    int result;
    Outcomes outcomes;
  } cases[] = {
      {"[Result \"1-0\"]", RESULT_WHITE_WINS, {G, B, G, B}},
      {"[Result \"0-1\"]", RESULT_BLACK_WINS, {B, G, B, G}},
      {"[result \"0-1\"]", RESULT_BLACK_WINS, {B, G, B, G}},
      {"[Result \"1/2-1/2\"]", RESULT_DRAW, {N, N, N, N}},
      {"[Result \"*\"]", RESULT_UNKNOWN, {N, N, N, N}},
      {"[Result \"2-0\"]", RESULT_UNKNOWN, {N, N, N, N}},
      {"[Event \"x\"]", RESULT_UNKNOWN, {N, N, N, N}},
      // An unterminated quote ends at the line end and takes its tag with it.
      {"[Result \"1-0]\n[Event \"x\"]", RESULT_UNKNOWN, {N, N, N, N}},
  };
  for (const auto& c : cases) {
    Pgn pgn(std::string(c.tags) + "\n\n1. e4 e5 2. Nf3 Nc6 1-0\n");
    const Game game = pgn.Next();
    EXPECT_EQ(game.moves, (Moves{"e2e4", "e7e5", "g1f3", "b8c6"})) << c.tags;
    EXPECT_EQ(game.outcomes, c.outcomes) << c.tags;
    EXPECT_EQ(pgn.parser.Result(), c.result) << c.tags;
    EXPECT_EQ(pgn.parser.MoveNo(), 5);  // the call that met the result marker counts too
  }
}

// ! !! ? ?? make a move good whoever won; !? and ?! do not, nor a mark behind a + or #.
TEST(PGNParserTest, AnnotationsOverrideTheResult) {
  Pgn pgn("[Result \"0-1\"]\n1. e4! e5? 2. Nf3!? Nc6?! 3. Bb5!! a6?? 4. Ba4+! Nf6 0-1");
  EXPECT_EQ(pgn.Next().outcomes, (Outcomes{G, G, B, G, G, G, B, G}));
}

TEST(PGNParserTest, NamesComeFromAnyTagContainingTheWord) {
  Pgn pgn(
      "[Event \"Match\"]\n[White \"Kasparov, Garry\"]\n[black \"Deep Blue\"]\n"
      "[WhiteElo \"2812\"]\n1. e4 *\n"
      "[Event \"Next\"]\n[Site \"x\"]\n1. d4 *\n");
  EXPECT_EQ(pgn.Next().moves, Moves{"e2e4"});
  EXPECT_EQ(pgn.parser.WhiteName(), "2812");  // the rating overwrote the name
  EXPECT_EQ(pgn.parser.BlackName(), "Deep Blue");
  EXPECT_EQ(pgn.Next().moves, Moves{"d2d4"});
  EXPECT_EQ(pgn.parser.WhiteName(), "");  // names belong to one game
  EXPECT_EQ(pgn.parser.MatchNo(), 2);
  EXPECT_FALSE(pgn.parser.getNextMatch());
}

TEST(PGNParserTest, MoveNumbersAndCommentsAreSkipped) {
  Pgn pgn(
      "[Event \"x\"]\n1.e4 {best by test. 2. d4} e5 2.\nNf3 2... Nc6\r\n3.\r\n"
      "Bb5 {nested {braces} 4. O-O} a6 *");
  EXPECT_EQ(pgn.Next().moves, (Moves{"e2e4", "e7e5", "g1f3", "b8c6", "f1b5", "a7a6"}));
}

// The dot of "1." inside a comment before the moves starts the move text; the rest of the
// comment is still skipped.
TEST(PGNParserTest, DotInACommentBeforeTheMovesStartsTheMoveText) {
  Pgn pgn("[Event \"x\"]\n{Game 1. Opening}\n1. e4 e5 *");
  EXPECT_EQ(pgn.Next().moves, (Moves{"e2e4", "e7e5"}));
}

// A stray } leaves the comment depth below zero for this game and the next, until a {.
TEST(PGNParserTest, CommentDepthCarriesOverToTheNextGame) {
  Pgn pgn("[Event \"a\"]\n1. e4 } e5 *\n[Event \"b\"]\n[Site \"c\"]\n1. d4 {e4 e5 *\n");
  EXPECT_EQ(pgn.Next().moves, Moves{"e2e4"});
  EXPECT_EQ(pgn.Next().moves, (Moves{"e2e4", "e7e5"}));
  EXPECT_FALSE(pgn.parser.getNextMatch());
}

// A game without a result marker ends at the next game's [, which is then missing from that
// game's first tag: a game with a single tag behind it is skipped with its moves.
TEST(PGNParserTest, GameWithoutResultMarkerEndsAtTheNextTag) {
  Pgn pgn(
      "[White \"A\"]\n1. e4 e5\n\n[White \"B\"]\n[Black \"C\"]\n1. d4 d5\n"
      "[White \"D\"]\n1. c4\n[White \"E\"]\n1. Nf3 1/2\n");
  EXPECT_EQ(pgn.Next().moves, (Moves{"e2e4", "e7e5"}));
  EXPECT_EQ(pgn.Next().moves, (Moves{"d2d4", "d7d5"}));
  EXPECT_EQ(pgn.parser.WhiteName(), "B");
  EXPECT_EQ(pgn.parser.BlackName(), "C");
  EXPECT_EQ(pgn.Next().moves, Moves{"g1f3"});
  EXPECT_EQ(pgn.parser.WhiteName(), "E");
  EXPECT_EQ(pgn.parser.MatchNo(), 3);
  EXPECT_FALSE(pgn.parser.getNextMatch());
}

TEST(PGNParserTest, EndOfInputEndsTheGameAndTheReading) {
  const struct {
    const char* text;
    Moves moves;
  } cases[] = {
      {"[E \"x\"]\n1. e4 e5 2. Nf3", {"e2e4", "e7e5", "g1f3"}},  // the pending token counts
      {"[E \"x\"]\n1. e4 e5 2.", {"e2e4", "e7e5"}},
      {"[E \"x\"]\n1. e4 {unfinished", {"e2e4"}},
      {"[E \"x\"]\n1. e4 e5 [Event", {"e2e4", "e7e5"}},
      {"[E \"x\"]\n1. e4 e5\xFF Nf3 *", {"e2e4"}},  // a 0xFF byte ends the game at once
  };
  for (const auto& c : cases) {
    Pgn pgn(c.text);
    EXPECT_EQ(pgn.Next().moves, c.moves) << c.text;
    EXPECT_FALSE(pgn.parser.getNextMatch()) << c.text;
  }
  Pgn pgn("[E \"x\"]\n1. e4 e5 2. Nf3");
  pgn.Next();
  const Move* move = nullptr;
  int outcome = -1;
  EXPECT_FALSE(pgn.parser.getNextMove(move, outcome));  // asked again after the end
  for (const char* text : {"", "\n\n", "[Event \"x", "[Event \"x\"", "[Event \"x\"]", "{ [a]"}) {
    Pgn empty(text);
    EXPECT_FALSE(empty.parser.getNextMatch()) << text;
    EXPECT_FALSE(empty.parser.getNextMatch()) << text;
  }
}

// Token shapes resolved on three positions: the initial one, Black to move after 1. e4, and
// White knights on b1 and f3 that both reach d2.
TEST(PGNParserTest, SanToCoordinates) {
  const struct {
    const char* moves;
    const char* token;
    const char* coordinates;
    bool annotated;
    const char* printed;
  } cases[] = {
      {"", "e4", "e2e4", false, ""},
      {"", "e3!", "e2e3", true, ""},
      {"", "Nf3!!", "g1f3", true, ""},
      {"", "Nf3??", "g1f3", true, ""},
      {"", "Nf3!?", "g1f3", false, ""},
      {"", "Nf3?!", "g1f3", false, ""},
      {"", "Nc3+!", "b1c3", false, ""},
      {"", "O-O", "e1g1", false, ""},
      {"", "0-0-0", "e1c1", false, ""},
      {"", "exd5", "e4d5", false, ""},
      {"", "e8=Q+", "e7e8Q", false, ""},
      {"", "exd8=N#", "e7d8N", false, ""},
      {"", "e8=", "", false, ""},
      {"", "", "", false, "Piece not found, PGN Error!\n"},
      {"", "+", "", false, "Piece not found, PGN Error!\n"},
      {"", "x", "", false, "Piece not found, PGN Error!\n"},
      {"", "Nfx", "", false, "ERROR!!! PGN file is ill-formed!\n"},
      {"", "Zf3", "", false, "Piece not found, PGN Error!\n"},
      {"", "Ne2", "", false, "ERROR!!! PGN file is ill-formed!\n"},  // own pawn there
      {"1. e4", "e5", "e7e5", false, ""},
      {"1. e4", "e6", "e7e6", false, ""},
      {"1. e4", "O-O", "e8g8", false, ""},
      {"1. e4", "O-O-O", "e8c8", false, ""},
      {"1. e4", "dxe4", "d5e4", false, ""},
      {"1. e4", "e1=Q", "e2e1Q", false, ""},
      {"1. e4", "Nf6", "g8f6", false, ""},
      {"1. Nf3 a6 2. d3 a5", "Nd2", "f3d2", false, ""},  // f3 comes before b1
      {"1. Nf3 a6 2. d3 a5", "Nbd2", "b1d2", false, ""},
      {"1. Nf3 a6 2. d3 a5", "N1d2", "b1d2", false, ""},
      {"1. Nf3 a6 2. d3 a5", "Nb1d2", "b1d2", false, ""},
      {"1. Nf3 a6 2. d3 a5", "Nf3xd2", "f3d2", false, ""},
      {"1. Nf3 a6 2. d3 a5", "Kd2", "e1d2", false, ""},
      {"1. Nf3 a6 2. d3 a5", "Bd2", "c1d2", false, ""},
      {"1. Nf3 a6 2. d3 a5", "Ncd2", "", false, "ERROR!!! PGN file is ill-formed!\n"},
      {"1. Nf3 a6 2. d3 a5", "Nb3d2", "", false, "ERROR!!! PGN file is ill-formed!\n"},
      {"1. Nf3 a6 2. d3 a5", "N0d2", "", false, "ERROR!!! PGN file is ill-formed!\n"},
      {"1. Nf3 a6 2. d3 a5", "NBd2", "", false, "ERROR!!! PGN file is ill-formed!\n"},
      {"1. Nf3 a6 2. d3 a5", "Nd9", "", false, "ERROR!!! PGN file is ill-formed!\n"},
  };
  for (const auto& c : cases) {
    Pgn pgn(std::string("[E \"x\"]\n") + c.moves);
    if (*c.moves) pgn.Next();
    std::string coordinates = "stale";
    bool annotated = !c.annotated;
    StdoutCapture out;
    EXPECT_EQ(pgn.parser.sanToCoordinates(c.token, coordinates, annotated), *c.coordinates != 0);
    EXPECT_EQ(coordinates, c.coordinates) << c.token;
    EXPECT_EQ(annotated, c.annotated) << c.token;
    EXPECT_EQ(out.text.str(), c.printed) << c.token;
  }
}

TEST(PGNParserTest, ResolvesMovesAgainstThePosition) {
  const struct {
    const char* text;
    const char* last;
    int flags;
    int piece;  // on the target square afterwards
  } cases[] = {
      {"1. d4 e6 2. Nc3 a6 3. e4 b6 4. Ne2", "c3e2", MOVE_NORMAL, WN},
      // The knight on c3 is pinned by the bishop on b4 and is skipped.
      {"1. d4 e6 2. Nc3 Bb4 3. e4 a6 4. Ne2", "g1e2", MOVE_NORMAL, WN},
      {"1. e4 a6 2. e5 d5 3. exd6", "e5d6", MOVE_EN_PASSANT, WP},
      {"1. e4 d5 2. exd5 c6 3. dxc6 Nf6 4. cxb7 Nc6 5. bxa8=Q", "b7a8", PROMOTE_QUEEN + 1, WQ},
      {"1. e4 d5 2. exd5 c6 3. dxc6 Nf6 4. cxb7 Nc6 5. bxa8=N#", "b7a8", PROMOTE_KNIGHT + 1, WN},
      {"1. e4 d5 2. exd5 c6 3. dxc6 Nf6 4. cxb7 Nc6 5. bxc8=R", "b7c8", PROMOTE_ROOK + 1, WR},
      {"1. h4 g5 2. hxg5 Nf6 3. g6 e6 4. g7 Be7 5. g8=Q+", "g7g8", PROMOTE_QUEEN, WQ},
      {"1. h4 g5 2. hxg5 Nf6 3. g6 e6 4. g7 Be7 5. g8=B", "g7g8", PROMOTE_BISHOP, WB},
      {"1. d4 e5 2. h3 exd4 3. c3 dxc3 4. Nf3 cxb2 5. h4 bxa1=N", "b2a1", PROMOTE_KNIGHT + 1, BN},
  };
  for (const auto& c : cases) {
    Pgn pgn(std::string("[E \"x\"]\n") + c.text + " *");
    const Game game = pgn.Next();
    ASSERT_FALSE(game.moves.empty()) << c.text;
    EXPECT_EQ(game.moves.back(), c.last) << c.text;
    EXPECT_EQ(game.lastFlags, c.flags) << c.text;
    EXPECT_TRUE(Has(pgn.parser.CurrentBoard(), c.piece, c.last + 2)) << c.text;
  }
  Pgn passant("[E \"x\"]\n1. e4 a6 2. e5 d5 3. exd6 *");
  passant.Next();
  EXPECT_FALSE(Has(passant.parser.CurrentBoard(), BP, "d5"));
}

TEST(PGNParserTest, CastlingInBothNotationsForBothColours) {
  Pgn pgn(
      "[E \"x\"]\n1. e4 e5 2. Nf3 Nc6 3. Bc4 d6 4. O-O Be6 5. d3 Qd7 6. Nc3 0-0-0 *\n"
      "[E \"y\"]\n[S \"z\"]\n1. d4 d5 2. Nc3 Nf6 3. Bf4 e6 4. Qd2 Be7 5. 0-0-0 O-O *\n");
  Move* move = nullptr;
  int outcome = -1;
  ASSERT_TRUE(pgn.parser.getNextMatch());
  std::vector<int> flags;
  while (pgn.parser.getNextMove(move, outcome)) flags.push_back(move->flags);
  ASSERT_EQ(flags.size(), 12u);
  EXPECT_EQ(flags[6], MOVE_CASTLE_SHORT);
  EXPECT_EQ(flags[11], MOVE_CASTLE_LONG);
  const Board& board = pgn.parser.CurrentBoard();
  EXPECT_TRUE(Has(board, WR, "f1") && Has(board, WK, "g1"));
  EXPECT_TRUE(Has(board, BR, "d8") && Has(board, BK, "c8"));

  const Game second = pgn.Next();
  ASSERT_EQ(second.moves.size(), 10u);
  EXPECT_EQ(second.moves[8], "e1c1");
  EXPECT_EQ(second.moves[9], "e8g8");
  EXPECT_TRUE(Has(board, WR, "d1") && Has(board, BR, "f8"));
}

// Fatal errors end the program with status 1. Standard output and the console are sent to
// standard error here, so that every message can be checked in order.
void ReadAll(const std::string& text) {
  ConsoleOut = &std::cerr;
  std::cout.rdbuf(std::cerr.rdbuf());
  Pgn pgn(text);
  while (pgn.parser.getNextMatch()) pgn.Moves();
}

TEST(PGNParserDeathTest, FatalErrorsEndTheProgramWithStatusOne) {
  const auto fails = ::testing::ExitedWithCode(1);
  EXPECT_EXIT(ReadAll("[E \"x\"]\n1. e4 ] e5 *"), fails,
              "^Error found in PGNParser::getNextMove\\.\\.\\.$");
  EXPECT_EXIT(ReadAll("[E \"a\"]\n1. e4 *\n[E \"b\"]\n1. e4 e5 2. e5 *"), fails,
              "^\n>> Fehler in PGNParser::getNextMove MatchNo: 2 MoveNo:3\n$");
  EXPECT_EXIT(ReadAll("[E \"x\"]\n1. Ke2 *"), fails,
              "^ERROR!!! PGN file is ill-formed!\n"
              "Board::CoordToSquare\\(\\) coords = \"\" must be exactly 4 or 5 characters long!\n"
              "\n>> Fehler in PGNParser::getNextMove MatchNo: 1 MoveNo:1\n$");
  EXPECT_EXIT(ReadAll("[E \"x\"]\n1. e4 Zf6 *"), fails,
              "^Piece not found, PGN Error!\n.*\n>> Fehler in PGNParser::getNextMove "
              "MatchNo: 1 MoveNo:2\n$");
  EXPECT_EXIT(ReadAll("[E \"x\"]\n1. e2e4 *"), fails, "^watt is datt \\?\n$");
  // A promotion must name its piece with an upper-case letter behind a "=".
  for (const char* promotion : {"g8", "g8=q", "g8=K"})
    EXPECT_EXIT(ReadAll(std::string("[E \"x\"]\n1. h4 g5 2. hxg5 Nf6 3. g6 e6 4. g7 Be7 5. ") +
                        promotion + " *"),
                fails, "^Promotion not found\n$")
        << promotion;
}

// Malformed tokens end the reading with a message, never with a crash.
TEST(PGNParserDeathTest, MalformedTokensEndTheProgramWithStatusOne) {
  for (const char* token : {"x", "ex", "=", "e8=", "exd8=", "=Q", "O-O", "e1", "e9", "exd9", "a",
                            "Nf3Nc6", "N0f3", "1...e5", "Nfx", "$1"}) {
    EXPECT_EXIT(ReadAll(std::string("[E \"x\"]\n1. ") + token + " *"), ::testing::ExitedWithCode(1),
                ">> Fehler in PGNParser::getNextMove MatchNo: 1 MoveNo:1\n$")
        << token;
  }
}

}  // namespace
