#include "board/Rules.h"

#include <algorithm>
#include <bit>
#include <string_view>

#include "board/Exchange.h"
#include "board/SquareText.h"

bool GenerateReplies(Board& after, MoveList& replies) {
  return replies.Generate(after) || replies.LastFailure() != GenerationFailure::KING_CAPTURE;
}

bool IsLegal(const Board& board, const Move& move) {
  Board after = board;
  after.MakeMove(&move);
  MoveList replies;
  return GenerateReplies(after, replies);
}

bool IsLegalMove(const Board& board, const Move& move) {
  Board position = board;
  MoveList moves;
  return moves.Generate(position) && moves.Contains(move) && IsLegal(position, move);
}

bool HasPlayableMove(const Board& board, const MoveList& moves) {
  for (const Move& move : moves)
    if (IsLegal(board, move)) return true;
  return false;
}

bool HasLegalMove(const Board& board) {
  Board position = board;
  MoveList moves;
  return moves.Generate(position) && HasPlayableMove(position, moves);
}

void PlayMove(Board& board, const Move& move) {
  board.MakeMove(&move);
  board.RemoveCastlePaths();
}

std::vector<Move> LegalMoves(const Board& board) {
  Board position = board;
  MoveList moves;
  std::vector<Move> legal;
  if (!moves.Generate(position)) return legal;
  for (const Move& move : moves)
    if (IsLegal(position, move)) legal.push_back(move);
  return legal;
}

bool FirstLegalMove(const Board& board, Move& move) {
  Board position = board;
  MoveList moves;
  if (!moves.Generate(position)) return false;
  for (const Move& candidate : moves) {
    if (IsLegal(position, candidate)) {
      move = candidate;
      return true;
    }
  }
  return false;
}

namespace {

// Whether `by` attacks the other side's king, when the position lets the attackers of the
// king's square answer for the generation (one king a side, no castling path): 1 or 0, and
// -1 when it does not.
int KingAttackedBy(const Board& board, Color by) {
  const Bitboard kings = board.bitboards[WK + (1 - by)];
  if ((board.castlePath[WHITE] | board.castlePath[BLACK]) != 0 || std::popcount(kings) != 1 ||
      std::popcount(board.bitboards[WK + by]) != 1)
    return -1;
  return AttackersOf(board, by, LowestSquare(kings), board.Occupied()) != 0 ? 1 : 0;
}

}  // namespace

bool KingCanBeTaken(const Board& board) {
  const int attacked = KingAttackedBy(board, board.sideToMove);
  if (attacked >= 0) return attacked == 1;
  Board probe = board;
  MoveList moves;
  return !moves.Generate(probe) && moves.LastFailure() == GenerationFailure::KING_CAPTURE;
}

bool InCheck(const Board& board) {
  const int attacked = KingAttackedBy(board, 1 - board.sideToMove);
  if (attacked >= 0) return attacked == 1;
  Board turned = board;
  turned.sideToMove = 1 - turned.sideToMove;
  return KingCanBeTaken(turned);
}

Standing StandingOf(const Board& board) {
  if (HasLegalMove(board)) return Standing::PLAY_ON;
  return InCheck(board) ? Standing::CHECKMATE : Standing::STALEMATE;
}

bool IsDeadPosition(const Board& board) {
  const Bitboard* sets = board.bitboards;
  if (sets[WP] | sets[BP] | sets[WR] | sets[BR] | sets[WQ] | sets[BQ]) return false;
  const Bitboard knights = sets[WN] | sets[BN];
  const Bitboard bishops = sets[WB] | sets[BB];
  const int minors = std::popcount(knights | bishops);
  if (minors <= 1) return true;
  constexpr Bitboard DARK_SQUARES = 0x55AA55AA55AA55AAULL;  // a1 is dark
  return knights == 0 && ((bishops & DARK_SQUARES) == 0 || (bishops & ~DARK_SQUARES) == 0);
}

