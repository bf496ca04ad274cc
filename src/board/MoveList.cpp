#include "board/MoveList.h"

#include <algorithm>

#include "board/Attacks.h"
#include "board/MoveTables.h"

namespace {

constexpr Bitboard PAWN_SQUARES =
    0x00FFFFFFFFFFFF00ULL;                          // ranks 2 to 7: pawns elsewhere never move
constexpr Bitboard RANK_7 = 0x000000000000FF00ULL;  // squares 8..15
constexpr Bitboard RANK_2 = 0x00FF000000000000ULL;  // squares 48..55

// One generation run for the side to move `C`. Every helper returns false when it could
// capture the enemy king; the caller stops at once then.
template <Color C, bool CapturesOnly>
class Generator {
 public:
  Generator(const Board& board, MoveList& list)
      : board_(board),
        list_(list),
        own_(board.bitboards[ALL_WHITE + C]),
        enemy_(board.bitboards[ALL_WHITE + (1 - C)]) {}

  GenerationFailure Run() {
    // The queen walks the diagonals first for White and the files and ranks first for Black.
    if constexpr (C == WHITE) {
      if (!Sliders<BishopAttacks>(WQ + C, BishopRays, BishopMask) ||
          !Sliders<RookAttacks>(WQ + C, RookRays, RookMask))
        return GenerationFailure::KING_CAPTURE;
    } else {
      if (!Sliders<RookAttacks>(WQ + C, RookRays, RookMask) ||
          !Sliders<BishopAttacks>(WQ + C, BishopRays, BishopMask))
        return GenerationFailure::KING_CAPTURE;
    }
    const Bitboard king = board_.bitboards[WK + C];
    if (!king) return GenerationFailure::NO_KING;
    if (!Steps(WK + C, LowestSquare(king), KingMoves, KingMask))
      return GenerationFailure::KING_CAPTURE;
    if constexpr (!CapturesOnly) Castling();
    if (!Sliders<RookAttacks>(WR + C, RookRays, RookMask) ||
        !Sliders<BishopAttacks>(WB + C, BishopRays, BishopMask))
      return GenerationFailure::KING_CAPTURE;
    for (Bitboard set = board_.bitboards[WN + C]; set; set = WithoutNext(set))
      if (!Steps(WN + C, Next(set), KnightMoves, KnightMask))
        return GenerationFailure::KING_CAPTURE;
    Pawns();
    if (pawnTakesKing_) return GenerationFailure::KING_CAPTURE;
    return list_.Empty() ? GenerationFailure::NO_MOVES : GenerationFailure::NONE;
  }

 private:
  static constexpr int ENEMY_KING = BK - C;
  static constexpr int ENEMY_PAWN = BP - C;

  // White visits its pieces from square 63 down, Black from square 0 up.
  static Square Next(Bitboard set) { return C == WHITE ? HighestSquare(set) : LowestSquare(set); }
  static Bitboard WithoutNext(Bitboard set) {
    return C == WHITE ? set ^ MaskOf(HighestSquare(set)) : set & (set - 1);
  }

  int EnemyAt(Square square) const {
    return C == WHITE ? board_.BlackPieceAt(square) : board_.WhitePieceAt(square);
  }

  void Add(int piece, int captured, Square from, Square to, int flags) {
    list_.Add(Move{piece, captured, from, to, flags, -1, -1, -1});
  }

  // A capture on a square the enemy holds: false when it is the enemy king.
  bool Capture(int piece, Square from, Square to) {
    const int captured = EnemyAt(to);
    if (captured == ENEMY_KING) return false;
    Add(piece, captured, from, to, MOVE_CAPTURE);
    return true;
  }

  // A move onto `to`: false when it would capture the enemy king.
  bool Target(int piece, Square from, Square to) {
    const Bitboard mask = MaskOf(to);
    if (own_ & mask) return true;
    if (enemy_ & mask) {
      const int captured = EnemyAt(to);
      if (captured == ENEMY_KING) return false;
      Add(piece, captured, from, to, MOVE_CAPTURE);
    } else if (!CapturesOnly) {
      Add(piece, NO_PIECE, from, to, MOVE_NORMAL);
    }
    return true;
  }

