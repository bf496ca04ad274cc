// The computer: its moves come from the opening book and the search engine, through the one
// search driver every mode uses.
#pragma once

#include <memory>

#include "game/Player.h"
#include "search/NegaScout.h"

class OpeningBook;

class ComputerPlayer : public Player {
 public:
  // The engine searches with its own limits; `book` (it may be absent) is asked first.
  ComputerPlayer(Color color, std::unique_ptr<NegaScout> engine, const OpeningBook* book);

  // The engine's move; a move that mates becomes the game's final move, MOVE_CHECKMATE. A move
  // that stalemates stays a board move: the opponent's turn ends the game as a draw.
  void GetMove(Board& board, Move& move) override;
  std::istream& LoadState(std::istream& in) override;
  std::ostream& SaveState(std::ostream& out) override;
  void PrintStatistics() override;

  NegaScout& Engine() { return *engine_; }

 private:
  std::unique_ptr<NegaScout> engine_;
  const OpeningBook* book_;
};
