// The UCI command stream, read through a pipe as from a front end. The input is followed by
// "quit", as a front end ends; every search stops after a few thousand nodes.
#include <unistd.h>

#include "FuzzSupport.h"
#include "protocol/ProtocolChannel.h"
#include "protocol/ProtocolInput.h"
#include "protocol/UciSession.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Prepare();
  if (fuzz::NamesOtherDirectory(data, size)) return 0;
  fuzz::ClearScratch();
  std::array<int, 2> ends{};
  if (!fuzz::CommandPipe(data, size, ends)) return 0;
  {
    ProtocolInput in(ends[0]);
    ProtocolChannel channel(in, fuzz::Silent(), "ConnTrace.txt");
    UciSession session(channel, fuzz::BOOK_FILE);
    session.CapSearchNodes(3000);
    session.Run();
  }
  close(ends[0]);
  close(ends[1]);
  return 0;
}
