#include "console/Console.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

std::ostream* ConsoleOut = &std::cout;

void TableIndexFault(int index, int size) {
  std::fprintf(stderr, "table index %d outside 0..%d\n", index, size - 1);
  std::abort();
}
