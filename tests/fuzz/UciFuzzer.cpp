// The UCI command stream, read through a pipe as from a front end. The input is followed by
// "quit", as a front end ends; every search stops after a few thousand nodes.
#include <unistd.h>

#include "FuzzSupport.h"
#include "protocol/ProtocolChannel.h"
#include "protocol/ProtocolInput.h"
#include "protocol/UciSession.h"

namespace {

constexpr std::size_t LONGEST_INPUT = 16384;  // well within a pipe's buffer
constexpr std::int64_t NODES_PER_SEARCH = 3000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Prepare();
  if (size > LONGEST_INPUT || fuzz::NamesOtherDirectory(data, size)) return 0;
  fuzz::ClearScratch();
  const std::array<int, 2> ends = fuzz::CommandPipe(data, size);
  {
    ProtocolInput in(ends[0]);
    ProtocolChannel channel(in, fuzz::Silent(), "ConnTrace.txt");
    UciSession session(channel, fuzz::BOOK_FILE);
    session.CapSearchNodes(NODES_PER_SEARCH);
    session.Run();
  }
  close(ends[0]);
  close(ends[1]);
  return 0;
}
