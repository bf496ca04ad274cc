// Per-square destination lists for the king and the knight, and rays for the sliders.
// The order of every list is the order in which moves of that piece are generated.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "board/SquareMask.h"

struct SquareList {
  std::uint8_t count = 0;
  std::uint8_t squares[8] = {};
};

struct Ray {
  std::uint8_t length = 0;       // never 0 for a ray in a RaySet
  std::uint8_t squares[7] = {};  // nearest first
  bool ascending = false;        // whether the square numbers grow along the ray
  std::uint64_t mask = 0;        // all squares of the ray

  // The nearest of the given squares of the ray (there must be one).
  constexpr int Nearest(std::uint64_t squaresOnRay) const {
    return ascending ? std::countr_zero(squaresOnRay) : 63 - std::countl_zero(squaresOnRay);
  }
};

struct RaySet {
  std::uint8_t count = 0;
  Ray rays[4] = {};
};

namespace move_tables_detail {

constexpr int At(const char* coord) { return (coord[0] - 'a') + 8 * ('8' - coord[1]); }

constexpr bool OnBoard(int file, int row) { return file >= 0 && file < 8 && row >= 0 && row < 8; }

// Squares listed by coordinate text, in the order given.
template <std::size_t N>
constexpr SquareList ListOf(const char* const (&coords)[N]) {
  SquareList list;
  for (const char* coord : coords)
    list.squares[list.count++] = static_cast<std::uint8_t>(At(coord));
  return list;
}

constexpr std::array<SquareList, 64> BuildKingMoves() {
  std::array<SquareList, 64> table{};
  for (int s = 0; s < 64; ++s) {
    SquareList& list = table[static_cast<std::size_t>(s)];
    for (int t = 0; t < 64; ++t) {  // ascending square number
      int df = FileOf(t) - FileOf(s), dr = RowOf(t) - RowOf(s);
      if (t != s && df >= -1 && df <= 1 && dr >= -1 && dr <= 1)
        list.squares[list.count++] = static_cast<std::uint8_t>(t);
    }
  }
  table[At("a7")] = ListOf({"a8", "b8", "b7", "b6", "a6"});
  table[At("a6")] = ListOf({"b7", "a7", "b6", "a5", "b5"});
  table[At("a4")] = ListOf({"a5", "b5", "b4", "b3", "a3"});
  return table;
}

constexpr std::array<SquareList, 64> BuildKnightMoves() {
  // Offsets -17, -15, -6, +10, +17, +15, +6, -10 as (file, row) steps.
  constexpr int steps[8][2] = {{-1, -2}, {1, -2}, {2, -1}, {2, 1},
                               {1, 2},   {-1, 2}, {-2, 1}, {-2, -1}};
  std::array<SquareList, 64> table{};
  for (int s = 0; s < 64; ++s) {
    SquareList& list = table[static_cast<std::size_t>(s)];
    for (const auto& step : steps) {
      int file = FileOf(s) + step[0], row = RowOf(s) + step[1];
      if (OnBoard(file, row))
        list.squares[list.count++] = static_cast<std::uint8_t>(file + 8 * row);
    }
  }
  table[At("b8")] = ListOf({"a6", "c6", "d7"});
  table[At("c8")] = ListOf({"a7", "e7", "b6", "d6"});
  table[At("d8")] = ListOf({"b7", "f7", "c6", "e6"});
  table[At("e8")] = ListOf({"c7", "g7", "f6", "d6"});
  table[At("f8")] = ListOf({"d7", "h7", "g6", "e6"});
  table[At("g8")] = ListOf({"e7", "f6", "h6"});
  table[At("h8")] = ListOf({"f7", "g6"});
  table[At("b7")] = ListOf({"d8", "d6", "a5", "c5"});
  table[At("c7")] = ListOf({"a8", "e8", "e6", "d5", "b5", "a6"});
  table[At("d7")] = ListOf({"b8", "f8", "f6", "e5", "c5", "b6"});
  table[At("e7")] = ListOf({"c8", "g8", "g6", "f5", "d5", "c6"});
  table[At("f7")] = ListOf({"d8", "h8", "h6", "g5", "e5", "d6"});
  table[At("h7")] = ListOf({"f8", "f6", "g5"});
  table[At("b3")] = ListOf({"c5", "a5", "d4", "d2", "c1", "a1"});
  table[At("c2")] = ListOf({"a3", "b4", "d4", "e3", "e1", "a1"});
  table[At("d2")] = ListOf({"b3", "c4", "e4", "f3", "f1", "b1"});
  table[At("e2")] = ListOf({"c3", "d4", "f4", "g3", "g1", "c1"});
  table[At("f2")] = ListOf({"d3", "e4", "g4", "h3", "h1", "d1"});
  table[At("g2")] = ListOf({"h4", "e1", "e3", "f4"});
  table[At("h2")] = ListOf({"g4", "f3", "f1"});
  table[At("c1")] = ListOf({"a2", "b3", "d3", "e2"});
  table[At("d1")] = ListOf({"b2", "c3", "e3", "f2"});
  table[At("e1")] = ListOf({"c2", "d3", "f3", "g2"});
  table[At("f1")] = ListOf({"d2", "e3", "g3", "h2"});
  table[At("g1")] = ListOf({"e2", "f3", "h3"});
  table[At("h1")] = ListOf({"f2", "g3"});
  return table;
}

// The ray from s in one direction, walked outwards to the edge.
constexpr Ray RayFrom(int s, int fileStep, int rowStep) {
  Ray ray;
  for (int file = FileOf(s) + fileStep, row = RowOf(s) + rowStep; OnBoard(file, row);
       file += fileStep, row += rowStep) {
    ray.squares[ray.length++] = static_cast<std::uint8_t>(file + 8 * row);
    ray.mask |= std::uint64_t{1} << (file + 8 * row);
  }
  ray.ascending = rowStep > 0 || (rowStep == 0 && fileStep > 0);
  return ray;
}

template <std::size_t N>
constexpr RaySet RaysOf(int s, const int (&directions)[N][2]) {
  RaySet set;
  for (const auto& d : directions) {
    Ray ray = RayFrom(s, d[0], d[1]);
    if (ray.length > 0) set.rays[set.count++] = ray;
  }
  return set;
}

constexpr std::array<RaySet, 64> BuildBishopRays() {
  constexpr int directions[4][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};  // NW, NE, SW, SE
  std::array<RaySet, 64> table{};
  for (int s = 0; s < 64; ++s) table[static_cast<std::size_t>(s)] = RaysOf(s, directions);
  return table;
}

constexpr std::array<RaySet, 64> BuildRookRays() {
  constexpr int directions[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};  // W, E, N, S
  std::array<RaySet, 64> table{};
  for (int s = 0; s < 64; ++s) table[static_cast<std::size_t>(s)] = RaysOf(s, directions);
  constexpr int northSouthEast[3][2] = {{0, -1}, {0, 1}, {1, 0}};
  table[At("a6")] = RaysOf(At("a6"), northSouthEast);
  table[At("a5")] = RaysOf(At("a5"), northSouthEast);
  constexpr int eastSouthNorth[3][2] = {{1, 0}, {0, 1}, {0, -1}};
  table[At("a4")] = RaysOf(At("a4"), eastSouthNorth);
  return table;
}

}  // namespace move_tables_detail

