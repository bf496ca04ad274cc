#include "protocol/UciSession.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <vector>

#include "board/Fen.h"
#include "book/OpeningBook.h"
#include "console/Console.h"
#include "protocol/ProgramVersion.h"
#include "protocol/WinDrawLoss.h"
#include "search/StrongSearch.h"
#include "search/TimeBudget.h"

namespace {

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// The words of "go" that take a number.
bool TakesNumber(const std::string& word) {
  return word == "wtime" || word == "btime" || word == "winc" || word == "binc" ||
         word == "movestogo" || word == "movetime" || word == "depth" || word == "nodes" ||
         word == "mate";
}

bool IsGoWord(const std::string& word) {
  return TakesNumber(word) || word == "infinite" || word == "ponder" || word == "searchmoves";
}

// The score as UCI has it: centipawns, or moves to mate (negative: mated) from the side to move.
std::string ScoreText(int score, int mateMoves) {
  return mateMoves != 0 ? "mate " + std::to_string(mateMoves) : "cp " + std::to_string(score);
}

// The words that follow the score for a front end that wants the chances of the result.
std::string WdlText(int score, int mateMoves) {
  const WinDrawLoss chances = WinDrawLossOf(score, mateMoves);
  return " wdl " + std::to_string(chances.win) + " " + std::to_string(chances.draw) + " " +
         std::to_string(chances.loss);
}

// The value of a string option: "<empty>", as some front ends show an empty one, is empty.
std::string StringValue(const std::string& value) { return value == "<empty>" ? "" : value; }

constexpr int MAX_MOVE_OVERHEAD_MS = 5000;

}  // namespace

UciSession::UciSession(ProtocolChannel& channel, std::string bookFile)
    : channel_(channel), game_(""), bookFile_(std::move(bookFile)) {
  // A UCI front end gets the full-strength search unless it asks for the console game's.
  game_.SetStrength(EngineSession::STRENGTH_FULL);
}

UciSession::~UciSession() = default;

const OpeningBook* UciSession::Book() {
  if (!ownBook_ || bookFile_.empty()) return nullptr;
  // A book that cannot be read is none: it is not read again until the file is named anew.
  if (!book_) LoadBook();
  return book_.get();
}

bool UciSession::LoadBook() {
  book_ = std::make_unique<OpeningBook>();
  if (std::string error; !book_->Load(bookFile_, error)) {
    std::cerr << error << std::endl;
    Report("BookFile " + bookFile_ + ": " + error);
    return false;
  }
  *ConsoleOut << book_->EntriesLine() << std::flush;
  return true;
}

void UciSession::Run() {
  while (!quit_) {
    std::string line;
    if (!pending_.empty()) {
      line = std::move(pending_.front());
      pending_.pop_front();
    } else if (!channel_.ReadLine(line)) {
      break;
    }
    Dispatch(line);
  }
}

void UciSession::Dispatch(const std::string& line) {
  std::string word, rest;
  SplitCommand(line, word, rest);
  if (word.empty() || word == "stop" || word == "ponderhit" || word == "debug" ||
      word == "register")
    return;
  if (word == "uci") {
    channel_.Send(std::string("id name Velmora ") + ProgramVersion());
    channel_.Send("id author the Velmora developers");
    channel_.Send("option name OwnBook type check default true");
    channel_.Send("option name BookFile type string default " + bookFile_);
    channel_.Send("option name Hash type spin default " + std::to_string(TT_DEFAULT_MEGABYTES) +
                  " min 1 max " + std::to_string(TT_MAX_MEGABYTES));
    channel_.Send("option name Clear Hash type button");
    channel_.Send("option name Threads type spin default 1 min 1 max " +
                  std::to_string(StrongSearch::MAX_THREADS));
    channel_.Send("option name MultiPV type spin default 1 min 1 max 8");
    channel_.Send("option name Ponder type check default false");
    channel_.Send(std::string("option name Strength type combo default ") +
                  EngineSession::STRENGTH_FULL + " var " + EngineSession::STRENGTH_CLASSIC +
                  " var " + EngineSession::STRENGTH_FULL);
    channel_.Send("option name UCI_LimitStrength type check default false");
    channel_.Send("option name UCI_Elo type spin default " +
                  std::to_string(EngineSession::DEFAULT_ELO) + " min " + std::to_string(LEVEL_MIN) +
                  " max " + std::to_string(LEVEL_MAX));
    channel_.Send("option name Move Overhead type spin default " +
                  std::to_string(GameClock::DEFAULT_OVERHEAD_MS) + " min 0 max " +
                  std::to_string(MAX_MOVE_OVERHEAD_MS));
    channel_.Send("option name UCI_AnalyseMode type check default false");
    channel_.Send("option name UCI_ShowWDL type check default false");
    channel_.Send("option name Debug Log File type string default");
    channel_.Send("uciok");
  } else if (word == "isready") {
    channel_.Send("readyok");
  } else if (word == "ucinewgame") {
    game_.NewGame();
    noPosition_ = false;
  } else if (word == "position") {
    OnPosition(rest);
  } else if (word == "go") {
    OnGo(rest);
  } else if (word == "setoption") {
    OnSetOption(rest);
  } else if (word == "quit") {
    quit_ = true;
  } else {
    Report("unknown command: " + word);
  }
}

