// The xboard command stream, handshake included, read through a pipe as from a front end. The
// input is followed by "quit", as a front end ends; every search stops after a few thousand
// nodes.
#include <unistd.h>

#include "FuzzSupport.h"
#include "board/FatalInput.h"
#include "protocol/ProtocolInput.h"
#include "protocol/XboardConnection.h"
#include "protocol/XboardSession.h"

namespace {

constexpr std::size_t LONGEST_INPUT = 16384;  // well within a pipe's buffer
constexpr std::int64_t NODES_PER_SEARCH = 3000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Prepare();
  if (size > LONGEST_INPUT) return 0;
  fuzz::ClearScratch();
  static const OpeningBook book(fuzz::BOOK_FILE);
  const std::array<int, 2> ends = fuzz::CommandPipe(data, size);
  {
    ProtocolInput in(ends[0]);
    try {
      XboardConnection connection(in, fuzz::Silent(), "ConnTrace.txt");
      XboardSession session(connection, &book, "games.pgn");
      session.CapSearchNodes(NODES_PER_SEARCH);
      session.Run();
    } catch (const FatalInput&) {
      // a failed handshake: the program ends here with its message
    }
  }
  close(ends[0]);
  close(ends[1]);
  return 0;
}
