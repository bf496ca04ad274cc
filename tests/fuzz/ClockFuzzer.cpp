// The search of a game played on a clock, on a fake clock that moves on with the search's work
// (see FakeClock), so that the limits of the clock end searches as they do in a real game: the
// budget of sudden death, increments, moves to go and a fixed time per move; the soft
// limit stretched by an unsettled search; the hard limit; pondering whose guess is played (the
// clock restarts); analysis that the front end stops; several lines, root moves and mates. Long
// games are played out by the engine against itself, each side on its own clock.
//
// The input is lines of words, UCI's where it has them:
//   step N            the clock moves on N ms at every look of the search (at first 100)
//   startpos          a new game from the initial position, without clocks
//   fen FEN           the same from a FEN position
//   moves M...        coordinate moves, played while they are legal
//   go WORDS          one search; unless it analyses, its move is played and its time taken
//                     off the mover's clock
//   play N WORDS      N moves of the engine against itself, each as "go WORDS" would search
// WORDS are wtime, btime, winc, binc, movestogo, movetime, depth, nodes, mate and multipv with
// a number each; infinite; ponder (the guess is played when the search has looked at its input
// "ponderhit N" times, else it is not); searchmoves M...; "stop N": the front end stops the
// search at its N-th look. The clocks hold from one search to the next, and a side's moves to
// go start again at the next control.
#include <algorithm>
#include <sstream>
#include <vector>

#include "FuzzSupport.h"
#include "board/Fen.h"
#include "board/Rules.h"
#include "book/GameRecord.h"
#include "protocol/ProtocolChannel.h"
#include "search/SearchDriver.h"
#include "search/TimeBudget.h"

namespace {

// The most nodes of one search, and the most work of all searches of an input, each counted as
// its nodes and SEARCH_START more for emptying the tables: a run must end in a few seconds.
constexpr std::int64_t SEARCH_NODES = 6000;
constexpr std::int64_t SEARCH_START = 1000;
constexpr std::int64_t INPUT_WORK = 250000;
// The first iteration always finishes, but a position full of captures takes the console
// game's capture search hundreds of thousands of nodes a ply: this ends any search.
constexpr std::int64_t SEARCH_CEILING = 200000;
// The entries of each table: small, so that emptying them at every search costs little.
constexpr int TABLE_ENTRIES = 1 << 15;
// The node cap is checked every few thousand nodes, and once more at the end of an iteration.
constexpr std::int64_t NODE_OVERSHOOT = 2 * 2048;
constexpr std::int64_t LARGEST_NUMBER = 1000000000000;

// Milliseconds that move with the search's work: by `step` whenever the search looks at its
// input (every few thousand nodes and after every iteration), and by one at every reading.
struct FakeClock {
  std::int64_t now = 0;
  std::int64_t step = 100;
  std::int64_t Read() { return now += 1; }
  void Work() { now += step; }
};

// A side's clock: what is left, the increment, and the moves until the next control.
struct SideClock {
  std::int64_t remainingMs = -1;
  std::int64_t incrementMs = 0;
  int movesToGo = 0;
  int controlMoves = 0;  // the moves of a control, to start the count again
  std::int64_t controlMs = 0;
};

struct Order {
  SearchOrder search;
  int lines = 1;
  bool ponder = false;
  int ponderHitAt = 0;  // the look at which the guess is played (0: never)
  int stopAt = 0;       // the look at which the front end stops the search (0: never)
  std::vector<Move> rootMoves;
};

class ClockedGame {
 public:
  // Plays the input from the start: a new game without clocks, the clock at 0 and a new engine
  // (an engine's searches depend on the ones it made before).
  void Run(std::istream& input) {
    clock_ = FakeClock();
    engine_ = std::make_unique<NegaScout>(SearchLimits(), [this] { return clock_.Read(); });
    engine_->ResizeTables(TABLE_ENTRIES);
    work_ = 0;
    NewGame(Board());
    std::string line;
    while (work_ < INPUT_WORK && std::getline(input, line)) {
      std::istringstream words(line);
      std::string word;
      words >> word;
      if (word == "step") {
        clock_.step = Number(words, 0, 60000);
      } else if (word == "startpos") {
        NewGame(Board());
      } else if (word == "fen") {
        std::string fen, field;
        while (words >> field && field != "moves") fen += field + ' ';
        Board start;
        std::string error;
        if (ReadFen(fen, start, error)) NewGame(start);
        if (field == "moves") PlayMoves(words);
      } else if (word == "moves") {
        PlayMoves(words);
      } else if (word == "go") {
        Go(ReadOrder(words));
      } else if (word == "play") {
        const std::int64_t plies = Number(words, 0, 1000);
        Order order = ReadOrder(words);
        for (std::int64_t ply = 0; ply < plies && work_ < INPUT_WORK; ++ply) {
          if (!Go(order)) break;
          order.rootMoves.clear();  // they were moves of the first position
        }
      }
    }
  }