void UciSession::OnPosition(const std::string& arguments) {
  const std::vector<std::string> words = Words(arguments);
  std::size_t next = 1;
  std::string fen;
  if (!words.empty() && words[0] == "startpos") {
    fen = WriteFen(Board());
  } else if (!words.empty() && words[0] == "fen") {
    for (; next < words.size() && words[next] != "moves"; ++next)
      fen += (fen.empty() ? "" : " ") + words[next];
  } else {
    Report("position needs startpos or fen: position " + arguments);
    return;
  }
  if (next < words.size() && words[next] != "moves") {
    Report("position: 'moves' expected instead of " + words[next]);
    return;
  }
  std::string error;
  if (!game_.SetUp(fen, error, true)) {
    Report("illegal position: " + error);
    noPosition_ = true;
    return;
  }
  noPosition_ = false;
  for (++next; next < words.size(); ++next) {
    Move move;
    if (!game_.FindMove(words[next], move)) {
      Report("illegal move " + words[next] + ": the moves from it on are left out");
      return;
    }
    game_.Play(move);
  }
}

void UciSession::OnSetOption(const std::string& arguments) {
  // setoption name NAME [value VALUE]: the name may hold blanks and is read in any case; the
  // value is everything after the word value, and may be empty.
  const auto lowerCase = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  };
  std::string name, value;
  bool named = false;
  std::istringstream in(arguments);
  for (std::string word; in >> word;) {
    if (!named) {
      if (lowerCase(word) != "name") break;
      named = true;
    } else if (lowerCase(word) == "value") {
      std::getline(in >> std::ws, value);
      break;
    } else {
      name += (name.empty() ? "" : " ") + word;
    }
  }
  const std::string key = lowerCase(name);
  if (!named || name.empty()) {
    Report("setoption needs a name");
    return;
  }
  // A check option: true or false, else it stays as it was.
  const auto readCheck = [&](const char* option, bool& flag) {
    if (value != "true" && value != "false") {
      Report(std::string(option) + " is true or false");
      return false;
    }
    flag = value == "true";
    return true;
  };
  if (key == "ownbook") {
    readCheck("OwnBook", ownBook_);
  } else if (key == "bookfile") {
    // Read at once, so that a file that cannot be read is reported now; it is read again at the
    // next game move, as the file may be mended meanwhile.
    bookFile_ = StringValue(value);
    book_.reset();
    if (!bookFile_.empty() && !LoadBook()) book_.reset();
  } else if (key == "uci_analysemode") {
    readCheck("UCI_AnalyseMode", analyseMode_);
  } else if (key == "uci_showwdl") {
    readCheck("UCI_ShowWDL", showWdl_);
  } else if (key == "debug log file") {
    if (std::string error; !channel_.TraceInto(StringValue(value), error))
      Report("Debug Log File: " + error);
  } else if (key == "move overhead") {
    std::int64_t number = 0;
    if (!ParseNumber(value, number) || number < 0 || number > MAX_MOVE_OVERHEAD_MS)
      Report("Move Overhead is a number from 0 to " + std::to_string(MAX_MOVE_OVERHEAD_MS));
    else
      moveOverheadMs_ = number;
  } else if (key == "hash" || key == "multipv" || key == "threads") {
    int number = 0;
    const int most = key == "hash"      ? TT_MAX_MEGABYTES
                     : key == "threads" ? StrongSearch::MAX_THREADS
                                        : 8;
    if (!ParseNumber(value, number) || number < 1 || number > most) {
      Report(name + " is a number from 1 to " + std::to_string(most));
      return;
    }
    if (key == "hash")
      game_.SetHashMegabytes(number);
    else if (key == "threads")
      game_.SetThreads(number);
    else
      lines_ = number;
  } else if (key == "clear hash") {
    game_.Engine().ClearTables();
  } else if (key == "ponder") {
    bool ignored = false;
    readCheck("Ponder", ignored);
  } else if (key == "uci_limitstrength") {
    if (bool limit = false; readCheck("UCI_LimitStrength", limit)) game_.LimitStrength(limit);
  } else if (key == "uci_elo") {
    int number = 0;
    if (!ParseNumber(value, number) || !game_.SetElo(number))
      Report("UCI_Elo is a number from " + std::to_string(LEVEL_MIN) + " to " +
             std::to_string(LEVEL_MAX));
  } else if (key == "strength") {
    if (!game_.SetStrength(value))
      Report(std::string("Strength is ") + EngineSession::STRENGTH_CLASSIC + " or " +
             EngineSession::STRENGTH_FULL);
  } else {
    Report("no option " + name);
  }
}

