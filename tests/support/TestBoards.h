// Positions and move texts for tests.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
#include <string>
#include <vector>

#include "board/Board.h"
#include "board/BoardImage.h"
#include "board/Fen.h"
#include "board/MoveList.h"
#include "board/Perft.h"
#include "board/Rules.h"

inline Board FromFen(const std::string& fen) {
  Board board;
  std::string error;
  EXPECT_TRUE(ReadFen(fen, board, error)) << fen << ": " << error;
  return board;
}

// The position seen from the other side: ranks in reverse order, colours swapped, the other
// side to move, the castling rights and the en passant square mirrored with it.
inline std::string MirroredFen(const std::string& fen) {
  std::istringstream fields(fen);
  std::string placement, side, rights, enPassant;
  fields >> placement >> side >> rights >> enPassant;
  const auto swapCase = [](std::string text) {
    for (char& c : text)
      c = std::isupper(static_cast<unsigned char>(c))
              ? static_cast<char>(std::tolower(static_cast<unsigned char>(c)))
              : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
  };
  std::string mirrored;
  for (std::size_t end = placement.size();;) {
    const std::size_t slash = placement.rfind('/', end - 1);
    const std::size_t begin = slash == std::string::npos ? 0 : slash + 1;
    mirrored += (mirrored.empty() ? "" : "/") + swapCase(placement.substr(begin, end - begin));
    if (slash == std::string::npos) break;
    end = slash;
  }
  if (enPassant != "-") enPassant[1] = static_cast<char>('1' + '8' - enPassant[1]);
  std::string swapped;
  for (const char right : std::string("KQkq"))
    if (swapCase(rights).find(right) != std::string::npos) swapped += right;
  return mirrored + (side == "w" ? " b " : " w ") + (swapped.empty() ? "-" : swapped) + " " +
         enPassant + " 0 1";
}

inline Square At(const char* coord) { return (coord[0] - 'a') + 8 * ('8' - coord[1]); }

// "e2e4" ("e7e8q" for a promotion) for every move of the list, in order.
inline std::vector<std::string> MoveTexts(const MoveList& list) {
  std::vector<std::string> texts;
  for (const Move& move : list) texts.push_back(CoordinateText(move));
  return texts;
}

// The first generated move with the text ("e2e4", "e7e8q"); fails the test when there is none.
inline Move GeneratedMove(Board board, const std::string& text) {
  MoveList list;
  list.Generate(board);
  for (const Move& move : list)
    if (CoordinateText(move).starts_with(text)) return move;
  ADD_FAILURE() << "no generated move " << text;
  return Move{};
}

// Makes the generated moves given as texts.
inline void Play(Board& board, std::initializer_list<const char*> moves) {
  for (const char* text : moves) {
    const Move move = GeneratedMove(board, text);
    board.MakeMove(&move);
  }
}

// Every field equal (padding bytes between the fields do not count).
inline bool SamePosition(const Board& a, const Board& b) { return ToImage(a) == ToImage(b); }

// Calls `visit` on `board` and on every position reached by generated moves, `depth` plies deep.
template <typename Visit>
void ForEachPosition(const Board& board, int depth, const Visit& visit) {
  Board position = board;
  visit(position);
  MoveList moves;
  if (depth == 0 || !moves.Generate(position)) return;
  for (const Move& move : moves) {
    Board next = position;
    next.MakeMove(&move);
    ForEachPosition(next, depth - 1, visit);
  }
}
