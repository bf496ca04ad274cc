// Building an opening book from PGN game collections: the createbook command.
#include <cstdlib>
#include <fstream>
#include <iostream>

#include "board/MoveList.h"
#include "book/OpeningBook.h"
#include "book/Outcome.h"
#include "book/PGNParser.h"
#include "game/Console.h"

int OpeningBook::Create(const std::string& sourceFileName) {
  std::ifstream source(sourceFileName);
  if (!source.is_open()) {
    std::cerr << "Can't open source file ( " << sourceFileName << " ) for creation...!"
              << std::endl;
    return 0;
  }
  Board board;
  MoveList moves;
  PGNParser reader(source);
  int games = 0;
  while (reader.getNextMatch()) {
    ++games;
    board.Reset();
    const Move* move = nullptr;
    int outcome = OUTCOME_NEUTRAL;
    while (reader.getNextMove(move, outcome)) {
      if (reader.MoveNo() > maxDepth) break;  // the rest of the game is skipped with the next one
      // Generation removes the mover's castling path first, as during play; the key of the
      // position right after a castling still holds the castling side's path.
      moves.Generate(board);
      std::int64_t key;
      std::uint32_t lock;
      board.Hashes(key, lock);
      AddMove(*move, key, lock, outcome, board.sideToMove);
      if (!board.MakeMove(move)) {
        std::cerr << "Failure in OpeningBook::Create" << std::endl;
        std::exit(1);
      }
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
  return book.Save(argv[2]);
}
