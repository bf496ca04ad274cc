// Standard algebraic notation, as players write moves: "Nf3", "Nbd2", "exd5", "O-O", "e8=Q+".
#pragma once

#include <string>
#include <vector>

#include "board/Board.h"
#include "board/Move.h"

// The SAN of `move`, a legal move of `board`: the piece letter, the least file, rank or square
// that tells it from another piece of its kind reaching the same square, "x" for a capture,
// "=Q" for a promotion, "O-O" for castling, and "+" or "#" when it gives check or mate.
std::string SanText(const Board& board, const Move& move);

// What reading a move in SAN found.
enum class SanReading {
  MOVE,       // `move` is the legal move named
  NOT_SAN,    // the text is no SAN move
  ILLEGAL,    // SAN, but no legal move of the side to move fits it
  AMBIGUOUS,  // SAN that fits several legal moves: `candidates` holds them
};

// Reads a move in SAN for `board`: piece moves with and without disambiguation ("Nf3", "Nbd2",
// "R1e2", "Qh4xe1"), pawn moves and captures ("e4", "exd5"), castling ("O-O", "O-O-O", also with
// zeros), promotions ("e8=Q", "e8Q", "exd8=N"); the marks + # ! ? after it are passed over. A
// promotion without its piece ("e8") gives the move without its promotion, for the caller to
// ask for the piece.
SanReading ReadSan(const Board& board, const std::string& text, Move& move,
                   std::vector<Move>& candidates);
