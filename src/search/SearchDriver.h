// The one way every mode has the computer choose a move: the opening book first when it may
// answer, else the search under the request's limits, clock budget and stop request. Each
// finished iteration is handed to the caller, who shows it in its own way (the xboard thinking
// line, UCI's info), and so are the console lines of the search: nothing is printed here.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "board/Board.h"
#include "board/Move.h"
#include "book/OpeningBook.h"
#include "search/IterativeSearch.h"
#include "search/SearchControl.h"
#include "search/SearchLimits.h"
#include "search/SearchOptions.h"
#include "search/TimeBudget.h"

struct SearchRequest {
  SearchLimits limits;
  // What a front end's game adds to the search; the default adds nothing.
  SearchOptions options;
  // The clock's soft and hard limits and the node cap; its interruption is the driver's.
  SearchControl budget;
  // Asked before the search when not null: a book move answers at once.
  const OpeningBook* book = nullptr;
  // Ends the search as soon as it is set: by `listen`, or one day by a thread that reads
  // commands while the engine thinks.
  std::atomic<bool>* stop = nullptr;
  // Called every few thousand nodes and after every iteration: reads what has arrived and may
  // set the stop request.
  std::function<void()> listen;
  // Receives every finished iteration.
  std::function<void(const IterationReport&)> onIteration;
  // Receives the console lines of the search as they come (see IterationLine and
  // ThinkingTimeLine), for the layer that owns the console to print.
  std::function<void(const std::string&)> console;
  // A playing level (Level.h), 0 for none: fewer nodes, a shallower search and now and then a
  // move a little worse than the best, by the chance of `random` (which must then be set).
  int level = 0;
  std::mt19937_64* random = nullptr;
};

struct SearchAnswer {
  Move move;
  BookChoice book;       // its move is not null when the book answered
  bool stopped = false;  // the search was cut short by its budget or the stop request
  std::int64_t nodes = 0;
  std::int64_t elapsedMs = 0;
  // The principal variation of the last finished iteration, from the move on (when searched).
  std::vector<Move> variation;
};

// What a front end asks of the next search: its clock, a depth, a node count, a mate, or a
// search without end (analysis and pondering).
struct SearchOrder {
  GameClock clock;
  int depth = 0;             // 0: none given
  bool depthIsExact = true;  // the search goes exactly this deep (else: at most)
  std::int64_t nodes = SearchControl::NO_LIMIT;
  int mateMoves = 0;      // a mate in this many moves ends the search
  bool infinite = false;  // only the stop request ends the search
};

// Sets the request's limits, budget and time options for the order. When the order has a
// clock (or no end), the console game's limits are off and the clock decides; a depth and a
// node count are kept as given. An order of neither kind searches as the console game does.
void ApplyOrder(const SearchOrder& order, SearchRequest& request);

// Chooses the move for the side to move of `board` with `engine`. The search ends at the
// request's limit of time (SearchLimits::maxTimeMs) at the latest, even in the middle of an
// iteration. The engine's control and options are what they were before, afterwards.
SearchAnswer ChooseMove(IterativeSearch& engine, const Board& board, SearchRequest request);

// The console lines of a search, each with its line end: "Iteration of depth 3; best move =
// WR - d1d8" after every iteration, and "AI thought 0.5 seconds! ( 1234.5 KNodes / sec )" after
// a search.
std::string IterationLine(const IterationReport& report);
std::string ThinkingTimeLine(const SearchAnswer& answer);
