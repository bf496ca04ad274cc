// Velmora: a person plays White at the console against the computer.
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <limits>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "book/BookLocation.h"
#include "book/OpeningBook.h"
#include "book/PGNParser.h"
#include "book/PgnExport.h"
#include "book/PolyglotBook.h"
#include "console/Console.h"
#include "game/ComputerPlayer.h"
#include "game/ConsoleInput.h"
#include "game/Game.h"
#include "game/HumanPlayer.h"
#include "game/OutOfMemory.h"
#include "protocol/ProgramVersion.h"
#include "protocol/ProtocolChannel.h"
#include "protocol/ProtocolInput.h"
#include "protocol/UciSession.h"
#include "protocol/XboardConnection.h"
#include "protocol/XboardSession.h"
#include "search/Level.h"
#include "search/NegaScout.h"
#include "search/SearchTrace.h"

namespace {

constexpr const char* BOOK_FILE = "openingbook.bin";
constexpr const char* GAME_LOG_FILE = "games.pgn";

unsigned MillisecondTicks() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return static_cast<unsigned>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void PrintBanner() {
  *ConsoleOut << "            Welcome to Chess!" << std::endl
              << "    ~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~" << std::endl;
}

// The first arguments the program knows; without one it starts a console game as White.
constexpr const char* MODES[] = {"black",      "load",   "pgn", "xboard",   "uci",
                                 "createbook", "--help", "-h",  "--version"};

// Anything else is refused rather than taken for a console game: "velmora xbaord" would
// otherwise wait for a person's moves under a front end.
bool RefuseUnknownMode(const std::string& mode) {
  for (const char* known : MODES)
    if (mode == known) return false;
  std::cerr << "velmora: unknown mode '" << mode << "'; the modes are:";
  for (const char* known : MODES) std::cerr << ' ' << known;
  std::cerr << " (none: a console game as White)" << std::endl;
  return true;
}

void PrintUsage(std::ostream& out) {
  out << "Usage: velmora [MODE]\n"
         "\n"
         "  velmora                         a console game: you play White\n"
         "  velmora black                   a console game: you play Black\n"
         "  velmora load FILE               a console game from a text position file\n"
         "  velmora pgn FILE...             the games of PGN files as standard PGN\n"
         "  velmora xboard [--trace]        the engine of a front end (xboard protocol)\n"
         "  velmora uci [--trace]           the engine of a front end (UCI)\n"
         "  velmora createbook [--polyglot] BOOK DEPTH PGN...\n"
         "                                  builds an opening book from PGN files, in the\n"
         "                                  polyglot format with --polyglot; an existing\n"
         "                                  BOOK is replaced only by a complete new one\n"
         "  velmora --help | --version\n"
         "\n"
         "A console game takes these options after its mode (or alone):\n"
         "  --level N|full|classic        the computer's level: N from " +
             std::to_string(LEVEL_MIN) + " to " + std::to_string(LEVEL_MAX) +
             "\n"
             "                                (classic, the console game's own search, by "
             "default)\n"
             "  --time SECONDS                the computer's time per move\n"
             "  --clock MINUTES[+SECONDS]     a game clock for both sides, with an increment\n"
             "  --compact                     a compact board, seen from the person's side\n"
             "\n"
             "Started without an argument from a pipe, it is the engine its first line asks\n"
             "for (uci, xboard), else the console game. An engine writes its trace files only\n"
             "with --trace: ConnTrace.txt (the protocol), VelmoraConsole.txt (its console\n"
             "text) and NegaScout.log (the search's).\n"
             "\n"
             "The program works in its current folder: it writes games.pgn and its trace\n"
             "files there. It reads openingbook.bin from there, else the book beside the\n"
             "program, else the installed one; a book in the polyglot format is read too.\n";
}

// How an engine mode starts: whether it traces (its console text, the protocol and the search
// each into a file), and what was read of its input before it knew it was an engine.
struct EngineStart {
  bool trace = false;
  std::string readAhead;
};

// Where an engine's console text goes while it lives: a file when it traces, else nowhere.
class EngineConsole {
 public:
  explicit EngineConsole(bool trace) {
    if (trace) {
      OpenSearchTrace();
      file_.open("VelmoraConsole.txt", std::ios::out | std::ios::trunc);
    }
    ConsoleOut = trace ? static_cast<std::ostream*>(&file_) : &NoConsole();
  }
  ~EngineConsole() { ConsoleOut = &std::cout; }
  EngineConsole(const EngineConsole&) = delete;
  EngineConsole& operator=(const EngineConsole&) = delete;

