// The strong search's static score. Colour-blind: a position scores for its side to move what
// its colour-mirrored twin scores for its own side to move. Both sides' terms of the console
// game's evaluation with the enemy's counted against the own (each weighed as a fit to a strong
// engine's scores suggests, the rooks' seventh row and the passed pawns seen from each side
// alike), the material by values of its own, and the activity terms and threats (Activity.h).
#pragma once

#include "board/Board.h"
#include "search/PawnInfo.h"

// The static score for the side to move, in centipawns. The cache holds this evaluation's own
// pawn scores: it is never shared with the console game's evaluation.
int EvaluateStrong(const Board& board, PawnCache& cache);

// The same score for White, and its terms unweighed, each White's less Black's: for fitting
// the weights (tools/velmora-terms).
struct StrongTerms {
  int scoreForWhite = 0;
  int trade = 0;  // the material term beyond the plain piece values
  int knights = 0;
  int bishops = 0;
  int development = 0;
  int rooks = 0;
  int proximity = 0;
  int structure = 0;
  int activity = 0;
  int threats = 0;
};
StrongTerms StrongTermsOf(const Board& board);
