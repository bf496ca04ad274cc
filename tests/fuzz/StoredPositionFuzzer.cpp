// The stored position file of the console game's "load" and take-back: read into a game of a
// person against the computer, then every move made on the position it holds, and the replies.
#include "FuzzSupport.h"
#include "board/BoardImage.h"
#include "board/Perft.h"
#include "board/Rules.h"
#include "game/ComputerPlayer.h"
#include "game/Game.h"
#include "game/HumanPlayer.h"
#include "search/Evaluate.h"
#include "search/NegaScout.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Prepare();
  static Game* game = [] {
    auto* created = new Game(fuzz::BOOK_FILE, "/dev/null");
    created->players[WHITE] = std::make_unique<HumanPlayer>(WHITE);
    created->players[BLACK] = std::make_unique<ComputerPlayer>(
        BLACK, std::make_unique<NegaScout>(SearchLimits::FixedDepth(2)), created->book.get());
    return created;
  }();
  game->board.Reset();
  if (!game->LoadFromFile(fuzz::AsFile(data, size))) return 0;
  const Board board = game->board;
  if (KingCanBeTaken(board)) std::abort();  // refused by the reader
  Perft(board, 2);
  ScoreForWhite(board);
  // Whatever loads is stored again as it is and loads again.
  Board again;
  if (!FromImage(ToImage(board).data(), again) || ToImage(again) != ToImage(board)) std::abort();
  return 0;
}
