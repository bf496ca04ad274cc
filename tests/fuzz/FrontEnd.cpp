#include "FrontEnd.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "protocol/ProtocolInput.h"

namespace fuzz {

namespace {

// The front end whose pipe the engine reads now (one at a time: the targets run one input
// after the other).
FrontEnd* current = nullptr;

}  // namespace

FrontEnd::FrontEnd(std::string_view input, std::ostream* trace) : trace_(trace) {
  Burst burst;
  int emptyLines = 0;
  std::size_t lines = 0;
  const auto finish = [&] {
    if (!burst.text.empty()) bursts_.push_back(std::move(burst));
    burst = Burst();
  };
  while (!input.empty() && lines < MAX_LINES) {
    const std::size_t end = input.find('\n');
    const std::string_view line = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    if (line.empty()) {
      if (emptyLines++ == 0) finish();
      continue;
    }
    if (burst.text.empty()) burst.afterLooks = emptyLines >= 2 ? emptyLines - 1 : 0;
    emptyLines = 0;
    burst.text.append(line).push_back('\n');
    lines += 1;
  }
  finish();
  bursts_.push_back(Burst{"quit\n", 0});

  std::size_t longest = 0;
  for (const Burst& each : bursts_) longest = std::max(longest, each.text.size());
  if (longest > MAX_BURST || pipe(ends_) != 0) return;
  // The pipe must hold the longest burst: the engine reads it on this very thread.
  const int capacity = fcntl(ends_[1], F_SETPIPE_SZ, static_cast<int>(MAX_BURST));
  ready_ = capacity >= static_cast<int>(longest);
  if (!ready_) return;
  current = this;
  SendNext();
}

FrontEnd::~FrontEnd() {
  if (current == this) current = nullptr;
  for (const int end : ends_)
    if (end >= 0) ::close(end);
}

void FrontEnd::Looking(int descriptor, bool waiting) {
  if (current && descriptor == current->EngineEnd()) current->OnLook(waiting);
}

bool FrontEnd::SeesTheEngineLook() {
  FrontEnd probe("");
  if (!probe.Ready()) return false;
  ProtocolInput in(probe.EngineEnd());
  std::string line;
  return in.ReadLine(line) && line == "quit" && probe.allLooks_ > 0;
}

void FrontEnd::OnLook(bool waiting) {
  allLooks_ += 1;
  int unread = 0;
  if (next_ == bursts_.size() || ioctl(ends_[0], FIONREAD, &unread) != 0 || unread > 0) return;
  const int afterLooks = bursts_[next_].afterLooks;
  if (waiting || (afterLooks > 0 && ++looks_ >= afterLooks)) SendNext();
}

void FrontEnd::SendNext() {
  const std::string& text = bursts_[next_++].text;
  looks_ = 0;
  if (trace_) {
    for (std::size_t start = 0; start < text.size();) {
      const std::size_t end = text.find('\n', start);
      *trace_ << "> " << text.substr(start, end + 1 - start);
      start = end + 1;
    }
    *trace_ << std::flush;
  }
  if (write(ends_[1], text.data(), text.size()) != static_cast<ssize_t>(text.size())) std::abort();
}

}  // namespace fuzz

// The engine's poll(2), seen by the front end first.
extern "C" int __real_poll(pollfd* descriptors, nfds_t count, int timeout);
extern "C" int __wrap_poll(pollfd* descriptors, nfds_t count, int timeout) {
  if (count == 1) fuzz::FrontEnd::Looking(descriptors[0].fd, timeout != 0);
  return __real_poll(descriptors, count, timeout);
}
