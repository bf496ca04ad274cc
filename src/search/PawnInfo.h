// Evaluation scratch: what the pawn survey learns about both colours' pawns, seen from the
// colour being evaluated ("own") and its opponent ("enemy"). Overwritten by every evaluation.
// And the pawn cache: what the evaluation needs of a survey, remembered by the pawn sets.
#pragma once

#include <cstdint>
#include <memory>

#include "board/SquareMask.h"

struct PawnInfo {
  std::int32_t ownOnFile[8]{};    // own pawns per file
  std::int32_t ownOnLight{};      // own pawns on light squares (row and file of equal parity)
  std::int32_t ownOnDark{};       // own pawns on dark squares
  std::int32_t ownTotal{};        // own pawns
  std::int32_t ownRams{};         // own pawns blocked by an enemy pawn directly in front
  std::int32_t ownFront[8]{};     // per file: square of the most advanced own pawn
  std::int32_t enemyOnFile[8]{};  // enemy pawns per file
  std::int32_t enemyRear[8]{};    // per file: square of the enemy pawn nearest the enemy's home
};

// The part of the evaluation that depends on the pawns alone, for one evaluated colour.
struct PawnScores {
  std::int16_t structure = 0;      // the pawn structure term (a few hundred at most)
  std::int8_t onLight = 0;         // own pawns on light squares, for the bishops
  std::int8_t onDark = 0;          // own pawns on dark squares
  std::uint8_t openFiles = 0;      // bit f: file f holds no pawn (a rook there earns the most)
  std::uint8_t halfOpenFiles = 0;  // bit f: file f holds enemy pawns but no own pawn
};

// PawnScores by the squares that answer as own and enemy pawns and the evaluated colour.
// A pure function of its key, so it is never cleared.
class PawnCache {
 public:
  // 32 bytes, aligned so that no entry spans two cache lines.
  struct alignas(32) Entry {
    Bitboard own = 0;
    Bitboard enemy = 0;
    PawnScores scores;
    std::int8_t color = -1;  // -1: empty
  };
  static_assert(sizeof(Entry) == 32);

  PawnCache() : entries_(std::make_unique<Entry[]>(SIZE)) {}

  // The slot for the key; it holds the key's scores when its fields equal the key.
  Entry& SlotFor(Bitboard own, Bitboard enemy, int color) {
    // The high bits of a product depend on every bit of the factors.
    const std::uint64_t mixed = own * 0x9E3779B97F4A7C15ULL + enemy * 0xC2B2AE3D27D4EB4FULL +
                                static_cast<std::uint64_t>(color) * 0x165667B19E3779F9ULL;
    return entries_[static_cast<std::size_t>(mixed >> (64 - INDEX_BITS))];
  }

 private:
  static constexpr int INDEX_BITS = 13;
  static constexpr std::size_t SIZE = std::size_t{1} << INDEX_BITS;
  std::unique_ptr<Entry[]> entries_;
};
