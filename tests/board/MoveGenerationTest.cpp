#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/TestBoards.h"

namespace {

using Texts = std::vector<std::string>;

// White visits its pieces from h1 towards a8, Black from a8 towards h1: queens (White's along
// the diagonals first, Black's along files and ranks), king, castling, rooks, bishops, knights,
// pawns. A pawn promotes to Q N R B when pushing and to Q N B R when capturing, east side first.
TEST(MoveGeneration, TheFixedOrderOfTheMoves) {
  const struct {
    const char* fen;
    std::size_t size;
    Texts first;  // the whole list when as long as `size`
  } cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
       20,
       {"g1f3", "g1h3", "b1a3", "b1c3", "h2h3", "h2h4", "g2g3", "g2g4", "f2f3", "f2f4",
        "e2e3", "e2e4", "d2d3", "d2d4", "c2c3", "c2c4", "b2b3", "b2b4", "a2a3", "a2a4"}},
      {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
       20,
       {"b8a6", "b8c6", "g8f6", "g8h6", "a7a6", "a7a5", "b7b6"}},
      {"k7/8/8/8/3Q4/8/8/K7 w - - 0 1", 29, {"d4c5"}},
      {"k7/8/8/8/3q4/8/8/7K b - - 0 1", 30, {"d4c4"}},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1",
       26,
       {"e1d2", "e1e2", "e1f2", "e1d1", "e1f1", "e1g1", "e1c1", "h1g1"}},
      {"3r3k/4P3/8/8/8/8/8/K7 w - - 0 1",
       11,
       {"a1a2", "a1b2", "a1b1", "e7e8q", "e7e8n", "e7e8r", "e7e8b", "e7d8q", "e7d8n", "e7d8b",
        "e7d8r"}},
      {"k7/8/8/8/8/8/6p1/K4N1N b - - 0 1",
       15,
       {"a8b8", "a8a7", "a8b7", "g2g1q", "g2g1n", "g2g1r", "g2g1b", "g2h1q", "g2h1n", "g2h1b",
        "g2h1r", "g2f1q", "g2f1n", "g2f1b", "g2f1r"}},
  };
  for (const auto& c : cases) {
    Board board = FromFen(c.fen);
    MoveList list;
    ASSERT_TRUE(list.Generate(board)) << c.fen;
    Texts texts = MoveTexts(list);
    EXPECT_EQ(texts.size(), c.size) << c.fen;
    texts.resize(std::min(texts.size(), c.first.size()));
    EXPECT_EQ(texts, c.first) << c.fen;
  }
}

TEST(MoveGeneration, TheMoveRecordsAndTheCursor) {
  Board board;
  MoveList list;
  ASSERT_TRUE(list.Generate(board));
  EXPECT_EQ(list[0].score + list[0].scoreType + list[0].depth, -3);  // no search has rated it
  ASSERT_TRUE(list.Select(board, At("e2"), At("e4")));
  EXPECT_EQ(list.Current(), &list[11]);
  EXPECT_EQ(list.Find(At("e2"), At("e5")), nullptr);
  EXPECT_EQ(list.Current(), nullptr);
  EXPECT_EQ(list.Cursor(), list.Size());
  Move knight{WN,          NO_PIECE, At("b1"), At("c3"),
              MOVE_NORMAL, 55,       2,        7};  // the score does not matter
  EXPECT_TRUE(list.Contains(knight));
  EXPECT_EQ(list.Cursor(), 3);
  knight.captured = BP;
  EXPECT_FALSE(list.Contains(knight));

  // Positions set up by hand can have more moves than any game position.
  MoveList many;
  for (int i = 0; i < 1000; ++i) many.Add(Move{WQ, NO_PIECE, i % 64, i / 64, MOVE_NORMAL, i});
  MoveList copy = many;
  ASSERT_EQ(copy.Size(), 1000);
  for (int i = 0; i < 1000; ++i) EXPECT_EQ(copy[i].score, i);
  ASSERT_TRUE(copy.Generate(board));
  EXPECT_EQ(copy.Size(), 20);
  copy = many;
  EXPECT_EQ(copy[999].score, 999);
}

