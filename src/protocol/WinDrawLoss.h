// What a score means for the game's result, as a front end shows it (UCI_ShowWDL).
#pragma once

struct WinDrawLoss {
  int win = 0, draw = 0, loss = 0;  // per mille, summing to 1000
  bool operator==(const WinDrawLoss&) const = default;
};

// The chances of the side to move with this score (centipawns, or a mate in `mateMoves`,
// negative when mated, 0 for none): the win rises along a logistic curve, an even chance a pawn
// above an even score; the loss mirrors it, and the draw takes the rest. A mate is a sure
// result.
WinDrawLoss WinDrawLossOf(int centipawns, int mateMoves);
