// One game as an engine protocol sees it: the position and the moves that led to it, the
// engine that searches it, and the game's record. The protocols translate their commands into
// these operations.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "board/Board.h"
#include "board/Move.h"
#include "search/NegaScout.h"
#include "search/SearchControl.h"
#include "search/SearchLimits.h"

class OpeningBook;

// How a game stands on the board.
enum class BoardOutcome { ONGOING, WHITE_MATES, BLACK_MATES, STALEMATE };

class EngineSession {
 public:
  // The engine consults `book` (it may be absent); finished games are appended to the file
  // `logFileName` (none are kept when it is empty).
  EngineSession(const OpeningBook* book, std::string logFileName);
  virtual ~EngineSession() = default;
  EngineSession(const EngineSession&) = delete;
  EngineSession& operator=(const EngineSession&) = delete;

  const Board& Position() const { return board_; }
  int MovesPlayed() const { return static_cast<int>(moves_.size()); }

  // A new game from the initial position, with a fresh engine unless `sameEngine`. The game
  // before it is written to the log first, unfinished when it had no result.
  void NewGame(bool sameEngine = false);
  // The same from a FEN position; false (with the reason) and nothing changed for a FEN that
  // is malformed or no legal position.
  bool SetUp(const std::string& fen, std::string& error, bool sameEngine = false);
  // The book of the following searches (none: null).
  void SetBook(const OpeningBook* book) { book_ = book; }
  // The legal move that coordinate text names ("e2e4", "e7e8q", castling as the king's move
  // "e1g1"; a knight promotion as "n" or "k"); false for anything else.
  bool FindMove(const std::string& text, Move& move);
  // The first legal move in generation order; false when there is none.
  bool FirstLegalMove(Move& move);
  // Makes a move found by FindMove or chosen by the engine.
  void Play(const Move& move);
  // Takes back `plies` moves; false, and nothing taken back, when fewer were played.
  bool TakeBack(int plies);
  BoardOutcome Outcome();

  // The engine's move for the side to move; `searchEnded` tells whether the search ended by
  // its own rules (true) or was stopped by its control.
  Move Think(const SearchLimits& limits, SearchControl control, bool useBook,
             std::function<void(const std::string&)> thinking);
  NegaScout& Engine() { return *engine_; }
  // Ends every following search after this many nodes, whatever its limits and clock say. The
  // program never sets it; tools that drive many sessions keep their searches small with it.
  void CapNodes(std::int64_t nodes) { nodeCap_ = nodes; }

  // The result of the game: "1-0", "0-1", "1/2-1/2", or "*" while it is undecided.
  void SetResult(const std::string& result) { result_ = result; }
  const std::string& Result() const { return result_; }
  // The players' names for the record.
  std::string whiteName = "White Player";
  std::string blackName = "Black Player";
  // Appends the game to the log, once; a game without a single move is not recorded. True
  // when a record was written.
  bool WriteRecord();
  // Whether any game has been written to the log.
  bool Logged() const { return logged_; }

 private:
  void Restart(const Board& start, bool sameEngine);

  const OpeningBook* book_;
  std::string logFileName_;
  std::unique_ptr<NegaScout> engine_;
  Board start_;
  Board board_;
  std::vector<Board> before_;  // the position before each move played
  std::vector<Move> moves_;
  std::string result_ = "*";
  bool written_ = false;
  bool logged_ = false;
  std::int64_t nodeCap_ = SearchControl::NO_LIMIT;
};

// A move as a front end writes it: "e2e4", "e7e8q"; a knight promotion as "e7e8n".
std::string CoordinateText(const Move& move);
// The text of a result for the front end: "1-0 {White mates}" and the like.
std::string ResultLine(BoardOutcome outcome);
