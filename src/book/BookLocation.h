// Where the opening book is found, so that the program has its book from any working folder.
#pragma once

#include <string>

// The book file to read: `fileName` in the working folder when it is there, else the one
// beside the program, else the installed one; `fileName` itself when there is none.
std::string FindOpeningBook(const std::string& fileName);
