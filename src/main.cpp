// Velmora: a person plays White at the console against the computer.
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "book/OpeningBook.h"
#include "game/ComputerPlayer.h"
#include "game/Console.h"
#include "game/Game.h"
#include "game/HumanPlayer.h"
#include "game/OutOfMemory.h"
#include "game/XboardHumanPlayer.h"
#include "protocol/XboardConnection.h"
#include "search/NegaScout.h"
#include "search/SearchTrace.h"

namespace {

unsigned MillisecondTicks() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return static_cast<unsigned>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void PrintBanner() {
  *ConsoleOut << "            Welcome to Chess!" << std::endl
              << "    ~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~" << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
  // The opening book's random choice draws from this generator.
  std::srand(MillisecondTicks());
  InstallOutOfMemoryHandler(OutOfMemoryHandler);
  ConsoleOut = &std::cout;
  OpenSearchTrace();
  // The board's constant tables and the move tables are built by the compiler, so they
  // exist before any board does.
  PrintBanner();

  const std::string mode = argc > 1 ? argv[1] : "";
  // Under a front end standard output carries the protocol: the console text goes to a file.
  std::unique_ptr<XboardConnection> connection;
  std::unique_ptr<std::ofstream> consoleLog;
  if (mode == "xboard") {
    connection = std::make_unique<XboardConnection>(std::cin, std::cout);
    consoleLog =
        std::make_unique<std::ofstream>("VelmoraConsole.txt", std::ios::out | std::ios::trunc);
    ConsoleOut = consoleLog.get();
  }
  if (mode == "createbook") return CreateOpeningBook(argc, argv) ? 0 : 1;

  Game game("openingbook.bin", "games.pgn");
  // Without a file name the game starts from the initial position.
  if (mode == "load" && argc > 2) game.LoadAtStart(argv[2]);

  if (XboardMode) {
    // The engine's side is decided by the front end's first command.
    game.players[WHITE] = std::make_unique<XboardHumanPlayer>(WHITE);
    game.players[WHITE]->name = "Whity";
  } else {
    game.players[WHITE] = std::make_unique<HumanPlayer>(WHITE);
    game.players[WHITE]->name = "Whity";
    game.players[BLACK] =
        std::make_unique<ComputerPlayer>(BLACK, std::make_unique<NegaScout>(game.book.get()));
    game.players[BLACK]->name = "Blacky";
    AppendGameOnInterrupt();
  }
  if (game.gameLog) {
    game.gameLog->whiteName = game.players[WHITE]->name;
    if (game.players[BLACK]) game.gameLog->blackName = game.players[BLACK]->name;
  }
  NegaScout::PrintParameters();
  game.Run();

  if (connection) {
    // The console text goes back to standard output before the game reports its log there.
    connection.reset();
    ConsoleOut = &std::cout;
    consoleLog.reset();
  }
  return 0;
}
