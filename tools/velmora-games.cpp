// velmora-games GAMES [SEED]: a PGN collection of GAMES games of random legal moves on standard
// output, the same for the same seed; the material of tools/book-speed. A game runs 40 to 120
// plies, fewer when it ends on the board, and its result is drawn at random unless it ends in
// mate, so that a book enters the moves of both sides, of one or of none.
#include <cstdlib>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "board/Board.h"
#include "board/MoveList.h"
#include "board/Rules.h"
#include "book/PgnExport.h"

int main(int argc, char** argv) {
  char* end = nullptr;
  const long games = argc > 1 ? std::strtol(argv[1], &end, 10) : 0;
  if (argc < 2 || argc > 3 || *end != '\0' || games < 0) {
    std::cerr << "Usage: velmora-games GAMES [SEED]\n";
    return 2;
  }
  std::mt19937_64 random(argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1);
  const char* results[] = {"1-0", "0-1", "1/2-1/2"};
  for (long game = 1; game <= games; ++game) {
    const Board start;
    Board board;
    std::vector<Move> moves;
    const auto plies = 40 + random() % 81;
    std::string result = results[random() % 3];
    for (std::size_t ply = 0; ply < plies; ++ply) {
      MoveList list;
      list.Generate(board);
      std::vector<Move> legal;
      for (const Move& move : list)
        if (IsLegal(board, move)) legal.push_back(move);
      if (legal.empty()) {
        if (InCheck(board)) result = board.sideToMove == WHITE ? "0-1" : "1-0";
        break;
      }
      moves.push_back(legal[random() % legal.size()]);
      PlayMove(board, moves.back());
    }
    std::cout << ExportGame({{"Event", "Random game " + std::to_string(game)}, {"Result", result}},
                            start, moves)
              << '\n';
  }
  return std::cout.flush() ? 0 : 1;
}
