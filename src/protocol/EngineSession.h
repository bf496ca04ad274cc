// One game as an engine protocol sees it: the game record, the engine that searches it and
// where finished games are logged. The protocols translate their commands into these
// operations; the rules, the record and the search driver are the game layer's.
#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "board/Board.h"
#include "board/Move.h"
#include "board/Rules.h"
#include "book/GameRecord.h"
#include "search/IterativeSearch.h"
#include "search/Level.h"
#include "search/NegaScout.h"
#include "search/SearchControl.h"
#include "search/SearchDriver.h"
#include "search/StrongSearch.h"

class EngineSession {
 public:
  // Finished games are appended to the file `logFileName` (none are kept when it is empty).
  explicit EngineSession(std::string logFileName);
  virtual ~EngineSession() = default;
  EngineSession(const EngineSession&) = delete;
  EngineSession& operator=(const EngineSession&) = delete;

  const Board& Position() const { return record_.Position(); }
  int MovesPlayed() const { return record_.Plies(); }

  // A new game from the initial position, with a fresh engine unless `sameEngine`. The game
  // before it is written to the log first, unfinished when it had no result.
  void NewGame(bool sameEngine = false);
  // The same from a FEN position; false (with the reason) and nothing changed for a FEN that
  // is malformed or no legal position.
  bool SetUp(const std::string& fen, std::string& error, bool sameEngine = false);
  // The legal move that coordinate text names (see FindCoordinateMove); false for anything else.
  bool FindMove(const std::string& text, Move& move) const {
    return FindCoordinateMove(Position(), text, move);
  }
  // The first legal move in generation order; false when there is none.
  bool FirstLegalMove(Move& move) const { return ::FirstLegalMove(Position(), move); }
  // Makes a move found by FindMove or chosen by the engine.
  void Play(const Move& move);
  // Takes back `plies` moves; false, and nothing taken back, when fewer were played.
  bool TakeBack(int plies);
  Standing Outcome() const { return StandingOf(Position()); }

  // The engine's move for the side to move, through the search driver. A request for a game
  // move at a level sets request.level to Level(): analysis is never weakened.
  SearchAnswer Think(SearchRequest request);
  // The search options of this game: its draw rules and the positions played so far. The
  // protocols add their own (lines, root moves, reports) to them.
  SearchOptions GameOptions() const;
  // The draw the rules give the game in its position now, as the result the engine claims:
  // "1/2-1/2 {3-fold repetition}", "{50-move rule}" or "{insufficient material}"; empty
  // when there is none.
  std::string DrawClaim() const;
  // The engine of the chosen strength (a level plays the strong search).
  IterativeSearch& Engine() {
    return fullStrength_ || Level() > 0 ? static_cast<IterativeSearch&>(*strong_) : *classic_;
  }
  // The options that limit the engine's strength (UCI_LimitStrength and UCI_Elo, "Limit
  // strength" and "Elo" under xboard): whether the limit is on, and the level it keeps to
  // (search/Level.h). SetElo answers false, and keeps the level, for a value off the scale.
  void LimitStrength(bool on) { limitStrength_ = on; }
  bool SetElo(int elo);
  static constexpr int DEFAULT_ELO = 1500;
  // The level the engine plays at, 0 for none.
  int Level() const { return limitStrength_ ? elo_ : 0; }
  // The engine option "Strength": the search as the console game has it ("Classic", the
  // default of a session) or the full-strength search ("Full"). SetStrength takes either name,
  // and the older "Specified" for Classic, in any case; it answers false for any other text.
  static constexpr const char* STRENGTH_CLASSIC = "Classic";
  static constexpr const char* STRENGTH_FULL = "Full";
  bool SetStrength(const std::string& name);
  bool FullStrength() const { return fullStrength_; }
  // The threads of the full-strength search (1 to StrongSearch::MAX_THREADS, values outside
  // brought inside), for this and every later engine; the console game's search has one.
  void SetThreads(int threads);
  // The memory of the engine's tables, in megabytes, for this and every later engine.
  void SetHashMegabytes(int megabytes);
  // What the front end may ask for at most. The program never sets them; tools that drive
  // many sessions keep their searches small with them.
  struct Caps {
    // Every following search ends after this many nodes, whatever its limits and clock say.
    std::int64_t nodes = SearchControl::NO_LIMIT;
    int hashMegabytes = TT_MAX_MEGABYTES;  // the tables' memory
    int threads = StrongSearch::MAX_THREADS;
  };
  void Cap(const Caps& caps) { caps_ = caps; }

  // The result of the game: "1-0", "0-1", "1/2-1/2", or "*" while it is undecided.
  void SetResult(const std::string& result) { record_.SetResult(result); }
  const std::string& Result() const { return record_.Result(); }
  // The players' names for the record.
  std::string whiteName = "White Player";
  std::string blackName = "Black Player";
  // Appends the game to the log, once; a game without a single move is not recorded. True
  // when a record was written. A record that cannot be written completely leaves the log as it
  // was and is said on standard error and on the console.
  bool WriteRecord();
  // Whether games have been written to the log, every one of them completely.
  bool Logged() const { return logged_ && !logFailed_; }

 private:
  void Restart(const Board& start, bool sameEngine, int reversiblePlies = 0);

  std::string logFileName_;
  // The console game's search and the strong search: the option chooses between them. Their
  // tables are allocated when first used.
  std::unique_ptr<NegaScout> classic_;
  std::unique_ptr<StrongSearch> strong_;
  GameRecord record_;
  bool written_ = false;
  bool logged_ = false;
  bool logFailed_ = false;
  Caps caps_;
  int tableEntries_ = TT_SIZE;
  int threads_ = 1;
  bool fullStrength_ = false;
  bool limitStrength_ = false;
  int elo_ = DEFAULT_ELO;
  std::mt19937_64 random_{std::random_device{}()};  // a level's chance
};

// The text of a result for the front end: "1-0 {White mates}" and the like; empty while the
// game goes on.
std::string ResultLine(Standing standing, Color sideToMove);
