#include "board/BoardCheck.h"

#include <bit>

namespace {

// Whether a castling right's king and rook stand on their start squares.
bool HomeFor(const Board& board, int right) {
  const Color c = right % 2;
  return (board.bitboards[WK + c] & MaskOf(CASTLING[right].king)) &&
         (board.bitboards[WR + c] & MaskOf(CASTLING[right].rook));
}

}  // namespace

bool PiecesAgree(const Board& position) {
  // Right after castling the king's and the colour's sets hold the squares the king crossed.
  Board board = position;
  board.RemoveCastlePaths();
  Bitboard seen = 0;
  Bitboard colour[2] = {0, 0};
  int material[2] = {0, 0};
  for (int piece = WP; piece <= BK; ++piece) {
    const Bitboard set = board.bitboards[piece];
    if (seen & set) return false;
    seen |= set;
    colour[piece % 2] |= set;
    material[piece % 2] += std::popcount(set) * PieceValue[static_cast<std::size_t>(piece)];
  }
  for (Color c : {WHITE, BLACK}) {
    if (board.bitboards[ALL_WHITE + c] != colour[c] || board.material[c] != material[c] ||
        board.pawnCount[c] != std::popcount(board.bitboards[WP + c]))
      return false;
  }
  for (int right = 0; right < 4; ++right)
    if (board.castleRights[right] && !HomeFor(board, right)) return false;
  if (board.enPassant) {
    // The square a pawn of the side not to move has just skipped: empty, with the pawn beyond.
    if (std::popcount(board.enPassant) != 1) return false;
    const Square square = LowestSquare(board.enPassant);
    const bool whiteToMove = board.sideToMove == WHITE;
    const bool rank = whiteToMove ? square / 8 == 2 : square / 8 == 5;
    const Square pawn = whiteToMove ? square + 8 : square - 8;
    if (!rank || (board.Occupied() & board.enPassant) ||
        !(board.bitboards[whiteToMove ? BP : WP] & MaskOf(pawn)))
      return false;
  }
  return true;
}

bool HashesAgree(const Board& board) {
  std::uint32_t key = 0, lock = 0;
  board.ComputeHashes(key, lock);
  return board.HashKey() == static_cast<std::int32_t>(key) && board.HashLock() == lock;
}
