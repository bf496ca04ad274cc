// The console game's input: the typed moves, commands, promotion answers and overwrite answers
// of a real game loop. The first byte chooses the opponent of White: the computer (searching
// two plies deep, a few thousand nodes at most) or a second person at the same console.
// "hint" is left out: its search has the console game's own limits (seconds, a million nodes
// an iteration), which no target can lower.
#include <algorithm>
#include <cctype>
#include <sstream>

#include "FuzzSupport.h"
#include "game/ComputerPlayer.h"
#include "game/ConsoleInput.h"
#include "game/Game.h"
#include "game/HumanPlayer.h"

namespace {

// The typed lines without "hint" (as the console reads it: without a carriage return at the
// end, outer blanks and case), and at most fuzz::MAX_LINES of them: each line may be a move
// the computer answers with a search, and a run must end in seconds.
std::string TypedLines(std::string_view text) {
  std::string kept;
  for (std::size_t count = 0; count < fuzz::MAX_LINES && !text.empty(); ++count) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = text.substr(0, end + (end < text.size()));
    text.remove_prefix(line.size());
    std::string word(line);
    if (!word.empty() && word.back() == '\n') word.pop_back();
    if (!word.empty() && word.back() == '\r') word.pop_back();
    const std::size_t begin = word.find_first_not_of(" \t");
    word = begin == std::string::npos
               ? ""
               : word.substr(begin, word.find_last_not_of(" \t") + 1 - begin);
    for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (word != "hint") kept += line;
  }
  return kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Prepare();
  if (size == 0 || fuzz::NamesOtherDirectory(data, size)) return 0;
  fuzz::ClearScratch();
  std::istringstream typed(
      TypedLines(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1)));
  ConsoleIn = &typed;  // read only while the game runs
  if (fuzz::Tracing()) ConsoleOut = &fuzz::Conversation();
  Game game(fuzz::BOOK_FILE, "games.pgn");
  game.players[WHITE] = std::make_unique<HumanPlayer>(WHITE);
  game.players[BLACK] = data[0] % 2 == 0 ? std::unique_ptr<Player>(std::make_unique<ComputerPlayer>(
                                               BLACK, fuzz::CappedEngine(), game.book.get()))
                                         : std::make_unique<HumanPlayer>(BLACK);
  game.Run();
  return 0;
}
