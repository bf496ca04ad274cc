// The computer's move choice: the abstract engine, its state and its statistics.
#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <ostream>
#include <string>

#include "board/Board.h"
#include "board/Move.h"
#include "search/MoveOrdering.h"
#include "search/PawnInfo.h"
#include "search/TranspositionTable.h"

// Kinds of engine that SearchEngine::Create knows.
inline constexpr int ENGINE_NEGASCOUT = 2;

// The counters of one iteration, reset before every iteration.
struct SearchStatistics {
  std::int32_t regularNodes = 0;
  std::int32_t quiescenceNodes = 0;
  std::int32_t regularTtHits = 0;
  std::int32_t quiescenceTtHits = 0;
  std::int32_t regularCutoffs = 0;
  std::int32_t quiescenceCutoffs = 0;
  std::int32_t regularCollisions = 0;
  std::int32_t quiescenceCollisions = 0;
  std::int32_t regularMoveSum = 0;
  std::int32_t regularBestIndexSum = 0;
  std::int32_t quiescenceMoveSum = 0;
  std::int32_t quiescenceBestIndexSum = 0;
};

class SearchEngine {
 public:
  SearchEngine();
  virtual ~SearchEngine() = default;
  SearchEngine(const SearchEngine&) = delete;
  SearchEngine& operator=(const SearchEngine&) = delete;

  // Reads the saved state (the 4-byte search count) and starts afresh: tables and history empty.
  virtual std::istream& LoadState(std::istream& in);
  // Chooses a move for the side to move of `board` into `out`; the board is not changed.
  virtual void Think(const Board& board, Move* out);
  // The counters of the last iteration and the tables' occupancy, as the console shows them;
  // `corruptedEntries` gets the number of table entries left out as impossible.
  virtual std::string StatisticsReport(int& corruptedEntries) const;
  // Writes the saved state: exactly the 4 bytes of the search count, little-endian.
  virtual std::ostream& SaveState(std::ostream& out);

  // A new engine of the given kind (ENGINE_NEGASCOUT), or none for any other kind.
  static std::unique_ptr<SearchEngine> Create(int kind);

  const SearchStatistics& Statistics() const { return stats_; }
  std::int32_t SearchCount() const { return searchCount_; }
  // The table for White to move (0) or Black to move (1).
  TranspositionTable& Table(Color sideToMove) { return *tables_[sideToMove]; }
  const HistoryTable& History() const { return history_; }
  const HistoryTable& CaptureHistory() const { return captureHistory_; }
  // Empties both transposition tables.
  void ClearTables();
  // Gives each table `entries` entries, empty (allocated when the search first needs them).
  void ResizeTables(int entries);

 protected:
  SearchStatistics stats_;
  TranspositionTable whiteTable_;
  TranspositionTable blackTable_;
  TranspositionTable* tables_[2];
  PawnCache pawnCache_;  // the pawn terms of the evaluation, by pawn sets
  Color engineColour_ = WHITE;
  std::int32_t searchCount_ = 0;
  HistoryTable history_{};
  HistoryTable captureHistory_{};
};
