// The computer: its moves come from a search engine.
#pragma once

#include <memory>

#include "game/Player.h"
#include "search/SearchEngine.h"

class OpeningBook;

class ComputerPlayer : public Player {
 public:
  ComputerPlayer(Color color, std::unique_ptr<SearchEngine> engine);
  // With an engine of the given kind (see SearchEngine::Create) that asks `book`.
  ComputerPlayer(Color color, int engineKind, const OpeningBook* book);

  // The engine's move; a move that mates becomes the game's final move, MOVE_CHECKMATE. A move
  // that stalemates stays a board move: the opponent's turn ends the game as a draw.
  bool GetMove(Board& board, Move& move) override;
  std::istream& LoadState(std::istream& in) override;
  std::ostream& SaveState(std::ostream& out) override;
  void PrintStatistics() override;

  SearchEngine& Engine() { return *engine_; }

 private:
  std::unique_ptr<SearchEngine> engine_;
};

// Whether the side to move after `move` on `board` has no legal reply at all.
bool LeavesNoLegalReply(const Board& board, const Move& move);
// Whether the side to move could lose its king to the other side's next move.
bool SideToMoveInCheck(const Board& board);
// Whether the side to move has no legal move and is not in check.
bool IsStalemate(const Board& board);
