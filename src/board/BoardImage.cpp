#include "board/BoardImage.h"

#include <bit>

#include "board/BoardCheck.h"
#include "board/LittleEndian.h"
#include "board/Rules.h"

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

bool IsPosition(const Board& board) {
  if (board.sideToMove != WHITE && board.sideToMove != BLACK) return false;
  if (board.moveNumber < 1 || board.moveNumber > MAX_MOVE_NUMBER || board.castlePath[WHITE] ||
      board.castlePath[BLACK])
    return false;
  if (!board.bitboards[WK] || !board.bitboards[BK]) return false;
  // A pawn never stands on the first or the last rank.
  constexpr Bitboard firstAndLastRank = 0xFF000000000000FFULL;
  if ((board.bitboards[WP] | board.bitboards[BP]) & firstAndLastRank) return false;
  return PiecesAgree(board) && !KingCanBeTaken(board);
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
