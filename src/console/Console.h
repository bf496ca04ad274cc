// The console stream: all console text goes through it. It is standard output, except under
// a graphical front end, where the protocol owns standard output and console text goes to a file.
#pragma once

#include <ostream>

extern std::ostream* ConsoleOut;

// A table index outside its table, found by the sanitizer build's checks: says so on standard
// error ("table index 64 outside 0..63") and ends the process.
[[noreturn]] void TableIndexFault(int index, int size);
