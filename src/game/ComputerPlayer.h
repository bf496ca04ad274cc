// The computer: its moves come from the opening book and the search engine, through the one
// search driver every mode uses.
#pragma once

#include <memory>
#include <random>
#include <string>

#include "game/Player.h"
#include "search/NegaScout.h"
#include "search/StrongSearch.h"
#include "search/TimeBudget.h"

class OpeningBook;

// How strongly the computer plays at the console: with the console game's own search (the
// default), at a playing level of the Elo-like scale (search/Level.h), or with the full search.
struct PlayingStrength {
  enum class Kind { CLASSIC, LEVEL, FULL };
  Kind kind = Kind::CLASSIC;
  int level = 0;  // for Kind::LEVEL, from LEVEL_MIN to LEVEL_MAX
};
// Reads "classic", "full" or a level's number ("1500"), in any case; false with the reason in
// `error` for anything else.
bool ReadStrength(const std::string& text, PlayingStrength& strength, std::string& error);
// "1500", "full (the strongest search)" or "classic (the console game's own search)".
std::string StrengthText(const PlayingStrength& strength);

class ComputerPlayer : public Player {
 public:
  // The engine searches with its own limits; `book` (it may be absent) is asked first. The
  // search of a level or of full strength reads `clock` (the time in milliseconds) as the
  // engine does.
  ComputerPlayer(Color color, std::unique_ptr<NegaScout> engine, const OpeningBook* book,
                 IterativeSearch::Clock clock = nullptr);

  // The engine's move; a move that mates becomes the game's final move, MOVE_CHECKMATE. A move
  // that stalemates stays a board move: the opponent's turn ends the game as a draw.
  void GetMove(Board& board, Move& move) override;
  std::istream& LoadState(std::istream& in) override;
  std::ostream& SaveState(std::ostream& out) override;
  void PrintStatistics() override;

  NegaScout& Engine() { return *engine_; }

  const PlayingStrength& Strength() const { return strength_; }
  void SetStrength(const PlayingStrength& strength) { strength_ = strength; }
  // The clock of the next move: a time per move, the time left on a game clock, or neither
  // (the default), when the console game's own limits hold.
  void SetClock(const GameClock& clock) { clock_ = clock; }

 private:
  std::unique_ptr<NegaScout> engine_;
  std::unique_ptr<StrongSearch> strong_;  // for a level or full strength, made when first asked
  IterativeSearch::Clock clockReader_;
  const OpeningBook* book_;
  PlayingStrength strength_;
  GameClock clock_;
  std::mt19937_64 random_{std::random_device{}()};  // a level's chance
};
