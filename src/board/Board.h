// The position as fourteen square sets plus side to move, castling state and counters.
// A plain value: the search copies it before every move it tries instead of undoing moves.
#pragma once

#include <bit>
#include <cstdint>
#include <string>

#include "board/Castling.h"
#include "board/HashTables.h"
#include "board/Move.h"
#include "board/Piece.h"
#include "board/SquareMask.h"

class Board {
 public:
  Bitboard castlePath[2];     // per colour: squares that count as king squares right after castling
  std::int32_t material[2];   // per colour: sum of PieceValue of its pieces, king included
  std::int32_t pawnCount[2];  // per colour: number of its pawns
  std::int32_t sideToMove;
  std::int32_t moveNumber;  // half-move counter, 1 at the start
  Bitboard bitboards[14];   // 0..11 by piece code, ALL_WHITE and ALL_BLACK by colour
  bool castleRights[4];     // by CastlingRight: White short, Black short, White long, Black long
  bool castled[2];
  Bitboard enPassant;  // the square a pawn skipped with its double step on the last move, or 0
  // The two position hashes of bitboards[WP..BK], kept up to date by every change of a piece
  // set below. Code that writes the piece sets directly calls RefreshHashes afterwards.
  std::uint32_t hashKey;
  std::uint32_t hashLock;

  Board() { Reset(); }

  // The initial position.
  void Reset();
  // No piece, no right, White to move at move 1.
  void Clear();
  void AddPiece(int piece, Square square) {
    const Bitboard mask = MaskOf(square);
    if (!(bitboards[piece] & mask)) ToggleHashes(piece, square);
    bitboards[piece] |= mask;
    bitboards[ALL_WHITE + piece % 2] |= mask;
    material[piece % 2] += PieceValue[static_cast<std::size_t>(piece)];
    if (piece <= BP) pawnCount[piece] += 1;
  }
  // Only for a piece that stands there: exclusive-or would put an absent piece there.
  void RemovePiece(int piece, Square square) {
    const Bitboard mask = MaskOf(square);
    ToggleHashes(piece, square);
    bitboards[piece] ^= mask;
    bitboards[ALL_WHITE + piece % 2] ^= mask;
    material[piece % 2] -= PieceValue[static_cast<std::size_t>(piece)];
    pawnCount[piece % 2] -= piece <= BP;  // without a branch: captures take every kind
  }

  // The white (black) piece on the square, tested king first, or NO_PIECE.
  int WhitePieceAt(Square square) const { return PieceOf<WHITE>(square); }
  int BlackPieceAt(Square square) const { return PieceOf<BLACK>(square); }
  // The kind (KIND_*) on the square and its colour; 12 and colour -1 for an empty square.
  int PieceAt(Square square, int* color) const;

  Bitboard Occupied() const { return bitboards[ALL_WHITE] | bitboards[ALL_BLACK]; }

  bool MakeMove(const Move* move);
  void SetCastlePath(Color color, Bitboard squares);
  // Removes the colour's castling path from its king and colour sets again.
  void RemoveCastlePath(Color color) {
    if (castlePath[color]) TakeOffCastlePath(color);
  }
  void RemoveCastlePaths() {
    RemoveCastlePath(WHITE);
    RemoveCastlePath(BLACK);
  }

  // Position hash values: piece placement only (not side to move, castling or en passant).
  std::int64_t HashKey() const { return static_cast<std::int32_t>(hashKey); }
  std::uint32_t HashLock() const { return hashLock; }
  // Both at once, for the search, which needs both at every node.
  void Hashes(std::int64_t& key, std::uint32_t& lock) const {
    key = HashKey();
    lock = hashLock;
  }
  // HashKey's value after MakeMove(&move), without making it: exact for the generated moves but
  // castling, for which the castling path is left out. For fetching table entries ahead.
  std::int64_t HashKeyAfter(const Move& move) const {
    std::uint32_t key = hashKey ^ KeyOf(move.piece, move.from) ^ KeyOf(move.piece, move.to);
    if (move.flags != MOVE_NORMAL) key ^= KeyChangeBeyondTheMover(move);
    return static_cast<std::int32_t>(key);
  }
  // Both worked out from all pieces, whatever the kept values say.
  void ComputeHashes(std::uint32_t& key, std::uint32_t& lock) const;
  // Sets the kept values from all pieces, after the piece sets were written directly.
  void RefreshHashes() { ComputeHashes(hashKey, hashLock); }

 private:
  void TakeOffCastlePath(Color color);
  // En passant square, castling rights, side to move and move number after a move.
  void FinishMove(int piece, Square from, Square to);

  template <Color C>
  int PieceOf(Square square) const {
    if (!((bitboards[ALL_WHITE + C] >> square) & 1)) return NO_PIECE;
    // One bit per kind on the square, ranked so that the highest bit is the first kind tested:
    // king, queen, rook, knight, bishop, pawn.
    const auto on = [&](int piece, int rank) {
      return static_cast<unsigned>((bitboards[piece] >> square) & 1) << rank;
    };
    const unsigned present = on(WP + C, 0) | on(WB + C, 1) | on(WN + C, 2) | on(WR + C, 3) |
                             on(WQ + C, 4) | on(WK + C, 5);
    constexpr int byRank[6] = {WP, WB, WN, WR, WQ, WK};
    return present ? byRank[std::bit_width(present) - 1] + C : NO_PIECE;
  }

  // The key value of a piece on a square; 0 for no piece. Any arguments stay inside the table.
  static std::uint32_t KeyOf(int piece, Square square) {
    return PaddedKeys[PieceSquareIndex(piece, square, true) % PaddedKeys.size()];
  }
  static constexpr std::array<std::uint32_t, 1024> PaddedKeys = [] {
    std::array<std::uint32_t, 1024> keys{};
    for (std::size_t i = 0; i < HashKeys.size(); ++i) keys[i] = HashKeys[i];
    return keys;
  }();
  // What a capture, an en passant capture and a promotion change besides the moving piece.
  static std::uint32_t KeyChangeBeyondTheMover(const Move& move) {
    std::uint32_t change = 0;
    if (move.flags & MOVE_CAPTURE) change ^= KeyOf(move.captured, move.to);
    if (move.flags & MOVE_EN_PASSANT)
      change ^= KeyOf(move.captured, move.piece == WP ? move.to + 8 : move.to - 8);
    if (move.flags >= PROMOTE_KNIGHT) {
      const int promotion = move.flags & PROMOTION_MASK;
      const int kind = promotion == PROMOTE_QUEEN    ? WQ
                       : promotion == PROMOTE_ROOK   ? WR
                       : promotion == PROMOTE_BISHOP ? WB
                                                     : WN;
      change ^= KeyOf(move.piece, move.to) ^ KeyOf(kind + move.piece % 2, move.to);
    }
    return change;
  }
  // A piece of that kind enters or leaves the square.
  void ToggleHashes(int piece, Square square) {
    hashKey ^= HashKeyOf(piece, square);
    hashLock ^= HashLockOf(piece, square);
  }
};
