// The hand-written text position file of "velmora load FILE", then the first moves on it.
#include "FuzzSupport.h"
#include "board/Board.h"
#include "board/FatalInput.h"
#include "board/Perft.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Prepare();
  Board board;
  try {
    if (!board.Load(fuzz::AsFile(data, size))) return 0;
  } catch (const FatalInput&) {
    return 0;  // the program ends here with the reader's message
  }
  board.Print();
  Perft(board, 2);
  return 0;
}
