#include "game/ComputerPlayer.h"

#include <iostream>

#include "board/Rules.h"
#include "console/Console.h"
#include "search/SearchDriver.h"

ComputerPlayer::ComputerPlayer(Color color, std::unique_ptr<NegaScout> engine,
                               const OpeningBook* book)
    : Player(color), engine_(std::move(engine)), book_(book) {}

void ComputerPlayer::GetMove(Board& board, Move& move) {
  SearchRequest request;
  // The engine's own limits and budget: the console game's are fixed.
  request.limits = engine_->Limits();
  request.budget = engine_->Control();
  request.book = book_;
  request.console = [](const std::string& line) { *ConsoleOut << line << std::flush; };
  move = ChooseMove(*engine_, board, std::move(request)).move;
  if (move.score >= SCORE_MATE_FOUND) engine_->ClearTables();
  // A resignation or stalemate already ends the game; they are not board moves to look behind.
  const int kind = move.Kind();
  if (kind != MOVE_RESIGN && kind != MOVE_STALEMATE && kind != MOVE_CHECKMATE) {
    Board after = board;
    after.MakeMove(&move);
    // A mating promotion keeps its piece.
    if (StandingOf(after) == Standing::CHECKMATE) move.flags = MOVE_CHECKMATE | move.Promotion();
  }
}

std::istream& ComputerPlayer::LoadState(std::istream& in) { return engine_->LoadState(in); }

std::ostream& ComputerPlayer::SaveState(std::ostream& out) { return engine_->SaveState(out); }

void ComputerPlayer::PrintStatistics() {
  int corrupted = 0;
  *ConsoleOut << engine_->StatisticsReport(corrupted) << std::flush;
  for (int i = 0; i < corrupted; ++i) std::cerr << " TRANSPOSITIONTABLE IS CORRUPTED ";
}
