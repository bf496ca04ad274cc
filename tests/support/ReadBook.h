// Reads an opening book as the program does: its entries on the console, or the reason it
// cannot be used on standard error; a book that cannot be read stays empty.
#pragma once

#include <iostream>
#include <memory>
#include <string>

#include "book/OpeningBook.h"
#include "console/Console.h"

inline std::unique_ptr<OpeningBook> ReadOpeningBook(const std::string& fileName) {
  auto book = std::make_unique<OpeningBook>();
  if (std::string error; book->Load(fileName, error))
    *ConsoleOut << book->EntriesLine();
  else
    std::cerr << error << '\n';
  return book;
}
