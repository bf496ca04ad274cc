// The printed board and the hand-written text position file.
#include "board/BoardText.h"

#include <fstream>
#include <ostream>
#include <string>

#include "board/Castling.h"
#include "board/Coordinates.h"
#include "board/Fen.h"
#include "board/Rules.h"
#include "board/SquareMask.h"
#include "console/Files.h"

namespace {

// Far more than any hand-written position needs, comments included.
constexpr std::size_t MAX_TEXT_POSITION_SIZE = 1 << 20;

constexpr const char* FILE_RULER = "--A----B----C----D----E----F----G----H---";
constexpr const char* EMPTY_ROW = "|    |    |    |    |    |    |    |    |";

char LowerCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Reads line `number` of a position file into the board; false for a bad line, which is skipped.
// The message of a bad square or of a pawn where no pawn can stand is added to `messages`.
bool LoadLine(Board& board, const std::string& line, int number, std::string& messages) {
  switch (line[0]) {
    case '#':
    case ' ':
      return true;
    case '?':
      // Only the second character counts: "?white" reads as "?w".
      if (line.size() >= 2 && line[1] == 'w') {
        board.sideToMove = WHITE;
      } else if (line.size() >= 2 && line[1] == 'b') {
        board.sideToMove = BLACK;
      } else {
        return false;
      }
      return true;
    case 'w':
    case 'b': {
      // "wk e1": colour, piece, any separator, square.
      const Color color = line[0] == 'w' ? WHITE : BLACK;
      const int kind = line.size() >= 2 ? KindOfLetter(line[1]) : -1;
      if (kind < 0) return false;
      // A longer or shorter square text is refused with the conversion's own message.
      const Square square =
          CoordToSquare(line.size() > 3 ? line.substr(3) : std::string(), messages);
      if (square < 0) return false;
      if (kind == KIND_PAWN && (MaskOf(square) & (RANK_1 | RANK_8)) != 0) {
        messages += "Board::Load() line " + std::to_string(number) + " ( " + line +
                    " ): a pawn cannot stand on the first or the last rank!\n";
        return false;
      }
      if (board.WhitePieceAt(square) != NO_PIECE || board.BlackPieceAt(square) != NO_PIECE) {
        return false;
      }
      board.AddPiece(kind + color, square);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

std::string BoardPicture(const Board& board) {
  std::string text;
  for (int rank = 8; rank >= 1; --rank) {
    text += FILE_RULER;
    text += '\n';
    text += EMPTY_ROW;
    text += '\n';
    text += std::to_string(rank) + ' ';
    for (int file = 0; file < 8; ++file) {
      const Square square = SquareAt(file, rank);
      const Bitboard mask = MaskOf(square);
      int shown = NO_PIECE;
      for (int piece = WP; piece <= BK; ++piece) {
        if (board.bitboards[piece] & mask) {
          shown = piece;
          break;
        }
      }
      // Right after castling the king's start and crossed squares still belong to the king's
      // set; they show as empty, so that only the king's real square carries its label.
      if ((shown == WK && (board.castlePath[WHITE] & mask)) ||
          (shown == BK && (board.castlePath[BLACK] & mask))) {
        shown = NO_PIECE;
      }
      if (file > 0) text += " | ";
      text += PieceLabel[static_cast<std::size_t>(shown)];
    }
    text += ' ' + std::to_string(rank) + '\n';
    text += EMPTY_ROW;
    text += " \n";
  }
  text += FILE_RULER;
  text += '\n';
  text += "NEXT MOVE( " + std::to_string(board.moveNumber) +
          " ): " + (board.sideToMove == WHITE ? "WHITE" : "BLACK") + '\n';
  return text;
}

std::string CompactBoardPicture(const Board& board, Color side) {
  // The placement as FEN has it, rank 8 first, each rank spelt out square by square.
  const std::string fen = WriteFen(board);
  std::string ranks[8];
  int rank = 0;
  for (char c : fen.substr(0, fen.find(' '))) {
    if (c == '/')
      ++rank;
    else if (c >= '1' && c <= '8')
      ranks[rank].append(static_cast<std::size_t>(c - '0'), '.');
    else
      ranks[rank] += c;
  }
  std::string text;
  for (int row = 0; row < 8; ++row) {
    const int shown = side == WHITE ? row : 7 - row;  // index into ranks, 0 for rank 8
    text += std::to_string(8 - shown) + ' ';
    for (int column = 0; column < 8; ++column) {
      text += ' ';
      text += ranks[shown][static_cast<std::size_t>(side == WHITE ? column : 7 - column)];
    }
    text += '\n';
  }
  text += side == WHITE ? "   a b c d e f g h\n" : "   h g f e d c b a\n";
  text += std::string(board.sideToMove == WHITE ? "White" : "Black") + " to move\n";
  return text;
}

TextPositionStatus ReadTextPosition(const std::string& fileName, Board& board,
                                    std::string& messages) {
  // Only a regular file is opened: a FIFO would block the open, and a directory or a device is
  // no position file.
  if (!IsRegularFile(fileName)) return TextPositionStatus::UNREADABLE;
  // Binary mode: a CR LF line end is handled below, so a file written on any system reads alike.
  std::ifstream file(fileName, std::ios::binary);
  if (!file.is_open()) return TextPositionStatus::UNREADABLE;
  // A read that fails (a device error) counts as a file that cannot be opened; the stream
  // reports it in its state and never throws. One byte more than a position file may hold is
  // read to notice a longer one.
  std::string text(MAX_TEXT_POSITION_SIZE + 1, '\0');
  file.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (file.bad()) return TextPositionStatus::UNREADABLE;
  text.resize(static_cast<std::size_t>(file.gcount()));
  file.close();
  if (text.size() > MAX_TEXT_POSITION_SIZE) {
    messages += "Board::Load() " + fileName + " is too long for a position file!\n";
    return TextPositionStatus::UNREADABLE;
  }

  int errors = 0;
  if (text.empty()) ++errors;

  board.Clear();

  for (char& c : text) c = LowerCase(c);

  int lines = 0;
  int number = 0;  // of the line, counting blank ones
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    ++lines;
    if (!LoadLine(board, line, number, messages)) ++errors;
  }
  if (lines == 0) ++errors;

  if (errors > 0) {
    messages += "Board::Load() " + std::to_string(errors) + " errors occured while reading " +
                fileName + "!\n";
  }

  if (board.bitboards[BK] == 0) {
    messages += "Board::Load() Der schwarze Koenig fehlt!!!\n";
    return TextPositionStatus::NO_KING;
  }
  if (board.bitboards[WK] == 0) {
    messages += "Board::Load() Der weisse Koenig fehlt!!!\n";
    return TextPositionStatus::NO_KING;
  }

  // Castling is allowed exactly where king and rook stand on their start squares.
  for (int right = 0; right < 4; ++right) {
    const Color color = right % 2;
    board.castleRights[right] = board.bitboards[WK + color] == MaskOf(CASTLING[right].king) &&
                                (board.bitboards[WR + color] & MaskOf(CASTLING[right].rook)) != 0;
  }

  board.RefreshHashes();

  if (KingCanBeTaken(board)) {
    messages += "Board::Load() " + fileName + ": the side not to move is in check!\n";
    return TextPositionStatus::SIDE_NOT_TO_MOVE_IN_CHECK;
  }
  return TextPositionStatus::READ;
}
