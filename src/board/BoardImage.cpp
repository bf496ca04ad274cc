#include "board/BoardImage.h"

#include <bit>

#include "board/Castling.h"
#include "board/Fen.h"
#include "board/LittleEndian.h"

namespace {

constexpr std::size_t CASTLE_PATH = 8, MATERIAL = 24, PAWN_COUNT = 32, SIDE_TO_MOVE = 40,
                      MOVE_NUMBER = 44, BITBOARDS = 48, CASTLE_RIGHTS = 160, CASTLED = 164,
                      EN_PASSANT = 168;

template <typename T>
void Put(BoardImage& image, std::size_t offset, T value) {
  PutLittleEndian(image.data() + offset, value);
}

template <typename T>
T Get(const std::uint8_t* image, std::size_t offset) {
  return GetLittleEndian<T>(image + offset);
}

// Whether a castling right's king and rook stand on their start squares.
bool HomeFor(const Board& board, int right) {
  const Color c = right % 2;
  return (board.bitboards[WK + c] & MaskOf(CASTLING[right].king)) &&
         (board.bitboards[WR + c] & MaskOf(CASTLING[right].rook));
}

bool IsPosition(const Board& board) {
  if (board.sideToMove != WHITE && board.sideToMove != BLACK) return false;
  if (board.moveNumber < 1 || board.moveNumber > MAX_MOVE_NUMBER || board.castlePath[WHITE] ||
      board.castlePath[BLACK])
    return false;
  if (!board.bitboards[WK] || !board.bitboards[BK]) return false;
  constexpr Bitboard firstAndLastRank = 0xFF000000000000FFULL;
  if ((board.bitboards[WP] | board.bitboards[BP]) & firstAndLastRank) return false;
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
  return !KingCanBeTaken(board);
}

}  // namespace

BoardImage ToImage(const Board& board) {
  BoardImage image{};
  for (Color c : {WHITE, BLACK}) {
    Put(image, CASTLE_PATH + 8 * c, board.castlePath[c]);
    Put(image, MATERIAL + 4 * c, board.material[c]);
    Put(image, PAWN_COUNT + 4 * c, board.pawnCount[c]);
    image[CASTLED + c] = board.castled[c] ? 1 : 0;
  }
  Put(image, SIDE_TO_MOVE, board.sideToMove);
  Put(image, MOVE_NUMBER, board.moveNumber);
  for (std::size_t i = 0; i < 14; ++i) Put(image, BITBOARDS + 8 * i, board.bitboards[i]);
  for (std::size_t i = 0; i < 4; ++i) image[CASTLE_RIGHTS + i] = board.castleRights[i] ? 1 : 0;
  Put(image, EN_PASSANT, board.enPassant);
  return image;
}

bool FromImage(const std::uint8_t* image, Board& board) {
  Board read = board;
  for (Color c : {WHITE, BLACK}) {
    read.castlePath[c] = Get<std::uint64_t>(image, CASTLE_PATH + 8 * c);
    read.material[c] = Get<std::int32_t>(image, MATERIAL + 4 * c);
    read.pawnCount[c] = Get<std::int32_t>(image, PAWN_COUNT + 4 * c);
    read.castled[c] = image[CASTLED + c] != 0;
  }
  read.sideToMove = Get<std::int32_t>(image, SIDE_TO_MOVE);
  read.moveNumber = Get<std::int32_t>(image, MOVE_NUMBER);
  for (std::size_t i = 0; i < 14; ++i)
    read.bitboards[i] = Get<std::uint64_t>(image, BITBOARDS + 8 * i);
  for (std::size_t i = 0; i < 4; ++i) read.castleRights[i] = image[CASTLE_RIGHTS + i] != 0;
  read.enPassant = Get<std::uint64_t>(image, EN_PASSANT);
  if (!IsPosition(read)) return false;
  read.RefreshHashes();
  board = read;
  return true;
}
