// What every fuzz target shares: a scratch directory as the working directory, silent output
// streams, the input as a file or as a front end's pipe, and a small opening book.
#pragma once

#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include "console/Console.h"
#include "protocol/ProtocolInput.h"
#include "search/NegaScout.h"

namespace fuzz {

// Swallows everything written to it.
inline std::ostream& Silent() {
  static std::ofstream nothing("/dev/null");
  return nothing;
}

// In the scratch directory: the book of the seed corpus (it knows the first moves of a few
// openings).
inline constexpr const char* BOOK_FILE = "book.bin";

// The nodes a search may visit: a position full of captures takes millions of quiescence nodes
// even two plies deep, far too slow under the sanitizers.
inline constexpr std::int64_t SEARCH_NODES = 3000;
// The most the engine protocols may give the tables: "Hash" or "memory" may ask for gigabytes.
inline constexpr int HASH_MEGABYTES = 32;

// An engine two plies deep and at most SEARCH_NODES nodes per search.
inline std::unique_ptr<NegaScout> CappedEngine() {
  auto engine = std::make_unique<NegaScout>(SearchLimits::FixedDepth(2));
  SearchControl control;
  control.maxNodes = SEARCH_NODES;
  engine->SetControl(control);
  return engine;
}

// Once per process: a fresh scratch directory becomes the working directory (the program writes
// its files there) and gets the book; console, standard output and standard error text goes
// nowhere. The sanitizers and the fuzzer report through the file descriptor, not the streams.
inline void Prepare() {
  static const std::filesystem::path scratch = [] {
    char name[] = "/tmp/velmora-fuzz-XXXXXX";
    if (mkdtemp(name) == nullptr || chdir(name) != 0) std::abort();
    std::filesystem::copy_file(VELMORA_FUZZ_BOOK, BOOK_FILE);
    ConsoleOut = &Silent();
    std::cout.rdbuf(Silent().rdbuf());
    std::cerr.rdbuf(Silent().rdbuf());
    std::atexit([] { std::filesystem::remove_all(scratch); });
    return std::filesystem::path(name);
  }();
}

// Removes every file but the book from the scratch directory, so that nothing one input wrote
// changes what the next one does.
inline void ClearScratch() {
  for (const auto& entry : std::filesystem::directory_iterator(".")) {
    std::error_code ignored;
    if (entry.path().filename() != BOOK_FILE) std::filesystem::remove_all(entry.path(), ignored);
  }
}

// Whether the input names a file outside the scratch directory; such inputs are left out, so
// that a fuzzed "save" never writes anywhere else.
inline bool NamesOtherDirectory(const std::uint8_t* data, std::size_t size) {
  return std::string_view(reinterpret_cast<const char*>(data), size).find('/') !=
         std::string_view::npos;
}

// Writes the input to the file "input" in the scratch directory and returns its name.
inline std::string AsFile(const std::uint8_t* data, std::size_t size) {
  std::ofstream("input", std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return "input";
}

// Runs `session` on a pipe that holds the input followed by "quit", as a front end ends, and
// stays open for writing, so that the engine reads it as a front end's commands. Inputs longer
// than the pipe's buffer are left out.
template <typename Session>
void OverCommandPipe(const std::uint8_t* data, std::size_t size, Session session) {
  const std::string input = std::string(reinterpret_cast<const char*>(data), size) + "\nquit\n";
  std::array<int, 2> ends{};
  if (input.size() > 32768) return;
  if (pipe(ends.data()) != 0 ||
      write(ends[1], input.data(), input.size()) != static_cast<ssize_t>(input.size()))
    std::abort();
  ProtocolInput in(ends[0]);
  session(in);
  close(ends[0]);
  close(ends[1]);
}

}  // namespace fuzz
