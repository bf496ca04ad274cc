#include "book/OpeningBook.h"

// The book holds no positions until a book file is read into it.
bool OpeningBook::Probe(const Board& /*board*/, Move* /*move*/) const { return false; }
