// The UCI command stream, read through a pipe as from a front end. The input is followed by
// "quit", as a front end ends; every search stops after a few thousand nodes, and the tables
// stay small whatever "Hash" asks.
#include "FuzzSupport.h"
#include "protocol/ProtocolChannel.h"
#include "protocol/UciSession.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Prepare();
  if (fuzz::NamesOtherDirectory(data, size)) return 0;
  fuzz::ClearScratch();
  fuzz::OverCommandPipe(data, size, [](ProtocolInput& in) {
    ProtocolChannel channel(in, fuzz::Silent(), "ConnTrace.txt");
    UciSession session(channel, fuzz::BOOK_FILE);
    session.CapSearchNodes(fuzz::SEARCH_NODES);
    session.CapHashMegabytes(fuzz::HASH_MEGABYTES);
    session.Run();
  });
  return 0;
}
