#include "search/Activity.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>

#include "board/Attacks.h"
#include "board/Exchange.h"
#include "board/MoveTables.h"
#include "board/PawnSpans.h"

namespace {

// The squares a piece usually reaches: its mobility counts the squares beyond, not held by
// its own side and not covered by an enemy pawn.
constexpr int KNIGHT_USUAL = 4;
constexpr int BISHOP_USUAL = 6;
constexpr int ROOK_USUAL = 6;
constexpr int QUEEN_USUAL = 12;

// The attack on a king: each piece that reaches its square or a square next to it adds its
// weight per square reached. With two attackers or more, and the attacker's queen on the
// board, the sum squared over KING_ATTACK_SCALE counts, up to KING_ATTACK_CAP.
constexpr int KNIGHT_ATTACK = 2;
constexpr int BISHOP_ATTACK = 2;
constexpr int ROOK_ATTACK = 3;
constexpr int QUEEN_ATTACK = 5;
constexpr int KING_ATTACK_SCALE = 4;
constexpr int KING_ATTACK_CAP = 300;

// A passed pawn by its rank counted from its own side (the second rank is 1). In the endgame a
// pawn whose next square is taken loses a third of it, and from the fourth rank on the kings'
// distances to that square count.
constexpr std::array<int, 8> PASSED_MIDDLE = {0, 0, 5, 10, 20, 35, 55, 0};
constexpr std::array<int, 8> PASSED_END = {0, 5, 10, 20, 40, 70, 110, 0};
constexpr int PASSED_ENEMY_KING = 5;  // per step of the enemy king and rank past the third
constexpr int PASSED_OWN_KING = 2;    // per step of the own king and rank past the third
// A passed pawn with nothing in its path, by its rank.
constexpr std::array<int, 8> PASSED_FREE_BY_RANK = {0, 0, 1, 2, 4, 7, 11, 0};

// 0 on the four centre squares, 3 on the edge.
constexpr int CentreDistance(Square square) {
  const auto away = [](int line) { return line < 4 ? 3 - line : line - 4; };
  return std::max(away(RowOf(square)), away(FileOf(square)));
}
// The king's square; right after castling the king's set also holds its path, which is left
// out. -1 without a king.
Square KingOf(const Board& board, Color color) {
  const Bitboard kings = board.bitboards[WK + color];
  const Bitboard standing = kings & ~board.castlePath[color];
  if (standing) return LowestSquare(standing);
  return kings ? LowestSquare(kings) : -1;
}

using Features = std::array<int, ACTIVITY_FEATURES>;

// The squares a colour's pieces attack, by kind, those attacked twice, and how many pieces bear
// on the enemy king's square or its neighbours.
struct AttackMap {
  Bitboard pawns = 0, knights = 0, bishops = 0, rooks = 0, queens = 0, king = 0;
  Bitboard all = 0, twice = 0;
  int kingAttackers = 0;
  void Add(Bitboard& kind, Bitboard reach) {
    kind |= reach;
    twice |= all & reach;
    all |= reach;
  }
};

// The pieces' mobility and their attack on the enemy king.
void AddPieces(const Board& board, Color color, Square ownKing, Square enemyKing,
               Features& features, AttackMap& map) {
  const Color enemy = color ^ 1;
  const Bitboard occupied = board.Occupied();
  const Bitboard reachable =
      ~board.bitboards[ALL_WHITE + color] & ~PawnAttacks(board.bitboards[WP + enemy], enemy);
  const Bitboard zone =
      enemyKing >= 0 ? KingMask[static_cast<std::size_t>(enemyKing)] | MaskOf(enemyKing) : 0;
  int attackers = 0;
  int attack = 0;
  const auto piece = [&](Bitboard& kind, Bitboard reach, int usual, int mobility,
                         int attackWeight) {
    map.Add(kind, reach);
    const int squares = std::popcount(reach & reachable);
    features[static_cast<std::size_t>(mobility)] += squares - usual;
    features[static_cast<std::size_t>(mobility + KNIGHT_CRAMPED - KNIGHT_MOBILITY)] +=
        std::max(usual - squares, 0);
    if (const Bitboard near = reach & zone) {
      attackers += 1;
      attack += attackWeight * std::popcount(near);
    }
  };
  map.Add(map.pawns, PawnAttacks(board.bitboards[WP + color], color));
  if (ownKing >= 0) map.Add(map.king, KingMask[static_cast<std::size_t>(ownKing)]);
  for (Bitboard rest = board.bitboards[WN + color]; rest; rest &= rest - 1)
    piece(map.knights, KnightMask[static_cast<std::size_t>(LowestSquare(rest))], KNIGHT_USUAL,
          KNIGHT_MOBILITY, KNIGHT_ATTACK);
  for (Bitboard rest = board.bitboards[WB + color]; rest; rest &= rest - 1)
    piece(map.bishops, BishopAttacks(LowestSquare(rest), occupied), BISHOP_USUAL, BISHOP_MOBILITY,
          BISHOP_ATTACK);
  for (Bitboard rest = board.bitboards[WR + color]; rest; rest &= rest - 1)
    piece(map.rooks, RookAttacks(LowestSquare(rest), occupied), ROOK_USUAL, ROOK_MOBILITY,
          ROOK_ATTACK);
  for (Bitboard rest = board.bitboards[WQ + color]; rest; rest &= rest - 1) {
    const Square square = LowestSquare(rest);
    piece(map.queens, RookAttacks(square, occupied) | BishopAttacks(square, occupied), QUEEN_USUAL,
          QUEEN_MOBILITY, QUEEN_ATTACK);
  }
  // Outposts: no enemy pawn left on the neighbouring files in front to drive the piece off.
  const Bitboard defended = PawnAttacks(board.bitboards[WP + color], color);
  const Bitboard enemyPawns = board.bitboards[WP + enemy];
  const auto outposts = [&](Bitboard pieces) {
    int count = 0;
    for (Bitboard rest = pieces & defended; rest; rest &= rest - 1) {
      const Square square = LowestSquare(rest);
      const int rank = RankFor(color, square);
      const Bitboard drivers = PAWN_SPANS.passed[color][square] & ~PAWN_SPANS.ahead[color][square];
      if (rank >= 3 && rank <= 5 && !(drivers & enemyPawns)) count += 1;
    }
    return count;
  };
  features[KNIGHT_OUTPOST] += outposts(board.bitboards[WN + color]);
  features[BISHOP_OUTPOST] += outposts(board.bitboards[WB + color]);
  map.kingAttackers = attackers;
  if (attackers >= 2 && board.bitboards[WQ + color])
    features[KING_ATTACK] += std::min(attack * attack / KING_ATTACK_SCALE, KING_ATTACK_CAP);
  if (std::popcount(board.bitboards[WB + color]) >= 2) features[BISHOP_PAIR] += 1;
}

// The own king's shelter in the middle game and its place in the endgame.
void AddKing(const Board& board, Color color, Square king, Features& features) {
  features[KING_CENTRE] += 3 - CentreDistance(king);
  const int file = FileOf(king);
  if (RankFor(color, king) > 1 || (file >= 3 && file <= 4)) return;
  const Bitboard pawns = board.bitboards[WP + color];
  const Bitboard enemyPawns = board.bitboards[WP + (color ^ 1)];
  const int forward = color == WHITE ? -1 : 1;
  const int near = RowOf(king) + forward;
  const int far = near + forward;
  for (int shelter = std::max(file - 1, 0); shelter <= std::min(file + 1, 7); ++shelter) {
    // An enemy pawn on the own third rank counts twice, on the fourth once.
    for (Bitboard storm = enemyPawns & (FILE_A << shelter); storm; storm &= storm - 1) {
      const int rank = RankFor(color, LowestSquare(storm));
      if (rank == 2 || rank == 3) features[PAWN_STORM] += 4 - rank;
    }
    if (pawns & MaskOf(near * 8 + shelter))
      features[SHELTER_NEAR] += 1;
    else if (pawns & MaskOf(far * 8 + shelter))
      features[SHELTER_FAR] += 1;
    else if (!(pawns & (FILE_A << shelter)))
      features[SHELTER_OPEN_FILE] += 1;
  }
}

// Whether the enemy king can no longer catch a passed pawn with a free path: the enemy has no
// pieces, and the king is outside the pawn's square (a step closer when it is to move).
bool Unstoppable(const Board& board, Color color, Square square, Square enemyKing) {
  const Color enemy = color ^ 1;
  const Bitboard* sets = board.bitboards;
  if (enemyKing < 0 || (sets[WN + enemy] | sets[WB + enemy] | sets[WR + enemy] | sets[WQ + enemy]))
    return false;
  const int rank = RankFor(color, square);
  const int steps = 7 - rank - (rank == 1 ? 1 : 0);  // the first step may be a double one
  const Square queening = color == WHITE ? FileOf(square) : 56 + FileOf(square);
  const int reach = Distance(enemyKing, queening) - (board.sideToMove == enemy ? 1 : 0);
  return steps < reach;
}

void AddPassedPawns(const Board& board, Color color, Square ownKing, Square enemyKing,
                    Features& features) {
  const Bitboard pawns = board.bitboards[WP + color];
  const Bitboard enemyPawns = board.bitboards[WP + (color ^ 1)];
  const Bitboard occupied = board.Occupied();
  const Bitboard defended = PawnAttacks(pawns, color);
  bool unstoppable = false;
  for (Bitboard rest = pawns; rest; rest &= rest - 1) {
    const Square square = LowestSquare(rest);
    // The front pawn of a file only, and no enemy pawn in its way or beside it.
    if (!IsPassedPawn(color, square, enemyPawns) || (PAWN_SPANS.ahead[color][square] & pawns))
      continue;
    const int rank = RankFor(color, square);
    if (rank < 1 || rank > 6) continue;
    features[PASSED_RANKS_MIDDLE] += PASSED_MIDDLE[static_cast<std::size_t>(rank)];
    int end = PASSED_END[static_cast<std::size_t>(rank)];
    const Square next = square + (color == WHITE ? -8 : 8);
    if (occupied & MaskOf(next)) end -= end / 3;
    if (rank >= 3 && ownKing >= 0 && enemyKing >= 0)
      end += (PASSED_ENEMY_KING * Distance(enemyKing, next) -
              PASSED_OWN_KING * Distance(ownKing, next)) *
             (rank - 2);
    features[PASSED_RANKS_END] += end;
    if (defended & MaskOf(square)) features[PASSED_DEFENDED] += 1;
    const Bitboard behind = PAWN_SPANS.ahead[color ^ 1][square];
    features[ROOK_BEHIND_PASSED] +=
        std::popcount(RookAttacks(square, occupied) & behind & board.bitboards[WR + color]);
    if (!(occupied & PAWN_SPANS.ahead[color][square])) {
      features[PASSED_FREE] += PASSED_FREE_BY_RANK[static_cast<std::size_t>(rank)];
      unstoppable = unstoppable || Unstoppable(board, color, square, enemyKing);
    }
  }
  if (unstoppable) features[PASSED_UNSTOPPABLE] += 1;
}

Features SideFeatures(const Board& board, Color color, Square ownKing, Square enemyKing,
                      AttackMap& map) {
  Features features{};
  AddPieces(board, color, ownKing, enemyKing, features, map);
  if (ownKing >= 0) AddKing(board, color, ownKing, features);
  AddPassedPawns(board, color, ownKing, enemyKing, features);
  return features;
}

// What threatens a colour: its pieces and pawns the enemy attacks and it does not defend, its
// pieces attacked by enemy pawns or by lesser pieces, the enemy pieces bearing on its king
// and the squares from which they could check it unopposed.
struct Threats {
  int hanging = 0;
  int byPawns = 0;
  int byLesser = 0;
  int kingAttackers = 0;
  int safeChecks = 0;
  int knightChecks = 0, bishopChecks = 0, rookChecks = 0;
  int weakNearKing = 0;
};

Threats ThreatsTo(const Board& board, Color color, Square king, const AttackMap& own,
                  const AttackMap& enemy) {
  const Bitboard* sets = board.bitboards;
  const Bitboard pieces = sets[WN + color] | sets[WB + color] | sets[WR + color] | sets[WQ + color];
  Threats threats;
  threats.hanging = std::popcount((pieces | sets[WP + color]) & enemy.all & ~own.all);
  threats.byPawns = std::popcount(pieces & enemy.pawns);
  threats.byLesser =
      std::popcount(((sets[WR + color] | sets[WQ + color]) & (enemy.knights | enemy.bishops)) |
                    (sets[WQ + color] & enemy.rooks));
  if (king >= 0 && sets[WQ + (color ^ 1)]) {
    threats.kingAttackers = enemy.kingAttackers;
    const Bitboard occupied = board.Occupied();
    const Bitboard safe = ~own.all & ~sets[ALL_WHITE + (color ^ 1)];
    const Bitboard diagonal = BishopAttacks(king, occupied) & (enemy.bishops | enemy.queens);
    const Bitboard straight = RookAttacks(king, occupied) & (enemy.rooks | enemy.queens);
    const Bitboard jump = KnightMask[static_cast<std::size_t>(king)] & enemy.knights;
    threats.safeChecks = std::popcount((diagonal | straight | jump) & safe);
    threats.knightChecks = std::popcount(jump & safe);
    threats.bishopChecks = std::popcount(diagonal & enemy.bishops & safe);
    threats.rookChecks = std::popcount(straight & enemy.rooks & safe);
    const Bitboard guards = own.pawns | own.knights | own.bishops | own.rooks;
    threats.weakNearKing =
        std::popcount(KingMask[static_cast<std::size_t>(king)] & enemy.all & ~guards);
  }
  return threats;
}

void AddThreats(const Board& board, Color color, const Threats& threats, Features& features) {
  features[HANGING] += threats.hanging;
  if (board.sideToMove != color) {
    features[HANGING_NOT_TO_MOVE] += threats.hanging;
    features[BY_PAWN_NOT_TO_MOVE] += threats.byPawns;
  }
  features[BY_LESSER] += threats.byLesser;
  features[KING_ATTACKERS] += threats.kingAttackers;
  features[SAFE_CHECKS] += threats.safeChecks;
  features[KNIGHT_CHECKS] += threats.knightChecks;
  features[BISHOP_CHECKS] += threats.bishopChecks;
  features[ROOK_CHECKS] += threats.rookChecks;
  features[KING_ZONE_WEAK] += threats.weakNearKing;
  if (board.sideToMove == color) features[TEMPO] += 1;
}

// The room behind the own pawns, the pawns' threats and the pieces' worth by the pawns.
void AddPawnRoom(const Board& board, Color color, const AttackMap& enemy, Features& features) {
  constexpr Bitboard CENTRE_FILES = FileMask(2) | FileMask(3) | FileMask(4) | FileMask(5);
  const Bitboard* sets = board.bitboards;
  const Bitboard pawns = sets[WP + color];
  const bool white = color == WHITE;
  const Bitboard ownRanks =
      white ? RANK_2 | RANK_2 >> 8 | RANK_2 >> 16 : RANK_7 | RANK_7 << 8 | RANK_7 << 16;
  const Bitboard room = CENTRE_FILES & ownRanks & ~pawns & ~enemy.pawns;
  Bitboard behind = white ? pawns << 8 : pawns >> 8;
  behind |= white ? behind << 8 : behind >> 8;
  behind |= white ? behind << 16 : behind >> 16;
  features[SPACE] += std::popcount(room) + std::popcount(room & behind);
  const Bitboard enemyPieces = sets[WN + (color ^ 1)] | sets[WB + (color ^ 1)] |
                               sets[WR + (color ^ 1)] | sets[WQ + (color ^ 1)];
  const Bitboard pushed = (white ? pawns >> 8 : pawns << 8) & ~board.Occupied() & ~enemy.pawns;
  features[PAWN_PUSH_THREATS] += std::popcount(PawnAttacks(pushed, color) & enemyPieces);
  const int beyondFive = std::popcount(pawns) - 5;
  features[KNIGHTS_BY_PAWNS] += std::popcount(sets[WN + color]) * beyondFive;
  features[ROOKS_BY_PAWNS] += std::popcount(sets[WR + color]) * beyondFive;
  const Bitboard underPawns = white ? pawns << 8 : pawns >> 8;
  features[MINOR_BEHIND_PAWN] += std::popcount((sets[WN + color] | sets[WB + color]) & underPawns);
}

}  // namespace

