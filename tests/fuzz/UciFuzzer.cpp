// The UCI command stream, sent by a front end that waits for the engine's answers (see
// FrontEnd.h) and ends with "quit". Every search stops after a few thousand nodes, and the
// tables stay small whatever "Hash" asks.
#include "FuzzSupport.h"
#include "protocol/ProtocolChannel.h"
#include "protocol/UciSession.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Prepare();
  if (fuzz::NamesOtherDirectory(data, size)) return 0;
  fuzz::ClearScratch();
  fuzz::FromFrontEnd(data, size, [](ProtocolInput& in, std::ostream& out) {
    ProtocolChannel channel(in, out, "ConnTrace.txt");
    UciSession session(channel, fuzz::BOOK_FILE);
    session.Cap(fuzz::SESSION_CAPS);
    session.Run();
  });
  return 0;
}
