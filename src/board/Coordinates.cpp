// Coordinate text of squares and moves: "e4", "e2e4", "e2-e4", "e7e8q" and the square-number
// form "52 36". None of these look at a board.
#include <ostream>
#include <string>

#include "board/Board.h"
#include "board/SquareText.h"
#include "console/Console.h"

namespace {

// ASCII only, so that the result does not depend on the locale.
char LowerCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int Board::CoordToSquare(const std::string& coord) {
  if (coord.size() != 2) {
    *ConsoleOut << "Board::CoordToSquare() coord = " << coord << " is not 2 characters long!"
                << std::endl;
    return -1;
  }
  const char file = LowerCase(coord[0]);
  if (file < 'a' || file > 'h') {
    *ConsoleOut << "Board::CoordToSquare() coord[ 0 ] of \"" << coord << "\" is not a valid file!"
                << std::endl;
    return -1;
  }
  const char rank = coord[1];
  if (rank < '1' || rank > '8') {
    *ConsoleOut << "Board::CoordToSquare() coord[ 1 ] of \"" << coord << "\" is not a valid rank!"
                << std::endl;
    return -1;
  }
  return ParseSquare(coord);
}

bool Board::CoordToSquare(const std::string& coords, int* from, int* to) {
  if (from == nullptr || to == nullptr) {
    *ConsoleOut << "Board::CoordToSquare() At least Parameter = NULL!" << std::endl;
    return false;
  }
  if (coords.size() != 4 && coords.size() != 5) {
    *ConsoleOut << "Board::CoordToSquare() coords = \"" << coords
                << "\" must be 4 or 5 characters long!" << std::endl;
    return false;
  }
  // A five-character text has a separator between the squares ("e2-e4"); it is not looked at.
  const std::size_t toStart = coords.size() == 5 ? 3 : 2;
  // Both squares are converted, so that the user sees what is wrong with each of them.
  *from = CoordToSquare(coords.substr(0, 2));
  *to = CoordToSquare(coords.substr(toStart, 2));
  if (*from == -1 || *to == -1) {
    *ConsoleOut << "Board::CoordToSquare() coords = \"" << coords << "\" is invalid!" << std::endl;
    return false;
  }
  return true;
}

bool Board::CoordToSquare(const std::string& coords, int* from, int* to, char* promotion) {
  if (from == nullptr || to == nullptr || promotion == nullptr) {
    *ConsoleOut << "Board::CoordToSquare() At least Parameter = NULL!" << std::endl;
    return false;
  }
  if (coords.size() != 4 && coords.size() != 5) {
    *ConsoleOut << "Board::CoordToSquare() coords = \"" << coords
                << "\" must be exactly 4 or 5 characters long!" << std::endl;
    return false;
  }
  // Here the fifth character is the promotion letter ("e7e8q"), never a separator; a plain
  // four-character text leaves the promotion at the terminating NUL.
  *promotion = coords.size() == 5 ? coords[4] : '\0';
  return CoordToSquare(coords.substr(0, 4), from, to);
}

bool Board::SquareToCoord(int square, std::string& coord) {
  if (square < 0 || square > 63) {
    *ConsoleOut << "Board::SquareToCoord() whichSquare = " << square << " is invalid!" << std::endl;
    return false;
  }
  coord = SquareName(square);
  return true;
}

bool Board::SquareToCoord(int from, int to, std::string& coords) {
  std::string fromText;
  std::string toText;
  if (!SquareToCoord(from, fromText) || !SquareToCoord(to, toText)) return false;
  coords = fromText + toText;
  return true;
}

bool Board::SquareToCoord(const std::string& squareNumbers, std::string* coords) {
  if (coords == nullptr) {
    *ConsoleOut << "Board::SquareToCoord() Parameter coord = NULL!" << std::endl;
    return false;
  }
  const std::string& s = squareNumbers;
  if (s.size() != 5 || !IsDigit(s[0]) || !IsDigit(s[1]) || s[2] != ' ' || !IsDigit(s[3]) ||
      !IsDigit(s[4])) {
    *ConsoleOut << "Board::SquareToCoord() Parameter whichSquares = " << s
                << " is invalid ( try \"e2 f3\" or \"a1\" )!\n";
    return false;
  }
  // Numbers above 63 are refused by the single-square conversion with its own message.
  const int from = (s[0] - '0') * 10 + (s[1] - '0');
  const int to = (s[3] - '0') * 10 + (s[4] - '0');
  return SquareToCoord(from, to, *coords);
}
