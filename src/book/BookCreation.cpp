// Building an opening book from PGN game collections, and replacing a book file by a new one.
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>

#include "board/Rules.h"
#include "book/OpeningBook.h"
#include "book/Outcome.h"
#include "book/PGNParser.h"
#include "book/PolyglotBook.h"
#include "console/Console.h"
#include "console/Files.h"

namespace {

struct sigaction previousActions[std::size(INTERRUPTING_SIGNALS)];
bool handlersInstalled = false;

// The temporary book file the handler removes; null when none is pending.
std::atomic<const char*> pendingFile{nullptr};
static_assert(std::atomic<const char*>::is_always_lock_free);

// Removes the pending file, then lets the signal end the program as it would have without the
// handler (installed to run once, so the signal raised again takes its default action as soon
// as the handler returns).
extern "C" void RemovePendingBookAndResignal(int signal) {
  if (const char* file = pendingFile.load()) unlink(file);
  raise(signal);
}

}  // namespace

namespace {

// Reads the first maxDepth plies of every game of a PGN file, handing `enter` every position
// with the move played there and the outcome for its mover. Games set up from another position
// are skipped and counted in setUpGamesSkipped.
template <typename Enter>
BookSourceRead ReadOpenings(const std::string& sourceFileName, int maxDepth,
                            std::int32_t& setUpGamesSkipped, const Enter& enter) {
  BookSourceRead read;
  // "-" is standard input, for a collection that comes through a pipe. Otherwise only regular
  // files are opened: a named FIFO would hold the build until some writer came, and a
  // directory or device is no collection.
  std::ifstream file;
  if (sourceFileName != "-" && IsRegularFile(sourceFileName)) file.open(sourceFileName);
  std::istream& source = sourceFileName == "-" ? std::cin : file;
  // A source whose first read fails (a device error) is no more readable than a missing one;
  // the stream reports the failure in its state and never throws.
  const bool opened = sourceFileName == "-" || file.is_open();
  if (opened) source.peek();
  if (!opened || source.bad()) {
    read.opened = false;
    return read;
  }
  Board board;
  PGNParser reader(source);
  while (reader.getNextMatch()) {
    if (reader.StartsFromSetUpPosition()) {
      ++setUpGamesSkipped;  // its moves are skipped with the next game
      continue;
    }
    ++read.games;
    board.Reset();
    const Move* move = nullptr;
    int outcome = OUTCOME_NEUTRAL;
    while (reader.getNextMove(move, outcome)) {
      if (reader.MoveNo() > maxDepth) break;  // the rest of the game is skipped with the next one
      enter(board, *move, outcome);
      // As the game plays a move, so that the book knows the position as the game asks for it.
      PlayMove(board, *move);
    }
  }
  read.failed = reader.Failed();
  read.notes = reader.Notes();
  read.error = reader.Error();
  return read;
}

}  // namespace

OpeningBook::SourceRead OpeningBook::Create(const std::string& sourceFileName) {
  return ReadOpenings(sourceFileName, maxDepth, setUpGamesSkipped,
                      [&](const Board& board, const Move& move, int outcome) {
                        std::int64_t key;
                        std::uint32_t lock;
                        board.Hashes(key, lock);
                        AddMove(move, key, lock, outcome, board.sideToMove);
                      });
}

BookSourceRead PolyglotBook::Create(const std::string& sourceFileName) {
  return ReadOpenings(
      sourceFileName, maxDepth, setUpGamesSkipped,
      [&](const Board& board, const Move& move, int outcome) { AddMove(board, move, outcome); });
}

bool BookFileReplacement::Begin(const std::string& destinationName, std::string& error) {
  destination = destinationName;
  const auto fail = [&](int number) {
    error = "Can't write OpeningBook file " + destination + " (" + std::strerror(number) + ")!";
    Abandon();
    return false;
  };
  if (struct stat old{}; stat(destination.c_str(), &old) == 0 && S_ISDIR(old.st_mode))
    return fail(EISDIR);

  // The signals wait until the handler knows the file it removes.
  sigset_t held, previousMask;
  sigemptyset(&held);
  for (int signal : INTERRUPTING_SIGNALS) sigaddset(&held, signal);
  sigprocmask(SIG_BLOCK, &held, &previousMask);
  struct sigaction action {};
  action.sa_handler = RemovePendingBookAndResignal;
  action.sa_mask = held;
  action.sa_flags = SA_RESETHAND;
  for (std::size_t i = 0; i < std::size(INTERRUPTING_SIGNALS); ++i) {
    sigaction(INTERRUPTING_SIGNALS[i], nullptr, &previousActions[i]);
    // A signal the program was started to ignore (nohup) stays ignored.
    if (previousActions[i].sa_handler != SIG_IGN)
      sigaction(INTERRUPTING_SIGNALS[i], &action, nullptr);
  }
  handlersInstalled = true;
  std::string name = destination + ".tmp-XXXXXX";
  descriptor = mkstemp(name.data());
  const int number = errno;
  if (descriptor >= 0) {
    temporary = name;
    pendingFile.store(temporary.c_str());
  }
  sigprocmask(SIG_SETMASK, &previousMask, nullptr);
  if (descriptor < 0) return fail(number);
  return true;
}

bool BookFileReplacement::Commit(const Save& save, std::string& error) {
  if (temporary.empty()) {
    error = "Can't write OpeningBook file " + destination + "!";
    return false;
  }
  if (!save(temporary, error)) {
    error = "Can't write OpeningBook file " + destination + "!";
    Abandon();
    return false;
  }
  // On the disk, and with the permissions of the old book, before it takes the old book's place.
  if (fchmod(descriptor, ReplacementMode(destination)) != 0 || fsync(descriptor) != 0 ||
      std::rename(temporary.c_str(), destination.c_str()) != 0) {
    const int number = errno;
    error = "Can't write OpeningBook file " + destination + " (" + std::strerror(number) + ")!";
    Abandon();
    return false;
  }
  pendingFile.store(nullptr);  // the name is the book's now
  temporary.clear();
  Abandon();
  return true;
}

void BookFileReplacement::Abandon() {
  if (!temporary.empty()) unlink(temporary.c_str());
  // The handlers go only after the file, so that no signal in between leaves it behind.
  pendingFile.store(nullptr);
  temporary.clear();
  if (descriptor >= 0) close(descriptor);
  descriptor = -1;
  if (handlersInstalled) {
    for (std::size_t i = 0; i < std::size(INTERRUPTING_SIGNALS); ++i)
      sigaction(INTERRUPTING_SIGNALS[i], &previousActions[i], nullptr);
    handlersInstalled = false;
  }
}

BookFileReplacement::~BookFileReplacement() { Abandon(); }
