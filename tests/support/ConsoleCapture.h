// Collects the console text while it lives.
#pragma once

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
