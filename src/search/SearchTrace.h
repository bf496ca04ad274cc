// The search's trace log, "NegaScout.log". Messages go there only when the trace level is above
// their threshold; the level is fixed at 0, so the log is created empty and stays empty.
#pragma once

#include <fstream>

inline constexpr int SEARCH_TRACE_LEVEL = 0;

// Creates (or empties) the log in the working directory; the program does it at start.
void OpenSearchTrace();

// The open log; the caller writes only when SEARCH_TRACE_LEVEL exceeds the message's threshold.
std::ofstream& SearchTraceLog();

// Whether messages of this threshold are written.
constexpr bool Tracing(int threshold) { return SEARCH_TRACE_LEVEL > threshold; }
