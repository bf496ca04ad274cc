#include "board/Board.h"

#include <array>
#include <bit>
#include <cassert>
#include <cstring>
#include <type_traits>

#include "board/BoardCheck.h"
#include "board/Castling.h"
#include "board/TableIndex.h"

static_assert(std::is_trivially_copyable_v<Board>, "a board is copied as a plain value");

namespace {

// The four castling flags (castleRights) seen as one number, for masks that keep some of them.
using RightsWord = std::uint32_t;
static_assert(sizeof(Board::castleRights) == sizeof(RightsWord));

// A mask that keeps the flags for which `keep` is true and clears the others.
constexpr RightsWord KeepMask(const std::array<bool, 4>& keep) {
  std::array<std::uint8_t, 4> bytes{};
  for (std::size_t right = 0; right < 4; ++right) bytes[right] = keep[right] ? 0xFF : 0x00;
  return std::bit_cast<RightsWord>(bytes);
}

constexpr std::array<bool, 4> EVERY_FLAG = {true, true, true, true};

// Per piece code: the flags a move of that piece keeps. A king gives up its side's two. The
// last entry is for anything else (a move without a piece keeps them all).
constexpr auto RIGHTS_KEPT_BY_PIECE = [] {
  std::array<RightsWord, NO_PIECE + 1> kept{};
  kept[NO_PIECE] = KeepMask(EVERY_FLAG);
  for (int piece = WP; piece <= BK; ++piece) {
    std::array<bool, 4> keep = EVERY_FLAG;
    if (piece == WK || piece == BK)
      keep[ShortCastling(piece % 2)] = keep[LongCastling(piece % 2)] = false;
    kept[static_cast<std::size_t>(piece)] = KeepMask(keep);
  }
  return kept;
}();

// Per square: the flags a move from or to that square keeps. A rook that moves from its corner,
// or is taken there, takes its right with it. The last entry is for no square (-1, as the
// special kinds of move have).
constexpr auto RIGHTS_KEPT_ON_SQUARE = [] {
  std::array<RightsWord, 65> kept{};
  kept[64] = KeepMask(EVERY_FLAG);
  for (Square square = 0; square < 64; ++square) {
    std::array<bool, 4> keep = EVERY_FLAG;
    for (int right = 0; right < 4; ++right)
      if (square == CASTLING[right].rook) keep[static_cast<std::size_t>(right)] = false;
    kept[static_cast<std::size_t>(square)] = KeepMask(keep);
  }
  return kept;
}();

}  // namespace

void Board::Clear() {
  moveNumber = 1;
  sideToMove = WHITE;
  for (Bitboard& set : bitboards) set = 0;
  hashKey = hashLock = 0;
  castlePath[WHITE] = castlePath[BLACK] = 0;
  enPassant = 0;
  material[WHITE] = material[BLACK] = 0;
  pawnCount[WHITE] = pawnCount[BLACK] = 0;
  for (bool& right : castleRights) right = false;
  castled[WHITE] = castled[BLACK] = false;
}

void Board::Reset() {
  Clear();
  constexpr int backRank[8] = {WR, WN, WB, WQ, WK, WB, WN, WR};
  for (int file = 0; file < 8; ++file) {
    AddPiece(backRank[file] + BLACK, A8 + file);
    AddPiece(BP, 8 + file);
    AddPiece(WP, 48 + file);
    AddPiece(backRank[file], A1 + file);
  }
  for (bool& right : castleRights) right = true;
}

int Board::PieceAt(Square square, int* color) const {
  const Bitboard mask = MaskOf(square);
  for (Color c : {BLACK, WHITE}) {
    for (int kind : {KIND_KING, KIND_QUEEN, KIND_ROOK, KIND_KNIGHT, KIND_BISHOP, KIND_PAWN}) {
      if (bitboards[kind + c] & mask) {
        if (color) *color = c;
        return kind;
      }
    }
  }
  if (color) *color = -1;
  return NO_PIECE;
}

void Board::SetCastlePath(Color color, Bitboard squares) {
  for (Bitboard added = squares & ~bitboards[WK + color]; added; added &= added - 1)
    ToggleHashes(WK + color, LowestSquare(added));
  bitboards[WK + color] |= squares;
  bitboards[ALL_WHITE + color] |= squares;
  castlePath[color] = squares;
}

void Board::TakeOffCastlePath(Color color) {
  const Bitboard path = castlePath[color];
  for (Bitboard toggled = path; toggled; toggled &= toggled - 1)
    ToggleHashes(WK + color, LowestSquare(toggled));
  bitboards[WK + color] ^= path;
  bitboards[ALL_WHITE + color] ^= path;
  // The rook that castled stands on one of the path squares.
  bitboards[ALL_WHITE + color] |= bitboards[WR + color];
  castlePath[color] = 0;
}

