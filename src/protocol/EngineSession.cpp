#include "protocol/EngineSession.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <string_view>

#include "board/Fen.h"
#include "board/MoveList.h"
#include "book/PGNWriter.h"
#include "console/Console.h"

std::string ResultLine(Standing standing, Color sideToMove) {
  switch (standing) {
    case Standing::CHECKMATE:
      return sideToMove == WHITE ? "0-1 {Black mates}" : "1-0 {White mates}";
    case Standing::STALEMATE:
      return "1/2-1/2 {Stalemate}";
    default:
      return "";
  }
}

EngineSession::EngineSession(std::string logFileName) : logFileName_(std::move(logFileName)) {
  Restart(Board(), false);
}

void EngineSession::Restart(const Board& start, bool sameEngine, int reversiblePlies) {
  WriteRecord();
  if (!sameEngine || !classic_) {
    classic_ = std::make_unique<NegaScout>();
    strong_ = std::make_unique<StrongSearch>();
    if (tableEntries_ != TT_SIZE) {
      classic_->ResizeTables(tableEntries_);
      strong_->ResizeTables(tableEntries_);
    }
    strong_->SetThreads(threads_);
  }
  record_.Restart(start, reversiblePlies);
  written_ = false;
}

void EngineSession::NewGame(bool sameEngine) { Restart(Board(), sameEngine); }

bool EngineSession::SetUp(const std::string& fen, std::string& error, bool sameEngine) {
  Board position;
  int halfMoveClock = 0;
  if (!ReadFen(fen, position, error, &halfMoveClock)) return false;
  Restart(position, sameEngine, halfMoveClock);
  return true;
}

void EngineSession::Play(const Move& move) {
  record_.Play(move);
  written_ = false;
}

bool EngineSession::TakeBack(int plies) {
  if (!record_.TakeBack(plies)) return false;
  written_ = false;
  return true;
}

SearchAnswer EngineSession::Think(SearchRequest request) {
  request.budget.maxNodes = std::min(request.budget.maxNodes, caps_.nodes);
  request.budget.nodeCeiling = std::min(request.budget.nodeCeiling, caps_.nodes);
  request.console = [](const std::string& line) { *ConsoleOut << line << std::flush; };
  if (request.level > 0) request.random = &random_;
  return ChooseMove(Engine(), Position(), std::move(request));
}

void EngineSession::SetHashMegabytes(int megabytes) {
  const int entries = TableEntriesFor(std::min(megabytes, caps_.hashMegabytes));
  if (entries == tableEntries_) return;
  tableEntries_ = entries;
  classic_->ResizeTables(entries);
  strong_->ResizeTables(entries);
}

void EngineSession::SetThreads(int threads) {
  strong_->SetThreads(std::min(threads, caps_.threads));
  threads_ = strong_->Threads();
}

bool EngineSession::SetStrength(const std::string& name) {
  const auto named = [&name](std::string_view wanted) {
    return std::equal(name.begin(), name.end(), wanted.begin(), wanted.end(), [](char a, char b) {
      return std::tolower(static_cast<unsigned char>(a)) ==
             std::tolower(static_cast<unsigned char>(b));
    });
  };
  if (!named(STRENGTH_CLASSIC) && !named("Specified") && !named(STRENGTH_FULL)) return false;
  fullStrength_ = named(STRENGTH_FULL);
  return true;
}

bool EngineSession::SetElo(int elo) {
  if (elo < LEVEL_MIN || elo > LEVEL_MAX) return false;
  elo_ = elo;
  return true;
}

SearchOptions EngineSession::GameOptions() const {
  SearchOptions options;
  options.gameRules = true;
  options.reversiblePlies = record_.ReversiblePlies();
  for (int ply = record_.FirstReversiblePly(); ply < record_.Plies(); ++ply)
    options.earlierPositions.push_back(RepetitionKey(record_.PositionBefore(ply)));
  return options;
}

std::string EngineSession::DrawClaim() const {
  switch (record_.DrawByRule()) {
    case GameRecord::Draw::REPETITION:
      return "1/2-1/2 {3-fold repetition}";
    case GameRecord::Draw::FIFTY_MOVES:
      return "1/2-1/2 {50-move rule}";
    case GameRecord::Draw::DEAD_POSITION:
      return "1/2-1/2 {insufficient material}";
    default:
      return "";
  }
}

bool EngineSession::WriteRecord() {
  if (written_ || record_.Plies() == 0 || logFileName_.empty()) return false;
  written_ = true;
  PGNWriter log;
  if (!log.Open(logFileName_)) {
    std::cerr << "Can't create logfile '" << logFileName_ << "'! Logging canceled!" << std::endl;
    return false;
  }
  log.whiteName = whiteName;
  log.blackName = blackName;
  record_.WriteInto(log);
  if (!log.Finish()) {
    // The log is as it was; the front end's operator and the console log both hear why.
    std::cerr << log.Error() << std::endl;
    *ConsoleOut << log.Error() << std::endl;
    logFailed_ = true;
    return false;
  }
  logged_ = true;
  return true;
}