  bool Steps(int piece, Square from, const std::array<SquareList, 64>& table,
             const std::array<Bitboard, 64>& masks) {
    // Only captures are wanted: a piece without any skips its list.
    if constexpr (CapturesOnly) {
      const Bitboard targets = masks[static_cast<std::size_t>(from)] & enemy_;
      if (!targets) return true;
      // A single capture needs no order.
      if (!(targets & (targets - 1))) return Capture(piece, from, LowestSquare(targets));
    }
    const SquareList& list = table[static_cast<std::size_t>(from)];
    for (int i = 0; i < list.count; ++i)
      if (!Target(piece, from, list.squares[i])) return false;
    return true;
  }

  // A slider's moves ray by ray, in the table's order. For captures alone, the attack set
  // names each ray's capture at once: a ray holds at most one attacked square.
  template <Bitboard (*Attacks)(Square, Bitboard)>
  bool Sliders(int piece, const std::array<RaySet, 64>& table,
               const std::array<Bitboard, 64>& reach) {
    for (Bitboard set = board_.bitboards[piece]; set; set = WithoutNext(set)) {
      const Square from = Next(set);
      const RaySet& rays = table[static_cast<std::size_t>(from)];
      if constexpr (CapturesOnly) {
        // The lines on an empty board first: most pieces see no enemy at all.
        if (!(reach[static_cast<std::size_t>(from)] & enemy_)) continue;
        const Bitboard targets = Attacks(from, own_ | enemy_) & enemy_;
        if (!targets) continue;
        if (!(targets & (targets - 1))) {
          if (!Capture(piece, from, LowestSquare(targets))) return false;
          continue;
        }
        for (int r = 0; r < rays.count; ++r) {
          const Bitboard target = targets & rays.rays[r].mask;
          if (target && !Capture(piece, from, LowestSquare(target))) return false;
        }
        continue;
      }
      for (int r = 0; r < rays.count; ++r) {
        const Ray& ray = rays.rays[r];
        for (int i = 0; i < ray.length; ++i) {
          const Square to = ray.squares[i];
          const Bitboard mask = MaskOf(to);
          if (own_ & mask) break;
          if (enemy_ & mask) {
            const int captured = EnemyAt(to);
            if (captured == ENEMY_KING) return false;
            Add(piece, captured, from, to, MOVE_CAPTURE);
            break;
          }
          Add(piece, NO_PIECE, from, to, MOVE_NORMAL);
        }
      }
    }
    return true;
  }

  // The rights and the empty squares alone decide; a right is only ever set while that king
  // and that rook stand on their start squares. Castling out of or through check is refused
  // afterwards by the castling path.
  void Castling() {
    const Bitboard occupied = own_ | enemy_;
    const Square kingFrom = C == WHITE ? 60 : 4;
    if (board_.castleRights[ShortCastling(C)] && !(occupied & CASTLE_SHORT_EMPTY[C]))
      Add(WK + C, NO_PIECE, kingFrom, kingFrom + 2, MOVE_CASTLE_SHORT);
    if (board_.castleRights[LongCastling(C)] && !(occupied & CASTLE_LONG_EMPTY[C]))
      Add(WK + C, NO_PIECE, kingFrom, kingFrom - 2, MOVE_CASTLE_LONG);
  }