void UciSession::OnGo(const std::string& arguments) {
  const std::vector<std::string> words = Words(arguments);
  const bool white = game_.Position().sideToMove == WHITE;
  SearchOrder order;
  order.clock.overheadMs = moveOverheadMs_;
  bool ponder = false;
  std::vector<Move> rootMoves;
  // A search given by depth, nodes, time, moves or without end analyses, as does every search
  // in the front end's analysis mode: the book does not answer it.
  bool analysis = analyseMode_;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word == "infinite" || word == "ponder") {
      (word == "ponder" ? ponder : order.infinite) = true;
      analysis = true;
      continue;
    }
    if (word == "searchmoves") {
      analysis = true;
      rootMoves = ReadSearchMoves(words, ++i);
      --i;
      continue;
    }
    if (!TakesNumber(word)) {
      Report("go: " + word + " is not understood");
      continue;
    }
    if (word == "depth" || word == "nodes" || word == "movetime" || word == "mate") analysis = true;
    std::int64_t value = 0;
    // Some front ends send a negative time left after an overstep: none is left.
    const bool clockTime = word == "wtime" || word == "btime" || word == "winc" || word == "binc";
    if (i + 1 >= words.size() || !ParseNumber(words[i + 1], value) ||
        value < (clockTime ? -1000000000000 : 0) || value > 1000000000000) {
      Report("go: " + word + " needs a number");
      continue;
    }
    value = std::max<std::int64_t>(value, 0);
    ++i;
    GameClock& clock = order.clock;
    if (word == (white ? "wtime" : "btime")) clock.remainingMs = value;
    if (word == (white ? "winc" : "binc")) clock.incrementMs = value;
    if (word == "movestogo")
      clock.movesToGo = static_cast<int>(std::min<std::int64_t>(value, 1000));
    if (word == "movetime") clock.fixedMoveMs = value;
    if (word == "depth")
      order.depth = static_cast<int>(std::clamp<std::int64_t>(value, 1, MAX_SEARCH_DEPTH));
    if (word == "nodes") order.nodes = std::max<std::int64_t>(value, 1);
    if (word == "mate") order.mateMoves = static_cast<int>(std::clamp<std::int64_t>(value, 1, 100));
  }

  stop_ = false;
  // After a refused position the front end's position is unknown: no move is right for it.
  if (noPosition_) {
    Report("no legal position: go");
    channel_.Send("bestmove 0000");
    return;
  }
  // Pondering searches without end until the front end says whether its guess was played:
  // then the clock of the order counts from that moment.
  pondering_ = ponder;
  // A finished game has nothing to search: mated (mate 0) or stalemated (a draw). A search
  // without end still waits for the word that ends it.
  if (const Standing standing = game_.Outcome(); standing != Standing::PLAY_ON) {
    const bool mated = standing == Standing::CHECKMATE;
    channel_.Send(std::string("info depth 0 score ") + (mated ? "mate 0" : "cp 0") +
                  (!showWdl_ ? ""
                   : mated   ? " wdl 0 0 1000"
                             : " wdl 0 1000 0"));
    AwaitEnd(order.infinite && !ponder);
    channel_.Send("bestmove 0000");
    return;
  }
  ponderClock_ = order.clock;
  const bool clocked = order.clock.remainingMs >= 0 || order.clock.fixedMoveMs >= 0;
  SearchRequest request;
  request.options = game_.GameOptions();
  const bool analysisWithoutEnd = order.infinite && !ponder;
  order.infinite = order.infinite || ponder;
  ApplyOrder(order, request);
  request.limits.endAtMate = !analysisWithoutEnd;
  request.options.adaptTime = request.options.adaptTime || (ponder && clocked);
  request.options.lines = lines_;
  request.options.rootMoves = std::move(rootMoves);
  request.options.progress = [this](const SearchProgress& progress) { SendProgress(progress); };
  request.book = analysis ? nullptr : Book();  // read when first asked
  if (!analysis) request.level = game_.Level();
  request.stop = &stop_;
  request.listen = [this] { Poll(); };
  request.onIteration = [this](const IterationReport& report) { SendInfo(report); };
  const SearchAnswer answer = game_.Think(std::move(request));
  const Move& move = answer.move;
  if (answer.book.move) {
    Report("book move " + CoordinateText(move) + " (" + std::to_string(answer.book.choice) + "/" +
           std::to_string(answer.book.candidates) + ")");
  }
  // A search without end that ended by itself waits for "stop"; pondering for "ponderhit".
  AwaitEnd(order.infinite && !ponder);
  std::string best = BestMoveText(move);
  // The reply the engine expects, for the front end to ponder on.
  const std::vector<Move>& line = answer.variation;
  if (line.size() >= 2 && best == CoordinateText(line[0]))
    best += " ponder " + CoordinateText(line[1]);
  channel_.Send("bestmove " + best);
}

