#include "search/SearchTrace.h"

std::ofstream& SearchTraceLog() {
  static std::ofstream log;
  return log;
}

void OpenSearchTrace() {
  if (!SearchTraceLog().is_open())
    SearchTraceLog().open("NegaScout.log", std::ios::out | std::ios::trunc);
}
