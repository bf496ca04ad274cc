#include "game/ConsoleInput.h"

#include <termios.h>
#include <unistd.h>

#include <iostream>
#include <limits>
#include <list>
#include <streambuf>
#include <string>
#include <utility>

std::istream* ConsoleIn = &std::cin;

namespace {

// A stream buffer that hands out some bytes of its own, then those of another buffer.
class PrefixedBuffer : public std::streambuf {
 public:
  PrefixedBuffer(std::string prefix, std::streambuf* rest)
      : prefix_(std::move(prefix)), rest_(rest) {
    setg(prefix_.data(), prefix_.data(), prefix_.data() + prefix_.size());
  }

 protected:
  int_type underflow() override {
    if (gptr() != nullptr && gptr() < egptr()) return traits_type::to_int_type(*gptr());
    setg(nullptr, nullptr, nullptr);  // the prefix is read: the rest is read one by one
    return rest_->sgetc();
  }
  int_type uflow() override {
    if (gptr() != nullptr && gptr() < egptr()) {
      const char c = *gptr();
      gbump(1);
      return traits_type::to_int_type(c);
    }
    setg(nullptr, nullptr, nullptr);
    return rest_->sbumpc();
  }
  int_type pbackfail(int_type) override {
    return gptr() == nullptr ? rest_->sungetc() : traits_type::eof();
  }

 private:
  std::string prefix_;
  std::streambuf* rest_;
};

// Whether the last read stopped inside a line (a one-letter answer leaves its line end).
bool insideLine = false;

}  // namespace

void PrependConsoleInput(std::string bytes) {
  if (bytes.empty()) return;
  struct Prefixed {
    Prefixed(std::string bytes, std::streambuf* rest) : buffer(std::move(bytes), rest) {}
    PrefixedBuffer buffer;
    std::istream stream{&buffer};
  };
  // Each stays for the rest of the program: the one after it may read on into it.
  static std::list<Prefixed> streams;
  ConsoleIn = &streams.emplace_back(std::move(bytes), ConsoleIn->rdbuf()).stream;
}

bool ReadConsoleLine(std::string& line) {
  line.clear();
  int c = ConsoleIn->get();
  if (c == std::char_traits<char>::eof()) return false;
  for (; c != std::char_traits<char>::eof() && c != '\n'; c = ConsoleIn->get())
    line += static_cast<char>(c);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  insideLine = false;
  return true;
}

int ReadConsoleChar() {
  const int c = ConsoleIn->get();
  insideLine = c != '\n' && c != std::char_traits<char>::eof();
  return c;
}

std::string ReadConsoleWord() {
  std::string word;
  if (*ConsoleIn >> word) ReadConsoleChar();
  return word;
}

void DiscardTypedAhead() {
  if (insideLine) {
    ConsoleIn->ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    insideLine = false;
  }
  if (ConsoleIn == &std::cin && isatty(STDIN_FILENO)) tcflush(STDIN_FILENO, TCIFLUSH);
}
