// Opening books in the polyglot format, the book file chess front ends share: 16-byte entries
// of a 64-bit position key, a move, a weight and a learn field, all most significant byte
// first, sorted by key. The book reads such files and writes them from PGN collections.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "board/Board.h"
#include "board/Move.h"
#include "book/BookSource.h"

// The position's key in polyglot books: pieces, castling rights, an en passant capture a pawn
// of the side to move stands ready for (legal or not), and the side to move.
std::uint64_t PolyglotKey(const Board& board);
// The move as a polyglot book writes it: target square in bits 0..5, origin in bits 6..11, the
// promotion in bits 12..14; castling as the king taking its own rook.
std::uint16_t PolyglotMove(const Move& move);

class PolyglotBook {
 public:
  struct Entry {
    std::uint64_t key = 0;
    std::uint16_t move = 0;
    std::uint16_t weight = 0;
    std::uint32_t learn = 0;
  };

  // The entries of a polyglot file: a whole number of entries sorted by key. False, and the
  // book as it was, for anything else.
  bool Load(const std::string& fileName);
  std::int64_t Size() const { return static_cast<std::int64_t>(entries.size()); }

  // The legal moves the book has for the position, in the file's order, without the moves of
  // weight 0 (kept in a book to be never played) and without entries that name no legal move.
  std::vector<BookCandidate> Candidates(const Board& board) const;

  // Reads one PGN file into the book, the first maxDepth plies of every game; games set up from
  // another position are skipped and counted in setUpGamesSkipped.
  BookSourceRead Create(const std::string& sourceFileName);
  // Building: one observation, as the program's own book counts it (a won game twice, a drawn
  // or unknown one once, a lost one not at all).
  void AddMove(const Board& board, const Move& move, int outcome);
  // Writes the observed moves: weights scaled down together when the largest passes 16 bits,
  // never below 1, entries sorted by key and within a key by falling weight, then in the order
  // they were first seen.
  bool Save(const std::string& fileName, std::string& error) const;

  // While building, as the program's own book has them.
  std::int32_t entryCount = 0;
  std::int32_t maxDepth = 0;
  std::int32_t setUpGamesSkipped = 0;

 private:
  std::vector<Entry> entries;  // read from a file

  struct Observed {
    std::uint64_t key;
    std::uint16_t move;
    bool operator==(const Observed&) const = default;
  };
  struct ObservedHash {
    std::size_t operator()(const Observed& observed) const {
      return static_cast<std::size_t>(observed.key ^ (std::uint64_t{observed.move} << 48));
    }
  };
  struct Count {
    std::int64_t weight = 0;
    std::int64_t order = 0;  // the entry's place among the entries as first seen
  };
  std::unordered_map<Observed, Count, ObservedHash> observed;  // while building
};
