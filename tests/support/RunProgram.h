// Running the real program and tools in a fresh temporary directory.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

struct ProgramRun {
  std::string output;  // standard output, with standard error when asked for
  int status = -1;     // the exit status
};

// A fresh, empty working directory, removed again with everything in it.
class TemporaryDirectory {
 public:
  TemporaryDirectory() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() / ("velmora-test-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~TemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path Write(const std::string& name, const std::string& content) const {
    const auto file = path_ / name;
    std::ofstream(file, std::ios::binary) << content;
    return file;
  }

 private:
  std::filesystem::path path_;
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
