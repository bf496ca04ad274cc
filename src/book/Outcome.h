// How the side that made a move fared in the game it was taken from: what the PGN reader hands
// out with every move and what the opening book counts.
#pragma once

inline constexpr int OUTCOME_NEUTRAL = 0;  // drawn or unknown result, and no annotation
inline constexpr int OUTCOME_GOOD = 1;     // the mover's side won, or annotated ! !! ? ??
inline constexpr int OUTCOME_BAD = 2;      // the mover's side lost
