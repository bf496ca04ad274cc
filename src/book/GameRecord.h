// One game as every mode keeps it: the position it started from, the moves played, the
// position before each of them and the result. The console game and both engine protocols
// play their moves through it, and its PGN record is written from it.
#pragma once

#include <string>
#include <vector>

#include "board/Board.h"
#include "board/Move.h"
#include "book/PGNWriter.h"

class GameRecord {
 public:
  GameRecord() { Restart(Board()); }

  // The record starts again from `start`: no moves, result "*". `reversiblePlies` are the
  // moves played before `start` since the last capture or pawn move (a FEN's half-move clock).
  void Restart(const Board& start, int reversiblePlies = 0);

  // The position now. The console game changes it directly only to restart or take back.
  Board& Position() { return position_; }
  const Board& Position() const { return position_; }
  const Board& StartPosition() const { return start_; }
  const std::vector<Move>& Moves() const { return moves_; }
  int Plies() const { return static_cast<int>(moves_.size()); }
  // The moves made on the board, as legal moves of their positions: without a resignation or a
  // stalemate's mark, a mating move as the plain move it was.
  std::vector<Move> BoardMoves() const;

  // Plays the move (see PlayMove) and records it; the moves that end a game (resignation,
  // stalemate, checkmate) are recorded too and decide the result.
  void Play(const Move& move);
  // Takes back the last `plies` moves; false, and nothing taken back, when fewer were played.
  bool TakeBack(int plies);
  // The number of moves after which the position was last `position` (compared as stored
  // images), counting only positions before a recorded move; -1 when there is none.
  int LastPlyAt(const Board& position) const;

  // The moves played since the last capture or pawn move: those of the record, and before its
  // start the ones Restart was told of when the record has none.
  int ReversiblePlies() const;
  // The first ply of the record since its last capture or pawn move (0: its start).
  int FirstReversiblePly() const;
  // The position before the move of the given ply (0: the first move), for ply < Plies().
  const Board& PositionBefore(int ply) const { return before_[static_cast<std::size_t>(ply)]; }

  // The draw rule that ends the game in the position now, if any: the third occurrence of the
  // position (see SameForRepetition), 100 reversible plies (ReversiblePlies), or a dead
  // position. Positions before the record's start are not known to repeat.
  enum class Draw { NONE, REPETITION, FIFTY_MOVES, DEAD_POSITION };
  Draw DrawByRule() const;

  // A result decided outside the board ("1-0", "0-1", "1/2-1/2"); "*" lets the moves decide.
  void SetResult(const std::string& result) { result_ = result; }
  const std::string& Result() const { return result_; }

  // Fills `writer` with the game: its start, its moves and its result. Tags other than the
  // result and the file it writes to are the writer's own.
  void WriteInto(PGNWriter& writer) const;

 private:
  Board start_;
  Board position_;
  std::vector<Move> moves_;
  std::vector<Board> before_;  // the position before each move
  std::string result_ = "*";
  int startReversiblePlies_ = 0;
};
