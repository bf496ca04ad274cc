#include "board/Exchange.h"

#include <algorithm>

#include "board/Attacks.h"

int StaticExchange(const Board& board, const Move& move) {
  if (move.from < 0 || move.from > 63 || move.to < 0 || move.to > 63 || !IsPieceCode(move.piece))
    return 0;
  const Square to = move.to;
  const Bitboard* sets = board.bitboards;
  Bitboard occupied = board.Occupied() & ~MaskOf(move.from);
  if (move.Kind() == MOVE_EN_PASSANT) {
    // The pawn taken stands beside the capturing pawn, behind the square it moves to.
    occupied &= ~MaskOf(move.from / 8 * 8 + to % 8);
  }
  const Bitboard diagonal = sets[WB] | sets[BB] | sets[WQ] | sets[BQ];
  const Bitboard straight = sets[WR] | sets[BR] | sets[WQ] | sets[BQ];
  Bitboard attackers =
      (AttackersOf(board, WHITE, to, occupied) | AttackersOf(board, BLACK, to, occupied)) &
      occupied;

  // gains[d]: what the side making the d-th capture has won if the exchange ends with it;
  // the last one is only what the next side would win if it had a piece left to take with.
  int gains[32];
  const bool takes = move.Kind() == MOVE_EN_PASSANT || (move.flags & MOVE_CAPTURE);
  gains[0] = !takes                           ? 0
             : move.Kind() == MOVE_EN_PASSANT ? PieceValue[WP]
             : IsPieceCode(move.captured)     ? PieceValue[static_cast<std::size_t>(move.captured)]
                                              : 0;
  int onSquare = PieceValue[static_cast<std::size_t>(move.piece)];
  Color side = 1 - move.piece % 2;
  int depth = 0;
  while (depth < 31) {
    depth += 1;
    gains[depth] = onSquare - gains[depth - 1];
    // The least valuable piece of `side` that can take next.
    Square from = -1;
    for (int kind = KIND_PAWN; kind <= KIND_KING && from < 0; kind += 2) {
      const Bitboard set = attackers & sets[kind + side] & sets[ALL_WHITE + side];
      if (set) {
        from = LowestSquare(set);
        onSquare = PieceValue[static_cast<std::size_t>(kind + side)];
      }
    }
    if (from < 0) break;
    occupied &= ~MaskOf(from);
    // The piece that took may uncover a slider behind it.
    attackers |= (BishopAttacks(to, occupied) & diagonal) | (RookAttacks(to, occupied) & straight);
    attackers &= occupied;
    side = 1 - side;
  }
  // Each side takes only when that is better than stopping.
  while (--depth > 0) gains[depth - 1] = -std::max(-gains[depth - 1], gains[depth]);
  return gains[0];
}