 private:
  static std::int64_t Number(std::istream& words, std::int64_t low, std::int64_t high) {
    std::string text;
    std::int64_t value = 0;
    return words >> text && ParseNumber(text, value) ? std::clamp(value, low, high) : low;
  }

  void NewGame(const Board& start) {
    record_.Restart(start);
    clocks_[WHITE] = clocks_[BLACK] = SideClock();
    fixedMoveMs_ = -1;
  }

  void PlayMoves(std::istream& words) {
    for (std::string text; words >> text;) {
      Move move;
      if (!FindCoordinateMove(record_.Position(), text, move)) break;
      record_.Play(move);
    }
  }

  Order ReadOrder(std::istream& input) {
    std::vector<std::string> words;
    for (std::string word; input >> word;) words.push_back(word);
    std::size_t next = 0;
    const auto number = [&words, &next](std::int64_t low, std::int64_t high) {
      std::int64_t value = 0;
      return next < words.size() && ParseNumber(words[next++], value) ? std::clamp(value, low, high)
                                                                      : low;
    };
    Order order;
    while (next < words.size()) {
      const std::string& word = words[next++];
      const Color side = word[0] == 'w' ? WHITE : BLACK;
      if (word == "wtime" || word == "btime") {
        SideClock& clock = clocks_[side];
        clock.remainingMs = clock.controlMs = number(0, LARGEST_NUMBER);
      } else if (word == "winc" || word == "binc") {
        clocks_[side].incrementMs = number(0, LARGEST_NUMBER);
      } else if (word == "movestogo") {
        const int moves = static_cast<int>(number(0, 1000));
        for (SideClock& clock : clocks_) clock.movesToGo = clock.controlMoves = moves;
      } else if (word == "movetime") {
        fixedMoveMs_ = number(0, LARGEST_NUMBER);
      } else if (word == "depth") {
        order.search.depth = static_cast<int>(number(1, MAX_SEARCH_DEPTH));
      } else if (word == "nodes") {
        order.search.nodes = number(1, LARGEST_NUMBER);
      } else if (word == "mate") {
        order.search.mateMoves = static_cast<int>(number(1, 100));
      } else if (word == "multipv") {
        order.lines = static_cast<int>(number(1, 500));
      } else if (word == "infinite") {
        order.search.infinite = true;
      } else if (word == "ponder") {
        order.ponder = order.search.infinite = true;
      } else if (word == "ponderhit") {
        order.ponderHitAt = static_cast<int>(number(1, 1000));
      } else if (word == "stop") {
        order.stopAt = static_cast<int>(number(1, 1000));
      } else if (word == "searchmoves") {
        Move move;
        while (next < words.size() && FindCoordinateMove(record_.Position(), words[next], move)) {
          order.rootMoves.push_back(move);
          next += 1;
        }
      }
    }
    return order;
  }

  // One search of the side to move under the order; false when the game is over (by the
  // board or by a draw rule) or the search gave up.
  bool Go(const Order& order) {
    const Board position = record_.Position();
    if (StandingOf(position) != Standing::PLAY_ON || record_.DrawByRule() != GameRecord::Draw::NONE)
      return false;
    SideClock& mover = clocks_[position.sideToMove];
    SearchOrder search = order.search;
    GameClock& clock = search.clock;
    clock.remainingMs = mover.remainingMs;
    clock.incrementMs = mover.incrementMs;
    clock.movesToGo = mover.movesToGo;
    clock.fixedMoveMs = fixedMoveMs_;
    const bool clocked = clock.remainingMs >= 0 || clock.fixedMoveMs >= 0;

    SearchRequest request;
    request.options.gameRules = true;
    request.options.reversiblePlies = record_.ReversiblePlies();
    for (int ply = record_.Plies() - request.options.reversiblePlies; ply < record_.Plies(); ++ply)
      request.options.earlierPositions.push_back(RepetitionKey(record_.PositionBefore(ply)));
    ApplyOrder(search, request);
    request.budget.maxNodes = std::min(request.budget.maxNodes, SEARCH_NODES);
    const std::int64_t nodeLimit = request.budget.maxNodes;
    request.budget.nodeCeiling = SEARCH_CEILING;
    request.options.adaptTime = request.options.adaptTime || (order.ponder && clocked);
    request.options.lines = order.lines;
    request.options.rootMoves = order.rootMoves;
    request.options.progress = [](const SearchProgress& progress) {
      if (progress.elapsedMs < 0 || progress.nodes < 0) std::abort();
    };
    const SearchControl budget = request.budget;

    std::vector<IterationReport> reports;
    request.onIteration = [&reports](const IterationReport& report) {
      if (report.line == 1) reports.push_back(report);
    };
    std::atomic<bool> stop = false;
    int looks = 0;
    bool hit = false;
    std::int64_t hitAt = 0;
    request.stop = &stop;
    request.listen = [&] {
      clock_.Work();
      looks += 1;
      if (order.ponder && looks == order.ponderHitAt && clocked) {
        hit = true;
        hitAt = clock_.now;
        engine_->RestartClock(BudgetFor(clock));
      }
      if (looks == order.stopAt) stop = true;
    };
    const std::int64_t started = clock_.now;
    const SearchAnswer answer = ChooseMove(*engine_, position, std::move(request));
    work_ += answer.nodes + SEARCH_START;
    Check(position, order, answer, reports, budget, nodeLimit, hit);
    if (fuzz::Tracing())
      fuzz::Conversation() << "ply " << record_.Plies() << ": clock " << clock.remainingMs << '+'
                           << clock.incrementMs << " to go " << clock.movesToGo << " fixed "
                           << clock.fixedMoveMs << ", budget " << budget.softMs << '/'
                           << budget.hardMs << ", depth "
                           << (reports.empty() ? 0 : reports.back().depth) << ", " << answer.nodes
                           << " nodes in " << clock_.now - started << " ms"
                           << (answer.stopped ? ", stopped" : "") << (hit ? ", hit" : "") << ": "
                           << CoordinateText(answer.move) << std::endl;

    const bool plays = !order.search.infinite || hit;
    const Move& move = answer.move;
    if (!plays || move.Kind() == MOVE_RESIGN || move.Kind() == MOVE_STALEMATE) return false;
    record_.Play(move);
    // The mover's time runs from the start of its own search: the moment the guess was played.
    const std::int64_t used = clock_.now - (hit ? hitAt : started);
    if (mover.remainingMs >= 0) {
      mover.remainingMs = std::max<std::int64_t>(mover.remainingMs - used, 0) + mover.incrementMs;
      if (mover.movesToGo > 0 && --mover.movesToGo == 0) {
        mover.movesToGo = mover.controlMoves;
        mover.remainingMs += mover.controlMs;
      }
    }
    return true;
  }