 private:
  std::ofstream file_;
};

const char* TraceFile(const EngineStart& start) { return start.trace ? CONNECTION_TRACE_FILE : ""; }

// The engine under a front end: standard output carries only the protocol.
int PlayUnderFrontEnd(const EngineStart& start) {
  EngineConsole console(start.trace);
  PrintBanner();
  ProtocolInput input(STDIN_FILENO, start.readAhead);
  XboardConnection connection(input, std::cout, TraceFile(start));
  if (std::string error; !connection.Handshake(error)) {
    std::cerr << error << std::flush;
    return 1;
  }
  OpeningBook book;
  if (std::string error; book.Load(FindOpeningBook(BOOK_FILE), error))
    *ConsoleOut << book.EntriesLine() << std::flush;
  else
    std::cerr << error << std::endl;
  *ConsoleOut << NegaScout::ParametersReport() << std::flush;
  XboardSession session(connection, &book, GAME_LOG_FILE);
  session.Run();
  if (session.Logged()) *ConsoleOut << "Game-Log written to " << GAME_LOG_FILE << "!" << std::endl;
  return 0;
}

// The engine under a UCI front end: standard output carries only protocol lines.
int PlayUciEngine(const EngineStart& start) {
  EngineConsole console(start.trace);
  PrintBanner();
  *ConsoleOut << NegaScout::ParametersReport() << std::flush;
  ProtocolInput input(STDIN_FILENO, start.readAhead);
  ProtocolChannel channel(input, std::cout, TraceFile(start));
  UciSession session(channel, FindOpeningBook(BOOK_FILE));
  session.Run();
  return 0;
}

// The first plies of every game of the sources into `book`, with the progress on the console;
// the number of games read, or -1 when a source holds a move that cannot be resolved.
template <typename Book>
int ReadSources(Book& book, const std::vector<std::string>& sources) {
  int total = 0;
  for (const std::string& source : sources) {
    *ConsoleOut << "Open source file ( " << source << " ) for creation... " << std::endl;
    const int setUpBefore = book.setUpGamesSkipped;
    const BookSourceRead read = book.Create(source);
    if (!read.opened) {
      std::cerr << "Can't open source file ( " << source << " ) for creation...!" << std::endl;
    } else if (!read.failed && read.games == 0 && book.setUpGamesSkipped == setUpBefore) {
      std::cerr << "Warning: no game found in source file ( " << source << " )!" << std::endl;
    }
    *ConsoleOut << read.notes << std::flush;
    if (read.failed) {
      std::cerr << read.error << std::flush;
      return -1;
    }
    if (read.opened) {
      *ConsoleOut << ">> Entries:       " << book.entryCount << std::endl;
      if constexpr (std::is_same_v<Book, OpeningBook>)
        *ConsoleOut << ">> Maxcollisions: " << book.maxCollisions << std::endl
                    << ">> Size ( kb ):     "
                    << static_cast<unsigned>(book.entryCount) * 37u / 1024u << std::endl;
      else
        *ConsoleOut << ">> Size ( kb ):     "
                    << static_cast<unsigned>(book.entryCount) * 16u / 1024u << std::endl;
      *ConsoleOut << std::endl;
    }
    total += read.games;
    *ConsoleOut << "Matches: " << total << std::endl;
  }
  if (book.setUpGamesSkipped > 0)
    *ConsoleOut << "Skipped " << book.setUpGamesSkipped
                << " games that start from a set-up position" << std::endl;
  return total;
}

// createbook [--polyglot] <destination file> <max_depth> <source file>...: the book from the
// first plies of every game of the sources, in the program's own format or, with --polyglot,
// in the polyglot format. The book is written beside the destination and takes its place
// only when complete: when the arguments are too few, no game could be read, a source holds a
// move that cannot be resolved, the build is interrupted or the book cannot be written, an
// existing book stays as it was; 1 then, unless a signal ended the build. The depth is a whole
// number of plies, at least 1.
int CreateBook(int argc, char** argv) {
  const bool polyglot = argc > 2 && std::string(argv[2]) == "--polyglot";
  const int first = polyglot ? 3 : 2;  // the destination's argument
  if (argc < first + 3) {
    std::cerr << "Not enough parameters for openingbookcreation !" << std::endl
              << "Parameter 1: \"createbook\"" << std::endl
              << "Parameter 2: <destination file>" << std::endl
              << "Parameter 3: <max_depth>" << std::endl
              << "Parameter 4..n: <source file>" << std::endl;
    return 1;
  }
  const std::string destinationName = argv[first];
  // Looked at before the destination is touched.
  const std::string depthText = argv[first + 1];
  std::int32_t depth = 0;
  if (!ParseNumber(depthText, depth) || depth < 1) {
    std::cerr << "The depth \"" << depthText << "\" is no whole number of plies from 1 to "
              << std::numeric_limits<std::int32_t>::max() << ": the book ( " << destinationName
              << " ) is not written!" << std::endl;
    return 1;
  }
  BookFileReplacement destination;
  if (std::string error; !destination.Begin(destinationName, error)) {
    std::cerr << error << std::endl;
    return 1;
  }
  const std::vector<std::string> sources(argv + first + 2, argv + argc);
  OpeningBook book;
  PolyglotBook polyglotBook;
  book.maxDepth = polyglotBook.maxDepth = depth;
  const int total = polyglot ? ReadSources(polyglotBook, sources) : ReadSources(book, sources);
  if (total < 0) return 1;
  if (total == 0) {
    std::cerr << "No game read from the source files: the book ( " << destinationName
              << " ) is not written!" << std::endl;
    return 1;
  }
  const auto save = [&](const std::string& file, std::string& error) {
    return polyglot ? polyglotBook.Save(file, error) : book.Save(file, error);
  };
  if (std::string error; !destination.Commit(save, error)) {
    std::cerr << error << std::endl;
    return 1;
  }
  return 0;
}

// pgn FILE...: every game of the files in PGN's export format on standard output. A game that
// cannot be read is named on standard error, with the reason, and left out; 1 then.
int ExportPgn(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "Usage: velmora pgn FILE..." << std::endl;
    return 1;
  }
  int status = 0;
  for (int i = 2; i < argc; ++i) {
    std::ifstream source(argv[i]);
    if (source.is_open()) source.peek();
    if (!source.is_open() || source.bad()) {
      std::cerr << "velmora pgn: can't open " << argv[i] << std::endl;
      status = 1;
      continue;
    }
    PGNParser reader(source);
    while (reader.getNextMatch()) {
      const std::string game = std::string(argv[i]) + ", game " + std::to_string(reader.MatchNo());
      if (!reader.StartError().empty()) {
        std::cerr << "velmora pgn: " << game << ": bad FEN: " << reader.StartError() << std::endl;
        status = 1;
        continue;
      }
      const Board start = reader.CurrentBoard();
      std::vector<Move> moves;
      const Move* move = nullptr;
      int outcome = 0;
      while (reader.getNextMove(move, outcome)) moves.push_back(*move);
      if (reader.Failed()) {
        // The reader's own words, on one line.
        std::string reason = reader.Notes() + reader.Error();
        for (char& c : reason) c = c == '\n' ? ' ' : c;
        reason.erase(0, reason.find_first_not_of(' '));
        reason.erase(reason.find_last_not_of(' ') + 1);
        std::cerr << "velmora pgn: " << game << ", ply " << reader.MoveNo()
                  << " cannot be read: " << reason << std::endl;
        status = 1;
        reader.Recover();
        continue;
      }
      std::cout << ExportGame(reader.Tags(), start, moves) << '\n';
    }
  }
  std::cout << std::flush;
  return status;
}

}  // namespace

