// velmora-terms: the evaluation's terms of positions, one line each, for fitting their weights
// against another engine's scores (tools/fit-terms).
//
// Reads lines "FEN|SCORE" (SCORE: any text, copied to the front of the output line) and
// writes "SCORE FULL P N B R Q TRADE KNIGHTS BISHOPS DEVELOPMENT ROOKS PROXIMITY STRUCTURE
// ACTIVITY THREATS": the strong search's static score for White, White's piece counts less
// Black's, the material term beyond the plain piece values, each positional term of White less
// Black's, the activity terms and the threats, all as the strong search's evaluation sees
// them. A line that is not a position is reported on stderr and skipped.
#include <bit>
#include <iostream>
#include <string>

#include "board/Board.h"
#include "board/Fen.h"
#include "search/StrongEvaluate.h"

int main() {
  std::string line;
  long number = 0;
  while (std::getline(std::cin, line)) {
    number += 1;
    const std::size_t bar = line.find('|');
    Board board;
    std::string error;
    if (bar == std::string::npos || !ReadFen(line.substr(0, bar), board, error)) {
      std::cerr << "velmora-terms: line " << number << ": "
                << (bar == std::string::npos ? "no '|' after the position" : error) << '\n';
      continue;
    }
    const StrongTerms terms = StrongTermsOf(board);
    std::cout << line.substr(bar + 1) << ' ' << terms.scoreForWhite;
    for (int piece = WP; piece < WK; piece += 2)
      std::cout << ' '
                << std::popcount(board.bitboards[piece]) -
                       std::popcount(board.bitboards[piece + 1]);
    for (const int term :
         {terms.trade, terms.knights, terms.bishops, terms.development, terms.rooks,
          terms.proximity, terms.structure, terms.activity, terms.threats})
      std::cout << ' ' << term;
    std::cout << '\n';
  }
}
