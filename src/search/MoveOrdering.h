// History move ordering: moves that caused cut-offs before are tried first. The counters are
// kept per side to move, from-square and to-square; the searches choose the counters of the
// side to move through OrderingTable just before every sort.
#pragma once

#include <cstdint>

#include "board/MoveList.h"

// The counters of one side, indexed [from][to].
using OrderingCounters = std::int32_t[64][64];
// Both sides' counters, indexed [colour][from][to].
using HistoryTable = OrderingCounters[2];

// The counters SortMoves reads, e.g. `OrderingTable = &history[board.sideToMove];`.
// Process-wide, like the single search that uses it. Null orders every move alike.
extern const OrderingCounters* OrderingTable;

// Sets every counter of both sides to 0.
void ClearHistory(HistoryTable& table);

// Sorts the moves by their counter in OrderingTable, highest first. Stable: moves with equal
// counters keep their order, so with all counters 0 the generation order stays. Nothing is
// allocated per call.
void SortMoves(MoveList& list);