TEST(MoveGeneration, HandSetPositionsAndWhyGenerationFails) {
  MoveList list;
  // NONE when the generation succeeds, else why it failed.
  const auto failure = [&](Board board, bool capturesOnly = false) {
    return (capturesOnly ? list.GenerateCaptures(board) : list.Generate(board))
               ? GenerationFailure::NONE
               : list.LastFailure();
  };
  // Pawns on the first or last rank never move.
  Board pawns = FromFen("k7/8/8/8/8/8/8/K7 w - - 0 1");
  for (const auto& [piece, coord] : {std::pair{WP, "c8"}, {WP, "d1"}, {BP, "f1"}})
    pawns.AddPiece(piece, At(coord));
  ASSERT_EQ(failure(pawns), GenerationFailure::NONE);
  EXPECT_EQ(MoveTexts(list), (Texts{"a1a2", "a1b2", "a1b1"}));
  pawns.sideToMove = BLACK;
  ASSERT_EQ(failure(pawns), GenerationFailure::NONE);
  EXPECT_EQ(MoveTexts(list), (Texts{"a8b8", "a8a7", "a8b7"}));

  // A pawn's capture of the king is found once the whole list is made, and the list is kept.
  Board pawn = FromFen("8/8/8/3k4/4P3/8/8/K7 b - - 0 1");
  pawn.sideToMove = WHITE;
  EXPECT_EQ(failure(pawn), GenerationFailure::KING_CAPTURE);
  EXPECT_FALSE(list.Empty());

  Board kingless = FromFen("k7/8/8/8/8/8/8/K7 w - - 0 1");
  kingless.RemovePiece(WK, At("a1"));
  kingless.AddPiece(WN, At("b1"));
  EXPECT_EQ(failure(kingless), GenerationFailure::NO_KING);
  Board stalemate = FromFen("7K/8/8/8/8/8/pp6/k7 b - - 0 1");
  stalemate.AddPiece(BP, At("b1"));
  EXPECT_EQ(failure(stalemate), GenerationFailure::NO_MOVES);
  EXPECT_EQ(failure(Board(), true),
            GenerationFailure::NO_MOVES);  // no capture in the initial position
}

// Castling is generated from the rights and the empty squares; the castling path then makes
// castling out of check and through an attacked square capturable.
TEST(MoveGeneration, CastlingThroughTheCastlingPath) {
  const auto replyFails = [](const char* fen, const char* move) {
    Board board = FromFen(fen);
    Play(board, {move});
    MoveList replies;
    return !replies.Generate(board) && replies.LastFailure() == GenerationFailure::KING_CAPTURE;
  };
  EXPECT_FALSE(replyFails("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1g1"));
  EXPECT_TRUE(replyFails("4r1k1/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1g1"));   // out of check
  EXPECT_TRUE(replyFails("5rk1/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1g1"));    // through f1
  EXPECT_TRUE(replyFails("3r2k1/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1c1"));   // through d1
  EXPECT_FALSE(replyFails("1r4k1/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1c1"));  // b1 may be attacked
}

// The captures-only generation must give exactly the captures of the full generation, in the
// same order, and refuse the same positions.
void ExpectCapturesMatch(Board board) {
  Board forCaptures = board;
  MoveList all, captures;
  const bool full = all.Generate(board);
  const bool some = captures.GenerateCaptures(forCaptures);
  EXPECT_EQ(all.LastFailure() == GenerationFailure::KING_CAPTURE,
            captures.LastFailure() == GenerationFailure::KING_CAPTURE);
  if (!full) return;
  std::vector<Move> expected;
  for (const Move& move : all)
    if (move.Kind() == MOVE_CAPTURE || move.Kind() == MOVE_EN_PASSANT) expected.push_back(move);
  EXPECT_EQ(some, !expected.empty());
  EXPECT_EQ(std::vector<Move>(captures.begin(), captures.end()), expected);
}

TEST(MoveGeneration, CapturesOnlyGenerationAgreesWithFullGeneration) {
  ForEachPosition(FromFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -"), 2,
                  ExpectCapturesMatch);
  ForEachPosition(FromFen("r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1"), 2,
                  ExpectCapturesMatch);
}

}  // namespace
