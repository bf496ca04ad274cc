#include "book/GameRecord.h"

#include <algorithm>

#include "board/BoardImage.h"
#include "board/Rules.h"

void GameRecord::Restart(const Board& start, int reversiblePlies) {
  start_ = start;
  startReversiblePlies_ = std::max(reversiblePlies, 0);
  position_ = start;
  moves_.clear();
  before_.clear();
  result_ = "*";
}

void GameRecord::Play(const Move& move) {
  before_.push_back(position_);
  moves_.push_back(move);
  PlayMove(position_, move);
}

std::vector<Move> GameRecord::BoardMoves() const {
  std::vector<Move> played;
  for (std::size_t ply = 0; ply < moves_.size(); ++ply) {
    const Move& move = moves_[ply];
    for (const Move& legal : LegalMoves(before_[ply]))
      if (legal.from == move.from && legal.to == move.to && legal.Promotion() == move.Promotion())
        played.push_back(legal);
  }
  return played;
}

bool GameRecord::TakeBack(int plies) {
  if (plies < 1 || plies > Plies()) return false;
  const std::size_t kept = moves_.size() - static_cast<std::size_t>(plies);
  position_ = before_[kept];
  before_.resize(kept);
  moves_.resize(kept);
  result_ = "*";
  return true;
}

int GameRecord::LastPlyAt(const Board& position) const {
  const BoardImage image = ToImage(position);
  for (std::size_t ply = before_.size(); ply-- > 0;)
    if (ToImage(before_[ply]) == image) return static_cast<int>(ply);
  return -1;
}

int GameRecord::FirstReversiblePly() const {
  std::size_t since = moves_.size();
  while (since > 0 && !IsIrreversible(moves_[since - 1])) --since;
  return static_cast<int>(since);
}

int GameRecord::ReversiblePlies() const {
  const int since = FirstReversiblePly();
  return Plies() - since + (since == 0 ? startReversiblePlies_ : 0);
}

GameRecord::Draw GameRecord::DrawByRule() const {
  if (IsDeadPosition(position_)) return Draw::DEAD_POSITION;
  // Only the positions since the last capture or pawn move can repeat.
  const auto since = static_cast<std::size_t>(FirstReversiblePly());
  int occurrences = 1;
  for (std::size_t ply = since; ply < before_.size(); ++ply)
    if (SameForRepetition(before_[ply], position_)) ++occurrences;
  if (occurrences >= 3) return Draw::REPETITION;
  if (ReversiblePlies() >= 100) return Draw::FIFTY_MOVES;
  return Draw::NONE;
}

void GameRecord::WriteInto(PGNWriter& writer) const {
  writer.StartFrom(start_);
  for (const Move& move : moves_) writer.AddMove(move);
  if (result_ != "*") writer.SetResult(result_);
}
