// The rules of chess as the program plays them: which moves are legal, check, how a position
// stands, and a move as coordinate text. Every other part of the program asks here.
//
// Legality is decided by making a generated move on a copy: the move is legal when the other
// side, to move next, cannot capture the mover's king. The king's set includes the castling path
// right after castling, so castling out of or through check is refused by the same test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board/Board.h"
#include "board/Move.h"
#include "board/MoveList.h"

// Generates the replies of `after`, a position just reached by a move; false when that move was
// illegal (the side to move in `after` can capture the other king). The replies are what the
// generation returned, for a caller that goes on searching them.
bool GenerateReplies(Board& after, MoveList& replies);

// Whether `move`, one of the moves generated for `board`, is legal.
bool IsLegal(const Board& board, const Move& move);
// Whether `move` is one of the moves generated for `board` and legal there.
bool IsLegalMove(const Board& board, const Move& move);
// Whether one of `moves` (generated for `board`) is legal.
bool HasPlayableMove(const Board& board, const MoveList& moves);
// Whether the side to move has a legal move.
bool HasLegalMove(const Board& board);
// The first legal move in generation order; false when there is none.
bool FirstLegalMove(const Board& board, Move& move);
// Every legal move of the side to move, in generation order.
std::vector<Move> LegalMoves(const Board& board);

// Whether the side to move could capture the other side's king: the side that has just moved
// left it in check, which no game allows. Every reader of positions refuses such a position.
bool KingCanBeTaken(const Board& board);
// Whether the side to move is in check.
bool InCheck(const Board& board);

// Plays a move in a game: makes it and takes the castling path off the board again. The path
// counts as the king's only for the legality of the move that made it, judged on a copy before
// the move is played; the position of a game never keeps it.
void PlayMove(Board& board, const Move& move);

// How a position stands for its side to move.
enum class Standing { PLAY_ON, CHECKMATE, STALEMATE };
Standing StandingOf(const Board& board);

// Whether neither side can ever mate, whatever is played: king against king, king and one
// knight or bishop against king, or kings and bishops only, all bishops on squares of one colour.
bool IsDeadPosition(const Board& board);
// Whether two positions are the same for the repetition rule: the same placement, side to move
// and castling rights, and the same en passant capture possible (a skipped square that no
// pawn can take on does not count).
bool SameForRepetition(const Board& a, const Board& b);
// Whether the move resets the fifty-move count: a capture or a pawn move.
bool IsIrreversible(const Move& move);
// A 64-bit summary of what SameForRepetition compares, but for the en passant square, for the
// search to find repetitions by: positions after a capture or pawn move (the only ones with an
// en passant square) are never compared with earlier ones.
std::uint64_t RepetitionKey(const Board& board);

// A move as coordinate text, as front ends and the move lists read it: "e2e4", castling as the
// king's move "e1g1", a promotion with its lower-case letter "e7e8q".
std::string CoordinateText(const Move& move);
// The legal move of `board` that coordinate text names (either case; a knight promotion as "n"
// or "k"); false for any other text.
bool FindCoordinateMove(const Board& board, const std::string& text, Move& move);

// The line the console shows when a move ends the game on the board ("CHECKMATE - Player
// wins.", "Stalemate - Game is a draw."), or null for any other move.
const char* GameEndLine(const Move& move);
