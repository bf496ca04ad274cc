// Velmora: a person plays White at the console against the computer.
#include <chrono>
#include <cstdlib>
#include <iostream>

#include "game/Console.h"
#include "game/OutOfMemory.h"
#include "search/SearchTrace.h"

namespace {

unsigned MillisecondTicks() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return static_cast<unsigned>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void PrintBanner() {
  *ConsoleOut << "            Welcome to Chess!" << std::endl
              << "    ~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~" << std::endl;
}

}  // namespace

int main(int /*argc*/, char** /*argv*/) {
  // The opening book's random choice draws from this generator.
  std::srand(MillisecondTicks());
  InstallOutOfMemoryHandler(OutOfMemoryHandler);
  ConsoleOut = &std::cout;
  OpenSearchTrace();
  // The board's constant tables and the move tables are built by the compiler, so they
  // exist before any board does.
  PrintBanner();
  return 0;
}
