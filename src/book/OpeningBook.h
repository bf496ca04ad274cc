// The opening book: for positions from the openings of recorded games, the moves played there
// and how those games went. Two hash tables, one per side to move, keyed by the position's hash
// values; stored in a binary file and asked by the engine before every search. Beside every
// bucket an index finds the entries of a position without walking the bucket, so that books of
// millions of entries are made and read as quickly per entry as small ones. A book file in the
// polyglot format is read as well, and answers the same way.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "board/Board.h"
#include "board/Move.h"
#include "book/BookSource.h"
#include "book/PolyglotBook.h"

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

// What a probe found: the chosen move (none when the book knows none), its 1-based place
// among the candidates and their number, for the front end's report of a book move.
struct BookChoice {
  std::optional<Move> move;
  std::int32_t choice = 0;
  std::int32_t candidates = 0;
};

class OpeningBook {
 public:
  OpeningBook() = default;
  virtual ~OpeningBook() = default;
  OpeningBook(const OpeningBook&) = delete;
  OpeningBook& operator=(const OpeningBook&) = delete;

  // Reads a book file, in the program's own format or the polyglot format, told apart by the
  // contents. A missing, foreign or damaged file leaves the book as it was; `error` says why.
  bool Load(const std::string& fileName, std::string& error);
  bool Save(const std::string& fileName, std::string& error) const;
  // The console line of a book read: "OpeningsBook =      1234 entries", with its line end.
  std::string EntriesLine() const;

  // Enters one observation: `move` played in the position with these hash values and this
  // side to move, with the outcome for the mover. Moves of lost games are not entered.
  void AddMove(const Move& move, std::int64_t hashKey, std::uint32_t hashLock, int outcome,
               Color side);

  // A book move for the position, drawn at random by weight.
  BookChoice Probe(const Board& board) const;
  // The legal moves the book knows for the position with their weights, in the file's order.
  std::vector<BookCandidate> Candidates(const Board& board) const;

  using SourceRead = BookSourceRead;
  // Reads one PGN file into the book, the first maxDepth plies of every game. Games set up from
  // another position are skipped and counted in setUpGamesSkipped.
  SourceRead Create(const std::string& sourceFileName);

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
  // Beside every bucket its index: where in the bucket the entries of each lock are (see
  // OpeningBook.cpp).
  using Index = std::array<std::vector<std::uint32_t>, TABLE_SIZE>;
  Index whitePlaces;
  Index blackPlaces;
  // A book read from a polyglot file answers from there.
  std::unique_ptr<PolyglotBook> polyglot;
};

// The file of a book being built: a temporary file beside the destination, which takes the
// destination's place only once the book is complete, so an existing book is never lost to a
// failed or interrupted build. While it is pending, Ctrl-C, SIGTERM and SIGHUP remove it before
// they end the program as usual; dropped unfinished, it is removed as well. One at a time.
class BookFileReplacement {
 public:
  BookFileReplacement() = default;
  ~BookFileReplacement();
  BookFileReplacement(const BookFileReplacement&) = delete;
  BookFileReplacement& operator=(const BookFileReplacement&) = delete;

  // Creates the temporary file and installs the signal handlers; false, with the reason, when
  // the file cannot be created.
  bool Begin(const std::string& destination, std::string& error);
  // Writes the book into the temporary file and renames it over the destination; `save`
  // writes a book of either kind into the file it is given.
  using Save = std::function<bool(const std::string& file, std::string& error)>;
  bool Commit(const Save& save, std::string& error);

 private:
  void Abandon();  // removes a pending temporary file and gives the signals back

  std::string destination;
  std::string temporary;  // empty when nothing is pending
  int descriptor = -1;
};
