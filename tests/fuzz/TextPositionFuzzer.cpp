// The hand-written text position file of "velmora load FILE", then the first moves on it.
#include "FuzzSupport.h"
#include "board/Board.h"
#include "board/BoardText.h"
#include "board/Perft.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Prepare();
  Board board;
  std::string messages;
  if (ReadTextPosition(fuzz::AsFile(data, size), board, messages) != TextPositionStatus::READ)
    return 0;  // the program ends here, or goes on from the initial position
  BoardPicture(board);
  Perft(board, 2);
  return 0;
}
