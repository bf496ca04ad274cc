#include "game/XboardComputerPlayer.h"

#include <iomanip>
#include <sstream>

#include "book/OpeningBook.h"
#include "protocol/XboardConnection.h"

XboardComputerPlayer::XboardComputerPlayer(Color color, int engineKind, const OpeningBook* book)
    : ComputerPlayer(color, engineKind, book) {
  Engine().SetThinkingOutput([](const std::string& line) {
    if (CurrentConnection) CurrentConnection->Send(CMD_THINKING, line);
  });
}

std::string ProtocolMoveText(const Move& move) {
  std::ostringstream squares;
  squares << std::setfill('0') << std::setw(2) << move.from << ' ' << std::setw(2) << move.to;
  std::string text;
  Board::SquareToCoord(squares.str(), &text);
  // "n" for a knight: front ends read "k" as a king.
  return text + move.PromotionLetter();
}

bool XboardComputerPlayer::GetMove(Board& board, Move& move) {
  ComputerPlayer::GetMove(board, move);
  if (!CurrentConnection) return true;
  if (BookProbeInfo.lastProbeHit) {
    std::ostringstream line;
    line << "0\t0\t0\t0\topening: " << BookProbeInfo.lastProbeChoice << '/'
         << BookProbeInfo.lastProbeCandidates << ": " << ProtocolMoveText(move);
    CurrentConnection->Send(CMD_THINKING, line.str());
  }
  if (move.flags == MOVE_RESIGN) {
    CurrentConnection->Send(CMD_RESIGN, "");
  } else if (move.flags != MOVE_STALEMATE) {
    CurrentConnection->Send(CMD_MOVE, ProtocolMoveText(move));
  }
  return true;
}
