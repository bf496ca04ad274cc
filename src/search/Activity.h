// What the strong search's evaluation knows beyond both sides' terms: how freely the pieces
// move, how well each king is sheltered and how many pieces bear on it, how far the passed
// pawns have come and whether the kings can reach them, the bishop pair, and the king's place
// in the endgame. Each is weighed once for the middle game and once for the endgame, and the
// two are blended by the pieces still on the board.
#pragma once

#include "board/Board.h"

// The activity terms and the threats, each White's less Black's, worked out together.
struct ActivityAndThreats {
  int activity;
  int threats;
};
ActivityAndThreats EvaluateActivityAndThreats(const Board& board);

// The activity terms of White less those of Black, in centipawns.
int EvaluateActivity(const Board& board);

// The threats of White less those of Black, in centipawns: pieces and pawns left hanging,
// pieces attacked by lesser ones, the attack on each king, and the move itself.
int EvaluateThreats(const Board& board);
