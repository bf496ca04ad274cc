// Playing levels on an Elo-like scale, for people and for front ends that limit an engine's
// strength. A level plays the strong search with fewer nodes and a shallower depth the lower it
// is, and now and then takes a move a little worse than the best among the best few it found:
// the mistakes of a weaker player, never a random move.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "search/IterativeSearch.h"

// The scale: the weakest and the strongest level. Above the strongest plays the full search.
inline constexpr int LEVEL_MIN = 1000;
inline constexpr int LEVEL_MAX = 2000;

struct LevelSettings {
  std::int64_t nodes = 0;  // at most this many nodes per move
  int depth = 0;           // at most this deep
  int lines = 1;           // the best lines the choice is made among
  int marginCp = 0;        // how far below the best a chosen line may score
};
// The settings of a level (clamped to the scale).
LevelSettings SettingsFor(int level);

// The move of a level from the lines of the last finished iteration (best first): the best,
// or by chance one of the others within the margin, the nearer the likelier.
Move ChooseAmongLines(const std::vector<IterationReport>& lines, int marginCp,
                      std::mt19937_64& random);