  void Pawns() {
    constexpr int piece = WP + C;
    constexpr int forward = C == WHITE ? -8 : 8;
    constexpr int east = C == WHITE ? -7 : 9;
    constexpr int west = C == WHITE ? -9 : 7;
    constexpr Bitboard promotionFrom = C == WHITE ? RANK_7 : RANK_2;
    constexpr Bitboard doubleStepFrom = C == WHITE ? RANK_2 : RANK_7;
    const Bitboard occupied = own_ | enemy_;

    Bitboard pawns = board_.bitboards[piece] & PAWN_SQUARES;
    if constexpr (CapturesOnly) {
      // Only the pawns with something to take on either diagonal.
      const Bitboard targets = enemy_ | board_.enPassant;
      if constexpr (C == WHITE) {
        pawns &= ((targets << 7) & ~FILE_H) | ((targets << 9) & ~FILE_A);
      } else {
        pawns &= ((targets >> 9) & ~FILE_H) | ((targets >> 7) & ~FILE_A);
      }
    }
    for (Bitboard set = pawns; set; set = WithoutNext(set)) {
      const Square s = Next(set);
      if constexpr (!CapturesOnly) {
        const Square t = s + forward;
        if (!(occupied & MaskOf(t))) {
          if (promotionFrom & MaskOf(s)) {
            for (int promotion : {PROMOTE_QUEEN, PROMOTE_KNIGHT, PROMOTE_ROOK, PROMOTE_BISHOP})
              Add(piece, NO_PIECE, s, t, promotion);
          } else {
            Add(piece, NO_PIECE, s, t, MOVE_NORMAL);
            if ((doubleStepFrom & MaskOf(s)) && !(occupied & MaskOf(t + forward)))
              Add(piece, NO_PIECE, s, t + forward, MOVE_NORMAL);
          }
        }
      }
      const int file = FileOf(s);
      if (file != 7) PawnCapture(s, s + east);
      if (file != 0) PawnCapture(s, s + west);
    }
  }

  void PawnCapture(Square from, Square to) {
    constexpr int piece = WP + C;
    const Bitboard mask = MaskOf(to);
    if (enemy_ & mask) {
      const int captured = EnemyAt(to);
      if (captured == ENEMY_KING) pawnTakesKing_ = true;  // the list is refused once complete
      const bool lastRank = C == WHITE ? to < 8 : to >= 56;
      if (lastRank) {
        for (int promotion : {PROMOTE_QUEEN, PROMOTE_KNIGHT, PROMOTE_BISHOP, PROMOTE_ROOK})
          Add(piece, captured, from, to, MOVE_CAPTURE + promotion);
      } else {
        Add(piece, captured, from, to, MOVE_CAPTURE);
      }
    } else if (board_.enPassant & mask) {
      Add(piece, ENEMY_PAWN, from, to, MOVE_EN_PASSANT);
    }
  }

  const Board& board_;
  MoveList& list_;
  const Bitboard own_;
  const Bitboard enemy_;
  bool pawnTakesKing_ = false;
};

template <bool CapturesOnly>
GenerationFailure GenerateFor(const Board& board, MoveList& list) {
  return board.sideToMove == WHITE ? Generator<WHITE, CapturesOnly>(board, list).Run()
                                   : Generator<BLACK, CapturesOnly>(board, list).Run();
}

}  // namespace

MoveList& MoveList::operator=(const MoveList& other) {
  if (this == &other) return *this;
  size_ = 0;
  for (const Move& move : other) Add(move);
  cursor_ = other.cursor_;
  failure_ = other.failure_;
  return *this;
}

void MoveList::Grow() {
  const int capacity = capacity_ * 2;
  auto grown = std::make_unique<Move[]>(static_cast<std::size_t>(capacity));
  std::copy(data_, data_ + size_, grown.get());
  heap_ = std::move(grown);
  data_ = heap_.get();
  capacity_ = capacity;
}

template <bool CapturesOnly>
bool MoveList::Run(Board& board) {
  Clear();
  board.RemoveCastlePath(board.sideToMove);
  failure_ = GenerateFor<CapturesOnly>(board, *this);
  return failure_ == GenerationFailure::NONE;
}

bool MoveList::Generate(Board& board) { return Run<false>(board); }

bool MoveList::GenerateCaptures(Board& board) { return Run<true>(board); }

bool MoveList::Select(Board& board, int from, int to) {
  Generate(board);
  return Find(from, to) != nullptr;
}

Move* MoveList::Find(int from, int to) {
  for (cursor_ = 0; cursor_ < size_; ++cursor_)
    if (data_[cursor_].from == from && data_[cursor_].to == to) return data_ + cursor_;
  return nullptr;
}

bool MoveList::Contains(const Move& move) {
  for (cursor_ = 0; cursor_ < size_; ++cursor_)
    if (data_[cursor_] == move) return true;
  return false;
}

std::string MoveList::Lines() const {
  std::string lines;
  for (const Move& move : *this) lines += move.Line();
  return lines;
}
