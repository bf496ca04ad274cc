// What every fuzz target shares: a scratch directory as the working directory, silent output
// streams, the input as a file, and a small opening book.
#pragma once

#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

#include "board/Board.h"
#include "board/MoveList.h"
#include "book/OpeningBook.h"
#include "book/Outcome.h"
#include "game/Console.h"

namespace fuzz {

// Swallows everything written to it.
inline std::ostream& Silent() {
  static std::ofstream nothing("/dev/null");
  return nothing;
}

// The file the current input is written to, in the scratch directory.
inline constexpr const char* INPUT_FILE = "input";
// A book that knows 1. e4 and 1. d4 and the replies 1... e5 and 1... c5.
inline constexpr const char* BOOK_FILE = "book.bin";

inline void AddBookMove(OpeningBook& book, Board& board, int from, int to) {
  MoveList moves;
  moves.Generate(board);
  const Move* move = moves.Find(from, to);
  if (move == nullptr) std::abort();
  std::int64_t key;
  std::uint32_t lock;
  board.Hashes(key, lock);
  book.AddMove(*move, key, lock, OUTCOME_GOOD, board.sideToMove);
  board.MakeMove(move);
}

// Once per process: a fresh scratch directory becomes the working directory (the program writes
// its files into the working directory), the book is written there, and all console, standard
// output and standard error text goes nowhere. The sanitizers and the fuzzer report through
// the file descriptor, not the streams.
inline void Prepare() {
  static const bool prepared = [] {
    char name[] = "/tmp/velmora-fuzz-XXXXXX";
    if (mkdtemp(name) == nullptr || chdir(name) != 0) std::abort();
    ConsoleOut = &Silent();
    std::cout.rdbuf(Silent().rdbuf());
    std::cerr.rdbuf(Silent().rdbuf());
    OpeningBook book;
    for (const auto& [first, reply] : {std::pair{52, 36}, std::pair{51, 35}}) {
      for (int answer : {12, 10}) {
        Board board;
        AddBookMove(book, board, first, reply);
        AddBookMove(book, board, answer, answer + 16);
      }
    }
    if (!book.Save(BOOK_FILE)) std::abort();
    return true;
  }();
  (void)prepared;
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

// Writes the input to INPUT_FILE and returns its name.
inline std::string AsFile(const std::uint8_t* data, std::size_t size) {
  std::ofstream(INPUT_FILE, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return INPUT_FILE;
}

// A pipe that holds the input followed by "quit", as a front end ends, and stays open for
// writing, so that the engine reads it as a front end's commands. Its two ends, to be closed.
inline std::array<int, 2> CommandPipe(const std::uint8_t* data, std::size_t size) {
  std::array<int, 2> ends{};
  const std::string input = std::string(reinterpret_cast<const char*>(data), size) + "\nquit\n";
  if (input.size() > 32768 || pipe(ends.data()) != 0 ||
      write(ends[1], input.data(), input.size()) != static_cast<ssize_t>(input.size()))
    std::abort();
  return ends;
}

// Every legal move of the board made on a copy, as the game makes a move it has accepted.
inline void MakeEveryLegalMove(const Board& board) {
  Board position = board;
  MoveList moves;
  if (!moves.Generate(position)) return;
  for (int i = 0; i < moves.Size(); ++i) {
    Board after = position;
    after.MakeMove(&moves[i]);
    MoveList replies;
    if (!replies.Generate(after)) continue;
    after.RemoveCastlePath(WHITE);
    after.RemoveCastlePath(BLACK);
  }
}

}  // namespace fuzz
