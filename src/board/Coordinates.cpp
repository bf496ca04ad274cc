#include "board/Coordinates.h"

#include "board/SquareText.h"

namespace {

// ASCII only, so that the result does not depend on the locale.
char LowerCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int CoordToSquare(const std::string& coord, std::string& error) {
  if (coord.size() != 2) {
    error += "Board::CoordToSquare() coord = " + coord + " is not 2 characters long!\n";
    return -1;
  }
  const char file = LowerCase(coord[0]);
  if (file < 'a' || file > 'h') {
    error += "Board::CoordToSquare() coord[ 0 ] of \"" + coord + "\" is not a valid file!\n";
    return -1;
  }
  const char rank = coord[1];
  if (rank < '1' || rank > '8') {
    error += "Board::CoordToSquare() coord[ 1 ] of \"" + coord + "\" is not a valid rank!\n";
    return -1;
  }
  return ParseSquare(coord);
}

bool CoordToSquares(const std::string& coords, int& from, int& to, std::string& error) {
  if (coords.size() != 4 && coords.size() != 5) {
    error += "Board::CoordToSquare() coords = \"" + coords + "\" must be 4 or 5 characters long!\n";
    return false;
  }
  const std::size_t toStart = coords.size() == 5 ? 3 : 2;
  from = CoordToSquare(coords.substr(0, 2), error);
  to = CoordToSquare(coords.substr(toStart, 2), error);
  if (from == -1 || to == -1) {
    error += "Board::CoordToSquare() coords = \"" + coords + "\" is invalid!\n";
    return false;
  }
  return true;
}

bool CoordToSquares(const std::string& coords, int& from, int& to, char& promotion,
                    std::string& error) {
  if (coords.size() != 4 && coords.size() != 5) {
    error += "Board::CoordToSquare() coords = \"" + coords +
             "\" must be exactly 4 or 5 characters long!\n";
    return false;
  }
  promotion = coords.size() == 5 ? coords[4] : '\0';
  return CoordToSquares(coords.substr(0, 4), from, to, error);
}

bool SquareToCoord(int square, std::string& coord, std::string& error) {
  if (square < 0 || square > 63) {
    error += "Board::SquareToCoord() whichSquare = " + std::to_string(square) + " is invalid!\n";
    return false;
  }
  coord = SquareName(square);
  return true;
}

bool SquareToCoord(int from, int to, std::string& coords, std::string& error) {
  std::string fromText;
  std::string toText;
  if (!SquareToCoord(from, fromText, error) || !SquareToCoord(to, toText, error)) return false;
  coords = fromText + toText;
  return true;
}

bool SquareNumbersToCoord(const std::string& squareNumbers, std::string& coords,
                          std::string& error) {
  const std::string& s = squareNumbers;
  if (s.size() != 5 || !IsDigit(s[0]) || !IsDigit(s[1]) || s[2] != ' ' || !IsDigit(s[3]) ||
      !IsDigit(s[4])) {
    error += "Board::SquareToCoord() Parameter whichSquares = " + s +
             " is invalid ( try \"e2 f3\" or \"a1\" )!\n";
    return false;
  }
  // Numbers above 63 are refused by the single-square conversion with its own message.
  const int from = (s[0] - '0') * 10 + (s[1] - '0');
  const int to = (s[3] - '0') * 10 + (s[4] - '0');
  return SquareToCoord(from, to, coords, error);
}
