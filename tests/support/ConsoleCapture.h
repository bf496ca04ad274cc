// Collects the console text, or what a standard stream receives, while it lives; judges text
// by its fragments.
#pragma once

#include <gtest/gtest.h>

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

// Expects each of the fragments (separated by '@') in the text, or, for one that starts with
// '!', not.
inline void ExpectFragments(const std::string& text, const std::string& fragments) {
  std::istringstream parts(fragments);
  for (std::string part; std::getline(parts, part, '@');) {
    if (part.starts_with('!'))
      EXPECT_EQ(text.find(part.substr(1)), std::string::npos) << part << "\n" << text;
    else
      EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
  }
}
