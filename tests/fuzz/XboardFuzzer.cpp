// The xboard command stream, handshake included, read through a pipe as from a front end. The
// input is followed by "quit", as a front end ends; every search stops after a few thousand
// nodes.
#include "FuzzSupport.h"
#include "book/OpeningBook.h"
#include "game/BookReading.h"
#include "protocol/XboardConnection.h"
#include "protocol/XboardSession.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Prepare();
  fuzz::ClearScratch();
  static const std::unique_ptr<OpeningBook> book = ReadOpeningBook(fuzz::BOOK_FILE);
  fuzz::OverCommandPipe(data, size, [](ProtocolInput& in) {
    XboardConnection connection(in, fuzz::Silent(), "ConnTrace.txt");
    std::string error;
    if (!connection.Handshake(error)) return;  // the program ends here with its message
    XboardSession session(connection, book.get(), "games.pgn");
    session.CapSearchNodes(fuzz::SEARCH_NODES);
    session.Run();
  });
  return 0;
}
