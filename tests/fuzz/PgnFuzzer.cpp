// The PGN reader as createbook uses it: a book built from the input, saved and read back.
#include "FuzzSupport.h"
#include "book/OpeningBook.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Prepare();
  OpeningBook book;
  book.maxDepth = 16;
  // A move that cannot be resolved ends the program with the reader's message.
  if (book.Create(fuzz::AsFile(data, size)).failed) return 0;
  std::string error;
  if (!book.Save("created.bin", error)) std::abort();
  OpeningBook reread;
  if (!reread.Load("created.bin", error) || reread.entryCount != book.entryCount) std::abort();
  Board board;
  if (const std::optional<Move> move = reread.Probe(board).move) board.MakeMove(&*move);
  return 0;
}
