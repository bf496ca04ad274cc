// Coordinate text of squares and moves: "e4", "e2e4", "e2-e4", "e7e8q" and the square-number
// form "52 36". None of these look at a board, and none prints: a text that names no square is
// refused with the reason, added to `error` as whole lines in the words the console shows.
#pragma once

#include <string>

// The square of "e4" (file letter in either case), or -1.
int CoordToSquare(const std::string& coord, std::string& error);
// Both squares of "e2e4" or "e2-e4" (the fifth character of a five-character text is a
// separator and not looked at). Both squares are judged, so that each one's fault is named.
bool CoordToSquares(const std::string& coords, int& from, int& to, std::string& error);
// The same with a promotion letter: the fifth character of "e7e8q" is the promotion, never a
// separator; a four-character text leaves `promotion` at '\0'.
bool CoordToSquares(const std::string& coords, int& from, int& to, char& promotion,
                    std::string& error);
// "e4" for square 36; false for a square outside the board.
bool SquareToCoord(int square, std::string& coord, std::string& error);
// "e2e4"; the destination is not tried once the start square has failed.
bool SquareToCoord(int from, int to, std::string& coords, std::string& error);
// "52 36" gives "e2e4".
bool SquareNumbersToCoord(const std::string& squareNumbers, std::string& coords,
                          std::string& error);
