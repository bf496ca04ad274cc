// The board's stored image: 176 bytes, little-endian, field by field. The first 8 bytes carry
// nothing of the position and are written as zeros.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "board/Board.h"

inline constexpr std::size_t BOARD_IMAGE_SIZE = 176;

// The highest half-move counter an image may carry: far beyond any game, far below overflow.
inline constexpr std::int32_t MAX_MOVE_NUMBER = 1 << 24;

using BoardImage = std::array<std::uint8_t, BOARD_IMAGE_SIZE>;

BoardImage ToImage(const Board& board);

// Sets `board` from an image; false, with the board untouched, for an image that cannot be a
// position (side to move not 0 or 1, a side without a king, a pawn on the first or the last
// rank, a square in two piece sets, colour sets, material or pawn counts that disagree with the
// piece sets, a castling path left on the board, a castling right without its king and rook at
// home, an impossible en-passant square, a move number below 1 or above MAX_MOVE_NUMBER, the
// side not to move in check). A side may have more than one king, as a hand-written text
// position may give it.
bool FromImage(const std::uint8_t* image, Board& board);
