#include "search/StrongEvaluate.h"

#include <algorithm>
#include <bit>

#include "board/Exchange.h"
#include "board/PawnSpans.h"
#include "search/Evaluate.h"

namespace {

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

// One colour's terms of the console game's evaluation.
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

// The pawns' shapes of one colour, counted into shapes[FEATURE_ISOLATED ...] with the sign.
void AddPawnShapes(const Board& board, Color color, int sign, int* shapes) {
  const Bitboard own = board.bitboards[WP + color];
  const Bitboard enemy = board.bitboards[WP + (color ^ 1)];
  const Bitboard enemyAttacks = PawnAttacks(enemy, color ^ 1);
  int isolated = 0, doubled = 0, backward = 0, passed[6] = {};
  for (Bitboard rest = own; rest; rest &= rest - 1) {
    const Square square = LowestSquare(rest);
    const int file = FileOf(square);
    const Bitboard neighbours =
        (file > 0 ? FileMask(file - 1) : 0) | (file < 7 ? FileMask(file + 1) : 0);
    const bool ahead = (PAWN_SPANS.ahead[color][square] & own) != 0;
    doubled += ahead;
    if (!(own & neighbours)) {
      isolated += 1;
    } else if (!(own & neighbours & ~PAWN_SPANS.passed[color][square])) {
      // Every neighbour is further on: none can come to defend it.
      const Square front = square + (color == WHITE ? -8 : 8);
      if (front >= 0 && front < 64 && (enemyAttacks & MaskOf(front))) backward += 1;
    }
    const int rank = RankFor(color, square);
    if (!ahead && rank >= 1 && rank <= 6 && IsPassedPawn(color, square, enemy))
      passed[rank - 1] += 1;
  }
  const Bitboard beside = ((own << 1) & ~FILE_A) | ((own >> 1) & ~FILE_H);
  shapes[0] += sign * isolated;
  shapes[1] += sign * doubled;
  shapes[2] += sign * backward;
  shapes[3] += sign * std::popcount(own & PawnAttacks(own, color));
  shapes[4] += sign * std::popcount(own & beside);
  for (int rank = 0; rank < 6; ++rank) shapes[5 + rank] += sign * passed[rank];
}

// A piece's square seen from its own side, the files folded onto the queen's half.
int FoldedSquare(Color color, Square square) {
  const int file = FileOf(square);
  return RankFor(color, square) * 4 + std::min(file, 7 - file);
}

// Hands the features but the pieces' to the sink, White's less Black's: sink(index, value).
template <class Sink>
void VisitTerms(const Board& board, const PawnScores& whitePawns, const PawnScores& blackPawns,
                Sink&& sink) {
  const SideTerms white = TermsOf(board, WHITE, whitePawns);
  const SideTerms black = TermsOf(board, BLACK, blackPawns);
  sink(FEATURE_KNIGHTS, white.knights - black.knights);
  sink(FEATURE_BISHOPS, white.bishops - black.bishops);
  sink(FEATURE_DEVELOPMENT, white.development - black.development);
  sink(FEATURE_ROOKS, white.rooks - black.rooks);
  sink(FEATURE_PROXIMITY, white.proximity - black.proximity);
  sink(FEATURE_STRUCTURE, white.structure - black.structure);
  sink(FEATURE_TRADE,
       EvaluateMaterial(board, WHITE) - (board.material[WHITE] - board.material[BLACK]));
  const std::array<int, ACTIVITY_FEATURES> activity = ActivityFeatures(board);
  for (int i = 0; i < ACTIVITY_FEATURES; ++i)
    sink(FEATURE_ACTIVITY + i, activity[static_cast<std::size_t>(i)]);
  int shapes[FEATURE_PIECES - FEATURE_ISOLATED] = {};
  AddPawnShapes(board, WHITE, 1, shapes);
  AddPawnShapes(board, BLACK, -1, shapes);
  for (int i = 0; i < FEATURE_PIECES - FEATURE_ISOLATED; ++i) sink(FEATURE_ISOLATED + i, shapes[i]);
}

// Hands every feature of the position to the sink.
template <class Sink>
void VisitFeatures(const Board& board, const PawnScores& whitePawns, const PawnScores& blackPawns,
                   Sink&& sink) {
  VisitTerms(board, whitePawns, blackPawns, sink);
  for (int kind = 0; kind < 6; ++kind) {
    const Bitboard whites = board.bitboards[2 * kind + WHITE];
    const Bitboard blacks = board.bitboards[2 * kind + BLACK];
    if (kind < 5) sink(FEATURE_PIECES + kind, std::popcount(whites) - std::popcount(blacks));
    const int base = FEATURE_SQUARES + 32 * kind;
    for (Bitboard set = whites; set; set &= set - 1)
      sink(base + FoldedSquare(WHITE, LowestSquare(set)), 1);
    for (Bitboard set = blacks; set; set &= set - 1)
      sink(base + FoldedSquare(BLACK, LowestSquare(set)), -1);
  }
}

// The blend of the two sums, in centipawns. Each division rounds toward zero, so that a
// position and its mirror image score alike.
int Blend(std::int32_t middle, std::int32_t end, int phase) {
  return (middle * phase + end * (PHASE_FULL - phase)) / (PHASE_FULL * 16);
}

constexpr const char* TERM_NAMES[FEATURE_SQUARES] = {"knights",
                                                     "bishops",
                                                     "development",
                                                     "rooks",
                                                     "proximity",
                                                     "structure",
                                                     "trade",
                                                     "knight mobility",
                                                     "bishop mobility",
                                                     "rook mobility",
                                                     "queen mobility",
                                                     "king attack",
                                                     "bishop pair",
                                                     "king centre",
                                                     "shelter near",
                                                     "shelter far",
                                                     "shelter open file",
                                                     "passed ranks middle",
                                                     "passed ranks end",
                                                     "hanging",
                                                     "hanging not to move",
                                                     "by pawn not to move",
                                                     "by lesser",
                                                     "king attackers",
                                                     "safe checks",
                                                     "tempo",
                                                     "knight cramped",
                                                     "bishop cramped",
                                                     "rook cramped",
                                                     "queen cramped",
                                                     "knight outpost",
                                                     "bishop outpost",
                                                     "passed free",
                                                     "passed defended",
                                                     "passed unstoppable",
                                                     "pawn storm",
                                                     "knight checks",
                                                     "bishop checks",
                                                     "rook checks",
                                                     "king zone weak",
                                                     "space",
                                                     "pawn push threats",
                                                     "knights by pawns",
                                                     "rooks by pawns",
                                                     "rook behind passed",
                                                     "minor behind pawn",
                                                     "isolated",
                                                     "doubled",
                                                     "backward",
                                                     "defended",
                                                     "phalanx",
                                                     "passed 2nd",
                                                     "passed 3rd",
                                                     "passed 4th",
                                                     "passed 5th",
                                                     "passed 6th",
                                                     "passed 7th",
                                                     "pawn",
                                                     "knight",
                                                     "bishop",
                                                     "rook",
                                                     "queen"};

}  // namespace

