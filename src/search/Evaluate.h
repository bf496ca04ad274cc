// Static evaluation: seven terms scored from one colour's point of view, in centipawns.
// Only the material term compares both colours; the positional terms score the evaluated
// colour's own pieces and pawns.
#pragma once

#include "board/Board.h"
#include "search/PawnInfo.h"

// Pawn survey, then the seven terms; with roundDown the sum is rounded down to a multiple of 8.
// `info` is scratch and is overwritten.
int Evaluate(const Board& board, Color color, PawnInfo& info, bool roundDown);
// The same score, with the pawn terms taken from the cache when it has them.
int Evaluate(const Board& board, Color color, PawnCache& cache, bool roundDown);

// The score of both colours' terms: the colour's positional terms less the enemy's, and the
// material between them. The full search's view, which sees the enemy's passed pawn or
// undeveloped pieces as it sees its own.
int EvaluateBothSides(const Board& board, Color color, PawnCache& cache);

// Fills `info` for `color` as the own side.
void SurveyPawns(const Board& board, Color color, PawnInfo& info);

// The terms. Those taking a PawnInfo expect it surveyed for the same colour.
int EvaluateKnights(const Board& board, Color color);
int EvaluateBishops(const Board& board, Color color, const PawnInfo& info);
int EvaluateDevelopment(const Board& board, Color color);
int EvaluateRooks(const Board& board, Color color, const PawnInfo& info);
int EvaluateKingProximity(const Board& board, Color color);
int EvaluatePawnStructure(const PawnInfo& info, Color color);
int EvaluateMaterial(const Board& board, Color color);

// The score shown to the player: White's rounded evaluation minus Black's, over 200.
double ScoreForWhite(const Board& board);
