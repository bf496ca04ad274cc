// Generating and making moves: the fixed order of the generated moves (the search's node counts
// depend on it), the move list, hand-set positions, the captures-only generation, and the sets,
// counts and keys that every kind of move keeps in step. Legality is checked by the perft counts.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <tuple>
#include <utility>

#include "board/Attacks.h"
#include "support/TestBoards.h"

namespace {

// The moves of the list as "g1f3 g1h3 ...", at most `count` of them.
std::string Listed(const MoveList& list, std::size_t count = 1000) {
  const std::vector<std::string> moves = MoveTexts(list);
  std::string text;
  for (std::size_t i = 0; i < std::min(count, moves.size()); ++i) text += (i ? " " : "") + moves[i];
  return text;
}

// White visits its pieces from h1 towards a8, Black from a8 towards h1: queens (White's along
// the diagonals first, Black's along files and ranks), king, castling, rooks, bishops, knights,
// pawns. A pawn promotes to Q N R B when pushing and to Q N B R when capturing, east side first.
TEST(MoveGeneration, TheFixedOrderOfTheMoves) {
  const struct {
    const char* fen;
    int size;
    const char* first;
  } cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 20,
       "g1f3 g1h3 b1a3 b1c3 h2h3 h2h4 g2g3 g2g4 f2f3 f2f4 e2e3 e2e4 d2d3 d2d4 c2c3 c2c4 b2b3 "
       "b2b4 a2a3 a2a4"},
      {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", 20,
       "b8a6 b8c6 g8f6 g8h6 a7a6 a7a5 b7b6"},
      {"k7/8/8/8/3Q4/8/8/K7 w - - 0 1", 29, "d4c5"},
      {"k7/8/8/8/3q4/8/8/7K b - - 0 1", 30, "d4c4"},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", 26, "e1d2 e1e2 e1f2 e1d1 e1f1 e1g1 e1c1 h1g1"},
      {"3r3k/4P3/8/8/8/8/8/K7 w - - 0 1", 11,
       "a1a2 a1b2 a1b1 e7e8q e7e8n e7e8r e7e8b e7d8q e7d8n e7d8b e7d8r"},
      {"k7/8/8/8/8/8/6p1/K4N1N b - - 0 1", 15,
       "a8b8 a8a7 a8b7 g2g1q g2g1n g2g1r g2g1b g2h1q g2h1n g2h1b g2h1r g2f1q g2f1n g2f1b g2f1r"},
  };
  for (const auto& c : cases) {
    Board board = FromFen(c.fen);
    MoveList list;
    ASSERT_TRUE(list.Generate(board)) << c.fen;
    EXPECT_EQ(list.Size(), c.size) << c.fen;
    const std::string first = c.first;
    EXPECT_EQ(Listed(list, std::count(first.begin(), first.end(), ' ') + 1u), first) << c.fen;
  }
}

// Positions set up by hand can have more moves than any game position; a list copied or
// generated again holds exactly its own moves.
TEST(MoveGeneration, TheListHoldsAnyNumberOfMoves) {
  MoveList many;
  for (int i = 0; i < 1000; ++i) many.Add(Move{WQ, NO_PIECE, i % 64, i / 64, MOVE_NORMAL, i});
  MoveList copy = many;
  ASSERT_EQ(copy.Size(), 1000);
  EXPECT_EQ(copy[999].score, 999);
  Board board;
  ASSERT_TRUE(copy.Generate(board));
  EXPECT_EQ(copy.Size(), 20);
  EXPECT_EQ(copy[0].score + copy[0].scoreType + copy[0].depth, -3);  // no search has rated it
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
  EXPECT_EQ(Listed(list), "a1a2 a1b2 a1b1");
  pawns.sideToMove = BLACK;
  ASSERT_EQ(failure(pawns), GenerationFailure::NONE);
  EXPECT_EQ(Listed(list), "a8b8 a8a7 a8b7");

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
  EXPECT_EQ(failure(Board(), true), GenerationFailure::NO_MOVES);  // no capture at the start
}

// The captures-only generation gives exactly the captures of the full generation, in the same
// order, and refuses the same positions.
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
  for (const char* fen : {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
                          "r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1"})
    ForEachPosition(FromFen(fen), 2, ExpectCapturesMatch);
}

