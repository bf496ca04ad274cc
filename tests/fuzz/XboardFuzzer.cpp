// The xboard command stream, handshake included, read through a pipe as from a front end. The
// input is followed by "quit", as a front end ends; every search stops after a few thousand
// nodes.
#include "FuzzSupport.h"
#include "board/FatalInput.h"
#include "book/OpeningBook.h"
#include "protocol/XboardConnection.h"
#include "protocol/XboardSession.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Prepare();
  fuzz::ClearScratch();
  static const OpeningBook book(fuzz::BOOK_FILE);
  fuzz::OverCommandPipe(data, size, [](ProtocolInput& in) {
    try {
      XboardConnection connection(in, fuzz::Silent(), "ConnTrace.txt");
      XboardSession session(connection, &book, "games.pgn");
      session.CapSearchNodes(fuzz::SEARCH_NODES);
      session.Run();
    } catch (const FatalInput&) {
      // a failed handshake: the program ends here with its message
    }
  });
  return 0;
}
