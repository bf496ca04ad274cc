// What every fuzz target shares: a scratch directory as the working directory, silent output
// streams, the input as a file or as a front end's commands, and a small opening book.
#pragma once

#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include "FrontEnd.h"
#include "console/Console.h"
#include "protocol/EngineSession.h"
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
// What the engine protocols may ask for at most: "Hash" or "memory" may ask for gigabytes,
// "Threads" or "cores" for dozens of threads, each searching a few thousand nodes before it
// hears that the search is over.
inline constexpr EngineSession::Caps SESSION_CAPS{SEARCH_NODES, 32, 2};

// An engine two plies deep and at most SEARCH_NODES nodes per search.
inline std::unique_ptr<NegaScout> CappedEngine() {
  auto engine = std::make_unique<NegaScout>(SearchLimits::FixedDepth(2));
  SearchControl control;
  control.maxNodes = SEARCH_NODES;
  control.nodeCeiling = SEARCH_NODES;
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

// Whether the input may name a file outside the scratch directory: a path that starts at the
// root or goes up ("/tmp/x", "../x", "\"/x"). Such inputs are left out, so that a fuzzed "save"
// never writes anywhere else. A FEN's slashes, each after a letter or digit, are no such path.
inline bool NamesOtherDirectory(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (text.find("..") != std::string_view::npos) return true;
  for (std::size_t at = text.find('/'); at != std::string_view::npos; at = text.find('/', at + 1))
    if (at == 0 || !std::isalnum(static_cast<unsigned char>(text[at - 1]))) return true;
  return false;
}

// Writes the input to the file "input" in the scratch directory and returns its name.
inline std::string AsFile(const std::uint8_t* data, std::size_t size) {
  std::ofstream("input", std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return "input";
}

// Where a target tells what an input does: nowhere, or, when VELMORA_FUZZ_TRACE is set (to run
// one reproducer by hand), standard error. The protocol targets write the conversation there
// (the front end's lines after "> "), the console target the console, the clock target a line
// per search.
inline bool Tracing() {
  static const bool tracing = std::getenv("VELMORA_FUZZ_TRACE") != nullptr;
  return tracing;
}
inline std::ostream& Conversation() {
  static std::ofstream toStandardError;
  if (!Tracing()) return Silent();
  if (!toStandardError.is_open()) toStandardError.open("/dev/stderr");
  return toStandardError;
}

// Runs `session` on the pipe of a front end that sends the input in bursts (see FrontEnd.h)
// and ends with "quit". Inputs that do not fit the pipe are left out.
template <typename Session>
void FromFrontEnd(const std::uint8_t* data, std::size_t size, Session session) {
  static const bool seesLooks = FrontEnd::SeesTheEngineLook();
  if (!seesLooks) {
    static const char message[] = "fuzz target: the front end does not see the engine's poll(2)\n";
    (void)!write(STDERR_FILENO, message, sizeof message - 1);
    std::abort();
  }
  std::ostream& conversation = Conversation();
  FrontEnd frontEnd(std::string_view(reinterpret_cast<const char*>(data), size),
                    Tracing() ? &conversation : nullptr);
  if (!frontEnd.Ready()) return;
  ProtocolInput in(frontEnd.EngineEnd());
  session(in, conversation);
}

}  // namespace fuzz