// The colour sets are the unions of the piece sets, and material and pawn counts agree (a
// castling path still on the board adds king squares, not kings).
void ExpectConsistent(const Board& board) {
  for (Color c : {WHITE, BLACK}) {
    Bitboard all = 0;
    int material = 0;
    for (int piece = c; piece <= BK; piece += 2) {
      all |= board.bitboards[piece];
      const Bitboard pieces =
          piece == WK + c ? board.bitboards[piece] & ~board.castlePath[c] : board.bitboards[piece];
      material += std::popcount(pieces) * PieceValue[piece];
    }
    ASSERT_EQ(board.bitboards[ALL_WHITE + c], all);
    ASSERT_EQ(board.material[c], material);
    ASSERT_EQ(board.pawnCount[c], std::popcount(board.bitboards[WP + c]));
  }
}

// Captures, promotions (also capturing ones), en passant and castling keep every set and count.
TEST(MakeMove, SetsAndCountsStayInStepAfterEveryKindOfMove) {
  ForEachPosition(FromFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -"), 2,
                  ExpectConsistent);
  ForEachPosition(FromFen("n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1"), 2, ExpectConsistent);
  int color = 5;  // the query of an empty square
  EXPECT_EQ(Board().PieceAt(At("e4"), &color), NO_PIECE);
  EXPECT_EQ(color, -1);
}

// A stalemate, a resignation and a mate are moves too: they end the game on the board.
TEST(MakeMove, TheMovesThatEndAGame) {
  const Board board = FromFen("r3k2r/8/8/8/3pP3/8/8/R3K2R b KQkq e3 0 1");
  Board after = board;
  Move end{BK, NO_PIECE, -1, -1, MOVE_STALEMATE};
  EXPECT_TRUE(after.MakeMove(&end));
  EXPECT_TRUE(SamePosition(after, board));

  // Moves no piece, but counts as the king's move: Black's rights go, White's stay.
  end.flags = MOVE_RESIGN;
  EXPECT_TRUE(after.MakeMove(&end));
  EXPECT_EQ(std::tuple(after.sideToMove, after.moveNumber, after.enPassant),
            std::tuple(WHITE, board.moveNumber + 1, Bitboard{0}));
  EXPECT_EQ(std::vector<bool>(after.castleRights, after.castleRights + 4),
            (std::vector<bool>{true, false, true, false}));
  EXPECT_EQ(std::memcmp(after.bitboards, board.bitboards, sizeof board.bitboards), 0);

  Board mated = FromFen("6k1/5ppp/8/8/8/8/8/3RK3 w - - 0 1");
  Move mate = GeneratedMove(mated, "d1d8");
  mate.flags = MOVE_CHECKMATE;
  EXPECT_TRUE(mated.MakeMove(&mate));
  // The game is over: no side change, no counters.
  EXPECT_EQ(std::tuple(mated.bitboards[WR], mated.sideToMove, mated.moveNumber),
            std::tuple(MaskOf(At("d8")), WHITE, 1));
  EXPECT_FALSE(mated.MakeMove(nullptr));
}

// The keys ignore the side to move, the rights and en passant; two move orders reach one key.
TEST(MakeMove, HashValuesDependOnThePlacementOnly) {
  const Board white = FromFen("r3k2r/8/8/8/3pP3/8/8/4K3 w kq - 0 1");
  const Board black = FromFen("r3k2r/8/8/8/3pP3/8/8/4K3 b - e3 0 1");
  EXPECT_EQ(std::pair(white.HashKey(), white.HashLock()),
            std::pair(black.HashKey(), black.HashLock()));
  Board a, b;
  Play(a, {"g1f3", "g8f6", "b1c3"});
  Play(b, {"b1c3", "g8f6", "g1f3"});
  std::int64_t key = 0;
  std::uint32_t lock = 0;
  a.Hashes(key, lock);
  EXPECT_EQ(std::pair(key, lock), std::pair(b.HashKey(), b.HashLock()));
  EXPECT_NE(a.HashKey(), Board().HashKey());
}

// The sanitizer build catches an off-board square even where the flat table of a piece's
// values would hand out another piece's value.
TEST(MakeMoveDeathTest, AnOffBoardSquareIntoATableIsCaughtInTheSanitizerBuild) {
  if (!CHECKED_TABLE_INDICES) GTEST_SKIP() << "only the sanitizer build checks table indices";
  EXPECT_DEATH(HashKeyOf(WP, 64), "table index 64 outside 0..63");
  EXPECT_DEATH(Between(-1, 3), "table index -1 outside 0..63");
}

}  // namespace
