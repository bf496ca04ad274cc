#include "game/ConsoleInput.h"

#include <termios.h>
#include <unistd.h>

#include <iostream>
#include <limits>

std::istream* ConsoleIn = &std::cin;

namespace {

// Whether the last read stopped inside a line (a one-letter answer leaves its line end).
bool insideLine = false;

}  // namespace

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
