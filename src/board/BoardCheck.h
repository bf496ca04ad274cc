// What every position the program plays must satisfy: the checks of a stored position, and of
// the board after every move in a debug build.
#pragma once

#include "board/Board.h"

// Whether the parts of the position agree with each other (castling paths aside): every square
// holds at most one piece, the colour sets, material and pawn counts follow from the pieces,
// every castling right has its king and rook at home, and an en-passant
// square lies right behind a pawn of the side not to move.
bool PiecesAgree(const Board& board);

// Whether the hash values kept move by move are those of the pieces.
bool HashesAgree(const Board& board);
