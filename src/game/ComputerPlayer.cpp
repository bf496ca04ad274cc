#include "game/ComputerPlayer.h"

#include <algorithm>
#include <cctype>
#include <iostream>

#include "board/Rules.h"
#include "console/Console.h"
#include "search/Level.h"
#include "search/SearchDriver.h"

bool ReadStrength(const std::string& text, PlayingStrength& strength, std::string& error) {
  std::string word;
  for (char c : text) word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (word == "classic") {
    strength = PlayingStrength{};
    return true;
  }
  if (word == "full") {
    strength = PlayingStrength{PlayingStrength::Kind::FULL, 0};
    return true;
  }
  int level = 0;
  bool number = !word.empty() && word.size() <= 5;
  for (char c : word) {
    if (c < '0' || c > '9') number = false;
    if (number) level = level * 10 + (c - '0');
  }
  if (number && level >= LEVEL_MIN && level <= LEVEL_MAX) {
    strength = PlayingStrength{PlayingStrength::Kind::LEVEL, level};
    return true;
  }
  error = "A level is a number from " + std::to_string(LEVEL_MIN) + " to " +
          std::to_string(LEVEL_MAX) + ", full or classic, not \"" + text + "\".";
  return false;
}

std::string StrengthText(const PlayingStrength& strength) {
  switch (strength.kind) {
    case PlayingStrength::Kind::LEVEL:
      return std::to_string(strength.level);
    case PlayingStrength::Kind::FULL:
      return "full (the strongest search)";
    case PlayingStrength::Kind::CLASSIC:
      break;
  }
  return "classic (the console game's own search)";
}

ComputerPlayer::ComputerPlayer(Color color, std::unique_ptr<NegaScout> engine,
                               const OpeningBook* book, IterativeSearch::Clock clock)
    : Player(color), engine_(std::move(engine)), clockReader_(std::move(clock)), book_(book) {}

void ComputerPlayer::GetMove(Board& board, Move& move) {
  const bool classic = strength_.kind == PlayingStrength::Kind::CLASSIC;
  if (!classic && !strong_) strong_ = std::make_unique<StrongSearch>(SearchLimits(), clockReader_);
  IterativeSearch& engine = classic ? static_cast<IterativeSearch&>(*engine_) : *strong_;
  SearchRequest request;
  if (clock_.fixedMoveMs >= 0 || clock_.remainingMs >= 0) {
    SearchOrder order;
    order.clock = clock_;
    ApplyOrder(order, request);
    // The clock decides when to stop, within the engine's own deepest iteration.
    request.limits.maxDepth = std::min(request.limits.maxDepth, engine.Limits().maxDepth);
    request.limits.minDepth = std::min(request.limits.minDepth, request.limits.maxDepth);
  } else {
    // The engine's own limits and budget: the console game's are fixed.
    request.limits = engine.Limits();
    request.budget = engine.Control();
  }
  request.book = book_;
  request.console = [](const std::string& line) { *ConsoleOut << line << std::flush; };
  if (strength_.kind == PlayingStrength::Kind::LEVEL) {
    request.level = strength_.level;
    request.random = &random_;
  }
  move = ChooseMove(engine, board, std::move(request)).move;
  if (classic && move.score >= SCORE_MATE_FOUND) engine_->ClearTables();
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
