// The book file as the engine reads it: loaded, asked in the positions of its first moves, and
// the move it gives made on the board.
#include "FuzzSupport.h"
#include "board/MoveList.h"
#include "board/Rules.h"
#include "book/OpeningBook.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Prepare();
  OpeningBook book;
  if (std::string error; !book.Load(fuzz::AsFile(data, size), error)) return 0;
  Board board;
  for (int ply = 0; ply < 4; ++ply) {
    const std::optional<Move> move = book.Probe(board).move;
    if (!move) break;
    board.MakeMove(&*move);
    MoveList replies;
    // The book only gives moves that are legal where it is asked.
    if (!replies.Generate(board) || KingCanBeTaken(board)) std::abort();
    board.RemoveCastlePath(WHITE);
    board.RemoveCastlePath(BLACK);
  }
  return 0;
}
