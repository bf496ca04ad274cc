#include "game/Game.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <system_error>
#include <vector>

#include "board/BoardImage.h"
#include "board/Fen.h"
#include "board/Rules.h"
#include "board/San.h"
#include "book/PgnExport.h"
#include "console/Console.h"
#include "console/Files.h"
#include "game/ConsoleInput.h"
#include "game/HumanPlayer.h"
#include "search/Evaluate.h"
#include "search/Level.h"
#include "search/NegaScout.h"
#include "search/SearchDriver.h"

Game* CurrentGame = nullptr;
std::string LastMoveFile = "LastMove.bin";

namespace {

bool EndsGame(const Move& move) {
  return move.Kind() == MOVE_RESIGN || move.Kind() == MOVE_STALEMATE ||
         move.Kind() == MOVE_CHECKMATE;
}

// The line that names a draw rule ending the game, or null for none.
const char* DrawLine(GameRecord::Draw draw) {
  switch (draw) {
    case GameRecord::Draw::REPETITION:
      return "Draw by threefold repetition - Game is a draw.";
    case GameRecord::Draw::FIFTY_MOVES:
      return "Draw by the fifty-move rule - Game is a draw.";
    case GameRecord::Draw::DEAD_POSITION:
      return "Draw: neither side can mate any more - Game is a draw.";
    default:
      return nullptr;
  }
}

// A positive number of seconds up to `most` ("5", "0.5"); false for any other text.
bool ReadSeconds(const std::string& text, double most, double& seconds) {
  if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) return false;
  char* end = nullptr;
  seconds = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && std::isfinite(seconds) && seconds > 0 &&
         seconds <= most;
}

// A time on a clock: "4:58.2", "0:00.0".
std::string ClockText(std::int64_t ms) {
  ms = std::max<std::int64_t>(ms, 0);
  std::ostringstream text;
  text << ms / 60000 << ':' << std::setw(2) << std::setfill('0') << ms / 1000 % 60 << '.'
       << ms / 100 % 10;
  return text.str();
}

// The standard notation of a move made on `board`, with its check or mate mark.
std::string SanOfPlayed(const Board& board, const Move& move) {
  for (const Move& legal : LegalMoves(board))
    if (legal.from == move.from && legal.to == move.to && legal.Promotion() == move.Promotion())
      return SanText(board, legal);
  return CoordinateText(move);
}

// How many bytes a player's state takes in a position file.
std::size_t StateSize(Player* player) {
  if (!player) return 0;
  std::ostringstream state;
  player->SaveState(state);
  return state.str().size();
}

// What an interrupting signal appends to the game log: the game so far with the result "*".
// Two buffers, each with the log's name, so that the handler always finds a whole record while
// the other one is rewritten; the handler itself only calls functions that are safe in a signal
// handler.
struct InterruptRecord {
  std::string logName;
  std::string text;
};
InterruptRecord interruptRecords[2];
volatile std::sig_atomic_t interruptCurrent = 0;

void SetInterruptRecord(const std::string& logName, const std::string& text) {
  const int next = 1 - interruptCurrent;
  interruptRecords[next].logName = logName;
  interruptRecords[next].text = text;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  interruptCurrent = next;
  std::atomic_signal_fence(std::memory_order_seq_cst);
}

extern "C" void AppendGameAndExit(int signal) {
  const InterruptRecord& record = interruptRecords[interruptCurrent];
  if (!record.text.empty() && !record.logName.empty()) {
    const int log = open(record.logName.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (log >= 0) {
      // Whole or not at all, as every record of the log.
      AppendWhole(log, record.text.data(), record.text.size());
      close(log);
    }
  }
  _exit(128 + signal);
}

// Holds the interrupting signals back while it lives.
class InterruptsHeld {
 public:
  InterruptsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (int signal : INTERRUPTING_SIGNALS) sigaddset(&held, signal);
    sigprocmask(SIG_BLOCK, &held, &previous_);
  }
  ~InterruptsHeld() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }
  InterruptsHeld(const InterruptsHeld&) = delete;
  InterruptsHeld& operator=(const InterruptsHeld&) = delete;

 private:
  sigset_t previous_;
};

}  // namespace

void AppendGameOnInterrupt() {
  struct sigaction action {};
  action.sa_handler = AppendGameAndExit;
  sigemptyset(&action.sa_mask);
  for (int signal : INTERRUPTING_SIGNALS) sigaddset(&action.sa_mask, signal);
  for (int signal : INTERRUPTING_SIGNALS) sigaction(signal, &action, nullptr);
}

