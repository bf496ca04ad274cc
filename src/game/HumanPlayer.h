// The person at the console: moves and console commands are typed, every move is checked.
#pragma once

#include "board/MoveList.h"
#include "game/Player.h"

class HumanPlayer : public Player {
 public:
  using Player::Player;

  void GetMove(Board& board, Move& move) override;

  // Reads one console line for `board`: performs a console command (and reads again), or sets
  // the move's squares from move text in coordinates or standard notation, or marks the move as
  // a resignation, which ends the turn (after "new" or at the end of input the game is told that
  // it ends unfinished instead). False when the line must be asked for again. `promotion` gets
  // the piece letter a move text names (the fifth character of five-character coordinate text),
  // else -1.
  virtual bool ReadInput(const Board& board, Move& move, int& promotion);

 protected:
  MoveList legalMoves;

 private:
  // Fills piece, captured and flags of a typed move from the board; false (after saying why)
  // when the squares cannot make a move.
  bool Classify(const Board& board, Move& move) const;
  // Asks for the piece a pawn becomes; false at the end of input.
  bool AskPromotion(int answer, Move& move) const;
};
