#include "game/HumanPlayer.h"

#include <cctype>
#include <ostream>

#include "board/Coordinates.h"
#include "board/Rules.h"
#include "board/San.h"
#include "console/Console.h"
#include "game/ConsoleInput.h"
#include "game/Game.h"

namespace {

// The argument of a file command: everything after the first blank, leading blanks removed.
std::string Argument(const std::string& line) {
  const auto blank = line.find(' ');
  if (blank == std::string::npos) return "";
  const auto start = line.find_first_not_of(' ', blank);
  return start == std::string::npos ? "" : line.substr(start);
}

void Resign(Move& move) { move.flags = MOVE_RESIGN; }

constexpr const char* HELP =
    "Moves: coordinates (e2e4, e2-e4, e7e8q) or standard notation (Nf3, exd5, O-O, e8=Q).\n"
    "Commands: save FILE, load FILE, back (take back a move pair), hint, help,\n"
    "          new (a new game), resign (also quit, exit).\n";

// Only the first four characters name a command: "resign" is resi, "store" is stor.
bool IsCommand(const std::string& line) {
  if (line.size() < 4) return false;
  const std::string command = line.substr(0, 4);
  for (const char* known : {"load", "save", "stor", "last", "back", "resi", "quit", "exit"})
    if (command == known) return true;
  return false;
}

// Coordinate text as the console has always read it ("e2e4", "e2-e4"), or with a promotion
// letter ("e7e8q").
bool IsCoordinateText(const std::string& line) {
  int from = -1, to = -1;
  std::string error;
  if (CoordToSquares(line, from, to, error)) return true;
  return line.size() == 5 && CoordToSquares(line.substr(0, 4), from, to, error) && line[4] >= 'a' &&
         line[4] <= 'z';
}

std::string WithoutOuterBlanks(const std::string& text) {
  const auto begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

}  // namespace

bool HumanPlayer::ReadInput(const Board& board, Move& move, int& promotion) {
  for (;;) {
    *ConsoleOut << "Your move, " << name << " ( e.g. e2e4 ) ?  " << std::flush;
    promotion = -1;
    std::string typed;
    if (!ReadConsoleLine(typed)) {  // the end of input: the player has left, not resigned
      *ConsoleOut << std::endl;
      CurrentGame->PersonLeft();
      Resign(move);  // ends the turn; the game does not record it
      return true;
    }
    typed = WithoutOuterBlanks(typed);
    std::string line = typed;
    for (char& c : line) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (line == "help" || line == "?") {
      *ConsoleOut << HELP << std::flush;
      continue;
    }
    if (line == "hint") {
      CurrentGame->ShowHint();
      continue;
    }
    // The commands of the game's settings and views, by their first word.
    const std::string word = line.substr(0, line.find(' '));
    const std::string argument = Argument(line);
    if (word == "level" || word == "time" || word == "clock") {
      if (word == "level")
        argument.empty() ? CurrentGame->ShowStrength()
                         : static_cast<void>(CurrentGame->SetStrength(argument));
      if (word == "time")
        argument.empty() ? CurrentGame->ShowTime()
                         : static_cast<void>(CurrentGame->SetMoveTime(argument));
      if (word == "clock")
        argument.empty() ? CurrentGame->ShowTime()
                         : static_cast<void>(CurrentGame->SetGameClock(argument));
      continue;
    }
    if (line == "moves" || line == "fen" || line == "board") {
      if (line == "moves") CurrentGame->ShowMoves();
      if (line == "fen") CurrentGame->ShowFen();
      if (line == "board") CurrentGame->ShowCompactBoard();
      continue;
    }
    if (line == "new") {
      CurrentGame->RequestNewGame();
      Resign(move);  // ends the turn; the game does not record it
      return true;
    }
    if (!IsCommand(line) && !IsCoordinateText(line)) {
      std::vector<Move> candidates;
      Move named;
      switch (ReadSan(board, typed, named, candidates)) {
        case SanReading::MOVE:
          move.from = named.from;
          move.to = named.to;
          if (const PromotionPiece* piece = PromotionOfFlags(named.flags))
            promotion = piece->letter;
          return true;
        case SanReading::AMBIGUOUS: {
          *ConsoleOut << "Ambiguous move " << typed << ": it can be";
          for (std::size_t i = 0; i < candidates.size(); ++i)
            *ConsoleOut << (i == 0 ? " " : ", ") << SanText(board, candidates[i]);
          *ConsoleOut << std::endl;
          return false;
        }
        case SanReading::ILLEGAL:
          *ConsoleOut << "Illegal move: " << typed << std::endl;
          return false;
        case SanReading::NOT_SAN:
          break;
      }
    }
    std::string refused;  // why the plain coordinate form does not apply; not shown here
    if (int from = -1, to = -1;
        line.size() == 5 && IsCoordinateText(line) && !CoordToSquares(line, from, to, refused)) {
      // Coordinate text with its promotion letter: the piece is not asked for.
      CoordToSquares(line.substr(0, 4), move.from, move.to, refused);
      promotion = static_cast<unsigned char>(line[4]);
      return true;
    }
    if (line.size() < 4) {
      *ConsoleOut << "Sorry, no legal syntax !" << std::endl;
      return false;
    }
    // Only the first four characters name a command: "resign" is resi, "store" is stor.
    const std::string command = line.substr(0, 4);
    if (command == "load") {
      CurrentGame->LoadFromFile(Argument(line));
    } else if (command == "save" || command == "stor") {
      CurrentGame->SaveToFile(Argument(line));
    } else if (command == "last" || command == "back") {
      CurrentGame->TakeBack();
    } else if (command == "resi" || command == "quit" || command == "exit") {
      if (command != "resi") CurrentGame->Leave();  // no other game is offered
      Resign(move);
      return true;
    } else {
      std::string error;
      if (!CoordToSquares(line, move.from, move.to, error)) {
        *ConsoleOut << error << std::flush;
        if (line.size() != 4 && line.size() != 5) return false;
      }
      if (line.size() == 5) promotion = static_cast<unsigned char>(line[4]);
      return true;
    }
    // A command does not use up the turn: the move is asked for again.
  }
}

void HumanPlayer::GetMove(Board& board, Move& move) {
  // Stalemated, the player has nothing to enter: the game ends as a draw, as it does when the
  // engine finds itself stalemated.
  if (StandingOf(board) == Standing::STALEMATE) {
    move = Move{};
    move.piece = WK + board.sideToMove;
    move.flags = MOVE_STALEMATE;
    return;
  }
  for (;;) {
    int promotion = -1;
    while (!ReadInput(board, move, promotion)) {
    }
    if (move.flags == MOVE_RESIGN) return;
    if (move.from < 0 || move.from > 63) {
      *ConsoleOut << "Sorry, illegal source square " << move.from << "\n";
      continue;
    }
    if (move.to < 0 || move.to > 63) {
      *ConsoleOut << "Sorry, illegal destination square " << move.to << "\n";
      continue;
    }
    if (!Classify(board, move)) continue;
    const bool promotes = (move.piece == WP && move.to < 8) || (move.piece == BP && move.to > 55);
    if (promotes && !AskPromotion(promotion, move)) {
      CurrentGame->PersonLeft();
      Resign(move);  // ends the turn; the game does not record it
      return;
    }

    legalMoves.Generate(board);
    if (!legalMoves.Contains(move)) {
      *ConsoleOut << "Sorry, this move is not in the pseudo-legal list: \n"
                  << move.Line() << legalMoves.Lines() << std::flush;
      continue;
    }
    if (!IsLegal(board, move)) {
      *ConsoleOut << "Sorry, this move leaves your king in check: \n" << move.Line() << std::flush;
      continue;
    }
    return;
  }
}

bool HumanPlayer::Classify(const Board& board, Move& move) const {
  const bool white = board.sideToMove == WHITE;
  const Color c = white ? WHITE : BLACK;
  const auto ownAt = [&](Square s) {
    return white ? board.WhitePieceAt(s) : board.BlackPieceAt(s);
  };
  const auto enemyAt = [&](Square s) {
    return white ? board.BlackPieceAt(s) : board.WhitePieceAt(s);
  };

  move.piece = ownAt(move.from);
  if (move.piece == NO_PIECE) {
    *ConsoleOut << (white ? "Sorry, You don't have a piece at square "
                          : "Sorry, you don't have a piece in square ")
                << move.from << "\n";
    return false;
  }
  if (ownAt(move.to) != NO_PIECE) {
    if (white) {
      *ConsoleOut << "Sorry, can't capture your own piece!\n";
    } else {
      *ConsoleOut << "Sorry, you can't capture your own piece in square " << move.to << "\n";
    }
    return false;
  }
  move.captured = enemyAt(move.to);
  if (move.captured != NO_PIECE) {
    move.flags = MOVE_CAPTURE;
  } else if (board.enPassant == SquareMask[static_cast<std::size_t>(move.to)] &&
             move.piece == WP + c) {
    move.captured = BP - c;
    move.flags = MOVE_EN_PASSANT;
  } else if (move.piece == WK + c && move.to == move.from + 2) {
    move.flags = MOVE_CASTLE_SHORT;
  } else if (move.piece == WK + c && move.to == move.from - 2) {
    move.flags = MOVE_CASTLE_LONG;
  } else {
    move.flags = MOVE_NORMAL;
  }
  return true;
}

bool HumanPlayer::AskPromotion(int answer, Move& move) const {
  // K stands for the knight, as the prompt says; N is understood as well.
  for (;;) {
    // The console's K (and k) is the knight: the prompt offers no king.
    const char letter = answer == 'K' || answer == 'k' ? 'N' : static_cast<char>(answer);
    if (const PromotionPiece* promotion =
            answer > 0 && answer < 128 ? PromotionOfLetter(letter) : nullptr) {
      move.flags += promotion->flag;
      return true;
    }
    *ConsoleOut << "Promote the pawn to [ K ]night, [ R ]ook, [ B ]ishop, [ Q ]ueen?" << std::flush;
    answer = ReadConsoleChar();
    if (answer == std::char_traits<char>::eof()) {
      *ConsoleOut << std::endl;
      return false;
    }
  }
}
