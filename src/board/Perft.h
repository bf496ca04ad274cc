// Counting the leaves of the legal move tree: the check of move generation and making moves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board/Board.h"
#include "board/Move.h"

// A move is legal when, made on a copy, the opponent cannot capture the mover's king; an
// opponent that merely has no move (mate or stalemate) does not make it illegal.
std::uint64_t Perft(const Board& board, int depth);

struct PerftDivision {
  Move move;
  std::uint64_t nodes;
};

// The leaf count under every legal root move, in generation order.
std::vector<PerftDivision> PerftDivide(const Board& board, int depth);
