// Running the real program and tools in a fresh temporary directory.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/TemporaryDirectory.h"

struct ProgramRun {
  std::string output;  // standard output, with standard error when asked for
  int status = -1;     // the exit status
};

// Runs `command` (a shell command line) in `directory` with `input` on standard input.
inline ProgramRun RunIn(const std::filesystem::path& directory, const std::string& command,
                        const std::string& input = "", bool withStandardError = false) {
  const auto inputFile = directory / ".stdin";
  std::ofstream(inputFile, std::ios::binary) << input;
  const std::string line = "cd '" + directory.string() + "' && " + command + " < '" + inputFile.string() +
                           "'" + (withStandardError ? " 2>&1" : "");
  ProgramRun run;
  FILE* pipe = popen(line.c_str(), "r");
  if (!pipe) return run;
  std::array<char, 4096> buffer;
  for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) run.output.append(buffer.data(), n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::filesystem::remove(inputFile);
  return run;
}
