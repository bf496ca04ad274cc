// The game log: every move of a game is recorded while it is played, and the whole game (seven
// tags, the numbered move text and the result) is appended to a PGN file when it ends, in one
// piece: a record that cannot be written completely is taken out of the file again.
//
// The log is a PGN dialect of its own: tag values carry a leading blank and a blank stands
// before the closing bracket, move numbers carry an extra blank, and the moves are written in
// the long coordinate form of Move::ToText (Qd1h5, e5xd6), not in standard algebraic notation.
// A game that does not start from the initial position carries the standard tags SetUp and FEN
// after the seven tags of the dialect.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "board/Board.h"
#include "board/Move.h"
#include "board/Piece.h"
#include "book/Date.h"

class PGNWriter {
 public:
  // The tags. The program entry puts the players' names into whiteName and blackName.
  std::string event = "Casual Game";
  std::string site;
  Date date = Date::Today();  // the day the writer is created
  int roundTag = 0;  // half the number of recorded moves, set by AddMove; not a tournament round
  std::string whiteName = "White Player";
  std::string blackName = "Black Player";
  std::string resultText = "*";  // also the text after the moves

  PGNWriter() = default;
  virtual ~PGNWriter();
  PGNWriter(const PGNWriter&) = delete;
  PGNWriter& operator=(const PGNWriter&) = delete;

  // Opens the log for appending (created when missing) and starts an empty record; false, with
  // the reason in Error(), when the file cannot be opened.
  bool Open(const std::string& fileName);

  // The record (re)starts at `start`: no moves, result "*", the side to move and the move number
  // taken from the board. Without a call the record starts from the initial position.
  void StartFrom(const Board& start);

  // Records one move made in the game, including the final resignation, stalemate or checkmate
  // record, which decides the result.
  void AddMove(const Move& move);

  // Takes back the last recorded move; the game goes on, so the result goes back to "*". False
  // when no move is recorded.
  bool RemoveLastMove();

  // A result decided outside the board: "1-0", "0-1", "1/2-1/2" or "*".
  void SetResult(const std::string& result);

  int MoveCount() const { return plyCount; }

  // The whole game as Finish writes it, but with `result` in the Result tag and after the moves.
  std::string GameText(const std::string& result) const;

  // Appends the game to the log with AppendWhole and closes the log. False when no log is open or
  // the game could not be written completely; the log then is as it was before, and Error()
  // tells why.
  bool Finish();

  // Whether the log is open (between Open and Finish).
  bool IsOpen() const { return descriptor >= 0; }

  // The name given to Open.
  const std::string& LogFileName() const { return logFileName; }

  // Why the last Open or Finish failed, as a line for the person: "Can't write the game to
  // logfile 'games.pgn' (File too large)! The log is left as it was."
  const std::string& Error() const { return error; }

 private:
  std::string TagText(const std::string& result) const;
  std::string MoveText() const;

  std::string logFileName;
  Color startSide = WHITE;   // the side that moves first in the record
  int startMoveNumber = 1;   // the number of the first recorded move
  std::string startFen;      // empty when the record starts from the initial position
  Color recordSide = WHITE;  // the side whose move is recorded next
  int plyCount = 0;          // number of recorded moves
  std::vector<Move> recordedMoves;
  int descriptor = -1;  // the log, open between Open and Finish
  std::string error;
};
