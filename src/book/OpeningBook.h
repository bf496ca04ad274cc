// The opening book: for positions from the openings of recorded games, the moves played there
// and how those games went. Two hash tables, one per side to move, keyed by the position's hash
// values; stored in a binary file and asked by the engine before every search.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "board/Board.h"
#include "board/Move.h"

// Buckets per side; also the first field of a book file.
inline constexpr int TABLE_SIZE = 1024;

// One move seen in one position, with how the games in which it was played went for the mover.
struct BookEntry {
  std::uint32_t hashLock = 0;  // the position's Board::HashLock
  std::int32_t goodCount = 0;
  std::int32_t neutralCount = 0;
  Move move;

  // How strongly the entry is chosen: a won game counts twice, a draw once.
  std::int64_t Weight() const;
};

// What a probe found: the chosen move (null when the book knows none), its 1-based place
// among the candidates and their number, for the front end's report of a book move.
struct BookChoice {
  const Move* move = nullptr;
  std::int32_t choice = 0;
  std::int32_t candidates = 0;
};

class OpeningBook {
 public:
  OpeningBook() = default;
  // An empty book that then reads the file (an unreadable file leaves it empty).
  explicit OpeningBook(const std::string& fileName);
  virtual ~OpeningBook() = default;
  OpeningBook(const OpeningBook&) = delete;
  OpeningBook& operator=(const OpeningBook&) = delete;

  // Reads a book file. A missing, foreign or damaged file is reported on standard error and
  // leaves the book empty.
  bool Load(const std::string& fileName);
  bool Save(const std::string& fileName) const;

  // Enters one observation: `move` played in the position with these hash values and this
  // side to move, with the outcome for the mover. Moves of lost games are not entered.
  void AddMove(const Move& move, std::int64_t hashKey, std::uint32_t hashLock, int outcome,
               Color side);

  // A book move for the position, drawn at random by weight.
  BookChoice Probe(const Board& board) const;

  // Reads one PGN file into the book, the first maxDepth plies of every game; the number of
  // games read. A move the reader cannot resolve throws FatalInput. Games set up from another
  // position are skipped and counted in setUpGamesSkipped.
  int Create(const std::string& sourceFileName);

  static int BucketIndex(std::int64_t hashKey);

  std::int32_t maxCollisions = 0;
  std::int32_t entryCount = 0;
  std::int32_t maxDepth = 0;
  std::int32_t setUpGamesSkipped = 0;

 private:
  using Table = std::array<std::vector<BookEntry>, TABLE_SIZE>;
  // Buckets keep their entries in the order they were entered, which is the file's order.
  Table whiteTable;
  Table blackTable;
};

// The createbook command: createbook <destination file> <max_depth> <source file>...
// False when the arguments are too few or the book could not be written; an unresolvable PGN
// move throws FatalInput before anything is written.
bool CreateOpeningBook(int argc, char** argv);
