#include "search/SearchDriver.h"

#include <algorithm>
#include <sstream>

SearchAnswer ChooseMove(NegaScout& engine, const Board& board, SearchRequest request) {
  SearchAnswer answer;
  answer.book = request.book ? request.book->Probe(board) : BookChoice();
  if (answer.book.move) {
    engine.AnswerWithoutSearch();
    answer.move = *answer.book.move;
    return answer;
  }

  SearchControl control = request.budget;
  if (request.stop || request.listen) {
    control.interrupted = [&request] {
      if (request.listen) request.listen();
      return request.stop && request.stop->load();
    };
  }
  const SearchControl kept = engine.Control();
  engine.SetLimits(request.limits);
  engine.SetControl(std::move(control));
  engine.SetIterationOutput([&request](const IterationReport& report) {
    if (request.console) request.console(IterationLine(report));
    if (request.onIteration) request.onIteration(report);
  });
  engine.Think(board, &answer.move);
  engine.SetControl(kept);
  engine.SetIterationOutput(nullptr);
  answer.stopped = engine.Stopped();
  answer.nodes = engine.TotalNodes();
  answer.elapsedMs = engine.ElapsedMs();
  if (request.console) request.console(ThinkingTimeLine(answer));
  return answer;
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
