// Evaluation scratch: what the pawn survey learns about both colours' pawns, seen from the
// colour being evaluated ("own") and its opponent ("enemy"). Overwritten by every evaluation.
#pragma once

#include <cstdint>

struct PawnInfo {
  std::int32_t ownOnFile[8]{};    // own pawns per file
  std::int32_t ownOnLight{};      // own pawns on light squares (row and file of equal parity)
  std::int32_t ownOnDark{};       // own pawns on dark squares
  std::int32_t ownTotal{};        // own pawns
  std::int32_t ownRams{};         // own pawns blocked by an enemy pawn directly in front
  std::int32_t ownFront[8]{};     // per file: square of the most advanced own pawn
  std::int32_t unusedFront[8]{};  // per file: reset by the survey, never filled
  std::int32_t enemyOnFile[8]{};  // enemy pawns per file
  std::int32_t enemyRear[8]{};    // per file: square of the enemy pawn nearest the enemy's home
};
