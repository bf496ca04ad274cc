// velmora-bench [DEPTH]: searches a fixed set of positions to exactly DEPTH plies with a fresh,
// book-less engine each. The node total is the signature of the search's behaviour: it must be
// the same on every run and every machine.
// velmora-bench --full [DEPTH]: the same with the engine modes' full-strength search, whose node
// total is its own signature.
// velmora-bench --reply-to-e4: how long the computer takes, under the program's own limits and
// without a book, to answer 1. e4.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>

#include "board/Board.h"
#include "board/Fen.h"
#include "board/Rules.h"
#include "search/NegaScout.h"
#include "search/StrongSearch.h"

namespace {

constexpr int DEFAULT_DEPTH = 5;

constexpr const char* POSITIONS[] = {
    // Openings
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
    "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3",
    "rnbqkb1r/pp2pppp/3p1n2/8/3NP3/8/PPP2PPP/RNBQKB1R w KQkq - 1 5",
    // Middlegames
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N2N2/PP2BPPP/R2QKB1R w KQ - 0 8",
    "2rq1rk1/pb1nbppp/1p2pn2/2pp4/2PP4/1P2PN2/PB1NBPPP/2RQ1RK1 b - - 3 11",
    // Endgames
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "8/8/4k3/3p4/3P4/4K3/8/8 w - - 0 1",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1",
    "8/5pk1/6p1/8/8/4B1P1/5PK1/8 w - - 0 1",
    "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1",
    "r5k1/5ppp/8/8/8/8/5PPP/1R4K1 b - - 0 1",
};

int Usage() {
  std::cerr << "Usage: velmora-bench [--full] [DEPTH]\n"
               "  Searches the built-in positions to exactly DEPTH plies (2 to 12, default "
            << DEFAULT_DEPTH
            << "),\n"
               "  with --full by the engine modes' full-strength search.\n"
               "       velmora-bench --reply-to-e4\n"
               "  Times the computer's answer to 1. e4 under the program's own search limits.\n";
  return 2;
}

std::int64_t MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

int ReplyToE4() {
  Board board;
  std::string error;
  ReadFen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", board, error);
  const auto start = std::chrono::steady_clock::now();
  NegaScout engine;
  Move reply;
  engine.Think(board, &reply);
  const std::int64_t elapsed = MillisecondsSince(start);
  const std::string coords = CoordinateText(reply).substr(0, 4);
  std::cout << "Reply: " << coords << "\nNodes: " << engine.TotalNodes() << "\nTime: " << elapsed
            << " ms" << std::endl;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int depth = DEFAULT_DEPTH;
  if (argc == 2 && std::string(argv[1]) == "--reply-to-e4") return ReplyToE4();
  int next = 1;
  const bool full = argc > 1 && std::string(argv[1]) == "--full";
  next += full;
  if (argc > next + 1) return Usage();
  if (argc == next + 1) {
    const char* text = argv[next];
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*text == '\0' || *end != '\0' || value < 2 || value > 12) return Usage();
    depth = static_cast<int>(value);
  }

  std::int64_t totalNodes = 0;
  const auto start = std::chrono::steady_clock::now();
  for (const char* fen : POSITIONS) {
    Board board;
    std::string error;
    if (!ReadFen(fen, board, error)) {
      std::cerr << "velmora-bench: bad built-in position " << fen << ": " << error << '\n';
      return 1;
    }
    NegaScout classic(SearchLimits::FixedDepth(depth));
    StrongSearch strong(SearchLimits::FixedDepth(depth));
    IterativeSearch& engine = full ? static_cast<IterativeSearch&>(strong) : classic;
    Move best;
    engine.Think(board, &best);
    const std::string coords = CoordinateText(best).substr(0, 4);
    const std::string placement = std::string(fen).substr(0, std::string(fen).find(' '));
    std::cout << placement << ' ' << (coords.empty() ? "-" : coords) << ' ' << engine.TotalNodes()
              << '\n';
    totalNodes += engine.TotalNodes();
  }
  const std::int64_t elapsed = MillisecondsSince(start);
  std::cout << "Nodes: " << totalNodes << '\n'
            << "Time: " << elapsed << " ms\n"
            << "NPS: " << totalNodes * 1000 / (elapsed > 0 ? elapsed : 1) << std::endl;
  return 0;
}
