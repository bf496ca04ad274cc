#include "game/Game.h"

#include <iostream>
#include <iterator>
#include <sstream>
#include <vector>

#include "board/BoardImage.h"
#include "game/Console.h"
#include "game/ConsoleInput.h"
#include "search/Evaluate.h"

Game* CurrentGame = nullptr;
std::string LastMoveFile = "LastMove.bin";

namespace {

bool EndsGame(const Move& move) {
  return move.flags == MOVE_RESIGN || move.flags == MOVE_STALEMATE || move.flags == MOVE_CHECKMATE;
}

// How many bytes a player's state takes in a position file.
std::size_t StateSize(Player* player) {
  if (!player) return 0;
  std::ostringstream state;
  player->SaveState(state);
  return state.str().size();
}

}  // namespace

Game::Game(const std::string& bookFileName, const std::string& gameLogFileName) {
  board.Reset();
  CurrentGame = this;
  book = std::make_unique<OpeningBook>(bookFileName);
  board.Reset();
  gameLog = std::make_unique<PGNWriter>();
  if (!gameLog->Open(gameLogFileName)) {
    std::cerr << "Can't create logfile '" << gameLogFileName << "'! Logging canceled!";
    gameLog.reset();
  }
}

Game::~Game() {
  if (gameLog) *ConsoleOut << "Game-Log written to " << gameLog->LogFileName() << "!" << std::endl;
  if (CurrentGame == this) CurrentGame = nullptr;
}

bool Game::Run() {
  Move move;
  for (;;) {
    DiscardTypedAhead();
    board.Print();
    *ConsoleOut << "SCORE from perspective white " << std::showpos << ScoreForWhite(board)
                << std::noshowpos << std::endl;

    players[board.sideToMove]->GetMove(board, move);
    // The player may have loaded another position: the side to move is read again.
    *ConsoleOut << players[board.sideToMove]->name << " selects move: ";
    move.Print();
    if (!EndsGame(move) && board.sideToMove == WHITE) SaveToFile(LastMoveFile);
    board.MakeMove(&move);
    if (gameLog) gameLog->AddMove(move);
    board.RemoveCastlePath(WHITE);
    board.RemoveCastlePath(BLACK);
    if (EndsGame(move)) break;
  }
  if (gameLog) gameLog->Finish();
  *ConsoleOut << "GAME OVER.  Thanks for playing!" << std::endl;
  return true;
}

bool Game::SaveToFile(const std::string& name) {
  if (name.empty()) {
    *ConsoleOut << "Please enter a valid filename ( e.g.: 'save mygame' ) !" << std::endl;
    return false;
  }
  positionFile.clear();
  positionFile.open(name, std::ios::in | std::ios::binary);
  if (positionFile.is_open()) {
    positionFile.close();
    if (name != LastMoveFile) {
      *ConsoleOut << "File: '" << name << "' already exists. Overwrite  ? ( yes / no ) "
                  << std::flush;
      const std::string answer = ReadConsoleWord();
      if (answer.empty() || (answer[0] != 'Y' && answer[0] != 'y')) return false;
    }
  }

  positionFile.clear();
  positionFile.open(name, std::ios::out | std::ios::binary | std::ios::trunc);
  if (positionFile.is_open()) {
    const BoardImage image = ToImage(board);
    positionFile.write(reinterpret_cast<const char*>(image.data()),
                       static_cast<std::streamsize>(image.size()));
    for (const auto& player : players)
      if (player) player->SaveState(positionFile);
    positionFile.close();
  }
  if (positionFile.fail()) {
    positionFile.clear();
    *ConsoleOut << "Couldn't write '" << name << "'!" << std::endl;
    return false;
  }
  return true;
}

bool Game::LoadFromFile(const std::string& name) {
  if (name.empty()) {
    *ConsoleOut << "Please enter a valid filename ( e.g.: 'load mygame' ) !" << std::endl;
    return false;
  }
  positionFile.clear();
  positionFile.open(name, std::ios::in | std::ios::binary);
  if (!positionFile.is_open()) {
    *ConsoleOut << "Couldn't open '" << name << "'! File doesn't exist ?" << std::endl;
    return false;
  }
  const std::vector<char> bytes{std::istreambuf_iterator<char>(positionFile),
                                std::istreambuf_iterator<char>()};
  positionFile.close();

  // Nothing changes unless the whole file is sound: the board and what both players need.
  const std::size_t needed =
      BOARD_IMAGE_SIZE + StateSize(players[WHITE].get()) + StateSize(players[BLACK].get());
  Board restored = board;
  if (bytes.size() < needed ||
      !FromImage(reinterpret_cast<const std::uint8_t*>(bytes.data()), restored)) {
    *ConsoleOut << "Couldn't load '" << name << "'! It is not a position file, or it is damaged."
                << std::endl;
    return false;
  }
  board = restored;
  std::istringstream states(std::string(bytes.begin() + BOARD_IMAGE_SIZE, bytes.end()));
  for (const auto& player : players)
    if (player) player->LoadState(states);

  *ConsoleOut << std::endl << "Restored board:" << std::endl;
  board.Print();
  return true;
}

bool Game::TakeBack() {
  if (board.moveNumber == 1) {
    *ConsoleOut << "Nervous ? Tired ?? Stupid ???" << std::endl;
    return false;
  }
  return LoadFromFile(LastMoveFile);
}

void Game::ReplacePlayer(Color color, std::unique_ptr<Player> player) {
  if (players[color]) replacedPlayers.push_back(std::move(players[color]));
  players[color] = std::move(player);
}

bool Game::LoadAtStart(const std::string& name) {
  if (!board.Load(name)) return false;
  *ConsoleOut << "Loaded Board from file \"" << name << "\"." << std::endl;
  return true;
}
