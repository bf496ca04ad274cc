// The PGN reader as createbook uses it: a book built from the input, saved and read back.
#include "FuzzSupport.h"
#include "board/FatalInput.h"
#include "book/OpeningBook.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Prepare();
  OpeningBook book;
  book.maxDepth = 16;
  try {
    book.Create(fuzz::AsFile(data, size));
  } catch (const FatalInput&) {
    return 0;  // the program ends here with the reader's message
  }
  if (!book.Save("created.bin")) std::abort();
  OpeningBook reread;
  if (!reread.Load("created.bin") || reread.entryCount != book.entryCount) std::abort();
  Board board;
  if (const Move* move = reread.Probe(board).move) board.MakeMove(move);
  return 0;
}
