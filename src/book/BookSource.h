// What the two kinds of opening book, the program's own and the polyglot book, have in common:
// the moves they offer in a position, and what reading a PGN source into one found.
#pragma once

#include <cstdint>
#include <string>

#include "board/Move.h"

// A move a book offers in a position, and how strongly it is chosen.
struct BookCandidate {
  Move move;
  std::int64_t weight = 0;
};

// What reading one PGN file into a book found.
struct BookSourceRead {
  bool opened = true;  // false: the file could not be opened or read, nothing was entered
  int games = 0;       // games read
  // The reader gave up on a move it cannot resolve: what it says on standard output (notes)
  // and standard error (error), in that order. The book is then unfinished.
  bool failed = false;
  std::string notes;
  std::string error;
};
