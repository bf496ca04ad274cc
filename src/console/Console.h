// The console stream: all console text goes through it. It is standard output, except under
// a graphical front end, where the protocol owns standard output and console text goes to a file.
#pragma once

#include <ostream>

extern std::ostream* ConsoleOut;
