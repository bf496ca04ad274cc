// Running the real program and tools in a fresh temporary directory.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

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

// Starts the console game in the directory with pipes for its standard input and output: the
// test writes to `in` and reads from `out`. The child's process id, or -1.
inline pid_t StartConsoleGame(const TemporaryDirectory& directory, int& in, int& out) {
  int input[2], output[2];
  if (pipe(input) != 0 || pipe(output) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    dup2(input[0], STDIN_FILENO);
    dup2(output[1], STDOUT_FILENO);
    for (int end : {input[0], input[1], output[0], output[1]}) close(end);
    if (chdir(directory.Path().c_str()) == 0) execl(VELMORA_BINARY, VELMORA_BINARY, nullptr);
    _exit(127);
  }
  close(input[0]);
  close(output[1]);
  in = input[1];
  out = output[0];
  return child;
}