// Built by the compiler, so they exist before any board does and never change.
inline constexpr std::array<SquareList, 64> KingMoves = move_tables_detail::BuildKingMoves();
inline constexpr std::array<SquareList, 64> KnightMoves = move_tables_detail::BuildKnightMoves();
inline constexpr std::array<RaySet, 64> BishopRays = move_tables_detail::BuildBishopRays();
inline constexpr std::array<RaySet, 64> RookRays = move_tables_detail::BuildRookRays();

// The destination squares of the step tables as square sets, to skip a piece with nothing to
// capture without walking its list.
inline constexpr std::array<std::uint64_t, 64> KingMask = [] {
  std::array<std::uint64_t, 64> masks{};
  for (std::size_t s = 0; s < 64; ++s)
    for (int i = 0; i < KingMoves[s].count; ++i)
      masks[s] |= std::uint64_t{1} << KingMoves[s].squares[i];
  return masks;
}();
inline constexpr std::array<std::uint64_t, 64> KnightMask = [] {
  std::array<std::uint64_t, 64> masks{};
  for (std::size_t s = 0; s < 64; ++s)
    for (int i = 0; i < KnightMoves[s].count; ++i)
      masks[s] |= std::uint64_t{1} << KnightMoves[s].squares[i];
  return masks;
}();

// All squares of a square's rays, to skip a slider that sees no enemy piece at all.
inline constexpr std::array<std::uint64_t, 64> BishopMask = [] {
  std::array<std::uint64_t, 64> masks{};
  for (std::size_t s = 0; s < 64; ++s)
    for (int r = 0; r < BishopRays[s].count; ++r) masks[s] |= BishopRays[s].rays[r].mask;
  return masks;
}();
inline constexpr std::array<std::uint64_t, 64> RookMask = [] {
  std::array<std::uint64_t, 64> masks{};
  for (std::size_t s = 0; s < 64; ++s)
    for (int r = 0; r < RookRays[s].count; ++r) masks[s] |= RookRays[s].rays[r].mask;
  return masks;
}();