// Inline in the common moves of MakeMove below.
[[gnu::always_inline]] inline void Board::FinishMove(int piece, Square from, Square to) {
  // The skipped square of a double step, for either colour: the one between from and to.
  // Worked out without a branch, as which piece moves is not foreseeable.
  const bool doubleStep = (piece == WP && from - to == 16) || (piece == BP && to - from == 16);
  enPassant = doubleStep ? MaskOf((from + to) / 2) : 0;

  // The castling rights the move keeps, worked out on the four flags at once: whether a move
  // touches them is not foreseeable.
  RightsWord rights;
  std::memcpy(&rights, castleRights, sizeof(rights));
  const auto pieceOrNone = [](int code) { return IsPieceCode(code) ? code : NO_PIECE; };
  const auto squareOrNone = [](Square square) { return square >= 0 && square < 64 ? square : 64; };
  rights &= RIGHTS_KEPT_BY_PIECE[TableIndex(pieceOrNone(piece), NO_PIECE + 1)] &
            RIGHTS_KEPT_ON_SQUARE[TableIndex(squareOrNone(from), 65)] &
            RIGHTS_KEPT_ON_SQUARE[TableIndex(squareOrNone(to), 65)];
  std::memcpy(castleRights, &rights, sizeof(rights));

  sideToMove = (sideToMove + 1) % 2;
  moveNumber += 1;
}

bool Board::MakeMove(const Move* move) {
  if (!move) return false;
#ifndef NDEBUG
  // A debug build checks every position a move leads to.
  struct CheckAfterMove {
    const Board& board;
    int kind;
    ~CheckAfterMove() {
      if (kind < MOVE_RESIGN) assert(PiecesAgree(board) && HashesAgree(board));
    }
  } check{*this, move->flags & KIND_MASK};
#endif
  const int piece = move->piece;
  const int from = move->from;
  const int to = move->to;
  const Color c = piece % 2;

  // The common moves, a step or a capture without promotion, as the general steps below would
  // make them: the mover's material and pawn count go and come back unchanged.
  if (move->flags == MOVE_NORMAL || move->flags == MOVE_CAPTURE) {
    if (move->flags == MOVE_CAPTURE) RemovePiece(move->captured, to);
    const Bitboard fromMask = MaskOf(from);
    const Bitboard toMask = MaskOf(to);
    ToggleHashes(piece, from);
    bitboards[piece] ^= fromMask;
    if (!(bitboards[piece] & toMask)) ToggleHashes(piece, to);
    bitboards[piece] |= toMask;
    bitboards[ALL_WHITE + c] = (bitboards[ALL_WHITE + c] ^ fromMask) | toMask;
    FinishMove(piece, from, to);
    return true;
  }

  switch (move->flags & KIND_MASK) {
    case MOVE_NORMAL:
      RemovePiece(piece, from);
      AddPiece(piece, to);
      break;
    case MOVE_CAPTURE:
      RemovePiece(piece, from);
      RemovePiece(move->captured, to);
      AddPiece(piece, to);
      break;
    case MOVE_EN_PASSANT:
      RemovePiece(piece, from);
      AddPiece(piece, to);
      RemovePiece(move->captured, c == WHITE ? to + 8 : to - 8);
      break;
    case MOVE_CASTLE_LONG:
      RemovePiece(piece, from);
      AddPiece(piece, to);
      RemovePiece(WR + c, from - 4);
      AddPiece(WR + c, from - 1);
      SetCastlePath(c, CASTLE_LONG_PATH[c]);
      castled[c] = true;
      break;
    case MOVE_CASTLE_SHORT:
      RemovePiece(piece, from);
      AddPiece(piece, to);
      RemovePiece(WR + c, from + 3);
      AddPiece(WR + c, from + 1);
      SetCastlePath(c, CASTLE_SHORT_PATH[c]);
      castled[c] = true;
      break;
    case MOVE_STALEMATE:  // the game ends; nothing moves
      return true;
    case MOVE_CHECKMATE: {
      const int black = BlackPieceAt(to);
      if (black != NO_PIECE) RemovePiece(black, to);
      const int white = WhitePieceAt(to);
      if (white != NO_PIECE) RemovePiece(white, to);
      AddPiece(piece, to);
      RemovePiece(piece, from);
      // A mate by promotion leaves the new piece on the board.
      if (const PromotionPiece* promotion = PromotionOfFlags(move->flags)) {
        RemovePiece(piece, to);
        AddPiece(promotion->kind + c, to);
      }
      return true;
    }
    default:  // MOVE_RESIGN and unknown kinds move no piece
      break;
  }

  if (move->flags >= PROMOTE_KNIGHT) {
    if (const PromotionPiece* promotion = PromotionOfFlags(move->flags)) {
      RemovePiece(piece, to);
      AddPiece(promotion->kind + c, to);
    }
  }

  FinishMove(piece, from, to);
  return true;
}

void Board::ComputeHashes(std::uint32_t& key, std::uint32_t& lock) const {
  key = lock = 0;
  for (int piece = WP; piece <= BK; ++piece) {
    for (Bitboard set = bitboards[piece]; set != 0; set &= set - 1) {
      key ^= HashKeyOf(piece, LowestSquare(set));
      lock ^= HashLockOf(piece, LowestSquare(set));
    }
  }
}
