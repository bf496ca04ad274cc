// Positions and move texts for tests.
#pragma once

#include <gtest/gtest.h>

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
