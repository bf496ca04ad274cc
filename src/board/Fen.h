// Reading and writing positions in Forsyth-Edwards Notation.
#pragma once

#include <string>

#include "board/Board.h"

// Sets up `board` from a FEN of four to six fields (the move counters may be left out).
// On malformed or impossible input the board is left as it was and `error` says why. The
// board keeps no half-move clock: when `halfMoveClock` is given it receives that field (0
// when left out).
bool ReadFen(const std::string& fen, Board& board, std::string& error,
             int* halfMoveClock = nullptr);

// The six-field FEN of `board`. The board keeps no half-move clock: that field is
// `halfMoveClock`, which the caller may know from the game; the move number follows from the
// board's half-move counter.
std::string WriteFen(const Board& board, int halfMoveClock = 0);
