// A player supplies the moves of one colour; the game treats all players alike.
#pragma once

#include <istream>
#include <ostream>
#include <string>

#include "board/Board.h"
#include "board/Move.h"

class Player {
 public:
  explicit Player(Color playerColor) : color(playerColor) {}
  virtual ~Player() = default;
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  // Fills `move` with the move for the board's side to move, or with a move that ends the
  // game (resignation, stalemate, checkmate). `board` is the game's board.
  virtual void GetMove(Board& board, Move& move) = 0;
  // What a position file keeps of the player (nothing, unless the player has an engine).
  virtual std::istream& LoadState(std::istream& in) { return in; }
  virtual std::ostream& SaveState(std::ostream& out) { return out; }
  virtual void PrintStatistics() {}

  std::string name = "Unknown Player";
  Color color;
};
