// Collects the console text, or what a standard stream receives, while it lives.
#pragma once

#include <ostream>
#include <sstream>
#include <string>
#include <utility>

#include "console/Console.h"

struct ConsoleCapture {
  std::ostringstream text;
  std::ostream* saved = std::exchange(ConsoleOut, &text);
  ~ConsoleCapture() { ConsoleOut = saved; }
  std::string Take() { return std::exchange(text, std::ostringstream()).str(); }
};

// The same for std::cout or std::cerr, whose buffer it takes over.
class StreamCapture {
 public:
  explicit StreamCapture(std::ostream& stream) : stream_(stream), saved_(stream.rdbuf(&text_)) {}
  ~StreamCapture() { stream_.rdbuf(saved_); }
  StreamCapture(const StreamCapture&) = delete;
  StreamCapture& operator=(const StreamCapture&) = delete;
  std::string Take() { return std::exchange(text_, std::stringbuf()).str(); }

 private:
  std::ostream& stream_;
  std::stringbuf text_;
  std::streambuf* saved_;
};
