// The xboard command stream, handshake included, read through a pipe as from a front end. The
// input is followed by "quit", as a front end ends; every search stops after a few thousand
// nodes.
#include <unistd.h>

#include "FuzzSupport.h"
#include "board/FatalInput.h"
#include "book/OpeningBook.h"
#include "protocol/ProtocolInput.h"
#include "protocol/XboardConnection.h"
#include "protocol/XboardSession.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Prepare();
  fuzz::ClearScratch();
  static const OpeningBook book(fuzz::BOOK_FILE);
  std::array<int, 2> ends{};
  if (!fuzz::CommandPipe(data, size, ends)) return 0;
  {
    ProtocolInput in(ends[0]);
    try {
      XboardConnection connection(in, fuzz::Silent(), "ConnTrace.txt");
      XboardSession session(connection, &book, "games.pgn");
      session.CapSearchNodes(3000);
      session.Run();
    } catch (const FatalInput&) {
      // a failed handshake: the program ends here with its message
    }
  }
  close(ends[0]);
  close(ends[1]);
  return 0;
}
