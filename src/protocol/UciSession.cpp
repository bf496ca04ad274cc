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
#include "search/TimeBudget.h"

namespace {

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

}  // namespace

UciSession::UciSession(ProtocolChannel& channel, std::string bookFile)
    : channel_(channel), game_(""), bookFile_(std::move(bookFile)) {}

UciSession::~UciSession() = default;

const OpeningBook* UciSession::Book() {
  if (!ownBook_ || bookFile_.empty()) return nullptr;
  if (book_) return book_.get();
  book_ = std::make_unique<OpeningBook>();
  if (std::string error; book_->Load(bookFile_, error))
    *ConsoleOut << book_->EntriesLine() << std::flush;
  else
    std::cerr << error << std::endl;
  return book_.get();
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
    channel_.Send("id name Velmora");
    channel_.Send("id author the Velmora developers");
    channel_.Send("option name OwnBook type check default true");
    channel_.Send("option name BookFile type string default " + bookFile_);
    channel_.Send("uciok");
  } else if (word == "isready") {
    channel_.Send("readyok");
  } else if (word == "ucinewgame") {
    game_.NewGame();
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
    return;
  }
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
  if (key == "ownbook") {
    if (value != "true" && value != "false") {
      Report("OwnBook is true or false");
      return;
    }
    ownBook_ = value == "true";
  } else if (key == "bookfile") {
    bookFile_ = value;
    book_.reset();
  } else {
    Report("no option " + name);
  }
}

void UciSession::OnGo(const std::string& arguments) {
  const std::vector<std::string> words = Words(arguments);
  const bool white = game_.Position().sideToMove == WHITE;
  SearchLimits limits;
  GameClock clock;
  std::int64_t nodes = SearchControl::NO_LIMIT;
  bool infinite = false;
  // A search given by depth, nodes, time or without end analyses: the book does not answer it.
  bool analysis = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word == "infinite") {
      infinite = analysis = true;
      continue;
    }
    if (word == "ponder") {
      analysis = true;
      continue;
    }
    if (word == "depth" || word == "nodes" || word == "movetime" || word == "mate") analysis = true;
    std::int64_t value = 0;
    const bool numbered = word == "wtime" || word == "btime" || word == "winc" || word == "binc" ||
                          word == "movestogo" || word == "movetime" || word == "depth" ||
                          word == "nodes" || word == "mate";
    if (!numbered) {
      Report("go: " + word + " is not understood");
      continue;
    }
    if (i + 1 >= words.size() || !ParseNumber(words[i + 1], value) || value < 0 ||
        value > 1000000000000) {
      Report("go: " + word + " needs a number");
      continue;
    }
    ++i;
    if (word == (white ? "wtime" : "btime")) clock.remainingMs = value;
    if (word == (white ? "winc" : "binc")) clock.incrementMs = value;
    if (word == "movestogo")
      clock.movesToGo = static_cast<int>(std::min<std::int64_t>(value, 1000));
    if (word == "movetime") clock.fixedMoveMs = value;
    if (word == "depth")
      limits = SearchLimits::FixedDepth(static_cast<int>(std::clamp<std::int64_t>(value, 2, 25)));
    if (word == "nodes") {
      nodes = std::max<std::int64_t>(value, 1);
      limits = SearchLimits::Unlimited(2, limits.maxDepth);
    }
  }
  if (infinite) limits = SearchLimits::Unlimited();

  stop_ = false;
  // A finished game answers at once: mated (mate 0) or stalemated (a draw).
  if (const Standing standing = game_.Outcome(); standing != Standing::PLAY_ON) {
    channel_.Send(std::string("info depth 0 score ") +
                  (standing == Standing::CHECKMATE ? "mate 0" : "cp 0"));
    channel_.Send("bestmove 0000");
    return;
  }
  SearchRequest request;
  request.limits = limits;
  request.budget = infinite ? SearchControl() : BudgetFor(clock);
  request.budget.maxNodes = nodes;
  request.book = analysis ? nullptr : Book();  // read when first asked
  request.stop = &stop_;
  request.listen = [this] { Poll(); };
  request.onIteration = [this](const IterationReport& report) { SendInfo(report); };
  const SearchAnswer answer = game_.Think(std::move(request));
  const Move& move = answer.move;
  if (answer.book.move) {
    Report("book move " + CoordinateText(move) + " (" + std::to_string(answer.book.choice) + "/" +
           std::to_string(answer.book.candidates) + ")");
  }
  if (infinite && !stop_ && !quit_) WaitForStop();
  channel_.Send("bestmove " + BestMoveText(move));
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
  } else if (word != "ponderhit") {
    pending_.push_back(std::move(line));
  }
}

void UciSession::Poll() {
  for (std::string& line : channel_.TakeWaiting()) WhileSearching(std::move(line));
  if (channel_.InputEnded()) stop_ = quit_ = true;
}

void UciSession::WaitForStop() {
  std::string line;
  while (!stop_ && !quit_) {
    if (channel_.ReadLine(line)) {
      WhileSearching(std::move(line));
    } else {
      quit_ = true;
    }
  }
}

void UciSession::SendInfo(const IterationReport& report) {
  std::ostringstream line;
  line << "info depth " << report.depth << " score ";
  if (report.score >= SCORE_MATE_FOUND || report.score <= -SCORE_MATE_FOUND) {
    // The variation leads to the mate: its moves, counted for the side that mates.
    const int plies = static_cast<int>(Words(report.variation).size());
    const int moves = std::max(1, (plies + 1) / 2);
    line << "mate " << (report.score > 0 ? moves : -moves);
  } else {
    line << "cp " << report.score;
  }
  const std::int64_t time = report.elapsedMs;
  line << " nodes " << report.nodes << " nps "
       << report.nodes * 1000 / std::max<std::int64_t>(time, 1) << " time " << time;
  if (!report.variation.empty()) line << " pv " << report.variation;
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
