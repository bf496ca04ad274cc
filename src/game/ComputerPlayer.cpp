#include "game/ComputerPlayer.h"

#include "board/Fen.h"
#include "board/MoveList.h"
#include "search/NegaScout.h"

ComputerPlayer::ComputerPlayer(Color color, std::unique_ptr<SearchEngine> engine)
    : Player(color), engine_(std::move(engine)) {}

ComputerPlayer::ComputerPlayer(Color color, int engineKind, const OpeningBook* book)
    : ComputerPlayer(color, SearchEngine::Create(engineKind, book)) {}

bool LeavesNoLegalReply(const Board& board, const Move& move) {
  Board after = board;
  after.MakeMove(&move);
  MoveList replies;
  return replies.Generate(after) && !HasPlayableMove(after, replies);
}

bool SideToMoveInCheck(const Board& board) {
  Board turned = board;
  turned.sideToMove = 1 - turned.sideToMove;
  return KingCanBeTaken(turned);
}

bool IsStalemate(const Board& board) {
  Board position = board;
  MoveList moves;
  if (!moves.Generate(position) && moves.LastFailure() != GenerationFailure::NO_MOVES) return false;
  return !HasPlayableMove(position, moves) && !SideToMoveInCheck(position);
}

bool ComputerPlayer::GetMove(Board& board, Move& move) {
  engine_->Think(board, &move);
  if (move.score >= SCORE_MATE_FOUND) engine_->ClearTables();
  // A resignation or stalemate already ends the game; they are not board moves to look behind.
  const int kind = move.Kind();
  if (kind != MOVE_RESIGN && kind != MOVE_STALEMATE && kind != MOVE_CHECKMATE &&
      LeavesNoLegalReply(board, move)) {
    Board after = board;
    after.MakeMove(&move);
    if (SideToMoveInCheck(after)) move.flags = MOVE_CHECKMATE;
  }
  return true;
}

std::istream& ComputerPlayer::LoadState(std::istream& in) { return engine_->LoadState(in); }

std::ostream& ComputerPlayer::SaveState(std::ostream& out) { return engine_->SaveState(out); }

void ComputerPlayer::PrintStatistics() { engine_->PrintStatistics(); }
