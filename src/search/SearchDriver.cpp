#include "search/SearchDriver.h"

#include <algorithm>
#include <sstream>

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
  const SearchControl kept = engine.Control();
  SearchOptions keptOptions = engine.Options();
  engine.SetLimits(request.limits);
  engine.SetControl(std::move(control));
  engine.SetOptions(std::move(request.options));
  engine.SetIterationOutput([&request, &answer](const IterationReport& report) {
    if (report.line == 1) {
      if (request.console) request.console(IterationLine(report));
      answer.variation = report.moves;
    }
    if (request.onIteration) request.onIteration(report);
  });
  engine.Think(board, &answer.move);
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
      order.depth > 0 ? std::clamp(order.depth, 2, MAX_SEARCH_DEPTH) : MAX_SEARCH_DEPTH;
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