int EvaluateStrong(const Board& board, PawnCache& cache) {
  // The pieces' weights by kind and square come from one table, the rest feature by feature.
  static const auto squares = [] {
    std::array<std::array<StrongWeight, 64>, 12> table{};
    for (int piece = WP; piece <= BK; ++piece) {
      const int kind = piece / 2;
      const Color color = piece % 2 == 0 ? WHITE : BLACK;
      for (Square square = 0; square < 64; ++square) {
        const int at = FEATURE_SQUARES + 32 * kind + FoldedSquare(color, square);
        StrongWeight weight = STRONG_WEIGHTS[static_cast<std::size_t>(at)];
        if (kind < 5) {
          weight.middle += STRONG_WEIGHTS[static_cast<std::size_t>(FEATURE_PIECES + kind)].middle;
          weight.end += STRONG_WEIGHTS[static_cast<std::size_t>(FEATURE_PIECES + kind)].end;
        }
        table[static_cast<std::size_t>(piece)][static_cast<std::size_t>(square)] = weight;
      }
    }
    return table;
  }();
  std::int32_t middle = 0, end = 0;
  VisitTerms(board, CachedPawnScores(cache, board, WHITE), CachedPawnScores(cache, board, BLACK),
             [&](int index, int value) {
               const StrongWeight& weight = STRONG_WEIGHTS[static_cast<std::size_t>(index)];
               middle += weight.middle * value;
               end += weight.end * value;
             });
  for (int piece = WP; piece <= BK; ++piece) {
    const auto& table = squares[static_cast<std::size_t>(piece)];
    const int sign = piece % 2 == 0 ? 1 : -1;
    for (Bitboard set = board.bitboards[piece]; set; set &= set - 1) {
      const StrongWeight& weight = table[static_cast<std::size_t>(LowestSquare(set))];
      middle += sign * weight.middle;
      end += sign * weight.end;
    }
  }
  const int score = Blend(middle, end, GamePhase(board));
  return board.sideToMove == WHITE ? score : -score;
}

StrongFeatures StrongFeaturesOf(const Board& board) {
  const Bitboard pawns[2] = {board.bitboards[WP], board.bitboards[BP]};
  StrongFeatures features;
  features.phase = GamePhase(board);
  VisitFeatures(board, StrongPawnScores(pawns[WHITE], pawns[BLACK], WHITE),
                StrongPawnScores(pawns[BLACK], pawns[WHITE], BLACK), [&](int index, int value) {
                  if (value == 0) return;
                  features.entries[static_cast<std::size_t>(features.count++)] = {
                      static_cast<std::int16_t>(index), static_cast<std::int16_t>(value)};
                });
  return features;
}

int StrongScoreForWhite(const StrongFeatures& features, const StrongWeights& weights) {
  std::int32_t middle = 0, end = 0;
  for (int i = 0; i < features.count; ++i) {
    const StrongFeatures::Entry& entry = features.entries[static_cast<std::size_t>(i)];
    const StrongWeight& weight = weights[static_cast<std::size_t>(entry.index)];
    middle += weight.middle * entry.value;
    end += weight.end * entry.value;
  }
  return Blend(middle, end, features.phase);
}

const char* StrongFeatureName(int index) {
  if (index < FEATURE_SQUARES) return TERM_NAMES[index];
  static constexpr const char* KINDS[6] = {"P", "N", "B", "R", "Q", "K"};
  return KINDS[(index - FEATURE_SQUARES) / 32];
}
