// Building an opening book from PGN game collections.
#include <fstream>

#include "board/Rules.h"
#include "book/OpeningBook.h"
#include "book/Outcome.h"
#include "book/PGNParser.h"

OpeningBook::SourceRead OpeningBook::Create(const std::string& sourceFileName) {
  SourceRead read;
  std::ifstream source(sourceFileName);
  // A source whose first read fails (a directory, a device error) is no more readable than a
  // missing one; the stream reports the failure in its state and never throws.
  if (source.is_open()) source.peek();
  if (!source.is_open() || source.bad()) {
    read.opened = false;
    return read;
  }
  Board board;
  PGNParser reader(source);
  while (reader.getNextMatch()) {
    if (reader.StartsFromSetUpPosition()) {
      ++setUpGamesSkipped;  // its moves are skipped with the next game
      continue;
    }
    ++read.games;
    board.Reset();
    const Move* move = nullptr;
    int outcome = OUTCOME_NEUTRAL;
    while (reader.getNextMove(move, outcome)) {
      if (reader.MoveNo() > maxDepth) break;  // the rest of the game is skipped with the next one
      std::int64_t key;
      std::uint32_t lock;
      board.Hashes(key, lock);
      AddMove(*move, key, lock, outcome, board.sideToMove);
      // As the game plays a move, so that the book knows the position as the game asks for it.
      PlayMove(board, *move);
    }
  }
  read.failed = reader.Failed();
  read.notes = reader.Notes();
  read.error = reader.Error();
  return read;
}