namespace {

// The en passant square when a pawn of the side to move can take there legally, else 0.
Bitboard UsableEnPassant(const Board& board) {
  if (!board.enPassant) return 0;
  Board position = board;
  MoveList moves;
  if (!moves.Generate(position)) return 0;
  for (const Move& move : moves)
    if (move.Kind() == MOVE_EN_PASSANT && IsLegal(position, move)) return board.enPassant;
  return 0;
}

}  // namespace

bool SameForRepetition(const Board& a, const Board& b) {
  for (int piece = WP; piece <= BK; ++piece) {
    // A castling path still on a board is no piece.
    const Color color = piece % 2;
    const Bitboard pathA = piece >= WK ? a.castlePath[color] : 0;
    const Bitboard pathB = piece >= WK ? b.castlePath[color] : 0;
    if ((a.bitboards[piece] & ~pathA) != (b.bitboards[piece] & ~pathB)) return false;
  }
  return a.sideToMove == b.sideToMove &&
         std::equal(a.castleRights, a.castleRights + 4, b.castleRights) &&
         UsableEnPassant(a) == UsableEnPassant(b);
}

bool IsIrreversible(const Move& move) {
  return move.Kind() == MOVE_CAPTURE || move.Kind() == MOVE_EN_PASSANT || move.piece == WP ||
         move.piece == BP;
}

std::uint64_t RepetitionKey(const Board& board) {
  // The hashes count a castling path as king squares: a copy without it gives the placement.
  std::uint64_t key = std::uint64_t{board.hashLock} << 32 | board.hashKey;
  if (board.castlePath[WHITE] | board.castlePath[BLACK]) {
    Board placed = board;
    placed.RemoveCastlePaths();
    key = std::uint64_t{placed.hashLock} << 32 | placed.hashKey;
  }
  // Side to move and castling rights, spread over the word by odd constants.
  constexpr std::uint64_t SIDE = 0x9E3779B97F4A7C15ULL;
  constexpr std::uint64_t RIGHT[4] = {0xC2B2AE3D27D4EB4FULL, 0x165667B19E3779F9ULL,
                                      0xD6E8FEB86659FD93ULL, 0xFF51AFD7ED558CCDULL};
  if (board.sideToMove == BLACK) key ^= SIDE;
  for (int right = 0; right < 4; ++right)
    if (board.castleRights[right]) key ^= RIGHT[right];
  return key;
}

std::string CoordinateText(const Move& move) {
  const auto onBoard = [](int square) { return square >= 0 && square < 64; };
  std::string text;
  if (onBoard(move.from) && onBoard(move.to)) text = SquareName(move.from) + SquareName(move.to);
  return text + move.PromotionLetter();
}

bool FindCoordinateMove(const Board& board, const std::string& text, Move& move) {
  std::string coords;
  for (char c : text) coords += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  if (coords.size() != 4 && coords.size() != 5) return false;
  const Square from = ParseSquare(std::string_view(coords).substr(0, 2));
  const Square to = ParseSquare(std::string_view(coords).substr(2, 2));
  int promotion = 0;
  if (coords.size() == 5) {
    // In the protocols "k" is a king, which no pawn becomes.
    const char letter = coords[4];
    const PromotionPiece* piece = letter >= 'a' ? PromotionOfLetter(letter) : nullptr;
    promotion = piece ? piece->flag : -1;
  }
  if (from < 0 || to < 0 || promotion < 0) return false;

  Board position = board;
  MoveList moves;
  if (!moves.Generate(position)) return false;
  for (const Move& candidate : moves) {
    if (candidate.from == from && candidate.to == to && candidate.Promotion() == promotion &&
        IsLegal(position, candidate)) {
      move = candidate;
      return true;
    }
  }
  return false;
}

const char* GameEndLine(const Move& move) {
  switch (move.flags & KIND_MASK) {
    case MOVE_STALEMATE:
      return "Stalemate - Game is a draw.";
    case MOVE_CHECKMATE:
      return "CHECKMATE - Player wins.";
    default:
      return nullptr;
  }
}
