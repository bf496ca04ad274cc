// The engine's side under the xboard protocol: it searches like any computer player, reports
// its thinking, and sends its move to the front end.
#pragma once

#include <string>

#include "game/ComputerPlayer.h"

class XboardComputerPlayer : public ComputerPlayer {
 public:
  // An engine of the given kind that asks `book`, its thinking lines going to the front end.
  XboardComputerPlayer(Color color, int engineKind, const OpeningBook* book);

  bool GetMove(Board& board, Move& move) override;
};

// A move as the front end writes it: "e2e4", "e7e8q"; a knight promotion as "e7e8n".
std::string ProtocolMoveText(const Move& move);
