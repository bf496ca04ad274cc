// The game that both engine protocols keep: what its search knows of the moves played, and
// the draws it claims.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "protocol/EngineSession.h"
#include "support/TestBoards.h"

namespace {

void Play(EngineSession& game, const std::string& text) {
  Move move;
  ASSERT_TRUE(game.FindMove(text, move)) << text;
  game.Play(move);
}

SearchAnswer Think(EngineSession& game, int depth) {
  SearchRequest request;
  request.options = game.GameOptions();
  SearchOrder order;
  order.depth = depth;
  ApplyOrder(order, request);
  return game.Think(request);
}

// In a won ending, the move that would repeat a position of the game is a draw to the search:
// the engine finds another way on.
TEST(EngineSession, TheSearchAvoidsRepeatingAPositionOfTheGame) {
  EngineSession game("");
  std::string error;
  ASSERT_TRUE(game.SetUp("8/8/8/8/1K6/8/5kp1/3Q4 w - - 0 1", error)) << error;
  const std::string first = CoordinateText(Think(game, 5).move);
  Play(game, first);
  const std::string reply = CoordinateText(Think(game, 5).move);
  Play(game, reply);
  // Both moves back: the position of the start again, and the first move would repeat the
  // position after it.
  Play(game, first.substr(2, 2) + first.substr(0, 2));
  Play(game, reply.substr(2, 2) + reply.substr(0, 2));
  ASSERT_EQ(game.DrawClaim(), "");
  const SearchAnswer again = Think(game, 5);
  EXPECT_NE(CoordinateText(again.move), first);
  ASSERT_FALSE(again.variation.empty());
  EXPECT_TRUE(IsLegalMove(game.Position(), again.move));
}

// The draws of the game's rules, as the engine claims them.
TEST(EngineSession, DrawClaims) {
  EngineSession game("");
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(game.DrawClaim(), "");
    for (const char* move : {"g1f3", "g8f6", "f3g1", "f6g8"}) Play(game, move);
  }
  EXPECT_EQ(game.DrawClaim(), "1/2-1/2 {3-fold repetition}");

  std::string error;
  ASSERT_TRUE(game.SetUp("8/8/4k3/8/8/3BK3/8/8 w - - 0 1", error));
  EXPECT_EQ(game.DrawClaim(), "1/2-1/2 {insufficient material}");
}

// "Strength" names the console game's search (Classic, the default, or Specified, its older
// name) or the full one, in any case; any other text leaves the choice as it was.
TEST(EngineSession, StrengthNames) {
  EngineSession game("");
  EXPECT_FALSE(game.FullStrength());
  const std::tuple<const char*, bool, bool> names[] = {
      {"Full", true, true},       {"classic", true, false},   {"FULL", true, true},
      {"Fast", false, true},      {"Specified", true, false}, {"", false, false},
      {"full", true, true},       {"Ful", false, true},       {"SPECIFIED", true, false},
      {"Classics", false, false}, {"Full ", false, false}};
  for (const auto& [name, taken, full] : names) {
    EXPECT_EQ(game.SetStrength(name), taken) << name;
    EXPECT_EQ(game.FullStrength(), full) << name;
    EXPECT_EQ(game.GameOptions().full, full) << name;
  }
}

}  // namespace
