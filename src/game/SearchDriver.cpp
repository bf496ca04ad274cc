#include "game/SearchDriver.h"

#include <algorithm>
#include <ostream>

#include "console/Console.h"

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
    *ConsoleOut << "Iteration of depth " << report.depth << "; best move = " << report.best.Line()
                << std::flush;
    if (request.onIteration) request.onIteration(report);
  });
  engine.Think(board, &answer.move);
  engine.SetControl(kept);
  engine.SetIterationOutput(nullptr);
  answer.stopped = engine.Stopped();

  // A search faster than the clock's resolution counts as one millisecond for the rate.
  const std::int64_t elapsed = engine.ElapsedMs();
  *ConsoleOut << "AI thought " << static_cast<float>(elapsed) / 1000.0f << " seconds! ( "
              << static_cast<float>(engine.TotalNodes()) /
                     static_cast<float>(std::max<std::int64_t>(elapsed, 1))
              << " KNodes / sec )" << std::endl;
  return answer;
}
