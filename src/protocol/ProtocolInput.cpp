#include "protocol/ProtocolInput.h"

#include <poll.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <string_view>
#include <utility>

namespace {

// A line of a front end is a few dozen characters; this much of one is plenty.
constexpr std::size_t MAX_LINE = 64 * 1024;

}  // namespace

ProtocolInput::ProtocolInput(int descriptor, const std::string& readAhead)
    : descriptor_(descriptor) {
  Take(readAhead.data(), readAhead.size());
}

void ProtocolInput::Take(const char* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const char c = bytes[i];
    if (c == '\n') {
      if (!partial_.empty() && partial_.back() == '\r') partial_.pop_back();
      lines_.push_back(std::exchange(partial_, std::string()));
    } else if (partial_.size() < MAX_LINE) {
      partial_ += c;
    }
  }
}

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
  Take(chunk, static_cast<std::size_t>(got));
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

namespace {

// A greeting is a word and blanks; a line this long is none.
constexpr std::size_t MAX_GREETING = 256;
constexpr std::string_view GREETINGS[] = {"uci", "xboard"};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The protocol a whole line opens, as its lines are read (without the line end).
FrontEndGreeting::Protocol GreetingOf(std::string_view line) {
  while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
  while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
  std::string word(line);
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return word == GREETINGS[0]   ? FrontEndGreeting::Protocol::UCI
         : word == GREETINGS[1] ? FrontEndGreeting::Protocol::XBOARD
                                : FrontEndGreeting::Protocol::NONE;
}

// Whether the start of a line may still become a greeting: blanks, the start of a greeting's
// word, or all of it followed by blanks and perhaps the carriage return of a line end.
bool MayGreet(std::string_view start) {
  while (!start.empty() && IsBlank(start.front())) start.remove_prefix(1);
  for (const std::string_view word : GREETINGS) {
    std::size_t same = 0;
    while (same < start.size() && same < word.size() &&
           std::tolower(static_cast<unsigned char>(start[same])) == word[same])
      ++same;
    if (same == start.size()) return true;
    if (same < word.size()) continue;
    std::string_view tail = start.substr(same);
    if (tail.ends_with('\r')) tail.remove_suffix(1);
    bool blanks = true;
    for (const char c : tail) blanks = blanks && IsBlank(c);
    if (blanks) return true;
  }
  return false;
}

}  // namespace

FrontEndGreeting ReadGreeting(int descriptor) {
  FrontEndGreeting greeting;
  std::string& bytes = greeting.bytes;
  bool whole = false;  // the line has ended, or the input has
  while (!whole && bytes.size() < MAX_GREETING) {
    char c = 0;
    const ssize_t got = read(descriptor, &c, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno == EAGAIN) {
      pollfd ready{descriptor, POLLIN, 0};
      poll(&ready, 1, -1);
      continue;
    }
    if (got <= 0) {
      whole = true;  // a last line without its line end still counts
      break;
    }
    bytes += c;
    whole = c == '\n';
    if (!whole && !MayGreet(bytes)) return greeting;
  }
  if (whole) {
    // A carriage return before the line end belongs to it.
    std::string_view line = bytes;
    if (line.ends_with('\n')) line.remove_suffix(line.ends_with("\r\n") ? 2 : 1);
    greeting.protocol = GreetingOf(line);
  }
  return greeting;
}
