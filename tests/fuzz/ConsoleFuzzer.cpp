// The console game's input: the typed moves, commands, promotion answers and overwrite answers
// of a real game loop. The first byte chooses the opponent of White: the computer (searching
// two plies deep, a few thousand nodes at most) or a second person at the same console.
#include <sstream>

#include "FuzzSupport.h"
#include "game/ComputerPlayer.h"
#include "game/ConsoleInput.h"
#include "game/Game.h"
#include "game/HumanPlayer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Prepare();
  if (size == 0 || fuzz::NamesOtherDirectory(data, size)) return 0;
  fuzz::ClearScratch();
  std::istringstream typed(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  ConsoleIn = &typed;  // read only while the game runs
  Game game(fuzz::BOOK_FILE, "games.pgn");
  game.players[WHITE] = std::make_unique<HumanPlayer>(WHITE);
  game.players[BLACK] = data[0] % 2 == 0 ? std::unique_ptr<Player>(std::make_unique<ComputerPlayer>(
                                               BLACK, fuzz::CappedEngine(), game.book.get()))
                                         : std::make_unique<HumanPlayer>(BLACK);
  game.Run();
  return 0;
}
