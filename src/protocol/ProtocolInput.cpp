#include "protocol/ProtocolInput.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace {

// A line of a front end is a few dozen characters; this much of one is plenty.
constexpr std::size_t MAX_LINE = 64 * 1024;

}  // namespace

ProtocolInput::ProtocolInput(int descriptor) : descriptor_(descriptor) {}

bool ProtocolInput::Fill(bool wait) {
  if (ended_) return false;
  pollfd ready{descriptor_, POLLIN, 0};
  const int polled = poll(&ready, 1, wait ? -1 : 0);
  if (polled < 0) return errno == EINTR;
  if (polled == 0) return true;
  char chunk[4096];
  const ssize_t got = read(descriptor_, chunk, sizeof chunk);
  if (got < 0) {
    if (errno == EINTR || errno == EAGAIN) return true;
    ended_ = true;
    return false;
  }
  if (got == 0) {
    // A last line without its line end still counts.
    if (!partial_.empty()) lines_.push_back(std::exchange(partial_, std::string()));
    ended_ = true;
    return false;
  }
  for (ssize_t i = 0; i < got; ++i) {
    const char c = chunk[i];
    if (c == '\n') {
      if (!partial_.empty() && partial_.back() == '\r') partial_.pop_back();
      lines_.push_back(std::exchange(partial_, std::string()));
    } else if (partial_.size() < MAX_LINE) {
      partial_ += c;
    }
  }
  return true;
}

bool ProtocolInput::ReadLine(std::string& line) {
  while (lines_.empty()) {
    if (!Fill(true) && lines_.empty()) return false;
  }
  line = std::move(lines_.front());
  lines_.pop_front();
  return true;
}

std::deque<std::string> ProtocolInput::TakeWaiting() {
  Waiting();
  return std::exchange(lines_, std::deque<std::string>());
}

const std::deque<std::string>& ProtocolInput::Waiting() {
  while (!ended_) {
    const std::size_t before = lines_.size() + partial_.size();
    pollfd ready{descriptor_, POLLIN, 0};
    if (poll(&ready, 1, 0) <= 0) break;
    Fill(false);
    if (lines_.size() + partial_.size() == before && !ended_) break;
  }
  return lines_;
}
