// One game between two players on one board, with its game log and position files.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "board/Board.h"
#include "board/BoardText.h"
#include "board/Move.h"
#include "book/GameRecord.h"
#include "book/OpeningBook.h"
#include "book/PGNWriter.h"
#include "game/ComputerPlayer.h"
#include "game/Player.h"

class Game {
 public:
  // Reads the opening book from its file and opens the game log for appending.
  Game(const std::string& bookFileName, const std::string& gameLogFileName);
  virtual ~Game();
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  // Plays the game to its end: a resignation, a stalemate, a checkmate, a draw by rule or the
  // end of the console's input; a new game from the initial position follows when the person
  // asks for one.
  void Run();

  // Stores the board and both players' states. The file is written beside `name` and renamed
  // over it when complete, keeping the permissions of the file it replaces; a failed save leaves
  // `name` as it was. Asks before overwriting any file but the take-back file, and refuses a
  // name that is something other than a regular file (a directory, a FIFO, a device).
  bool SaveToFile(const std::string& name);
  // Restores a position file written by SaveToFile. The game so far is appended to the log as
  // unfinished (as by a new game), and a new record starts from the restored position. Only
  // regular files are read.
  bool LoadFromFile(const std::string& name);
  // Takes back the person's latest move and the reply to it, from the game's own record: each
  // call goes one move pair further back. Without two moves in the record, back to the position
  // before White's latest move kept in the take-back file; the retracted moves leave the record
  // (a position that is not one of this game's restarts it). The take-back file is read back
  // only while it holds what this game last wrote into it: another game in the same folder may
  // have written it since, and then the record alone serves.
  bool TakeBack();
  // Ends the running game at once, unfinished, for a new one from the initial position.
  void RequestNewGame() { earlyEnd = EarlyEnd::NEW_GAME; }
  // Ends the running game at once, unfinished, and the run with it: the person has gone (the
  // console's input ended, as it does when the terminal is closed) without resigning.
  void PersonLeft() { earlyEnd = EarlyEnd::PERSON_LEFT; }
  // Starts from a hand-written text position file, after showing what its reading found (for a
  // file that cannot be opened, "Couldn't open 'NAME'! File doesn't exist ?"). Every status but
  // READ ends the program: the position asked for cannot be played.
  TextPositionStatus LoadAtStart(const std::string& name);
  // Shows the move the computer would play for the side to move, in both notations, without
  // playing it. A fresh engine finds it, so that the computer's own search state is untouched.
  void ShowHint();
  // The console's settings of the computer, from a command or a start option; each says what
  // it set, or why it refuses the text (and then keeps what was set). A level is a number of
  // the scale, "full" or "classic" (the default); a time per move is in seconds, "off" for the
  // console game's own limits; a game clock is minutes, with an increment in seconds after a
  // blank or a "+" ("5", "5 3", "5+3"), "off" for none. The clock runs for both sides; a side
  // whose time is up loses. A time per move and a game clock replace each other.
  bool SetStrength(const std::string& text);
  bool SetMoveTime(const std::string& text);
  bool SetGameClock(const std::string& text);
  // "level", "time", "clock" alone: what is set.
  void ShowStrength();
  void ShowTime();
  // The game in standard notation ("moves"), the position as FEN ("fen") and the compact
  // board seen from the person's side ("board").
  void ShowMoves();
  void ShowFen();
  void ShowCompactBoard();
  // The compact board instead of the large one after every move.
  bool compactBoard = false;
  // The time in milliseconds the game clock reads (a test's fake clock, else steady time).
  std::function<std::int64_t()> now;
  // The person typed quit or exit: after this game the program ends without asking for another.
  void Leave() { leaving = true; }

  // Puts `player` in for `color`. The player it replaces may be the one whose turn is running,
  // so it is kept until the game ends.
  void ReplacePlayer(Color color, std::unique_ptr<Player> player);

  std::unique_ptr<OpeningBook> book;
  GameRecord record;
  Board& board = record.Position();    // the position the players move on
  std::unique_ptr<PGNWriter> gameLog;  // absent when the log file could not be opened
  std::unique_ptr<Player> players[2];

 private:
  // Reads a position file into the board and the players; false (after saying why) when the file
  // cannot be read or is no sound position file.
  bool RestorePosition(const std::string& name);
  // The contents of the position file `name`, read only as far as a sound one reaches (one byte
  // more, to notice a longer file); false, after saying so, when it is no regular file or cannot
  // be read.
  bool ReadPositionFile(const std::string& name, std::string& bytes) const;
  // Puts the position file's `bytes` into the board and the players; false, after saying so,
  // when they are no sound position file.
  bool RestoreFrom(const std::string& name, const std::string& bytes);
  // Takes back `plies` moves of the record and shows the board.
  void TakeBackPlies(int plies);
  // The record starts again from the board.
  void RestartRecord();
  // Called after every change of the record.
  void RecordChanged();
  // Plays one game; true when the person asked for a new one.
  bool PlayOneGame();
  // Appends the game to the log, unless no move was made in it; a record that cannot be written
  // completely is said on the console and on standard error.
  void AppendToLog();

  // The computers of the game (either seat may be one).
  std::vector<ComputerPlayer*> Computers() const;
  // The side whose end of the board the compact board is seen from: the person's.
  Color PersonSide() const;
  // Asks, after a game that ended on the board or by a resignation, whether another follows.
  bool OfferAnotherGame();
  // The line of both clocks, with its line end ("Clock: Whity 4:58.2  Blacky 5:00.0").
  std::string ClockLine() const;

  // The computer's time: per move, or a game clock of both sides (-1: none).
  std::int64_t moveTimeMs = -1;
  std::int64_t clockBaseMs = -1;
  std::int64_t clockIncrementMs = 0;
  std::int64_t remainingMs[2] = {-1, -1};
  bool leaving = false;

  // How a person ended the running game before its end on the board, if so.
  enum class EarlyEnd { NONE, NEW_GAME, PERSON_LEFT };
  EarlyEnd earlyEnd = EarlyEnd::NONE;
  bool logged = false;     // whether a game was appended to the log
  bool logFailed = false;  // whether a game could not be appended
  // What this game last wrote into the take-back file; empty when it wrote none.
  std::string lastMoveBytes;

  std::vector<std::unique_ptr<Player>> replacedPlayers;
};

// The console's readings of a time per move in seconds ("5", "0.5"; "off" gives -1) and of a
// game clock in minutes with an increment in seconds ("5", "5 3", "5+3"; "off" gives -1); false
// for any other text.
bool ReadMoveTime(const std::string& text, std::int64_t& ms);
bool ReadGameClock(const std::string& text, std::int64_t& baseMs, std::int64_t& incrementMs);

// The game of this run, for the console commands that act on it from inside a turn.
extern Game* CurrentGame;

// The position before White's latest move is kept in this file, for taking moves back.
extern std::string LastMoveFile;

// From now on Ctrl-C, SIGTERM and SIGHUP append the running game so far to its log, with the
// result "*", and end the program with 128 + the signal's number (130, 143, 129).
void AppendGameOnInterrupt();
