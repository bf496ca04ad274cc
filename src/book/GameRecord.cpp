#include "book/GameRecord.h"

#include "board/BoardImage.h"
#include "board/Rules.h"

void GameRecord::Restart(const Board& start) {
  start_ = start;
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

void GameRecord::WriteInto(PGNWriter& writer) const {
  writer.StartFrom(start_);
  for (const Move& move : moves_) writer.AddMove(move);
  if (result_ != "*") writer.SetResult(result_);
}
