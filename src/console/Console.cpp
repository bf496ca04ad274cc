#include "console/Console.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <streambuf>

std::ostream* ConsoleOut = &std::cout;

std::ostream& NoConsole() {
  struct Nothing : std::streambuf {
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  };
  static Nothing nothing;
  static std::ostream stream(&nothing);
  return stream;
}

void TableIndexFault(int index, int size) {
  std::fprintf(stderr, "table index %d outside 0..%d\n", index, size - 1);
  std::abort();
}
