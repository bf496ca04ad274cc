// The console stream: all console text goes through it. It is standard output, except under
// a graphical front end, where the protocol owns standard output and console text goes to a file
// when the engine traces, else nowhere.
#pragma once

#include <csignal>
#include <ostream>

extern std::ostream* ConsoleOut;

// A stream that keeps nothing written to it: the console of an engine that does not trace.
std::ostream& NoConsole();

// The signals that interrupt the program as Ctrl-C does: whoever has something to keep or to
// clean up when interrupted (the running game, a book file being written) handles these.
inline constexpr int INTERRUPTING_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};

// A table index outside its table, found by the sanitizer build's checks: says so on standard
// error ("table index 64 outside 0..63") and ends the process.
[[noreturn]] void TableIndexFault(int index, int size);