void UciSession::AwaitEnd(bool untilStopped) {
  while (!stop_ && !quit_ && (untilStopped || pondering_)) {
    std::string line;
    if (channel_.ReadLine(line))
      WhileSearching(std::move(line));
    else
      quit_ = true;
  }
  pondering_ = false;
}

std::vector<Move> UciSession::ReadSearchMoves(const std::vector<std::string>& words,
                                              std::size_t& next) {
  std::vector<Move> moves;
  for (; next < words.size() && !IsGoWord(words[next]); ++next) {
    Move move;
    if (game_.FindMove(words[next], move))
      moves.push_back(move);
    else
      Report("go: searchmoves: " + words[next] + " is no legal move");
  }
  return moves;
}

void UciSession::WhileSearching(std::string line) {
  std::string word, rest;
  SplitCommand(line, word, rest);
  if (word == "isready") {
    channel_.Send("readyok");
  } else if (word == "stop") {
    stop_ = true;
  } else if (word == "quit") {
    stop_ = quit_ = true;
  } else if (word == "ponderhit") {
    // The guess was played: the search goes on as the engine's own, on the clock; without a
    // clock its move is wanted now.
    const bool clocked = ponderClock_.remainingMs >= 0 || ponderClock_.fixedMoveMs >= 0;
    if (pondering_ && clocked) game_.Engine().RestartClock(BudgetFor(ponderClock_));
    if (pondering_ && !clocked) stop_ = true;
    pondering_ = false;
  } else {
    pending_.push_back(std::move(line));
  }
}

void UciSession::Poll() {
  for (std::string& line : channel_.TakeWaiting()) WhileSearching(std::move(line));
  if (channel_.InputEnded()) stop_ = quit_ = true;
}

void UciSession::SendInfo(const IterationReport& report) {
  std::ostringstream line;
  line << "info depth " << report.depth << " seldepth " << report.selectiveDepth;
  if (lines_ > 1) line << " multipv " << report.line;
  const std::int64_t time = report.elapsedMs;
  line << " score " << ScoreText(report.score, report.mateMoves);
  if (showWdl_) line << WdlText(report.score, report.mateMoves);
  line << " nodes " << report.nodes << " nps "
       << report.nodes * 1000 / std::max<std::int64_t>(time, 1) << " hashfull " << report.hashFull
       << " time " << time;
  if (!report.variation.empty()) line << " pv " << report.variation;
  channel_.Send(line.str());
}

void UciSession::SendProgress(const SearchProgress& progress) {
  std::ostringstream line;
  line << "info depth " << progress.depth;
  if (progress.kind == SearchProgress::Kind::CURRENT_MOVE) {
    line << " currmove " << CoordinateText(progress.move) << " currmovenumber "
         << progress.moveNumber;
  } else if (progress.kind == SearchProgress::Kind::PERIODIC) {
    line << " seldepth " << progress.selectiveDepth << " nodes " << progress.nodes << " nps "
         << progress.nodes * 1000 / std::max<std::int64_t>(progress.elapsedMs, 1) << " hashfull "
         << progress.hashFull << " time " << progress.elapsedMs;
  } else {
    return;  // a new best move shows with its iteration
  }
  channel_.Send(line.str());
}

std::string UciSession::BestMoveText(const Move& move) {
  if (game_.Outcome() != Standing::PLAY_ON) return "0000";
  Move legal;
  if (move.Kind() != MOVE_RESIGN && move.Kind() != MOVE_STALEMATE &&
      game_.FindMove(CoordinateText(move), legal))
    return CoordinateText(legal);
  // The engine gave up: any legal move will do, the one it looked at first if it can be.
  const std::string text = CoordinateText(move).substr(0, 4);  // without a promotion letter
  if (game_.FindMove(text, legal) || game_.FindMove(text + "q", legal))
    return CoordinateText(legal);
  return game_.FirstLegalMove(legal) ? CoordinateText(legal) : "0000";
}
