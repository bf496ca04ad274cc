// The xboard command stream, handshake included, sent by a front end that waits for the
// engine's answers (see FrontEnd.h) and ends with "quit". Every search stops after a few
// thousand nodes.
#include "FuzzSupport.h"
#include "book/OpeningBook.h"
#include "protocol/XboardConnection.h"
#include "protocol/XboardSession.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Prepare();
  fuzz::ClearScratch();
  static const std::unique_ptr<OpeningBook> book = [] {
    auto read = std::make_unique<OpeningBook>();
    std::string error;
    read->Load(fuzz::BOOK_FILE, error);
    return read;
  }();
  fuzz::FromFrontEnd(data, size, [](ProtocolInput& in, std::ostream& out) {
    XboardConnection connection(in, out, "ConnTrace.txt");
    std::string error;
    if (!connection.Handshake(error)) return;  // the program ends here with its message
    XboardSession session(connection, book.get(), "games.pgn");
    session.Cap(fuzz::SESSION_CAPS);
    session.Run();
  });
  return 0;
}
