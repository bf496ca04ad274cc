// The board as the console shows it, and the hand-written text position file.
#pragma once

#include <string>

#include "board/Board.h"

// The board picture: eight ranks between file rulers, then "NEXT MOVE( n ): WHITE"; every line
// with its line end. Right after castling the squares a king crossed show as empty.
std::string BoardPicture(const Board& board);
// The compact board: eight ranks of FEN letters (White's in capitals, "." for an empty square)
// seen from `side`'s end of the board, the files' letters below, then the side to move; every
// line with its line end. Ten lines in all, for a terminal of 24.
std::string CompactBoardPicture(const Board& board, Color side);

// How reading a text position file ended.
enum class TextPositionStatus {
  READ,        // the board holds the position; bad lines were skipped and counted
  UNREADABLE,  // the file is no regular file, cannot be opened or read, or is too long: the
               // board is unchanged
  NO_KING,     // a side has no king: the program cannot go on (exit status -1)
  SIDE_NOT_TO_MOVE_IN_CHECK,  // the side that has just moved is in check (exit status 1)
};

// Reads a hand-written position file ("wk e1", "?b", "# comment") into `board`. `messages` gets
// the lines the console shows about it: each bad square, each pawn on the first or the last rank
// (with its line), the count of bad lines and, for the last two statuses, why the position
// cannot be played. A file that cannot be opened gives no
// message.
TextPositionStatus ReadTextPosition(const std::string& fileName, Board& board,
                                    std::string& messages);
