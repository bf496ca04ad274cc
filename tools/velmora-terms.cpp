// velmora-terms: the evaluation's terms of positions, one line each, for fitting their weights
// against another engine's scores (tools/fit-terms).
//
// Reads lines "FEN|SCORE" (SCORE: any text, copied to the front of the output line) and
// writes "SCORE FULL P N B R Q TRADE KNIGHTS BISHOPS DEVELOPMENT ROOKS PROXIMITY STRUCTURE
// ACTIVITY THREATS": the full search's static score for White, White's piece counts less
// Black's, the material term beyond the plain piece values, each positional term of White less
// Black's, the activity terms and the threats. A line that is not a position is reported on stderr
// and skipped.
#include <bit>
#include <iostream>
#include <string>

#include "board/Board.h"
#include "board/Fen.h"
#include "search/Activity.h"
#include "search/Evaluate.h"

int main() {
  std::string line;
  PawnInfo info;
  PawnCache cache;
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
    std::cout << line.substr(bar + 1) << ' ' << EvaluateFull(board, WHITE, cache);
    for (int piece = WP; piece < WK; piece += 2)
      std::cout << ' '
                << std::popcount(board.bitboards[piece]) -
                       std::popcount(board.bitboards[piece + 1]);
    std::cout << ' '
              << EvaluateMaterial(board, WHITE) - (board.material[WHITE] - board.material[BLACK]);
    int terms[2][6];
    for (Color color : {WHITE, BLACK}) {
      SurveyPawns(board, color, info);
      terms[color][0] = EvaluateKnights(board, color);
      terms[color][1] = EvaluateBishops(board, color, info);
      terms[color][2] = EvaluateDevelopment(board, color);
      terms[color][3] = EvaluateRooks(board, color, info);
      terms[color][4] = EvaluateKingProximity(board, color);
      terms[color][5] = EvaluatePawnStructure(info, color);
    }
    for (int term = 0; term < 6; ++term)
      std::cout << ' ' << terms[WHITE][term] - terms[BLACK][term];
    std::cout << ' ' << EvaluateActivity(board) << ' ' << EvaluateThreats(board) << '\n';
  }
}