Game::Game(const std::string& bookFileName, const std::string& gameLogFileName) {
  board.Reset();
  CurrentGame = this;
  book = std::make_unique<OpeningBook>();
  if (std::string error; book->Load(bookFileName, error))
    *ConsoleOut << book->EntriesLine() << std::flush;
  else
    std::cerr << error << std::endl;
  board.Reset();
  now = [] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  };
  gameLog = std::make_unique<PGNWriter>();
  if (!gameLog->Open(gameLogFileName)) {
    std::cerr << "Can't create logfile '" << gameLogFileName << "'! Logging canceled!";
    gameLog.reset();
  }
}

Game::~Game() {
  SetInterruptRecord("", "");
  // Said only when every game of the run is in the log completely.
  if (logged && !logFailed)
    *ConsoleOut << "Game-Log written to " << gameLog->LogFileName() << "!" << std::endl;
  if (CurrentGame == this) CurrentGame = nullptr;
}

void Game::RestartRecord() {
  record.Restart(board);
  RecordChanged();
}

void Game::RecordChanged() {
  if (gameLog) record.WriteInto(*gameLog);
  // A game without a move has nothing to lose.
  if (gameLog && record.Plies() > 0)
    SetInterruptRecord(gameLog->LogFileName(), gameLog->GameText("*"));
  else
    SetInterruptRecord("", "");
}

void Game::Run() {
  while (PlayOneGame() || OfferAnotherGame()) {
    *ConsoleOut << "A new game begins." << std::endl;
    board.Reset();
  }
  *ConsoleOut << "GAME OVER.  Thanks for playing!" << std::endl;
}

bool Game::PlayOneGame() {
  RestartRecord();
  earlyEnd = EarlyEnd::NONE;
  remainingMs[WHITE] = remainingMs[BLACK] = clockBaseMs;
  Move move;
  for (;;) {
    DiscardTypedAhead();
    *ConsoleOut << (compactBoard ? CompactBoardPicture(board, PersonSide()) : BoardPicture(board))
                << std::flush;
    *ConsoleOut << "SCORE from perspective white " << std::showpos << ScoreForWhite(board)
                << std::noshowpos << std::endl;
    // A position set up already mated ends the game before anybody is asked for a move.
    if (record.Plies() == 0 && StandingOf(board) == Standing::CHECKMATE) {
      Move mate;
      mate.flags = MOVE_CHECKMATE;
      *ConsoleOut << GameEndLine(mate) << std::endl;
      record.SetResult(board.sideToMove == WHITE ? "0-1" : "1-0");
      break;
    }

    const Color mover = board.sideToMove;
    if (Player* player = players[mover].get();
        auto* computer = dynamic_cast<ComputerPlayer*>(player)) {
      GameClock clock;
      if (moveTimeMs >= 0) clock.fixedMoveMs = moveTimeMs;
      if (clockBaseMs >= 0) {
        clock.remainingMs = remainingMs[mover];
        clock.incrementMs = clockIncrementMs;
      }
      computer->SetClock(clock);
    }
    const std::int64_t started = now();
    players[board.sideToMove]->GetMove(board, move);
    const std::int64_t thought = now() - started;
    if (earlyEnd != EarlyEnd::NONE) {
      AppendToLog();  // unfinished
      return earlyEnd == EarlyEnd::NEW_GAME;
    }
    // The player may have loaded another position: the side to move is read again.
    const Color side = board.sideToMove;
    const std::string& name = players[side]->name;
    *ConsoleOut << name << " selects move: " << move.Line() << std::flush;
    const bool onBoard = move.Kind() != MOVE_RESIGN && move.Kind() != MOVE_STALEMATE;
    // A move made after the side's time ran out does not count: the side has lost on time.
    if (clockBaseMs >= 0 && onBoard) {
      remainingMs[side] -= thought;
      if (remainingMs[side] < 0) {
        *ConsoleOut << name << "'s time is up - " << players[1 - side]->name << " wins."
                    << std::endl;
        record.SetResult(side == WHITE ? "0-1" : "1-0");
        break;
      }
      remainingMs[side] += clockIncrementMs;
    }
    if (onBoard && dynamic_cast<ComputerPlayer*>(players[side].get()))
      *ConsoleOut << name << " plays " << SanOfPlayed(board, move) << std::endl;
    if (!EndsGame(move) && board.sideToMove == WHITE) SaveToFile(LastMoveFile);
    record.Play(move);
    if (const char* line = GameEndLine(move)) *ConsoleOut << line << std::endl;
    if (EndsGame(move)) break;
    if (InCheck(board)) *ConsoleOut << "Check!" << std::endl;
    if (clockBaseMs >= 0) *ConsoleOut << ClockLine() << std::flush;
    if (moveTimeMs >= 0 && dynamic_cast<ComputerPlayer*>(players[side].get()))
      *ConsoleOut << name << "'s time: " << ClockText(thought) << " of " << ClockText(moveTimeMs)
                  << " a move" << std::endl;
    if (const char* draw = DrawLine(record.DrawByRule())) {
      *ConsoleOut << draw << std::endl;
      record.SetResult("1/2-1/2");
      break;
    }
    RecordChanged();
  }
  AppendToLog();
  return false;
}

