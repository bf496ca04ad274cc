#include "board/Fen.h"

#include <bit>
#include <charconv>
#include <sstream>
#include <string_view>
#include <utility>
#include <vector>

#include "board/Castling.h"
#include "board/Rules.h"
#include "board/SquareText.h"

namespace {

constexpr std::string_view PIECE_LETTERS = "PpNnBbRrQqKk";  // index = piece code

bool ReadPlacement(const std::string& field, Board& board, std::string& error) {
  int rank = 8, file = 0;
  for (char ch : field) {
    if (ch == '/') {
      if (file != 8 || rank == 1) {
        error = "the placement must have eight ranks of eight squares";
        return false;
      }
      --rank;
      file = 0;
    } else if (ch >= '1' && ch <= '8') {
      file += ch - '0';
      if (file > 8) break;
    } else if (const auto piece = PIECE_LETTERS.find(ch); piece != std::string_view::npos) {
      if (file >= 8) {
        file = 9;
        break;
      }
      board.AddPiece(static_cast<int>(piece), SquareAt(file, rank));
      ++file;
    } else {
      error = std::string("unknown piece letter '") + ch + "' in the placement";
      return false;
    }
  }
  if (rank != 1 || file != 8) {
    error = "the placement must have eight ranks of eight squares";
    return false;
  }
  constexpr Bitboard firstAndLastRank = 0xFF000000000000FFULL;
  if ((board.bitboards[WP] | board.bitboards[BP]) & firstAndLastRank) {
    error = "a pawn stands on the first or the last rank";
    return false;
  }
  if (std::popcount(board.bitboards[WK]) != 1 || std::popcount(board.bitboards[BK]) != 1) {
    error = "each side must have exactly one king";
    return false;
  }
  return true;
}

bool ReadCastling(const std::string& field, Board& board, std::string& error) {
  if (field == "-") return true;
  for (char ch : field) {
    int right = 0;
    while (right < 4 && CASTLING[right].letter != ch) ++right;
    if (right == 4 || board.castleRights[right]) {
      error = "the castling field must be '-' or each of K, Q, k, q at most once";
      return false;
    }
    // Generation trusts a castling right to mean that king and rook stand on their squares.
    const Color color = right % 2;
    if (!(board.bitboards[WK + color] & MaskOf(CASTLING[right].king)) ||
        !(board.bitboards[WR + color] & MaskOf(CASTLING[right].rook))) {
      error =
          std::string("castling right '") + ch + "' needs its king and rook on their start squares";
      return false;
    }
    board.castleRights[right] = true;
  }
  return true;
}

bool ReadEnPassant(const std::string& field, Board& board, std::string& error) {
  if (field == "-") return true;
  const Square square = ParseSquare(field);
  // The skipped square lies behind the pawn that has just made its double step.
  const bool whiteToMove = board.sideToMove == WHITE;
  const int expectedRank = whiteToMove ? 6 : 3;
  const Square pawnSquare = whiteToMove ? square + 8 : square - 8;
  const int pawn = whiteToMove ? BP : WP;
  if (square < 0 || field[1] - '0' != expectedRank || (board.Occupied() & MaskOf(square)) ||
      !(board.bitboards[pawn] & MaskOf(pawnSquare))) {
    error = "the en-passant square '" + field +
            "' is not behind a pawn that has just made a double step";
    return false;
  }
  board.enPassant = MaskOf(square);
  return true;
}

bool ReadCounter(const std::string& field, int minimum, int maximum, int& value) {
  const char* end = field.data() + field.size();
  const auto [ptr, ec] = std::from_chars(field.data(), end, value);
  return ec == std::errc() && ptr == end && value >= minimum && value <= maximum;
}

}  // namespace

bool ReadFen(const std::string& fen, Board& board, std::string& error, int* halfMoveClock) {
  std::istringstream in(fen);
  std::vector<std::string> fields;
  for (std::string field; in >> field;) fields.push_back(field);
  if (fields.size() < 4 || fields.size() > 6) {
    error = "a FEN has four to six fields, not " + std::to_string(fields.size());
    return false;
  }

  Board position;
  position.Clear();

  if (!ReadPlacement(fields[0], position, error)) return false;
  if (fields[1] != "w" && fields[1] != "b") {
    error = "the side to move must be 'w' or 'b'";
    return false;
  }
  position.sideToMove = fields[1] == "w" ? WHITE : BLACK;
  if (!ReadCastling(fields[2], position, error) || !ReadEnPassant(fields[3], position, error))
    return false;

  int halfMoves = 0, fullMoves = 1;
  if (fields.size() > 4 && !ReadCounter(fields[4], 0, 1000000, halfMoves)) {
    error = "the half-move clock must be a number from 0";
    return false;
  }
  if (fields.size() > 5 && !ReadCounter(fields[5], 1, 1000000, fullMoves)) {
    error = "the move number must be a number from 1";
    return false;
  }
  // The board counts half-moves from 1.
  position.moveNumber = 2 * (fullMoves - 1) + position.sideToMove + 1;

  if (KingCanBeTaken(position)) {
    error = "the side that has just moved is in check";
    return false;
  }
  position.RefreshHashes();
  board = position;
  if (halfMoveClock) *halfMoveClock = halfMoves;
  return true;
}

std::string WriteFen(const Board& position, int halfMoveClock) {
  // Right after castling the king's set still holds the squares it crossed.
  Board board = position;
  board.RemoveCastlePaths();
  std::string fen;
  for (int rank = 8; rank >= 1; --rank) {
    int empty = 0;
    for (int file = 0; file < 8; ++file) {
      const Bitboard mask = MaskOf(SquareAt(file, rank));
      int piece = NO_PIECE;
      for (int p = WP; p <= BK && piece == NO_PIECE; ++p)
        if (board.bitboards[p] & mask) piece = p;
      if (piece == NO_PIECE) {
        ++empty;
        continue;
      }
      if (empty > 0) fen += static_cast<char>('0' + empty);
      empty = 0;
      fen += PIECE_LETTERS[static_cast<std::size_t>(piece)];
    }
    if (empty > 0) fen += static_cast<char>('0' + empty);
    if (rank > 1) fen += '/';
  }
  fen += board.sideToMove == WHITE ? " w " : " b ";
  const std::size_t castlingStart = fen.size();
  for (int right : {CASTLE_WHITE_SHORT, CASTLE_WHITE_LONG, CASTLE_BLACK_SHORT, CASTLE_BLACK_LONG})
    if (board.castleRights[right]) fen += CASTLING[right].letter;
  if (fen.size() == castlingStart) fen += '-';
  fen += ' ';
  if (board.enPassant) {
    fen += SquareName(LowestSquare(board.enPassant));
  } else {
    fen += '-';
  }
  const int fullMoves = (board.moveNumber - 1 - board.sideToMove) / 2 + 1;
  fen += ' ' + std::to_string(halfMoveClock) + ' ' + std::to_string(fullMoves < 1 ? 1 : fullMoves);
  return fen;
}
