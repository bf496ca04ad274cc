#include "board/Fen.h"

#include <bit>
#include <charconv>
#include <sstream>
#include <string_view>
#include <vector>

#include "board/MoveList.h"

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
  struct Right {
    char letter;
    int index;
    int king;
    Square kingSquare;
    int rook;
    Square rookSquare;
  };
  static constexpr Right rights[4] = {{'K', 0, WK, 60, WR, 63},
                                      {'k', 1, BK, 4, BR, 7},
                                      {'Q', 2, WK, 60, WR, 56},
                                      {'q', 3, BK, 4, BR, 0}};
  for (char ch : field) {
    const Right* right = nullptr;
    for (const Right& r : rights)
      if (r.letter == ch) right = &r;
    if (!right || board.castleRights[right->index]) {
      error = "the castling field must be '-' or each of K, Q, k, q at most once";
      return false;
    }
    // Generation trusts a castling right to mean that king and rook stand on their squares.
    if (!(board.bitboards[right->king] & MaskOf(right->kingSquare)) ||
        !(board.bitboards[right->rook] & MaskOf(right->rookSquare))) {
      error =
          std::string("castling right '") + ch + "' needs its king and rook on their start squares";
      return false;
    }
    board.castleRights[right->index] = true;
  }
  return true;
}

bool ReadEnPassant(const std::string& field, Board& board, std::string& error) {
  if (field == "-") return true;
  const Square square =
      field.size() == 2 && field[0] >= 'a' && field[0] <= 'h' && field[1] >= '1' && field[1] <= '8'
          ? SquareAt(field[0] - 'a', field[1] - '0')
          : -1;
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

bool ReadFen(const std::string& fen, Board& board, std::string& error) {
  std::istringstream in(fen);
  std::vector<std::string> fields;
  for (std::string field; in >> field;) fields.push_back(field);
  if (fields.size() < 4 || fields.size() > 6) {
    error = "a FEN has four to six fields, not " + std::to_string(fields.size());
    return false;
  }

  Board position;
  for (Bitboard& set : position.bitboards) set = 0;
  position.material[WHITE] = position.material[BLACK] = 0;
  position.pawnCount[WHITE] = position.pawnCount[BLACK] = 0;
  for (bool& right : position.castleRights) right = false;

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

  Board probe = position;
  MoveList moves;
  if (!moves.Generate(probe) && moves.LastFailure() == GenerationFailure::KING_CAPTURE) {
    error = "the side that has just moved is in check";
    return false;
  }
  position.RefreshHashes();
  board = position;
  return true;
}
