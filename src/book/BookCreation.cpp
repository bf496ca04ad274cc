// Building an opening book from PGN game collections: the createbook command.
#include <cstdlib>
#include <fstream>
#include <iostream>

#include "board/FatalInput.h"
#include "book/OpeningBook.h"
#include "book/Outcome.h"
#include "book/PGNParser.h"
#include "console/Console.h"

int OpeningBook::Create(const std::string& sourceFileName) {
  std::ifstream source(sourceFileName);
  // A source whose first read fails (a directory, a device error) is no more readable than a
  // missing one; the stream reports the failure in its state and never throws.
  if (source.is_open()) source.peek();
  if (!source.is_open() || source.bad()) {
    std::cerr << "Can't open source file ( " << sourceFileName << " ) for creation...!"
              << std::endl;
    return 0;
  }
  Board board;
  PGNParser reader(source);
  int games = 0;
  while (reader.getNextMatch()) {
    if (reader.StartsFromSetUpPosition()) {
      ++setUpGamesSkipped;  // its moves are skipped with the next game
      continue;
    }
    ++games;
    board.Reset();
    const Move* move = nullptr;
    int outcome = OUTCOME_NEUTRAL;
    while (reader.getNextMove(move, outcome)) {
      if (reader.MoveNo() > maxDepth) break;  // the rest of the game is skipped with the next one
      std::int64_t key;
      std::uint32_t lock;
      board.Hashes(key, lock);
      AddMove(*move, key, lock, outcome, board.sideToMove);
      if (!board.MakeMove(move)) {
        std::cerr << "Failure in OpeningBook::Create" << std::endl;
        throw FatalInput(1, "OpeningBook::Create");
      }
      // As the game does after every move: the squares a castling king crossed leave the board,
      // so that the book knows the position as the game will ask for it.
      board.RemoveCastlePath(WHITE);
      board.RemoveCastlePath(BLACK);
    }
  }
  *ConsoleOut << ">> Entries:       " << entryCount << std::endl
              << ">> Maxcollisions: " << maxCollisions << std::endl
              << ">> Size ( kb ):     " << static_cast<unsigned>(entryCount) * 37u / 1024u
              << std::endl
              << std::endl;
  return games;
}

bool CreateOpeningBook(int argc, char** argv) {
  if (argc < 5) {
    std::cerr << "Not enough parameters for openingbookcreation !" << std::endl
              << "Parameter 1: \"createbook\"" << std::endl
              << "Parameter 2: <destination file>" << std::endl
              << "Parameter 3: <max_depth>" << std::endl
              << "Parameter 4..n: <source file>" << std::endl;
    return false;
  }
  OpeningBook book;
  book.maxDepth = std::atoi(argv[3]);
  int total = 0;
  for (int i = 4; i < argc; ++i) {
    *ConsoleOut << "Open source file ( " << argv[i] << " ) for creation... " << std::endl;
    total += book.Create(argv[i]);
    *ConsoleOut << "Matches: " << total << std::endl;
  }
  if (book.setUpGamesSkipped > 0)
    *ConsoleOut << "Skipped " << book.setUpGamesSkipped
                << " games that start from a set-up position" << std::endl;
  return book.Save(argv[2]);
}