  // What every search of a game promises, whatever the clock did.
  static void Check(const Board& position, const Order& order, const SearchAnswer& answer,
                    const std::vector<IterationReport>& reports, const SearchControl& budget,
                    std::int64_t nodeLimit, bool hit) {
    const Move& move = answer.move;
    // A move of the board, legal there; a stalemate only where no move is legal.
    if (move.Kind() == MOVE_STALEMATE) {
      if (HasLegalMove(position)) std::abort();
    } else if (move.Kind() != MOVE_RESIGN && !IsLegalMove(position, move)) {
      std::abort();
    }
    // The node count of the budget ends the search within a poll or two, once the first
    // iteration, which always finishes, is over; the ceiling ends any search.
    const std::int64_t firstIteration = reports.empty() ? 0 : reports.front().nodes;
    if (answer.nodes > std::min(std::max(nodeLimit + NODE_OVERSHOOT, firstIteration),
                                SEARCH_CEILING + NODE_OVERSHOOT))
      std::abort();
    if (reports.empty()) return;
    // The move is that of the last finished iteration, stopped or not, and one of the root
    // moves the order allows.
    if (!(move == reports.back().best)) std::abort();
    const auto& roots = order.rootMoves;
    if (move.Kind() != MOVE_RESIGN && !roots.empty() &&
        std::find(roots.begin(), roots.end(), move) == roots.end())
      std::abort();
    const int deepest =
        order.search.depth > 0 ? std::clamp(order.search.depth, 2, MAX_SEARCH_DEPTH) : 64;
    const bool timed = budget.softMs != SearchControl::NO_LIMIT && !hit;
    const std::int64_t soft = std::max(budget.softMs, budget.hardMs / 2);
    int choices = 0;
    for (const Move& legal : LegalMoves(position))
      choices += roots.empty() || std::find(roots.begin(), roots.end(), legal) != roots.end();
    for (std::size_t i = 0; i < reports.size(); ++i) {
      const IterationReport& report = reports[i];
      if (report.depth > deepest || report.elapsedMs < 0) std::abort();
      if (i == 0) continue;
      const IterationReport& before = reports[i - 1];
      // Each iteration is deeper than the one before and began later.
      if (report.depth <= before.depth || report.elapsedMs < before.elapsedMs) std::abort();
      // No iteration begins after the soft limit, nor after a tenth of it when there is only
      // one move to choose from, nor after a mate that the order was looking for.
      if (timed && (before.elapsedMs >= soft || (choices == 1 && before.elapsedMs >= soft / 10)))
        std::abort();
      if (order.search.mateMoves > 0 && before.mateMoves > 0 &&
          before.mateMoves <= order.search.mateMoves)
        std::abort();
    }
  }

  FakeClock clock_;
  std::unique_ptr<NegaScout> engine_;
  GameRecord record_;
  SideClock clocks_[2];
  std::int64_t fixedMoveMs_ = -1;
  std::int64_t work_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Prepare();
  static ClockedGame* const game = new ClockedGame();
  std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
  game->Run(input);
  return 0;
}
