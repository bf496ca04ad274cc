#include <gtest/gtest.h>

#include <iostream>

#include "book/PGNParser.h"
#include "console/Console.h"
#include "support/ConsoleCapture.h"
#include "support/TestBoards.h"

namespace {

constexpr int G = OUTCOME_GOOD, N = OUTCOME_NEUTRAL, B = OUTCOME_BAD;
using Moves = std::vector<std::string>;

// A reader on a text; Next() reads one game's moves as "e2e4" ("e7e8q") texts.
struct Pgn {
  std::istringstream input;
  PGNParser parser{input};
  std::vector<int> outcomes;
  int lastFlags = -1;

  explicit Pgn(const std::string& text) : input(text) {}
  Moves Next() {
    Moves moves;
    outcomes.clear();
    EXPECT_TRUE(parser.getNextMatch());
    const Move* move = nullptr;
    int outcome = -1;
    while (parser.getNextMove(move, outcome)) {
      moves.push_back(CoordinateText(*move));
      outcomes.push_back(outcome);
      lastFlags = move->flags;
    }
    return moves;
  }
};

TEST(PGNParserTest, TagsGiveResultNamesAndOutcomes) {
  const struct {
    const char* text;
    int result;
    std::vector<int> outcomes;
  } cases[] = {
      {"[Result \"1-0\"]\n1. e4 e5 2. Nf3 Nc6 1-0", RESULT_WHITE_WINS, {G, B, G, B}},
      {"[result \"0-1\"]\n1. e4 e5 2. Nf3 Nc6 0-1", RESULT_BLACK_WINS, {B, G, B, G}},
      {"[Result \"1/2-1/2\"]\n1. e4 e5 2. Nf3 Nc6 1/2", RESULT_DRAW, {N, N, N, N}},
      {"[Result \"2-0\"]\n1. e4 e5 2. Nf3 Nc6 *", RESULT_UNKNOWN, {N, N, N, N}},
      // An unterminated quote ends at the line end and takes its tag with it.
      {"[Result \"1-0]\n[E \"x\"]\n1. e4 e5 2. Nf3 Nc6 *", RESULT_UNKNOWN, {N, N, N, N}},
      // ! !! ? ?? make a move good whoever won; !? ?! do not, nor a mark behind a + or #.
      {"[Result \"0-1\"]\n1. e4! e5? 2. Nf3!? Nc6?! 3. Bb5!! a6?? 4. Ba4+! Nf6 5. Bb3#? 0-1",
       RESULT_BLACK_WINS,
       {G, G, B, G, G, G, B, G, B}},
  };
  for (const auto& c : cases) {
    Pgn pgn(c.text);
    pgn.Next();
    EXPECT_EQ(pgn.outcomes, c.outcomes) << c.text;
    EXPECT_EQ(pgn.parser.Result(), c.result) << c.text;
  }

  // A game without a result marker ends at the next game's [, which is then missing from that
  // game's first tag: a game with a single tag behind it is skipped with its moves.
  Pgn pgn(
      "[White \"Kasparov, Garry\"]\n[black \"Deep Blue\"]\n[WhiteElo \"2812\"]\n1. e4 e5\n\n"
      "[White \"B\"]\n[Black \"C\"]\n1. d4\n[White \"D\"]\n1. c4\n[White \"E\"]\n1. Nf3 *\n");
  EXPECT_EQ(pgn.Next(), (Moves{"e2e4", "e7e5"}));
  EXPECT_EQ(pgn.parser.WhiteName(), "2812");  // the rating overwrote the name
  EXPECT_EQ(pgn.parser.BlackName(), "Deep Blue");
  EXPECT_EQ(pgn.Next(), Moves{"d2d4"});
  EXPECT_EQ(pgn.parser.WhiteName() + pgn.parser.BlackName(), "BC");
  EXPECT_EQ(pgn.Next(), Moves{"g1f3"});
  EXPECT_EQ(pgn.parser.WhiteName() + pgn.parser.BlackName(), "E");
  EXPECT_EQ(pgn.parser.MatchNo(), 3);
  EXPECT_FALSE(pgn.parser.getNextMatch());
}

// Move numbers, comments and the end of the input; every game ends the reading here.
TEST(PGNParserTest, MoveTextAndEndOfInput) {
  const struct {
    const char* text;
    Moves moves;
  } cases[] = {
      {"1.e4 {best. 2. d4} e5 2.\nNf3 2... Nc6\r\n3.\r\nBb5 {a {nested} b} a6 *",
       {"e2e4", "e7e5", "g1f3", "b8c6", "f1b5", "a7a6"}},
      // The dot inside a comment before the moves starts the move text.
      {"{Game 1. Opening}\n1. e4 e5 *", {"e2e4", "e7e5"}},
      {"1. e4 e5 2. Nf3", {"e2e4", "e7e5", "g1f3"}},  // the pending token counts
      {"1. e4 e5 2.", {"e2e4", "e7e5"}},
      {"1. e4 {unfinished", {"e2e4"}},
      {"1. e4 e5\xFF Nf3 *", {"e2e4"}},  // 0xFF ends the game at once
      // Downloads: brackets and quotes in comments, variations, glyphs, line comments, black
      // move numbers glued to their moves.
      {"1. e4 { [%clk 0:05:00] \"} 1... e5 {[%eval 0.2]} 2. Nf3 $1 (2. Nc3 (2. f4) Nf6) Nc6 ; x [\n"
       "3.Bb5 1...a6 *",
       {"e2e4", "e7e5", "g1f3", "b8c6", "f1b5", "a7a6"}},
      {"1. e4 a6 2. e5 d5 3. exd6 e.p. Nf6 *", {"e2e4", "a7a6", "e4e5", "d7d5", "e5d6", "g8f6"}},
      {"e4 e5 Nf3 *", {"e2e4", "e7e5", "g1f3"}},  // no move numbers at all
      // A line that begins with % is passed over, but not in a comment.
      {"1. e4 {a\n%b} e5\n%2. d4 ( {\r\n%\n2. Nf3 *", {"e2e4", "e7e5", "g1f3"}},
  };
  for (const auto& c : cases) {
    Pgn pgn(std::string("[E \"x\"]\n") + c.text);
    EXPECT_EQ(pgn.Next(), c.moves) << c.text;
    EXPECT_FALSE(pgn.parser.getNextMatch()) << c.text;
  }
  for (const char* text : {"", "[Event \"x", "[Event \"x\"]", "{ [a]"})
    EXPECT_FALSE(Pgn(text).parser.getNextMatch()) << text;
  // Escape lines before, between and after the tags, and in the place of a game.
  Pgn escaped(
      "%Made by x. [E \"x\"]\n[Result \"0-1\"]\n%[Result \"1-0\"]\n%v1.0\n1. d4 0-1\n%[E \"y\"]\n");
  EXPECT_EQ(escaped.Next(), Moves{"d2d4"});
  EXPECT_EQ(escaped.parser.Result(), RESULT_BLACK_WINS);
  EXPECT_FALSE(escaped.parser.getNextMatch());
  // A stray } leaves the comment depth below zero for this game and the next, until a {.
  Pgn pgn("[E \"a\"]\n1. e4 } e5 *\n[E \"b\"]\n[S \"c\"]\n1. d4 {e4 e5 *\n");
  EXPECT_EQ(pgn.Next(), Moves{"e2e4"});
  EXPECT_EQ(pgn.Next(), (Moves{"e2e4", "e7e5"}));
}

// Tokens on three positions: the initial one, Black to move after 1. e4, and White knights on
// b1 and f3 that both reach d2, where f3 comes first. The games of the other tests cover plain
// pawn moves.
TEST(PGNParserTest, SanTokensResolveAgainstThePosition) {
  constexpr const char* ILL = "ERROR!!! PGN file is ill-formed!\n";
  constexpr const char* PIECE = "Piece not found, PGN Error!\n";
  const char* const positions[] = {"", "1. e4", "1. Nf3 a6 2. d3 a5"};
  const struct {
    int position;
    const char* token;
    const char* coordinates;
    const char* printed;
  } cases[] = {
      {0, "exd8=N#", "e7d8N", ""}, {0, "e8=", "", ""},       {0, "+", "", PIECE},
      {0, "Zf3", "", PIECE},       {0, "Nfx", "", ILL},      {0, "Ne2", "", ILL},
      {1, "O-O", "e8g8", ""},      {1, "0-0-0", "e8c8", ""}, {2, "Nd2", "f3d2", ""},
      {2, "Nbd2", "b1d2", ""},     {2, "N1d2", "b1d2", ""},  {2, "Nb1d2", "b1d2", ""},
      {2, "Kd2", "e1d2", ""},      {2, "Ncd2", "", ILL},     {2, "Nb3d2", "", ILL},
      {2, "N0d2", "", ILL},        {2, "NBd2", "", ILL},     {2, "Nd9", "", ILL},
  };
  for (const auto& c : cases) {
    Pgn pgn(std::string("[E \"x\"]\n") + positions[c.position]);
    if (c.position > 0) pgn.Next();
    std::string coordinates = "stale";
    bool annotated = true;
    EXPECT_EQ(pgn.parser.sanToCoordinates(c.token, coordinates, annotated), *c.coordinates != 0);
    EXPECT_EQ(pgn.parser.Notes(), c.printed) << c.token;
    EXPECT_EQ(coordinates, c.coordinates) << c.token;
    EXPECT_FALSE(annotated) << c.token;
  }

  // Whole moves as read and made; TAKE leaves a white pawn on b7. En passant and castling take
  // the generated move's kind, as every move does.
  constexpr const char* TAKE = "1. e4 d5 2. exd5 c6 3. dxc6 Nf6 4. cxb7 Nc6 5. ";
  const struct {
    const char* before;
    const char* move;
    const char* last;
    int flags;
    int piece;  // on the target square afterwards
  } games[] = {
      // The knight on c3, first from a8 on, is pinned by the bishop on b4 and is skipped.
      {"1. d4 e6 2. Nc3 Bb4 3. e4 a6 4. ", "Ne2", "g1e2", MOVE_NORMAL, WN},
      {TAKE, "bxa8=Q", "b7a8q", PROMOTE_QUEEN + 1, WQ},
      {TAKE, "bxc8=R", "b7c8r", PROMOTE_ROOK + 1, WR},
      {"1. h4 g5 2. hxg5 Nf6 3. g6 e6 4. g7 Be7 5. ", "g8=B", "g7g8b", PROMOTE_BISHOP, WB},
      {"1. d4 e5 2. h3 exd4 3. c3 dxc3 4. Nf3 cxb2 5. h4 ", "bxa1=N", "b2a1n", PROMOTE_KNIGHT + 1,
       BN},
      // Without the "=", or with a lower-case letter, as some programs write them.
      {TAKE, "bxa8Q", "b7a8q", PROMOTE_QUEEN + 1, WQ},
      {"1. h4 g5 2. hxg5 Nf6 3. g6 e6 4. g7 Be7 5. ", "g8=n", "g7g8n", PROMOTE_KNIGHT, WN},
  };
  for (const auto& c : games) {
    Pgn pgn(std::string("[E \"x\"]\n") + c.before + c.move + " *");
    const Moves moves = pgn.Next();
    ASSERT_FALSE(moves.empty()) << c.move;
    EXPECT_EQ(moves.back(), c.last) << c.move;
    EXPECT_EQ(pgn.lastFlags, c.flags) << c.move;
    EXPECT_TRUE(pgn.parser.CurrentBoard().bitboards[c.piece] & MaskOf(At(c.last + 2))) << c.move;
  }
}

// What the reader says (notes, then the error) when it gives up on a second game with `text`
// as its moves, or "" when it reads to the end. Once failed it reads nothing more.
std::string FatalMessage(const std::string& text) {
  Pgn pgn("[E \"a\"]\n1. e4 *\n[E \"b\"]\n1. " + text + " *\n[E \"c\"]\n1. d4 *");
  pgn.Next();
  pgn.Next();
  if (!pgn.parser.Failed()) return "";
  EXPECT_FALSE(pgn.parser.getNextMatch());
  return pgn.parser.Notes() + pgn.parser.Error();
}

TEST(PGNParserTest, FatalErrorsEndTheReading) {
  EXPECT_EQ(FatalMessage("e4 ] e5"), "Error found in PGNParser::getNextMove...");
  // The messages of an unresolvable move are checked through the real program in CreateBookTest.
  EXPECT_EQ(FatalMessage("e2e3e4"), "watt is datt ?\n");
  // The log's own long form of a pawn move is read.
  EXPECT_EQ(FatalMessage("e2e4 e7e5 Ng1f3 Ng8f6 Bf1c4 Bf8c5 Ke1g1"), "");
  // A promotion names a knight, bishop, rook or queen.
  for (const char* promotion : {"g8", "g8=K"})
    EXPECT_EQ(FatalMessage(std::string("h4 g5 2. hxg5 Nf6 3. g6 e6 4. g7 Be7 5. ") + promotion),
              "Promotion not found\n")
        << promotion;
  // Malformed tokens end the reading with the message, never with a crash.
  for (const char* token :
       {"x", "ex", "=", "e8=", "exd8=", "=Q", "O-O", "e1", "exd9", "a", "Nf3Nc6", "1...e5"})
    EXPECT_TRUE(
        FatalMessage(token).ends_with(">> Fehler in PGNParser::getNextMove MatchNo: 2 MoveNo:1\n"))
        << token;
}

}  // namespace
