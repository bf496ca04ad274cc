#include "game/BookReading.h"

#include <iomanip>
#include <iostream>

#include "console/Console.h"

std::unique_ptr<OpeningBook> ReadOpeningBook(const std::string& fileName) {
  auto book = std::make_unique<OpeningBook>();
  std::string error;
  if (book->Load(fileName, error)) {
    *ConsoleOut << "OpeningsBook =       " << std::setw(7) << book->entryCount << " entries"
                << std::endl;
  } else {
    std::cerr << error << std::endl;
  }
  return book;
}
