// The fixed pseudo-random values behind the two position hashes, indexed by piece * 64 + square.
// Opening book files store keys made with them: changing them makes every book file useless.
#pragma once

#include <array>
#include <cstdint>

#include "board/TableIndex.h"

namespace hash_tables_detail {

// A fixed sequence from a fixed seed, so every build has the same tables.
constexpr std::array<std::uint32_t, 768> Generate(std::uint64_t seed) {
  std::array<std::uint32_t, 768> table{};
  std::uint64_t state = seed;
  for (std::uint32_t& value : table) {
    state += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    value = static_cast<std::uint32_t>(z >> 32);
  }
  return table;
}

}  // namespace hash_tables_detail

inline constexpr std::array<std::uint32_t, 768> HashKeys =
    hash_tables_detail::Generate(0x56454C4D4F524131ULL);
inline constexpr std::array<std::uint32_t, 768> HashLocks =
    hash_tables_detail::Generate(0x56454C4D4F524132ULL);

// The values of a piece (0..11) on a square.
inline std::uint32_t HashKeyOf(int piece, int square) {
  return HashKeys[PieceSquareIndex(piece, square)];
}
inline std::uint32_t HashLockOf(int piece, int square) {
  return HashLocks[PieceSquareIndex(piece, square)];
}
