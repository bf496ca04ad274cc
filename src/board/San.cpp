#include "board/San.h"

#include <optional>
#include <string_view>

#include "board/MoveList.h"
#include "board/Rules.h"
#include "board/SquareText.h"

namespace {

constexpr char KIND_LETTERS[] = {'P', 'N', 'B', 'R', 'Q', 'K'};  // by KIND_* / 2

char KindLetter(int piece) { return KIND_LETTERS[piece / 2]; }

bool IsCastling(const Move& move) {
  return move.Kind() == MOVE_CASTLE_SHORT || move.Kind() == MOVE_CASTLE_LONG;
}

bool IsCapture(const Move& move) {
  return move.Kind() == MOVE_CAPTURE || move.Kind() == MOVE_EN_PASSANT;
}

std::vector<Move> LegalMovesOf(const Board& board) {
  std::vector<Move> legal;
  Board position = board;
  MoveList moves;
  if (!moves.Generate(position)) return legal;
  for (const Move& move : moves)
    if (IsLegal(position, move)) legal.push_back(move);
  return legal;
}

// What a SAN text says of its move.
struct SanParts {
  bool castleShort = false;
  bool castleLong = false;
  int kind = KIND_PAWN;
  std::optional<int> fromFile;
  std::optional<int> fromRank;  // 0 for rank 8, as squares count
  Square to = -1;
  int promotion = 0;  // a PROMOTE_* flag, 0 for none
};

std::optional<SanParts> Parse(std::string_view text) {
  while (!text.empty() && std::string_view("+#!?").find(text.back()) != std::string_view::npos)
    text.remove_suffix(1);
  SanParts parts;
  if (text == "O-O" || text == "0-0") {
    parts.castleShort = true;
    return parts;
  }
  if (text == "O-O-O" || text == "0-0-0") {
    parts.castleLong = true;
    return parts;
  }
  if (text.size() >= 2 && std::string_view("NBRQK").find(text.front()) != std::string_view::npos) {
    parts.kind = KindOfLetter(text.front());
    text.remove_prefix(1);
  }
  // A promotion at the end: "=Q" or "Q" after the last rank.
  if (parts.kind == KIND_PAWN && text.size() >= 3) {
    if (const PromotionPiece* piece = PromotionOfLetter(text.back());
        piece != nullptr && text.back() >= 'A' && text.back() <= 'Z') {
      parts.promotion = piece->flag;
      text.remove_suffix(1);
      if (text.back() == '=') text.remove_suffix(1);
    }
  }
  if (text.size() < 2) return std::nullopt;
  parts.to = ParseSquare(text.substr(text.size() - 2));
  if (parts.to < 0 || text[text.size() - 2] < 'a') return std::nullopt;
  text.remove_suffix(2);
  if (!text.empty() && text.back() == 'x') text.remove_suffix(1);
  // What is left names where the piece comes from: a file, a rank, or both.
  if (text.size() > 2) return std::nullopt;
  for (char c : text) {
    if (c >= 'a' && c <= 'h' && !parts.fromFile && !parts.fromRank) {
      parts.fromFile = c - 'a';
    } else if (c >= '1' && c <= '8' && !parts.fromRank) {
      parts.fromRank = '8' - c;
    } else {
      return std::nullopt;
    }
  }
  // A pawn move names its file when it captures, and nothing else.
  if (parts.kind == KIND_PAWN && parts.fromRank) return std::nullopt;
  return parts;
}

bool Fits(const SanParts& parts, const Move& move) {
  if (parts.castleShort || parts.castleLong)
    return move.Kind() == (parts.castleShort ? MOVE_CASTLE_SHORT : MOVE_CASTLE_LONG);
  if (IsCastling(move) || move.piece / 2 * 2 != parts.kind || move.to != parts.to) return false;
  if (parts.fromFile && move.from % 8 != *parts.fromFile) return false;
  if (parts.fromRank && move.from / 8 != *parts.fromRank) return false;
  // A pawn that does not capture stays on its file.
  if (parts.kind == KIND_PAWN && !IsCapture(move) && parts.fromFile) return false;
  if (parts.kind == KIND_PAWN && IsCapture(move) && !parts.fromFile) return false;
  // Without its piece a promotion fits every piece: the reader tells them apart.
  return parts.promotion == 0 || move.Promotion() == parts.promotion;
}

}  // namespace

std::string SanText(const Board& board, const Move& move) {
  std::string text;
  if (IsCastling(move)) {
    text = move.Kind() == MOVE_CASTLE_SHORT ? "O-O" : "O-O-O";
  } else if (move.piece / 2 == KIND_PAWN / 2) {
    if (IsCapture(move)) text = {SquareName(move.from)[0], 'x'};
    text += SquareName(move.to);
    if (const PromotionPiece* promotion = PromotionOfFlags(move.flags)) {
      text += '=';
      text += promotion->letter;
    }
  } else {
    text = KindLetter(move.piece);
    bool sameFile = false, sameRank = false, other = false;
    for (const Move& rival : LegalMovesOf(board)) {
      if (rival.piece != move.piece || rival.to != move.to || rival.from == move.from) continue;
      other = true;
      sameFile = sameFile || rival.from % 8 == move.from % 8;
      sameRank = sameRank || rival.from / 8 == move.from / 8;
    }
    if (other && (!sameFile || sameRank)) text += SquareName(move.from)[0];
    if (other && sameFile) text += SquareName(move.from)[1];
    if (IsCapture(move)) text += 'x';
    text += SquareName(move.to);
  }
  Board after = board;
  after.MakeMove(&move);
  if (InCheck(after)) text += StandingOf(after) == Standing::CHECKMATE ? '#' : '+';
  return text;
}

SanReading ReadSan(const Board& board, const std::string& text, Move& move,
                   std::vector<Move>& candidates) {
  candidates.clear();
  const std::optional<SanParts> parts = Parse(text);
  if (!parts) return SanReading::NOT_SAN;
  for (const Move& legal : LegalMovesOf(board)) {
    // The four promotions of one pawn move are one candidate when no piece was named.
    const bool samePawnMove = !candidates.empty() && candidates.back().from == legal.from &&
                              candidates.back().to == legal.to;
    if (Fits(*parts, legal) && !samePawnMove) candidates.push_back(legal);
  }
  if (candidates.empty()) return SanReading::ILLEGAL;
  if (candidates.size() > 1) return SanReading::AMBIGUOUS;
  move = candidates.front();
  if (parts->promotion == 0) move.flags &= ~PROMOTION_MASK;  // the piece is still to be chosen
  return SanReading::MOVE;
}