// The console game's start options and their values: "--level 1500", "--time 5", "--clock 5+3",
// "--compact". Taken out of `arguments` wherever they stand; false, after saying why, for an
// unknown option or one without its value.
bool TakeConsoleOptions(std::vector<std::string>& arguments,
                        std::vector<std::pair<std::string, std::string>>& options) {
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument.rfind("--", 0) != 0) {
      rest.push_back(argument);
      continue;
    }
    if (argument == "--compact") {
      options.emplace_back(argument, "");
      continue;
    }
    if (argument != "--level" && argument != "--time" && argument != "--clock") {
      std::cerr << "velmora: unknown option '" << argument << "'\n\n";
      return false;
    }
    if (i + 1 == arguments.size()) {
      std::cerr << "velmora: " << argument << " wants its value\n\n";
      return false;
    }
    const std::string& value = arguments[++i];
    PlayingStrength strength;
    std::string error;
    std::int64_t ms = 0, increment = 0;
    if (argument == "--level"  ? !ReadStrength(value, strength, error)
        : argument == "--time" ? !ReadMoveTime(value, ms)
                               : !ReadGameClock(value, ms, increment)) {
      std::cerr << "velmora: " << argument << " " << value << ": "
                << (error.empty() ? "not a time" : error) << "\n\n";
      return false;
    }
    options.emplace_back(argument, value);
  }
  arguments = rest;
  return true;
}

