#include "search/Level.h"

#include <algorithm>
#include <cmath>

LevelSettings SettingsFor(int level) {
  level = std::clamp(level, LEVEL_MIN, LEVEL_MAX);
  LevelSettings settings;
  // The nodes double every hundred points, from a few hundred at the weakest level.
  settings.nodes = static_cast<std::int64_t>(400.0 * std::exp2((level - LEVEL_MIN) / 100.0));
  settings.depth = 3 + (level - LEVEL_MIN) / 100;
  settings.lines = level < LEVEL_MAX ? 4 : 1;
  settings.marginCp = (LEVEL_MAX - level) / 5;
  return settings;
}

Move ChooseAmongLines(const std::vector<IterationReport>& lines, int marginCp,
                      std::mt19937_64& random) {
  if (lines.empty()) return Move();
  const int best = lines.front().score;
  if (marginCp <= 0 || lines.size() == 1) return lines.front().best;
  // Each line within the margin weighs less the further it is below the best; a mate found
  // is never given away.
  std::vector<double> weights;
  for (const IterationReport& line : lines) {
    const int loss = best - line.score;
    const bool keepsMate = line.mateMoves > 0 || lines.front().mateMoves <= 0;
    weights.push_back(loss <= marginCp && keepsMate ? std::exp(-3.0 * loss / marginCp) : 0.0);
  }
  std::discrete_distribution<std::size_t> pick(weights.begin(), weights.end());
  return lines[pick(random)].best;
}