std::vector<ComputerPlayer*> Game::Computers() const {
  std::vector<ComputerPlayer*> computers;
  for (const auto& player : players)
    if (auto* computer = dynamic_cast<ComputerPlayer*>(player.get())) computers.push_back(computer);
  return computers;
}

Color Game::PersonSide() const {
  return dynamic_cast<HumanPlayer*>(players[BLACK].get()) &&
                 !dynamic_cast<HumanPlayer*>(players[WHITE].get())
             ? BLACK
             : WHITE;
}

bool Game::OfferAnotherGame() {
  const bool person = dynamic_cast<HumanPlayer*>(players[WHITE].get()) ||
                      dynamic_cast<HumanPlayer*>(players[BLACK].get());
  if (!person || leaving || earlyEnd == EarlyEnd::PERSON_LEFT) return false;
  *ConsoleOut << "Another game ? ( yes / no ) " << std::flush;
  const std::string answer = ReadConsoleWord();
  return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

std::string Game::ClockLine() const {
  return "Clock: " + players[WHITE]->name + " " + ClockText(remainingMs[WHITE]) + "  " +
         players[BLACK]->name + " " + ClockText(remainingMs[BLACK]) + "\n";
}

bool Game::SetStrength(const std::string& text) {
  PlayingStrength strength;
  std::string error;
  if (!ReadStrength(text, strength, error)) {
    *ConsoleOut << error << std::endl;
    return false;
  }
  for (ComputerPlayer* computer : Computers()) computer->SetStrength(strength);
  ShowStrength();
  return true;
}

void Game::ShowStrength() {
  const std::vector<ComputerPlayer*> computers = Computers();
  *ConsoleOut << "Level: "
              << (computers.empty() ? "no computer plays" : StrengthText(computers[0]->Strength()))
              << ". ( level " << LEVEL_MIN << " .. " << LEVEL_MAX << ", level full, level classic )"
              << std::endl;
}

bool ReadMoveTime(const std::string& text, std::int64_t& ms) {
  double seconds = 0;
  if (text == "off") {
    ms = -1;
    return true;
  }
  if (!ReadSeconds(text, 86400, seconds)) return false;
  ms = std::max<std::int64_t>(1, std::llround(seconds * 1000));
  return true;
}

bool ReadGameClock(const std::string& text, std::int64_t& baseMs, std::int64_t& incrementMs) {
  if (text == "off") {
    baseMs = -1;
    incrementMs = 0;
    return true;
  }
  const auto split = text.find_first_of(" +");
  const auto incrementStart =
      split == std::string::npos ? split : text.find_first_not_of(" +", split);
  const std::string incrementText =
      incrementStart == std::string::npos ? "" : text.substr(incrementStart);
  double minutes = 0, increment = 0;
  if (!ReadSeconds(text.substr(0, split), 24 * 60, minutes) ||
      (split != std::string::npos && incrementText != "0" &&
       !ReadSeconds(incrementText, 3600, increment)))
    return false;
  baseMs = std::llround(minutes * 60000);
  incrementMs = std::llround(increment * 1000);
  return true;
}

bool Game::SetMoveTime(const std::string& text) {
  std::int64_t ms = -1;
  if (!ReadMoveTime(text, ms)) {
    *ConsoleOut << "A time per move is a number of seconds ( e.g. 'time 5' ) or off, not \"" << text
                << "\"." << std::endl;
    return false;
  }
  moveTimeMs = ms;
  if (ms >= 0) clockBaseMs = remainingMs[WHITE] = remainingMs[BLACK] = -1;
  ShowTime();
  return true;
}

bool Game::SetGameClock(const std::string& text) {
  std::int64_t base = -1, increment = 0;
  if (!ReadGameClock(text, base, increment)) {
    *ConsoleOut << "A game clock is minutes and an increment in seconds ( e.g. 'clock 5' or "
                   "'clock 5+3' ) or off, not \""
                << text << "\"." << std::endl;
    return false;
  }
  clockBaseMs = remainingMs[WHITE] = remainingMs[BLACK] = base;
  clockIncrementMs = increment;
  if (base >= 0) moveTimeMs = -1;
  ShowTime();
  return true;
}

void Game::ShowTime() {
  if (clockBaseMs >= 0) {
    *ConsoleOut << "Game clock: " << ClockText(clockBaseMs) << " + "
                << static_cast<double>(clockIncrementMs) / 1000.0 << " s a move for each side."
                << std::endl
                << ClockLine() << std::flush;
  } else if (moveTimeMs >= 0) {
    *ConsoleOut << "The computer thinks at most " << static_cast<double>(moveTimeMs) / 1000.0
                << " s a move." << std::endl;
  } else {
    *ConsoleOut << "The computer thinks as the console game always has ( at most "
                << SearchLimits().maxTimeMs / 1000 << " s a move ). ( time SECONDS, clock "
                << "MINUTES[+SECONDS], time off, clock off )" << std::endl;
  }
}

void Game::ShowMoves() {
  const std::string text = MoveText(record.StartPosition(), record.BoardMoves());
  *ConsoleOut << (text.empty() ? std::string("No moves yet.\n") : text) << std::flush;
}

void Game::ShowFen() { *ConsoleOut << WriteFen(board, record.ReversiblePlies()) << std::endl; }

void Game::ShowCompactBoard() {
  *ConsoleOut << CompactBoardPicture(board, PersonSide()) << std::flush;
}

void Game::AppendToLog() {
  if (!gameLog) return;
  // The finished game is written once: an interruption now waits until it is.
  InterruptsHeld held;
  SetInterruptRecord("", "");
  const auto madeOnTheBoard = [](const Move& move) {
    return move.Kind() != MOVE_RESIGN && move.Kind() != MOVE_STALEMATE;
  };
  if (std::none_of(record.Moves().begin(), record.Moves().end(), madeOnTheBoard)) return;
  // The log is closed after every game: a later one opens it again.
  bool written = gameLog->IsOpen() || gameLog->Open(gameLog->LogFileName());
  if (written) {
    record.WriteInto(*gameLog);
    written = gameLog->Finish();
  }
  if (written) {
    logged = true;
    return;
  }
  logFailed = true;
  *ConsoleOut << gameLog->Error() << std::endl;
  std::cerr << gameLog->Error() << std::endl;
}

bool Game::SaveToFile(const std::string& name) {
  if (name.empty()) {
    *ConsoleOut << "Please enter a valid filename ( e.g.: 'save mygame' ) !" << std::endl;
    return false;
  }
  // Whether the name is taken is asked without opening it: a FIFO would block the open.
  std::error_code error;
  if (std::filesystem::exists(name, error)) {
    if (!IsRegularFile(name)) {
      *ConsoleOut << "Couldn't write '" << name << "'!" << std::endl;
      return false;
    }
    if (name != LastMoveFile) {
      *ConsoleOut << "File: '" << name << "' already exists. Overwrite  ? ( yes / no ) "
                  << std::flush;
      const std::string answer = ReadConsoleWord();
      if (answer.empty() || (answer[0] != 'Y' && answer[0] != 'y')) return false;
    }
  }

  std::ostringstream content;
  const BoardImage image = ToImage(board);
  content.write(reinterpret_cast<const char*>(image.data()),
                static_cast<std::streamsize>(image.size()));
  for (const auto& player : players)
    if (player) player->SaveState(content);
  int failure = 0;
  {
    // An interruption waits, so that it leaves no unfinished file beside the destination.
    InterruptsHeld held;
    failure = ReplaceFile(name, content.str());
  }
  if (name == LastMoveFile) lastMoveBytes = failure == 0 ? content.str() : std::string();
  if (failure != 0) {
    *ConsoleOut << "Couldn't write '" << name << "'!" << std::endl;
    return false;
  }
  return true;
}

bool Game::LoadFromFile(const std::string& name) {
  if (!RestorePosition(name)) return false;
  // The game so far ends unfinished, as with "new"; its record does not depend on the board.
  AppendToLog();
  RestartRecord();
  return true;
}

bool Game::RestorePosition(const std::string& name) {
  if (name.empty()) {
    *ConsoleOut << "Please enter a valid filename ( e.g.: 'load mygame' ) !" << std::endl;
    return false;
  }
  std::string bytes;
  return ReadPositionFile(name, bytes) && RestoreFrom(name, bytes);
}

bool Game::ReadPositionFile(const std::string& name, std::string& bytes) const {
  // Nothing changes unless the whole file is sound: the board and exactly what both players
  // need. One byte more than that is read to notice a longer file.
  const std::size_t needed =
      BOARD_IMAGE_SIZE + StateSize(players[WHITE].get()) + StateSize(players[BLACK].get());
  bytes.assign(needed + 1, '\0');
  bool readable = false;
  if (IsRegularFile(name)) {
    std::ifstream file(name, std::ios::binary);
    // A read that fails (a device error) sets the stream's bad state; it never throws, as no
    // exceptions are asked of the stream.
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    readable = file.is_open() && !file.bad();
  }
  if (!readable) {
    *ConsoleOut << "Couldn't open '" << name << "'! File doesn't exist ?" << std::endl;
    return false;
  }
  return true;
}

bool Game::RestoreFrom(const std::string& name, const std::string& bytes) {
  const std::size_t needed =
      BOARD_IMAGE_SIZE + StateSize(players[WHITE].get()) + StateSize(players[BLACK].get());
  Board restored = board;
  if (bytes.size() != needed ||
      !FromImage(reinterpret_cast<const std::uint8_t*>(bytes.data()), restored)) {
    *ConsoleOut << "Couldn't load '" << name << "'! It is not a position file, or it is damaged."
                << std::endl;
    return false;
  }
  board = restored;
  std::istringstream states(bytes.substr(BOARD_IMAGE_SIZE));
  for (const auto& player : players)
    if (player) player->LoadState(states);

  *ConsoleOut << std::endl << "Restored board:" << std::endl << BoardPicture(board) << std::flush;
  return true;
}

void Game::TakeBackPlies(int plies) {
  record.TakeBack(plies);
  RecordChanged();
  *ConsoleOut << std::endl << "Restored board:" << std::endl << BoardPicture(board) << std::flush;
}

bool Game::TakeBack() {
  // The take-back file holds positions before White's moves: it serves only a person as White.
  const bool whiteIsAPerson = dynamic_cast<HumanPlayer*>(players[WHITE].get()) != nullptr;
  const char* refusal = "Nervous ? Tired ?? Stupid ???";
  if (board.moveNumber == 1 || (record.Plies() < 2 && !whiteIsAPerson)) {
    *ConsoleOut << refusal << std::endl;
    return false;
  }
  if (record.Plies() >= 2) {
    TakeBackPlies(2);
    return true;
  }
  std::string bytes;
  if (!ReadPositionFile(LastMoveFile, bytes)) return false;
  if (lastMoveBytes.empty() || bytes != lastMoveBytes) {
    *ConsoleOut << "The take-back file '" << LastMoveFile
                << "' was changed by another game; it is not used." << std::endl;
    // The record holds White's latest move only when it is its single move.
    if (record.Plies() == 1 && record.PositionBefore(0).sideToMove == WHITE) {
      TakeBackPlies(1);
      return true;
    }
    *ConsoleOut << refusal << std::endl;
    return false;
  }
  if (!RestoreFrom(LastMoveFile, bytes)) return false;
  // The file may hold a position from before a load: only a position of this game shortens the
  // record.
  const int ply = record.LastPlyAt(board);
  if (ply < 0) {
    RestartRecord();
    return true;
  }
  record.TakeBack(record.Plies() - ply);
  RecordChanged();
  return true;
}

void Game::ShowHint() {
  NegaScout engine;
  SearchRequest request;
  request.book = book.get();
  // A hint takes no longer than the computer's own move.
  if (moveTimeMs >= 0) request.limits.maxTimeMs = std::min(request.limits.maxTimeMs, moveTimeMs);
  Move hint = ChooseMove(engine, board, std::move(request)).move;
  // An engine that would resign still names a move: any legal one.
  if ((hint.Kind() == MOVE_RESIGN || hint.Kind() == MOVE_STALEMATE) &&
      !FirstLegalMove(board, hint)) {
    *ConsoleOut << "Hint: there is no legal move." << std::endl;
    return;
  }
  *ConsoleOut << "Hint: " << SanText(board, hint) << " ( " << CoordinateText(hint) << " )"
              << std::endl;
}

void Game::ReplacePlayer(Color color, std::unique_ptr<Player> player) {
  if (players[color]) replacedPlayers.push_back(std::move(players[color]));
  players[color] = std::move(player);
}

TextPositionStatus Game::LoadAtStart(const std::string& name) {
  std::string messages;
  const TextPositionStatus status = ReadTextPosition(name, board, messages);
  if (status == TextPositionStatus::UNREADABLE && messages.empty())
    messages = "Couldn't open '" + name + "'! File doesn't exist ?\n";
  *ConsoleOut << messages << std::flush;
  if (status == TextPositionStatus::READ)
    *ConsoleOut << "Loaded Board from file \"" << name << "\"." << std::endl;
  return status;
}