int GamePhase(const Board& board) {
  const Bitboard* sets = board.bitboards;
  return std::min(std::popcount(sets[WN] | sets[BN] | sets[WB] | sets[BB]) +
                      2 * std::popcount(sets[WR] | sets[BR]) +
                      4 * std::popcount(sets[WQ] | sets[BQ]),
                  PHASE_FULL);
}

std::array<int, ACTIVITY_FEATURES> ActivityFeatures(const Board& board) {
  const Square whiteKing = KingOf(board, WHITE);
  const Square blackKing = KingOf(board, BLACK);
  AttackMap maps[2];
  Features white = SideFeatures(board, WHITE, whiteKing, blackKing, maps[WHITE]);
  Features black = SideFeatures(board, BLACK, blackKing, whiteKing, maps[BLACK]);
  AddThreats(board, WHITE, ThreatsTo(board, WHITE, whiteKing, maps[WHITE], maps[BLACK]), white);
  AddThreats(board, BLACK, ThreatsTo(board, BLACK, blackKing, maps[BLACK], maps[WHITE]), black);
  AddPawnRoom(board, WHITE, maps[BLACK], white);
  AddPawnRoom(board, BLACK, maps[WHITE], black);
  for (std::size_t i = 0; i < white.size(); ++i) white[i] -= black[i];
  return white;
}
