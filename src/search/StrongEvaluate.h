// The strong search's static score. Colour-blind: a position scores for its side to move what
// its colour-mirrored twin scores for its own side to move. It is a sum of features, each
// White's less Black's: both sides' terms of the console game's evaluation (the rooks' seventh
// row and the passed pawns seen from each side alike), the activity terms and threats
// (Activity.h), the pawns' shapes, the pieces by kind, and each piece by its square seen from its
// own side (the files folded onto the queen's half). Each feature has a middle-game and an endgame
// weight, fitted to a strong engine's scores of quiet positions (tools/fit-terms), and the two sums
// are blended by the pieces still on the board.
#pragma once

#include <array>
#include <cstdint>

#include "board/Board.h"
#include "search/Activity.h"
#include "search/PawnInfo.h"

// The static score for the side to move, in centipawns. The cache holds this evaluation's own
// pawn scores: it is never shared with the console game's evaluation.
int EvaluateStrong(const Board& board, PawnCache& cache);

// The features, by index: the terms, then the pieces by kind, then the piece-square features
// (per kind pawn to king, 32 squares: four files from the a-file inwards, by rank from the own
// side).
enum StrongFeatureIndex : int {
  FEATURE_KNIGHTS,
  FEATURE_BISHOPS,
  FEATURE_DEVELOPMENT,
  FEATURE_ROOKS,
  FEATURE_PROXIMITY,
  FEATURE_STRUCTURE,
  FEATURE_TRADE,     // the material term beyond the plain piece values
  FEATURE_ACTIVITY,  // the activity features and threats (Activity.h)
  // The pawns' shapes: isolated, doubled (behind another on the file), backward (no pawn
  // beside or behind on the neighbouring files, and the square in front attacked by an enemy
  // pawn), defended by a pawn, beside a pawn on the same rank; and passed pawns at the front of
  // their files by their ranks from the own side's second (1) to its seventh (6).
  FEATURE_ISOLATED = FEATURE_ACTIVITY + ACTIVITY_FEATURES,
  FEATURE_DOUBLED,
  FEATURE_BACKWARD,
  FEATURE_DEFENDED,
  FEATURE_PHALANX,
  FEATURE_PASSED,
  FEATURE_PIECES = FEATURE_PASSED + 6,
  FEATURE_SQUARES = FEATURE_PIECES + 5,
  STRONG_FEATURES = FEATURE_SQUARES + 6 * 32
};

// A feature's weights, in sixteenths of a centipawn.
struct StrongWeight {
  std::int32_t middle;
  std::int32_t end;
};
using StrongWeights = std::array<StrongWeight, STRONG_FEATURES>;
extern const StrongWeights STRONG_WEIGHTS;

// A position's features that are not zero, and its phase (Activity.h): for fitting the
// weights (tools/velmora-fit).
struct StrongFeatures {
  int phase = 0;
  int count = 0;
  struct Entry {
    std::int16_t index;
    std::int16_t value;
  };
  std::array<Entry, FEATURE_SQUARES + 64> entries{};  // a FEN may hold 64 pieces
};
StrongFeatures StrongFeaturesOf(const Board& board);

// The score for White by the given weights, from the features.
int StrongScoreForWhite(const StrongFeatures& features, const StrongWeights& weights);

// A feature's name, as the fitting tool writes it.
const char* StrongFeatureName(int index);
