#include "board/Rules.h"

#include <string_view>

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

bool KingCanBeTaken(const Board& board) {
  Board probe = board;
  MoveList moves;
  return !moves.Generate(probe) && moves.LastFailure() == GenerationFailure::KING_CAPTURE;
}

bool InCheck(const Board& board) {
  Board turned = board;
  turned.sideToMove = 1 - turned.sideToMove;
  return KingCanBeTaken(turned);
}

Standing StandingOf(const Board& board) {
  if (HasLegalMove(board)) return Standing::PLAY_ON;
  return InCheck(board) ? Standing::CHECKMATE : Standing::STALEMATE;
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
    // "k" is the console's knight.
    const char letter = coords[4] == 'k' ? 'n' : coords[4];
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
