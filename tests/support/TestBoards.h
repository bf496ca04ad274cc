// Positions and move texts for tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/Board.h"
#include "board/Fen.h"
#include "board/MoveList.h"

inline Board FromFen(const std::string& fen) {
  Board board;
  std::string error;
  EXPECT_TRUE(ReadFen(fen, board, error)) << fen << ": " << error;
  return board;
}

inline Square At(const char* coord) { return (coord[0] - 'a') + 8 * ('8' - coord[1]); }

// "e2e4" for every move of the list, in order.
inline std::vector<std::string> MoveTexts(const MoveList& list) {
  std::vector<std::string> texts;
  for (const Move& move : list) {
    std::string text;
    Board::SquareToCoord(move.from, move.to, text);
    texts.push_back(text);
  }
  return texts;
}

// The generated move from -> to with the given flags; fails the test when there is none.
inline Move GeneratedMove(Board board, const char* from, const char* to, int flags = -1) {
  MoveList list;
  list.Generate(board);
  for (const Move& move : list)
    if (move.from == At(from) && move.to == At(to) && (flags < 0 || move.flags == flags)) return move;
  ADD_FAILURE() << "no generated move " << from << to;
  return Move{};
}

// Makes the generated move from -> to (with the given flags, when given) on the board.
inline void Play(Board& board, const char* from, const char* to, int flags = -1) {
  const Move move = GeneratedMove(board, from, to, flags);
  board.MakeMove(&move);
}

// Makes moves given as "e2e4" texts.
inline void Play(Board& board, std::initializer_list<const char*> moves) {
  for (const char* move : moves) Play(board, std::string(move, 2).c_str(), move + 2);
}