int main(int argc, char** argv) {
  // The opening book's random choice draws from this generator.
  std::srand(MillisecondTicks());
  // A front end that closes its end of the pipe is noticed as a failed write, not by a signal
  // that ends the engine before it has written the game.
  std::signal(SIGPIPE, SIG_IGN);
  InstallOutOfMemoryHandler(OutOfMemoryHandler);
  ConsoleOut = &std::cout;
  // A console game (no mode, black or load) may have start options anywhere after its mode.
  std::vector<std::string> console(argv + 1, argv + argc);
  std::vector<std::pair<std::string, std::string>> consoleOptions;
  const std::string first = console.empty() ? "" : console[0];
  if (first.empty() || first == "black" || first == "load" || first == "--level" ||
      first == "--time" || first == "--clock" || first == "--compact") {
    if (!TakeConsoleOptions(console, consoleOptions)) {
      PrintUsage(std::cerr);
      return 2;
    }
  }
  const std::string mode = console.empty() ? "" : console[0];
  if (!console.empty() && RefuseUnknownMode(mode)) return 2;
  if (mode == "--help" || mode == "-h") {
    PrintUsage(std::cout);
    return 0;
  }
  if (mode == "--version") {
    std::cout << "Velmora " << ProgramVersion() << std::endl;
    return 0;
  }
  // A console game takes no argument but the position file of "load", which it needs.
  if ((mode == "load" && console.size() != 2) || (mode == "black" && console.size() != 1)) {
    std::cerr << "velmora " << mode
              << (mode == "load" ? " takes one position file" : " takes no argument") << "\n\n";
    PrintUsage(std::cerr);
    return 2;
  }
  // Standard output carries only the games.
  if (mode == "pgn") return ExportPgn(argc, argv);
  EngineStart engine;
  if (mode == "uci" || mode == "xboard") {
    // An engine's one start option.
    for (std::size_t i = 1; i < console.size(); ++i) {
      if (console[i] != "--trace") {
        std::cerr << "velmora " << mode << ": unknown option '" << console[i] << "'\n\n";
        PrintUsage(std::cerr);
        return 2;
      }
      engine.trace = true;
    }
    return mode == "uci" ? PlayUciEngine(engine) : PlayUnderFrontEnd(engine);
  }
  // Started without an argument by a front end or a match manager, the program is told by the
  // first line which engine to be; anything else is the console game's first input. Nothing is
  // written before that line is read.
  if (argc == 1 && !isatty(STDIN_FILENO)) {
    FrontEndGreeting greeting = ReadGreeting(STDIN_FILENO);
    engine.readAhead = greeting.bytes;
    if (greeting.protocol == FrontEndGreeting::Protocol::UCI) return PlayUciEngine(engine);
    if (greeting.protocol == FrontEndGreeting::Protocol::XBOARD) return PlayUnderFrontEnd(engine);
    PrependConsoleInput(std::move(greeting.bytes));
  }
  OpenSearchTrace();
  PrintBanner();

  if (mode == "createbook") return CreateBook(argc, argv);

  Game game(FindOpeningBook(BOOK_FILE), GAME_LOG_FILE);
  // A file that cannot be read or a position that cannot be played ends the program unplayed:
  // nothing of the game is written.
  if (mode == "load") {
    switch (game.LoadAtStart(console[1])) {
      case TextPositionStatus::NO_KING:
        std::exit(-1);
      case TextPositionStatus::SIDE_NOT_TO_MOVE_IN_CHECK:
      case TextPositionStatus::UNREADABLE:
        std::exit(1);
      case TextPositionStatus::READ:
        break;
    }
  }

  // The person takes the seat asked for, the computer the other; the names are the seats'.
  const Color person = mode == "black" ? BLACK : WHITE;
  game.players[person] = std::make_unique<HumanPlayer>(person);
  game.players[1 - person] =
      std::make_unique<ComputerPlayer>(1 - person, std::make_unique<NegaScout>(), game.book.get());
  game.players[WHITE]->name = "Whity";
  game.players[BLACK]->name = "Blacky";
  for (const auto& [option, value] : consoleOptions) {
    const bool set = option == "--compact" ? (game.compactBoard = true)
                     : option == "--level" ? game.SetStrength(value)
                     : option == "--time"  ? game.SetMoveTime(value)
                                           : game.SetGameClock(value);
    if (!set) return 2;
  }
  AppendGameOnInterrupt();
  if (game.gameLog) {
    game.gameLog->whiteName = game.players[WHITE]->name;
    game.gameLog->blackName = game.players[BLACK]->name;
  }
  *ConsoleOut << NegaScout::ParametersReport() << std::flush;
  game.Run();
  return 0;
}
