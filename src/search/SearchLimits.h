// When the iterative deepening stops. The program always plays with the default values;
// tests and tools may search to a fixed depth instead.
#pragma once

#include <cstdint>
#include <limits>

struct SearchLimits {
  std::int64_t maxNodes = 999999;     // no new iteration after one that visited more nodes
  std::int64_t maxTimeMs = 10000;     // no new iteration once the search has run longer
  std::int64_t maxIterTimeMs = 2500;  // no new iteration after one that took longer
  int minDepth = DEFAULT_MIN_DEPTH;   // depths up to this one are always searched
  int maxDepth = DEFAULT_MAX_DEPTH;   // the deepest iteration
  // A mate found ends the search. An analysis without end goes on deepening after one, as
  // the front ends that wait for its deeper lines expect.
  bool endAtMate = true;
  int firstDepth = 2;  // the first iteration's depth

  static constexpr int DEFAULT_MIN_DEPTH = 4;
  static constexpr int DEFAULT_MAX_DEPTH = 25;

  // No limit of nodes or time: only the depths, and whatever ends the search from outside.
  static SearchLimits Unlimited(int minDepth = DEFAULT_MIN_DEPTH,
                                int maxDepth = DEFAULT_MAX_DEPTH) {
    constexpr auto unlimited = std::numeric_limits<std::int64_t>::max();
    return SearchLimits{unlimited, unlimited, unlimited, minDepth, maxDepth};
  }
  // Exactly `depth` iterations deep (from firstDepth), whatever the nodes and the time.
  static SearchLimits FixedDepth(int depth) { return Unlimited(depth, depth); }
};
