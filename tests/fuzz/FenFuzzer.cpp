// The FEN reader of setboard and "position fen", then perft 2 and a short search.
#include "FuzzSupport.h"
#include "board/Fen.h"
#include "board/Perft.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Prepare();
  if (size > 256) return 0;  // a FEN is one line
  Board board;
  std::string error;
  if (!ReadFen(std::string(reinterpret_cast<const char*>(data), size), board, error)) return 0;
  Perft(board, 2);
  // One engine for all inputs, as the game keeps one: its tables are emptied by every search.
  static const std::unique_ptr<NegaScout> engine = fuzz::CappedEngine();
  Move move;
  engine->Think(board, &move);
  // What the FEN reader accepts, it writes back the same way.
  Board again;
  if (!ReadFen(WriteFen(board), again, error) || WriteFen(again) != WriteFen(board)) std::abort();
  return 0;
}
