// Running the real program and tools in a fresh temporary directory.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "support/TemporaryDirectory.h"

struct ProgramRun {
  std::string output;  // standard output, with standard error when asked for
  int status = -1;     // the exit status
};

// Runs `binary` with `arguments` (a shell command line's rest) in the directory with `input` on
// standard input.
inline ProgramRun RunIn(const TemporaryDirectory& directory, const char* binary,
                        const std::string& arguments, const std::string& input = "",
                        bool withStandardError = false) {
  const auto inputFile = directory.Write(".stdin", input);
  std::string line = "cd '";
  line += directory.Path().string() + "' && '" + binary + "' " + arguments + " < '" +
          inputFile.string() + "'";
  if (withStandardError) line += " 2>&1";
  ProgramRun run;
  FILE* pipe = popen(line.c_str(), "r");
  if (!pipe) return run;
  std::array<char, 4096> buffer;
  for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
    run.output.append(buffer.data(), n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::filesystem::remove(inputFile);
  return run;
}
