#include "protocol/WinDrawLoss.h"

#include <cmath>

namespace {

// The win is an even chance this far above an even score; its odds grow by a factor of e every
// SPREAD centipawns.
constexpr double DRAW_BAND = 100;
constexpr double SPREAD = 60;

int WinPerMille(double centipawns) {
  return static_cast<int>(std::lround(1000 / (1 + std::exp((DRAW_BAND - centipawns) / SPREAD))));
}

}  // namespace

WinDrawLoss WinDrawLossOf(int centipawns, int mateMoves) {
  if (mateMoves > 0) return {1000, 0, 0};
  if (mateMoves < 0) return {0, 0, 1000};
  // Win and loss together stay below 1000, rounded too: the draw band keeps them apart.
  const int win = WinPerMille(centipawns);
  const int loss = WinPerMille(-static_cast<double>(centipawns));
  return {win, 1000 - win - loss, loss};
}
