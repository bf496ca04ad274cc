#include "protocol/XboardSession.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string_view>
#include <utility>

#include "book/OpeningBook.h"
#include "console/Console.h"

namespace {

// Commands that change the game or ask for the move at once: they end the engine's search.
constexpr std::array<std::string_view, 14> STOPPING = {
    "?",     "quit",  "result", "force", "new",       "undo",    "remove",
    "white", "black", "go",     "edit",  "playother", "analyze", "setboard"};

// Commands after which the engine plays its side again, when it is to move.
constexpr std::array<std::string_view, 10> PLAY_ON = {
    "go", "usermove", "new", "force", "playother", "setboard", "undo", "remove", "analyze", "exit"};

// Commands that need no answer in this engine.
constexpr std::array<std::string_view, 13> SILENT = {
    "xboard", "protover", "accepted", "rejected", "random", "computer", "rating",
    "ics",    "draw",     "hint",     "bk",       "otim",   "?"};

template <std::size_t N>
bool OneOf(const std::array<std::string_view, N>& words, const std::string& word) {
  return std::find(words.begin(), words.end(), word) != words.end();
}

// A decimal number with an optional fraction ("2", "0.5"), in thousandths; false for anything
// else, negative values and values beyond a day.
bool ParseThousandths(const std::string& text, std::int64_t& value) {
  const auto point = text.find('.');
  std::int64_t whole = 0;
  if (!ParseNumber(text.substr(0, point), whole) || whole < 0 || whole > 86400) return false;
  std::int64_t fraction = 0;
  if (point != std::string::npos) {
    const std::string digits = (text.substr(point + 1) + "000").substr(0, 3);
    if (!ParseNumber(digits, fraction) || fraction < 0) return false;
  }
  value = whole * 1000 + fraction;
  return true;
}

// Whether a line without a command word is a move in coordinate text.
bool LooksLikeMove(const std::string& word) {
  return (word.size() == 4 || word.size() == 5) && word[0] >= 'a' && word[0] <= 'h' &&
         word[1] >= '1' && word[1] <= '8' && word[2] >= 'a' && word[2] <= 'h' && word[3] >= '1' &&
         word[3] <= '8';
}

std::int64_t Milliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

XboardSession::XboardSession(XboardConnection& connection, const OpeningBook* book,
                             const std::string& logFileName)
    : connection_(connection), book_(book), game_(logFileName) {
  NameThePlayers();
}

void XboardSession::Run() {
  if (std::string held; connection_.TakeHeldLine(held)) Dispatch(held);
  while (!quit_) {
    const bool enginesTurn = !analyzing_ && !gameOver_ && !awaitingGo_ && !noPosition_ &&
                             engineSide_ == game_.Position().sideToMove;
    if (enginesTurn) {
      EngineMove();
    } else if (analyzing_ && needAnalysis_ && !noPosition_) {
      needAnalysis_ = false;
      Analyze();
    }
    std::string line;
    if (!NextLine(line)) break;
    Dispatch(line);
  }
  // A game still running when the front end leaves is recorded unfinished.
  NameThePlayers();
  game_.WriteRecord();
}

bool XboardSession::NextLine(std::string& line) {
  if (!pending_) return connection_.ReadLine(line);
  line = std::move(*pending_);
  pending_.reset();
  return true;
}

void XboardSession::NameThePlayers() {
  if (engineSide_ != NEITHER) lastEngineSide_ = engineSide_;
  game_.whiteName = lastEngineSide_ == WHITE ? "Velmora" : opponentName_;
  game_.blackName = lastEngineSide_ == BLACK ? "Velmora" : opponentName_;
}

void XboardSession::Dispatch(const std::string& line) {
  std::string word, rest;
  SplitCommand(line, word, rest);
  if (analyzing_ && word != ".") needAnalysis_ = true;
  if (word == ".") {
    // A status while the engine analyses a position; a running search answers it itself.
    if (analyzing_ && !noPosition_) SendStatus();
    return;
  }
  if (word.empty() || OneOf(SILENT, word)) return;
  // After a refused setboard the front end's position is unknown: nothing is played or
  // analysed until a position is set.
  const bool needsPosition = word == "go" || word == "playother" || word == "analyze" ||
                             word == "usermove" || LooksLikeMove(word);
  if (noPosition_ && needsPosition) {
    connection_.Send("Error (no legal position): " + word);
    return;
  }
  // After "white" or "black" the engine waits for a command that says to play on.
  if (OneOf(PLAY_ON, word) || LooksLikeMove(word)) awaitingGo_ = false;

  if (word == "quit") {
    quit_ = true;
  } else if (word == "new") {
    OnNew();
  } else if (word == "usermove") {
    OnUserMove(rest);
  } else if (word == "force") {
    firstCommand_ = false;
    engineSide_ = NEITHER;
  } else if (word == "go") {
    firstCommand_ = false;
    engineSide_ = game_.Position().sideToMove;
  } else if (word == "playother") {
    firstCommand_ = false;
    engineSide_ = 1 - game_.Position().sideToMove;
  } else if (word == "white") {
    // As the first command of a game the engine takes White and moves. Otherwise, as in the
    // protocol, the engine is to play Black, and waits for "go" or the front end's move.
    if (firstCommand_ && game_.MovesPlayed() == 0) {
      engineSide_ = WHITE;
    } else {
      engineSide_ = BLACK;
      awaitingGo_ = true;
    }
    firstCommand_ = false;
  } else if (word == "black") {
    firstCommand_ = false;
    engineSide_ = WHITE;
    awaitingGo_ = true;
  } else if (word == "level") {
    OnLevel(rest);
  } else if (word == "st") {
    std::int64_t ms = 0;
    if (ParseThousandths(rest, ms) && ms > 0) {
      fixedMoveMs_ = ms;
    } else {
      connection_.Send("Error (bad time): " + line);
    }
  } else if (word == "sd") {
    int depth = 0;
    if (ParseNumber(rest, depth) && depth > 0) {
      depthLimit_ = depth;
    } else {
      connection_.Send("Error (bad depth): " + line);
    }
  } else if (word == "time") {
    std::int64_t centiseconds = 0;
    if (ParseNumber(rest, centiseconds) && centiseconds >= -8640000 && centiseconds <= 8640000) {
      remainingMs_ = std::max<std::int64_t>(centiseconds, 0) * 10;
    } else {
      connection_.Send("Error (bad time): " + line);
    }
  } else if (word == "ping") {
    connection_.Send("pong " + rest);
  } else if (word == "hard") {
    ponder_ = true;
  } else if (word == "easy") {
    ponder_ = false;
  } else if (word == "memory") {
    int megabytes = 0;
    if (ParseNumber(rest, megabytes) && megabytes > 0) {
      game_.SetHashMegabytes(megabytes);
    } else {
      connection_.Send("Error (bad memory size): " + line);
    }
  } else if (word == "cores") {
    int cores = 0;
    if (ParseNumber(rest, cores) && cores > 0) {
      game_.SetThreads(cores);
    } else {
      connection_.Send("Error (bad number of cores): " + line);
    }
  } else if (word == "option") {
    OnOption(line, rest);
  } else if (word == "nps") {
    OnNodeRate(line, rest);
  } else if (word == "exclude" || word == "include") {
    OnExclude(word == "exclude", rest);
  } else if (word == "post") {
    post_ = true;
  } else if (word == "nopost") {
    post_ = false;
  } else if (word == "analyze") {
    analyzing_ = true;
    needAnalysis_ = true;
    engineSide_ = NEITHER;
  } else if (word == "exit") {
    analyzing_ = false;
  } else if (word == "setboard") {
    OnSetBoard(rest);
  } else if (word == "undo") {
    OnTakeBack(1, word);
  } else if (word == "remove") {
    OnTakeBack(2, word);
  } else if (word == "result") {
    OnResult(rest);
  } else if (word == "name") {
    if (!rest.empty()) opponentName_ = rest.substr(0, 200);
  } else if (word == "variant") {
    if (rest != "normal") connection_.Send("Error (unsupported variant): " + rest);
  } else if (LooksLikeMove(word)) {
    OnUserMove(word);
  } else {
    connection_.Send("Error (unknown command): " + word);
  }
  NameThePlayers();
}

void XboardSession::OnNew() {
  NameThePlayers();
  game_.NewGame();
  engineSide_ = BLACK;
  gameOver_ = false;
  noPosition_ = false;
  firstCommand_ = true;
  depthLimit_ = 0;
  nodeRate_ = 0;
  remainingMs_ = levelBaseMs_;
  excluded_.clear();
}

void XboardSession::OnUserMove(const std::string& text) {
  firstCommand_ = false;
  if (gameOver_) {
    connection_.Send("Illegal move (the game is over): " + text);
    return;
  }
  Move move;
  if (!game_.FindMove(text, move)) {
    connection_.Send("Illegal move: " + text);
    return;
  }
  *ConsoleOut << opponentName_ << " selects move: " << move.Line() << std::flush;
  game_.Play(move);
  excluded_.clear();
  CheckGameEnd();
}

void XboardSession::OnExclude(bool exclude, const std::string& arguments) {
  if (arguments == "all") {
    excluded_ = exclude ? LegalMoves(game_.Position()) : std::vector<Move>();
    return;
  }
  Move move;
  if (!game_.FindMove(arguments, move)) {
    connection_.Send(std::string("Error (illegal move): ") + (exclude ? "exclude " : "include ") +
                     arguments);
    return;
  }
  const auto listed = std::find(excluded_.begin(), excluded_.end(), move);
  if (exclude && listed == excluded_.end()) excluded_.push_back(move);
  if (!exclude && listed != excluded_.end()) excluded_.erase(listed);
}

void XboardSession::OnOption(const std::string& line, const std::string& arguments) {
  // option NAME=VALUE, for the options the features named.
  const std::size_t equals = arguments.find('=');
  const std::string name = arguments.substr(0, equals);
  const std::string value = equals == std::string::npos ? "" : arguments.substr(equals + 1);
  const bool check = value == "0" || value == "1";
  int number = 0;
  bool taken = check;
  if (name == "Strength") {
    taken = equals != std::string::npos && game_.SetStrength(value);
  } else if (name == "Limit strength") {
    if (check) game_.LimitStrength(value == "1");
  } else if (name == "OwnBook") {
    if (check) ownBook_ = value == "1";
  } else if (name == "Elo") {
    taken = ParseNumber(value, number) && game_.SetElo(number);
  } else if (name == "MultiPV") {
    taken = ParseNumber(value, number) && number >= 1 && number <= XboardConnection::MOST_LINES;
    if (taken) lines_ = number;
  } else {
    connection_.Send("Error (unknown option): " + name);
    return;
  }
  if (!taken) connection_.Send("Error (bad value): " + line);
}

void XboardSession::OnNodeRate(const std::string& line, const std::string& arguments) {
  // nps NODES: the engine's time is its nodes at that rate a second; 0 turns it off.
  std::int64_t rate = 0;
  if (ParseNumber(arguments, rate) && rate >= 0 && rate <= 1000000000)
    nodeRate_ = rate;
  else
    connection_.Send("Error (bad value): " + line);
}

std::int64_t XboardSession::NodesFor(std::int64_t ms) const {
  return std::max<std::int64_t>(ms * nodeRate_ / 1000, 1);
}

void XboardSession::OnLevel(const std::string& arguments) {
  // level MOVES BASE INCREMENT, the base in minutes or minutes:seconds.
  std::istringstream fields(arguments);
  std::string moves, base, increment, extra;
  fields >> moves >> base >> increment >> extra;
  int moveCount = 0;
  std::int64_t minutes = 0, seconds = 0, incrementMs = 0;
  const auto colon = base.find(':');
  const bool valid =
      ParseNumber(moves, moveCount) && moveCount >= 0 && extra.empty() &&
      ParseNumber(base.substr(0, colon), minutes) && minutes >= 0 && minutes <= 1440 &&
      (colon == std::string::npos ||
       (ParseNumber(base.substr(colon + 1), seconds) && seconds >= 0 && seconds < 60)) &&
      ParseThousandths(increment, incrementMs);
  if (!valid) {
    connection_.Send("Error (bad time control): level " + arguments);
    return;
  }
  levelMoves_ = moveCount;
  levelBaseMs_ = (minutes * 60 + seconds) * 1000;
  incrementMs_ = incrementMs;
  fixedMoveMs_ = -1;
  remainingMs_ = levelBaseMs_;
}

void XboardSession::OnResult(const std::string& arguments) {
  std::string result, comment;
  SplitCommand(arguments, result, comment);
  if (result != "1-0" && result != "0-1" && result != "1/2-1/2" && result != "*") {
    connection_.Send("Error (bad result): result " + arguments);
    return;
  }
  EndGame(result);
}

void XboardSession::OnSetBoard(const std::string& fen) {
  NameThePlayers();
  std::string error;
  if (!game_.SetUp(fen, error)) {
    // The front end hears only that the position is illegal; why is said where a person sees it.
    std::cerr << "setboard " << fen << ": " << error << std::endl;
    *ConsoleOut << "setboard " << fen << ": " << error << std::endl;
    connection_.Send("tellusererror Illegal position");
    noPosition_ = true;
    return;
  }
  firstCommand_ = false;
  gameOver_ = false;
  noPosition_ = false;
  excluded_.clear();
}

void XboardSession::OnTakeBack(int plies, const std::string& command) {
  if (!game_.TakeBack(plies)) {
    *ConsoleOut << "Nervous ? Tired ?? Stupid ???" << std::endl;
    connection_.Send("Error (no move to take back): " + command);
    return;
  }
  gameOver_ = false;
  excluded_.clear();
}

void XboardSession::CheckGameEnd() {
  std::string line = ResultLine(game_.Outcome(), game_.Position().sideToMove);
  // A draw by the rules is claimed by the engine while it plays a side.
  if (line.empty() && engineSide_ != NEITHER) line = game_.DrawClaim();
  if (line.empty()) return;
  connection_.Send(line);
  EndGame(line.substr(0, line.find(' ')));
}

void XboardSession::EndGame(const std::string& result) {
  NameThePlayers();
  if (!gameOver_ || game_.Result() == "*") game_.SetResult(result);
  gameOver_ = true;
  if (game_.WriteRecord()) *ConsoleOut << "GAME OVER.  Thanks for playing!" << std::endl;
}

void XboardSession::SendThinking(const std::string& line) {
  if (post_) connection_.Send(line);
}

std::string ThinkingLine(const IterationReport& report) {
  int score = report.score;
  if (report.mateMoves > 0) score = 100000 + report.mateMoves;
  if (report.mateMoves < 0) score = -100000 + report.mateMoves;
  std::ostringstream line;
  // The time since the search began, in centiseconds.
  line << report.depth << '\t' << score << '\t' << report.elapsedMs / 10 << '\t' << report.nodes
       << '\t' << report.variation;
  return line.str();
}

std::optional<std::string> NewBestLine(const SearchProgress& progress, const Board& root,
                                       const IterativeSearch& engine) {
  IterationReport report;
  report.depth = progress.depth;
  report.score = progress.score;
  report.nodes = progress.nodes;
  report.elapsedMs = progress.elapsedMs;
  report.moves = IterativeSearch::LegalPrefix(root, progress.variation, &report.mateMoves);
  if (report.mateMoves == 0)
    report.mateMoves = engine.MateFromScore(progress.score, progress.depth);
  if (report.mateMoves != 0) return std::nullopt;
  for (const Move& move : report.moves)
    report.variation += (report.variation.empty() ? "" : " ") + CoordinateText(move);
  return ThinkingLine(report);
}

std::string StatusLine(const SearchStatus& status) {
  std::ostringstream line;
  line << "stat01: " << status.elapsedMs / 10 << ' ' << status.nodes << ' ' << status.depth << ' '
       << status.movesLeft << ' ' << status.rootMoves;
  if (!status.move.empty()) line << ' ' << status.move;
  return line.str();
}

void XboardSession::SendStatus() {
  SearchStatus status = status_;
  if (analysisRunning_) {
    status.elapsedMs = Milliseconds() - analysisStartedMs_;
    // Right after an iteration the engine's counters still hold that iteration, which its
    // total already counts: the report's total is the count.
    if (!iterationJustEnded_) {
      const IterativeSearch& engine = game_.Engine();
      status.nodes = engine.TotalNodes() + engine.Statistics().regularNodes +
                     engine.Statistics().quiescenceNodes;
    }
  }
  connection_.Send(StatusLine(status));
}

GameClock XboardSession::ClockForMove() const {
  GameClock clock;
  if (fixedMoveMs_ >= 0) {
    clock.fixedMoveMs = fixedMoveMs_;
    return clock;
  }
  clock.remainingMs = remainingMs_;
  clock.incrementMs = incrementMs_;
  if (levelMoves_ > 0) {
    const int fullMove = (game_.Position().moveNumber + 1) / 2;
    clock.movesToGo = levelMoves_ - (fullMove - 1) % levelMoves_;
  }
  return clock;
}

bool XboardSession::StopRequested(bool analyzing, std::string* firstStop) {
  if (connection_.InputEnded()) return true;
  for (const std::string& line : connection_.Waiting()) {
    std::string word, rest;
    SplitCommand(line, word, rest);
    const bool stops =
        analyzing ? !word.empty() && word != "." : OneOf(STOPPING, word) || word == "usermove";
    if (stops) {
      if (firstStop) *firstStop = word;
      return true;
    }
  }
  return false;
}

SearchOrder XboardSession::ClockOrder() const {
  SearchOrder order;
  // With a node rate the clock's budget is counted in nodes, and the wall clock has no say.
  if (HasClock() && nodeRate_ > 0)
    order.nodes = NodesFor(BudgetFor(ClockForMove()).hardMs);
  else
    order.clock = ClockForMove();
  order.depth = depthLimit_;
  order.depthIsExact = false;
  return order;
}

SearchRequest XboardSession::RequestFor(const SearchOrder& order, int lines) {
  SearchRequest request;
  request.options = game_.GameOptions();
  request.options.lines = lines;
  ApplyOrder(order, request);
  request.onIteration = [this](const IterationReport& report) {
    SendThinking(ThinkingLine(report));
    if (!analysisRunning_) return;
    status_.nodes = report.nodes;
    status_.depth = report.depth + 1;
    status_.movesLeft = status_.rootMoves;
    status_.move.clear();
    iterationJustEnded_ = true;
  };
  request.options.progress = [this, lines](const SearchProgress& progress) {
    if (progress.kind != SearchProgress::Kind::PERIODIC && analysisRunning_) {
      status_.depth = progress.depth;
      status_.movesLeft = std::max(status_.rootMoves - progress.moveNumber, 0);
      status_.move = CoordinateText(progress.move);
    }
    // Several lines are shown as each iteration finds them, best first.
    if (progress.kind != SearchProgress::Kind::NEW_BEST || lines > 1) return;
    if (auto line = NewBestLine(progress, game_.Position(), game_.Engine())) SendThinking(*line);
  };
  return request;
}

void XboardSession::EngineMove() {
  if (game_.Outcome() != Standing::PLAY_ON || !game_.DrawClaim().empty()) {
    CheckGameEnd();
    return;
  }
  std::int64_t started = Milliseconds();
  SearchAnswer answer;
  if (!SearchMove(answer)) return;
  while (PlayAnswer(answer, started) && Ponder(answer, started)) {
  }
}

bool XboardSession::SearchMove(SearchAnswer& answer) {
  SearchRequest request = RequestFor(ClockOrder());
  request.book = ownBook_ ? book_ : nullptr;
  request.level = game_.Level();
  std::atomic<bool> stopRequested = false;
  std::string stop;
  request.stop = &stopRequested;
  if (HasClock() && nodeRate_ > 0) {
    // The clock's soft limit in nodes: no new iteration once the search has used them, nor
    // after the first with a single legal move.
    const std::int64_t soft =
        LegalMoves(game_.Position()).size() == 1 ? 0 : NodesFor(BudgetFor(ClockForMove()).softMs);
    request.onIteration = [this, soft, &stopRequested](const IterationReport& report) {
      SendThinking(ThinkingLine(report));
      if (report.nodes >= soft) stopRequested = true;
    };
  }
  request.listen = [this, &stop, &stopRequested] {
    if (StopRequested(false, &stop)) stopRequested = true;
  };
  answer = game_.Think(std::move(request));
  // Only "?" wants the move; any other command changes the game, and the move is void.
  return !answer.stopped || stop.empty() || stop == "?";
}

bool XboardSession::PlayAnswer(const SearchAnswer& answer, std::int64_t started) {
  const Move& move = answer.move;
  if (connection_.InputEnded()) return false;
  if (remainingMs_ >= 0) {
    const std::int64_t used =
        nodeRate_ > 0 ? answer.nodes * 1000 / nodeRate_ : Milliseconds() - started;
    remainingMs_ = std::max<std::int64_t>(remainingMs_ - used, 0);
  }

  if (answer.book.move) {
    std::ostringstream line;
    line << "0\t0\t0\t0\topening: " << answer.book.choice << '/' << answer.book.candidates << ": "
         << CoordinateText(move);
    SendThinking(line.str());
  }
  if (move.Kind() == MOVE_RESIGN) {
    connection_.Send("resign");
    EndGame(game_.Position().sideToMove == WHITE ? "0-1" : "1-0");
    return false;
  }
  if (move.Kind() == MOVE_STALEMATE) {
    CheckGameEnd();
    return false;
  }
  connection_.Send("move " + CoordinateText(move));
  *ConsoleOut << "Velmora selects move: " << move.Line() << std::flush;
  game_.Play(move);
  excluded_.clear();
  CheckGameEnd();
  return !gameOver_;
}

bool XboardSession::Ponder(SearchAnswer& answer, std::int64_t& started) {
  if (!ponder_ || analyzing_ || engineSide_ == NEITHER || answer.variation.size() < 2) return false;
  const Board before = game_.Position();
  Move guess;
  if (!game_.FindMove(CoordinateText(answer.variation[1]), guess)) return false;
  game_.Play(guess);
  // A guess that ends the game leaves nothing to think about.
  if (game_.Outcome() != Standing::PLAY_ON || !game_.DrawClaim().empty()) {
    game_.TakeBack(1);
    return false;
  }

  // How a line from the front end bears on the guess: time and otim are taken as they come,
  // the expected reply turns the search into the engine's own, anything else ends it.
  enum class Input { APPLY, HIT, MISS };
  const auto judge = [&before, &guess](const std::string& line) {
    std::string word, rest;
    SplitCommand(line, word, rest);
    if (word.empty() || word == "time" || word == "otim") return Input::APPLY;
    const std::string text = word == "usermove" ? rest : LooksLikeMove(word) ? word : "";
    Move move;
    return !text.empty() && FindCoordinateMove(before, text, move) && move == guess ? Input::HIT
                                                                                    : Input::MISS;
  };
  enum class State { PONDERING, HIT, MISSED } state = State::PONDERING;
  const auto hit = [this, &state, &started, &guess] {
    *ConsoleOut << opponentName_ << " selects move: " << guess.Line() << std::flush;
    state = State::HIT;
    started = Milliseconds();
  };

  SearchOrder order = ClockOrder();
  order.infinite = true;
  order.nodes = SearchControl::NO_LIMIT;
  SearchRequest request = RequestFor(order);
  std::atomic<bool> stopRequested = false;
  std::string stop;
  request.stop = &stopRequested;
  request.listen = [&, this] {
    if (state == State::HIT) {
      if (StopRequested(false, &stop)) stopRequested = true;
      return;
    }
    while (state == State::PONDERING && !connection_.Waiting().empty()) {
      const Input input = judge(connection_.Waiting().front());
      if (input == Input::MISS) {
        state = State::MISSED;
        break;
      }
      std::string line;
      connection_.ReadLine(line);
      if (input == Input::APPLY) {
        Dispatch(line);
      } else {
        hit();
        // Without a clock the reply gets a search of its own, as any other move does; so it
        // does when the clock counts nodes, whose budget a running search cannot take anew.
        if (WallClockTimed())
          game_.Engine().RestartClock(BudgetFor(ClockForMove()));
        else
          stopRequested = true;
      }
    }
    if (state == State::PONDERING && connection_.InputEnded()) state = State::MISSED;
    if (state == State::MISSED) stopRequested = true;
  };
  const SearchAnswer pondered = game_.Think(std::move(request));

  // A search that ended by itself (a mate found, the depth limit) waits for the reply.
  while (state == State::PONDERING) {
    std::string line;
    if (!connection_.ReadLine(line)) {
      state = State::MISSED;
    } else if (const Input input = judge(line); input == Input::APPLY) {
      Dispatch(line);
    } else if (input == Input::HIT) {
      hit();
    } else {
      pending_ = std::move(line);
      state = State::MISSED;
    }
  }
  if (state == State::MISSED) {
    game_.TakeBack(1);
    return false;
  }
  if (!WallClockTimed()) return SearchMove(answer);
  answer = pondered;
  return !answer.stopped || stop.empty() || stop == "?";
}

void XboardSession::Analyze() {
  status_ = SearchStatus();
  // A finished game is analysed at once: one thinking line with its result.
  if (const Standing standing = game_.Outcome(); standing != Standing::PLAY_ON) {
    const bool mated = standing == Standing::CHECKMATE;
    SendThinking(std::string("0\t") + (mated ? "-100000" : "0") + "\t0\t0\t" +
                 ResultLine(standing, game_.Position().sideToMove));
    return;
  }
  std::vector<Move> rootMoves;
  if (!excluded_.empty()) {
    for (const Move& move : LegalMoves(game_.Position()))
      if (std::find(excluded_.begin(), excluded_.end(), move) == excluded_.end())
        rootMoves.push_back(move);
    if (rootMoves.empty()) return;  // every move is left out: nothing to analyse
  }
  SearchOrder order;
  order.infinite = true;
  SearchRequest request = RequestFor(order, lines_);
  request.limits.endAtMate = false;
  status_.rootMoves =
      static_cast<int>(rootMoves.empty() ? LegalMoves(game_.Position()).size() : rootMoves.size());
  status_.movesLeft = status_.rootMoves;
  status_.depth = 2;  // the depth of the first iteration
  request.options.rootMoves = std::move(rootMoves);
  std::atomic<bool> stopRequested = false;
  request.stop = &stopRequested;
  request.listen = [this, &stopRequested] {
    // "." is answered at once and the search goes on; any other command ends it. Only the
    // dots there are now: a front end that sends the next on every answer still lets the
    // search on between them.
    std::size_t dots = 0;
    for (const std::string& line : connection_.Waiting()) {
      std::string word, rest;
      SplitCommand(line, word, rest);
      if (word != ".") break;
      dots += 1;
    }
    for (std::string line; dots > 0 && connection_.ReadLine(line); --dots) SendStatus();
    iterationJustEnded_ = false;
    if (StopRequested(true, nullptr)) stopRequested = true;
  };
  analysisStartedMs_ = Milliseconds();
  analysisRunning_ = true;
  const SearchAnswer answer = game_.Think(std::move(request));
  analysisRunning_ = false;
  // A search that ended by itself (at the greatest depth) has searched every move.
  status_.elapsedMs = Milliseconds() - analysisStartedMs_;
  status_.nodes = answer.nodes;
  status_.depth = game_.Engine().CompletedDepth();
  status_.movesLeft = 0;
  status_.move.clear();
}
