#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/MoveList.h"
#include "support/TestBoards.h"

namespace {

using Texts = std::vector<std::string>;

TEST(MoveGeneration, InitialPositionInGenerationOrder) {
  Board board;
  MoveList list;
  ASSERT_TRUE(list.Generate(board));
  EXPECT_EQ(MoveTexts(list), (Texts{"g1f3", "g1h3", "b1a3", "b1c3", "h2h3", "h2h4", "g2g3",
                                    "g2g4", "f2f3", "f2f4", "e2e3", "e2e4", "d2d3", "d2d4",
                                    "c2c3", "c2c4", "b2b3", "b2b4", "a2a3", "a2a4"}));
  EXPECT_EQ(list[0], (Move{WN, NO_PIECE, At("g1"), At("f3"), MOVE_NORMAL, -1, -1, -1}));
  EXPECT_EQ(list[0].score + list[0].scoreType + list[0].depth, -3);
  EXPECT_EQ(list.Cursor(), 0);
  EXPECT_FALSE(list.GenerateCaptures(board));
  EXPECT_EQ(list.LastFailure(), GenerationFailure::NO_MOVES);
}

TEST(MoveGeneration, BlackScansUpwardsAndPutsTheQueenFilesFirst) {
  Board board;
  Play(board, "e2", "e4");
  MoveList list;
  ASSERT_TRUE(list.Generate(board));
  const Texts texts = MoveTexts(list);
  ASSERT_EQ(texts.size(), 20u);
  EXPECT_EQ(Texts(texts.begin(), texts.begin() + 6),
            (Texts{"b8a6", "b8c6", "g8f6", "g8h6", "a7a6", "a7a5"}));
  EXPECT_EQ(texts.back(), "h7h5");

  // A lone black queen: files and ranks before diagonals, the reverse of White's order.
  Board queens = FromFen("k7/8/8/8/3q4/8/8/7K b - - 0 1");
  ASSERT_TRUE(list.Generate(queens));
  EXPECT_EQ(MoveTexts(list).front(), "d4c4");
  Board whiteQueen = FromFen("k7/8/8/8/3Q4/8/8/K7 w - - 0 1");
  ASSERT_TRUE(list.Generate(whiteQueen));
  EXPECT_EQ(MoveTexts(list).front(), "d4c5");
}

TEST(MoveGeneration, PromotionsPushAndCaptureInTheirOwnOrders) {
  Board board = FromFen("3r3k/4P3/8/8/8/8/8/K7 w - - 0 1");
  MoveList list;
  ASSERT_TRUE(list.Generate(board));
  std::vector<int> pushes, captures;
  for (const Move& move : list) {
    if (move.from != At("e7")) continue;
    (move.to == At("e8") ? pushes : captures).push_back(move.flags);
    if (move.to == At("d8")) {
      EXPECT_EQ(move.captured, BR);
    }
  }
  EXPECT_EQ(pushes, (std::vector<int>{256, 32, 128, 64}));
  EXPECT_EQ(captures, (std::vector<int>{257, 33, 65, 129}));
}

TEST(MoveGeneration, EnPassantAndEdgeFilePawnCaptures) {
  Board board = FromFen("k7/8/8/Pp6/8/8/8/K7 w - b6 0 2");
  MoveList list;
  ASSERT_TRUE(list.Generate(board));
  const Move* ep = list.Find(At("a5"), At("b6"));
  ASSERT_NE(ep, nullptr);
  EXPECT_EQ(ep->flags, MOVE_EN_PASSANT);
  EXPECT_EQ(ep->captured, BP);
  ASSERT_TRUE(list.GenerateCaptures(board));
  EXPECT_EQ(MoveTexts(list), Texts{"a5b6"});
}

TEST(MoveGeneration, PawnsOnTheFirstOrLastRankNeverMove) {
  Board board = FromFen("k7/8/8/8/8/8/8/K7 w - - 0 1");
  board.AddPiece(WP, At("c8"));
  board.AddPiece(WP, At("d1"));
  board.AddPiece(BP, At("f1"));
  MoveList list;
  ASSERT_TRUE(list.Generate(board));
  for (const Move& move : list) EXPECT_EQ(move.piece, WK);
  board.sideToMove = BLACK;
  ASSERT_TRUE(list.Generate(board));
  for (const Move& move : list) EXPECT_EQ(move.piece, BK);
}

TEST(MoveGeneration, FailsWhenTheEnemyKingCanBeCapturedOrTheOwnKingIsMissing) {
  MoveList list;
  Board rook = FromFen("4k3/8/8/8/8/8/8/K3R3 b - - 0 1");
  rook.sideToMove = WHITE;  // Black has left its king en prise
  EXPECT_FALSE(list.Generate(rook));
  EXPECT_EQ(list.LastFailure(), GenerationFailure::KING_CAPTURE);
  EXPECT_FALSE(list.GenerateCaptures(rook));

  // A pawn's capture of the king is found once the whole list is made.
  Board pawn = FromFen("8/8/8/3k4/4P3/8/8/K7 b - - 0 1");
  pawn.sideToMove = WHITE;
  EXPECT_FALSE(list.Generate(pawn));
  EXPECT_EQ(list.LastFailure(), GenerationFailure::KING_CAPTURE);
  EXPECT_FALSE(list.Empty());

  Board kingless = FromFen("k7/8/8/8/8/8/8/K7 w - - 0 1");
  kingless.RemovePiece(WK, At("a1"));
  kingless.AddPiece(WN, At("b1"));
  EXPECT_FALSE(list.Generate(kingless));
  EXPECT_EQ(list.LastFailure(), GenerationFailure::NO_KING);

  // Stalemated: no move at all.
  Board stalemate = FromFen("7K/8/8/8/8/8/pp6/k7 b - - 0 1");
  stalemate.AddPiece(BP, At("b1"));
  EXPECT_FALSE(list.Generate(stalemate));
  EXPECT_EQ(list.LastFailure(), GenerationFailure::NO_MOVES);
}

// Castling is generated from the rights and the empty squares; the castling path then makes
// castling out of check and through an attacked square capturable.
TEST(MoveGeneration, CastlingThroughTheCastlingPath) {
  const auto replyFails = [](const std::string& fen, const char* to, int kind) {
    Board board = FromFen(fen);
    Play(board, "e1", to, kind);
    MoveList replies;
    return !replies.Generate(board) && replies.LastFailure() == GenerationFailure::KING_CAPTURE;
  };
  EXPECT_FALSE(replyFails("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "g1", MOVE_CASTLE_SHORT));
  EXPECT_TRUE(replyFails("4r1k1/8/8/8/8/8/8/R3K2R w KQ - 0 1", "g1", MOVE_CASTLE_SHORT));  // out of check
  EXPECT_TRUE(replyFails("5rk1/8/8/8/8/8/8/R3K2R w KQ - 0 1", "g1", MOVE_CASTLE_SHORT));   // through f1
  EXPECT_TRUE(replyFails("3r2k1/8/8/8/8/8/8/R3K2R w KQ - 0 1", "c1", MOVE_CASTLE_LONG));   // through d1
  EXPECT_FALSE(replyFails("1r4k1/8/8/8/8/8/8/R3K2R w KQ - 0 1", "c1", MOVE_CASTLE_LONG));  // b1 may be attacked
}

TEST(MoveGeneration, SelectFindAndContainsLeaveTheCursorOnTheMove) {
  Board board;
  MoveList list;
  ASSERT_TRUE(list.Select(board, At("e2"), At("e4")));
  EXPECT_EQ(list.Cursor(), 11);
  EXPECT_EQ(list.Current()->piece, WP);
  EXPECT_EQ(list.Find(At("e2"), At("e5")), nullptr);
  EXPECT_EQ(list.Current(), nullptr);
  EXPECT_EQ(list.Cursor(), list.Size());

  Move knight{WN,          NO_PIECE, At("b1"), At("c3"),
              MOVE_NORMAL, 55,       2,        7};  // the score does not matter
  EXPECT_TRUE(list.Contains(knight));
  EXPECT_EQ(list.Cursor(), 3);
  knight.captured = BP;
  EXPECT_FALSE(list.Contains(knight));
}

TEST(MoveGeneration, ListsGrowPastTheirInlineRoomAndCopy) {
  // Positions set up by hand can have more moves than any game position.
  MoveList list;
  for (int i = 0; i < 1000; ++i) list.Add(Move{WQ, NO_PIECE, i % 64, i / 64, MOVE_NORMAL, i, -1, -1});
  ASSERT_EQ(list.Size(), 1000);
  MoveList copy = list;
  ASSERT_EQ(copy.Size(), 1000);
  for (int i = 0; i < 1000; ++i) EXPECT_EQ(copy[i].score, i);
  Board initial;
  ASSERT_TRUE(copy.Generate(initial));
  EXPECT_EQ(copy.Size(), 20);
  copy = list;
  EXPECT_EQ(copy[999].score, 999);
}

}  // namespace

namespace {

// The captures-only generation must give exactly the captures of the full generation, in the
// same order, and refuse the same positions.
void ExpectCapturesMatch(Board board, int depth) {
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
  if (depth == 0) return;
  for (const Move& move : all) {
    Board next = board;
    next.MakeMove(&move);
    ExpectCapturesMatch(next, depth - 1);
  }
}

TEST(MoveGeneration, CapturesOnlyGenerationAgreesWithFullGeneration) {
  ExpectCapturesMatch(FromFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -"), 2);
  ExpectCapturesMatch(FromFen("r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1"), 2);
}

}  // namespace
