#include "search/StrongEvaluate.h"

#include <bit>

#include "board/PawnSpans.h"
#include "search/Activity.h"
#include "search/Evaluate.h"

namespace {

// The weights of the terms, in quarters. Measured against a strong engine's scores of
// positions from the strong search's own games, the development term counts for far less than
// in the console game's single side's view, and the rooks and the pieces' distances to the
// enemy king for more. The pawn structure, with both colours' passed pawns weighed alike,
// counts as in the console game: at twice that, the strong engine's scores said it weighed
// too much, and a match agreed.
constexpr int QUARTERS_KNIGHTS = 4;
constexpr int QUARTERS_DEVELOPMENT = 1;
constexpr int QUARTERS_KING_PROXIMITY = 12;
constexpr int QUARTERS_BISHOPS = 4;
constexpr int QUARTERS_ROOKS = 8;
constexpr int QUARTERS_STRUCTURE = 4;

// The material, measured the same way: pawns, knights, bishops, rooks and queens by these
// values, and the console game's share for trading down when ahead at seven tenths.
constexpr int PIECE_VALUES[5] = {70, 315, 330, 450, 880};
constexpr int TRADE_TENTHS = 7;

// The own pawns' structure with the passed pawns: the front pawn of a file with no enemy pawn
// in front of it on its own or a neighbouring file earns the square of its rank counted from
// its own side, the second rank being 2.
PawnScores StrongPawnScores(Bitboard own, Bitboard enemy, Color color) {
  PawnScores scores = PawnScoresBesidePassers(own, enemy, color);
  int structure = scores.structure;
  for (int file = 0; file < 8; ++file) {
    const Bitboard onFile = own & FileMask(file);
    if (!onFile) continue;
    const Square front = FrontPawn(color, onFile);
    if (!IsPassedPawn(color, front, enemy)) continue;
    const int rank = RankFor(color, front);
    structure += (rank + 1) * (rank + 1);
  }
  scores.structure = static_cast<std::int16_t>(structure);
  return scores;
}

const PawnScores& CachedPawnScores(PawnCache& cache, const Board& board, Color color) {
  const Bitboard own = board.bitboards[WP + color];
  const Bitboard enemy = board.bitboards[WP + (color ^ 1)];
  PawnCache::Entry& entry = cache.SlotFor(own, enemy, color);
  if (entry.own != own || entry.enemy != enemy || entry.color != color)
    entry = PawnCache::Entry{own, enemy, StrongPawnScores(own, enemy, color),
                             static_cast<std::int8_t>(color)};
  return entry.scores;
}

// One colour's terms but the material and activity, unweighed.
struct SideTerms {
  int knights, bishops, development, rooks, proximity, structure;
};
SideTerms TermsOf(const Board& board, Color color, const PawnScores& pawns) {
  const Bitboard seventh = color == WHITE ? RANK_7 : RANK_2;
  return {EvaluateKnights(board, color),
          BishopScore(board.bitboards[WB + color], pawns.onLight, pawns.onDark),
          EvaluateDevelopment(board, color),
          RookScore(board.bitboards[WR + color], seventh, pawns),
          EvaluateKingProximity(board, color),
          pawns.structure};
}

int Quarters(const SideTerms& terms) {
  return QUARTERS_KNIGHTS * terms.knights + QUARTERS_DEVELOPMENT * terms.development +
         QUARTERS_KING_PROXIMITY * terms.proximity + QUARTERS_BISHOPS * terms.bishops +
         QUARTERS_ROOKS * terms.rooks + QUARTERS_STRUCTURE * terms.structure;
}

// The material term beyond the plain piece values, for White.
int Trade(const Board& board) {
  return EvaluateMaterial(board, WHITE) - (board.material[WHITE] - board.material[BLACK]);
}

int Material(const Board& board) {
  int sum = Trade(board) * TRADE_TENTHS / 10;
  for (int kind = 0; kind < 5; ++kind)
    sum += PIECE_VALUES[kind] * (std::popcount(board.bitboards[2 * kind + WHITE]) -
                                 std::popcount(board.bitboards[2 * kind + BLACK]));
  return sum;
}

int ScoreForWhite(const Board& board, const SideTerms& white, const SideTerms& black) {
  // Rounded toward zero, so that a position and its mirror image score alike.
  const int positional = (Quarters(white) - Quarters(black)) / 4;
  // Measured like the weights of the terms above, the activity terms count twice.
  const ActivityAndThreats more = EvaluateActivityAndThreats(board);
  return positional + Material(board) + 2 * more.activity + more.threats;
}

}  // namespace

int EvaluateStrong(const Board& board, PawnCache& cache) {
  const SideTerms white = TermsOf(board, WHITE, CachedPawnScores(cache, board, WHITE));
  const SideTerms black = TermsOf(board, BLACK, CachedPawnScores(cache, board, BLACK));
  const int score = ScoreForWhite(board, white, black);
  return board.sideToMove == WHITE ? score : -score;
}

StrongTerms StrongTermsOf(const Board& board) {
  const Bitboard pawns[2] = {board.bitboards[WP], board.bitboards[BP]};
  const SideTerms white =
      TermsOf(board, WHITE, StrongPawnScores(pawns[WHITE], pawns[BLACK], WHITE));
  const SideTerms black =
      TermsOf(board, BLACK, StrongPawnScores(pawns[BLACK], pawns[WHITE], BLACK));
  StrongTerms terms;
  terms.scoreForWhite = ScoreForWhite(board, white, black);
  terms.trade = Trade(board);
  terms.knights = white.knights - black.knights;
  terms.bishops = white.bishops - black.bishops;
  terms.development = white.development - black.development;
  terms.rooks = white.rooks - black.rooks;
  terms.proximity = white.proximity - black.proximity;
  terms.structure = white.structure - black.structure;
  terms.activity = EvaluateActivity(board);
  terms.threats = EvaluateThreats(board);
  return terms;
}
