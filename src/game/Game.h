// One game between two players on one board, with its game log and position files.
#pragma once

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "board/Board.h"
#include "board/Move.h"
#include "book/OpeningBook.h"
#include "book/PGNWriter.h"
#include "game/Player.h"

class Game {
 public:
  // Reads the opening book from its file and opens the game log for appending.
  Game(const std::string& bookFileName, const std::string& gameLogFileName);
  virtual ~Game();
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  // Plays the game to its end: a resignation, a stalemate or a checkmate.
  bool Run();

  // Stores the board and both players' states; asks before overwriting any file but the
  // take-back file.
  bool SaveToFile(const std::string& name);
  // Restores a position file written by SaveToFile.
  bool LoadFromFile(const std::string& name);
  // Back to the position before White's latest move.
  bool TakeBack();
  // Starts from a hand-written text position file.
  bool LoadAtStart(const std::string& name);
  // Puts `player` in for `color`. The player it replaces may be the one whose turn is running,
  // so it is kept until the game ends.
  void ReplacePlayer(Color color, std::unique_ptr<Player> player);

  std::unique_ptr<OpeningBook> book;
  Board board;
  std::unique_ptr<PGNWriter> gameLog;  // absent when the log file could not be opened
  std::fstream positionFile;
  std::unique_ptr<Player> players[2];

 private:
  std::vector<std::unique_ptr<Player>> replacedPlayers;
};

// The game of this run, for the console commands that act on it from inside a turn.
extern Game* CurrentGame;

// The position before White's latest move is kept in this file, for taking moves back.
extern std::string LastMoveFile;
