// The opening book: moves of known games, found by the position's hash values.
#pragma once

#include "board/Board.h"
#include "board/Move.h"

class OpeningBook {
 public:
  virtual ~OpeningBook() = default;

  // A book move for the position into `move`; false when the book knows none.
  bool Probe(const Board& board, Move* move) const;
};
