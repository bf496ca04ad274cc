// What the strong search's evaluation knows beyond both sides' terms: how freely the pieces
// move, how well each king is sheltered and how many pieces bear on it, how far the passed
// pawns have come and whether the kings can reach them, the bishop pair, and the king's place
// in the endgame, and the threats to each side: as features, each of which the strong
// evaluation weighs (StrongEvaluate.h).
#pragma once

#include <array>

#include "board/Board.h"

// How far the game is from its endgame: minor pieces count 1, rooks 2, queens 4, up to
// PHASE_FULL with every piece on the board; 0 with none.
constexpr int PHASE_FULL = 24;
int GamePhase(const Board& board);

// The features, each White's less Black's. Mobility: per piece the squares it reaches
// beyond its usual number. The attack on the enemy king by the own pieces (with the own queen
// on the board). The bishop pair. The king's nearness to the centre (0 on the edge, 3 in the
// middle). Per file of a king on its first two ranks away from the d- and e-files and of its
// neighbours: an own pawn one step in front, two steps, or no own pawn on the file. Passed
// pawns by their rank, once as in the middle game and once as in the endgame (where the kings'
// distances and a blocked path count). Threats to the own side: pieces and pawns the enemy
// attacks and it does not defend (again when the enemy is to move), pieces attacked by an
// enemy pawn while the enemy is to move, pieces attacked by lesser ones, the enemy pieces
// bearing on the own king and the squares from which they could check it unopposed (both with
// the enemy queen on the board). And the move in hand. Beyond these: per piece the squares
// it falls short of its usual number (so that a shut-in piece may cost more than a free one
// gains); knights and bishops on an outpost (the fourth to sixth rank from the own side,
// defended by a pawn, and no enemy pawn left that could drive them off); passed pawns by their
// rank with nothing in their path, and defended by a pawn; a passed pawn the enemy king cannot
// catch when the enemy has no pieces; and the enemy pawns coming up against a sheltered king.
// And: the squares a knight, a bishop or a rook could check the own king from unopposed, of
// the safe checks above (with the enemy queen on the board); the squares next to the own king
// the enemy attacks and only the king or queen defends (the same); the safe squares of the
// centre files on the own second to fourth ranks, once more behind an own pawn; the pawns
// that one safe step forward would attack an enemy piece; knights and rooks by the number of
// own pawns beyond five; rooks behind a passed pawn; and knights and bishops behind a pawn.
enum ActivityFeature : int {
  KNIGHT_MOBILITY,
  BISHOP_MOBILITY,
  ROOK_MOBILITY,
  QUEEN_MOBILITY,
  KING_ATTACK,
  BISHOP_PAIR,
  KING_CENTRE,
  SHELTER_NEAR,
  SHELTER_FAR,
  SHELTER_OPEN_FILE,
  PASSED_RANKS_MIDDLE,
  PASSED_RANKS_END,
  HANGING,
  HANGING_NOT_TO_MOVE,
  BY_PAWN_NOT_TO_MOVE,
  BY_LESSER,
  KING_ATTACKERS,
  SAFE_CHECKS,
  TEMPO,
  KNIGHT_CRAMPED,
  BISHOP_CRAMPED,
  ROOK_CRAMPED,
  QUEEN_CRAMPED,
  KNIGHT_OUTPOST,
  BISHOP_OUTPOST,
  PASSED_FREE,
  PASSED_DEFENDED,
  PASSED_UNSTOPPABLE,
  PAWN_STORM,
  KNIGHT_CHECKS,
  BISHOP_CHECKS,
  ROOK_CHECKS,
  KING_ZONE_WEAK,
  SPACE,
  PAWN_PUSH_THREATS,
  KNIGHTS_BY_PAWNS,
  ROOKS_BY_PAWNS,
  ROOK_BEHIND_PASSED,
  MINOR_BEHIND_PAWN,
  ACTIVITY_FEATURES
};
std::array<int, ACTIVITY_FEATURES> ActivityFeatures(const Board& board);
