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

// Pieces of the terms that other evaluations weigh in their own way. The pawn structure of
// the own pawns without the passed pawns (doubled, isolated, rammed, all eight kept), with the
// light and dark squares and the files for the rooks and bishops; the rooks by the files and
// the row given as their seventh; the bishops by the own pawns on their squares' colour.
PawnScores PawnScoresBesidePassers(Bitboard ownPawns, Bitboard enemyPawns, Color color);
int RookScore(Bitboard rooks, Bitboard seventh, const PawnScores& pawns);
int BishopScore(Bitboard bishops, int ownOnLight, int ownOnDark);

// The score shown to the player: White's rounded evaluation minus Black's, over 200.
double ScoreForWhite(const Board& board);
