// The opening book of a game or an engine session, read from its file.
#pragma once

#include <memory>
#include <string>

#include "book/OpeningBook.h"

// Reads the book and says what the reading found: its entries on the console, or why the file
// cannot be used on standard error. A book that cannot be read stays empty.
std::unique_ptr<OpeningBook> ReadOpeningBook(const std::string& fileName);
