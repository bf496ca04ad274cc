// The front end's side under the xboard protocol: moves come from protocol lines instead of
// the keyboard, and are checked like typed ones.
#pragma once

#include "game/HumanPlayer.h"

// None of usermove, quit, resign, white has reached the front end's player yet: the first one
// decides which side the engine plays.
extern bool AwaitingFirstCommand;
// The engine is to take over the side to move (after a first white command).
extern bool SwitchSidesRequested;

class XboardHumanPlayer : public HumanPlayer {
 public:
  using HumanPlayer::HumanPlayer;

  bool ReadInput(Move& move, int& promotion) override;
};

// The engine takes the side of `player` (whose input asked for it) and makes this turn's move;
// the front end gets the other side.
bool SwitchSides(const Player& player, Board& board, Move& move);
