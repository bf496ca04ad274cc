#include "search/SearchDriver.h"

#include <algorithm>
#include <sstream>

#include "search/Level.h"

SearchAnswer ChooseMove(IterativeSearch& engine, const Board& board, SearchRequest request) {
  SearchAnswer answer;
  answer.book = request.book ? request.book->Probe(board) : BookChoice();
  if (answer.book.move) {
    engine.AnswerWithoutSearch();
    answer.move = *answer.book.move;
    return answer;
  }

  SearchControl control = request.budget;
  // The limit of time is a limit: the iteration running once the search has run longer is
  // given up, and the move is the last finished iteration's.
  if (request.limits.maxTimeMs < SearchControl::NO_LIMIT)
    control.hardMs = std::min(control.hardMs, request.limits.maxTimeMs + 1);
  if (request.stop || request.listen) {
    control.interrupted = [&request] {
      if (request.listen) request.listen();
      return request.stop && request.stop->load();
    };
  }
  // A level searches less and looks at a few lines to choose among; the caller sees the lines
  // it asked for.
  const int askedLines = request.options.lines;
  LevelSettings level;
  if (request.level > 0 && request.random) {
    level = SettingsFor(request.level);
    request.options.lines = std::max(askedLines, level.lines);
    control.maxNodes = std::min(control.maxNodes, level.nodes);
    request.limits.maxDepth = std::min(request.limits.maxDepth, level.depth);
    request.limits.minDepth = std::min(request.limits.minDepth, request.limits.maxDepth);
  }
  std::vector<IterationReport> lastLines;
  const SearchControl kept = engine.Control();
  SearchOptions keptOptions = engine.Options();
  engine.SetLimits(request.limits);
  engine.SetControl(std::move(control));
  engine.SetOptions(std::move(request.options));
  engine.SetIterationOutput([&](const IterationReport& report) {
    if (report.line == 1) {
      if (request.console) request.console(IterationLine(report));
      answer.variation = report.moves;
      lastLines.clear();
    }
    lastLines.push_back(report);
    if (request.onIteration && report.line <= askedLines) request.onIteration(report);
  });
  engine.Think(board, &answer.move);
  if (level.lines > 1 && !lastLines.empty() && answer.move.Kind() != MOVE_RESIGN &&
      answer.move.Kind() != MOVE_STALEMATE) {
    const Move chosen = ChooseAmongLines(lastLines, level.marginCp, *request.random);
    for (const IterationReport& line : lastLines)
      if (line.best == chosen) {
        answer.move = chosen;
        answer.move.score = line.score;
        answer.variation = line.moves;
      }
  }
  engine.SetControl(kept);
  engine.SetOptions(std::move(keptOptions));
  engine.SetIterationOutput(nullptr);
  answer.stopped = engine.Stopped();
  answer.nodes = engine.TotalNodes();
  answer.elapsedMs = engine.ElapsedMs();
  if (request.console) request.console(ThinkingTimeLine(answer));
  return answer;
}

void ApplyOrder(const SearchOrder& order, SearchRequest& request) {
  const int maxDepth =
      order.depth > 0 ? std::clamp(order.depth, 1, MAX_SEARCH_DEPTH) : MAX_SEARCH_DEPTH;
  const bool clocked = order.clock.fixedMoveMs >= 0 || order.clock.remainingMs >= 0;
  request.budget = order.infinite ? SearchControl() : BudgetFor(order.clock);
  request.budget.maxNodes = order.nodes;
  request.options.mateMoves = order.mateMoves;
  request.options.adaptTime = clocked && !order.infinite;
  if (clocked || order.infinite || order.mateMoves > 0) {
    request.limits =
        SearchLimits::Unlimited(std::min(SearchLimits::DEFAULT_MIN_DEPTH, maxDepth), maxDepth);
  } else if (order.nodes != SearchControl::NO_LIMIT) {
    request.limits = SearchLimits::Unlimited(2, maxDepth);
  } else if (order.depth > 0 && order.depthIsExact) {
    request.limits = SearchLimits::FixedDepth(maxDepth);
  } else {
    request.limits = SearchLimits();
    if (order.depth > 0) {
      request.limits.maxDepth = std::min(maxDepth, request.limits.maxDepth);
      request.limits.minDepth = std::min(request.limits.minDepth, request.limits.maxDepth);
    }
  }
  // A front end's search begins at one ply: "depth 1" is searched as asked, and a search cut
  // short at once still answers with a searched move.
  request.limits.firstDepth = 1;
}

std::string IterationLine(const IterationReport& report) {
  return "Iteration of depth " + std::to_string(report.depth) +
         "; best move = " + report.best.Line();
}

std::string ThinkingTimeLine(const SearchAnswer& answer) {
  // A search faster than the clock's resolution counts as one millisecond for the rate.
  std::ostringstream line;
  line << "AI thought " << static_cast<float>(answer.elapsedMs) / 1000.0f << " seconds! ( "
       << static_cast<float>(answer.nodes) /
              static_cast<float>(std::max<std::int64_t>(answer.elapsedMs, 1))
       << " KNodes / sec )\n";
  return line.str();
}
