// velmora-perft [--divide] DEPTH [FEN]: counts the leaves of the legal move tree.
// Also the benchmark of move generation and making moves.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>

#include "board/Board.h"
#include "board/Fen.h"
#include "board/Perft.h"
#include "board/Rules.h"

namespace {

int Usage() {
  std::cerr << "Usage: velmora-perft [--divide] DEPTH [FEN]\n"
               "  Counts the leaf nodes of the legal move tree DEPTH plies deep (1 to 12)\n"
               "  from the FEN position, or from the initial position when no FEN is given.\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool divide = false;
  int arg = 1;
  if (arg < argc && std::string(argv[arg]) == "--divide") {
    divide = true;
    ++arg;
  }
  if (arg >= argc) return Usage();

  const std::string depthText = argv[arg++];
  char* end = nullptr;
  const long depth = std::strtol(depthText.c_str(), &end, 10);
  if (depthText.empty() || *end != '\0' || depth < 1 || depth > 12) return Usage();

  Board board;
  if (arg < argc) {
    std::string fen = argv[arg++];
    while (arg < argc) fen += std::string(" ") + argv[arg++];  // a FEN given unquoted
    std::string error;
    if (!ReadFen(fen, board, error)) {
      std::cerr << "velmora-perft: invalid FEN: " << error << '\n';
      return 1;
    }
  }

  const auto start = std::chrono::steady_clock::now();
  std::uint64_t nodes = 0;
  if (divide) {
    for (const PerftDivision& division : PerftDivide(board, static_cast<int>(depth))) {
      std::cout << CoordinateText(division.move) << ": " << division.nodes << '\n';
      nodes += division.nodes;
    }
  } else {
    nodes = Perft(board, static_cast<int>(depth));
  }
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  std::cout << "Time: " << elapsed.count() << " ms\n"
            << "Nodes: " << nodes << std::endl;
  return 0;
}
