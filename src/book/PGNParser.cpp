#include "book/PGNParser.h"

#include <cctype>
#include <optional>
#include <string_view>

#include "board/Coordinates.h"
#include "board/Fen.h"
#include "board/Rules.h"
#include "board/SquareText.h"

namespace {

bool IsLower(char c) { return c >= 'a' && c <= 'z'; }
bool IsLetter(char c) { return IsLower(c) || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The rank digit `steps` ranks behind `rank` as the mover sees it (lower for White). Works on
// the character, so a bad rank stays bad and the square conversion refuses it later.
char RankBehind(char rank, Color mover, int steps) {
  return static_cast<char>(mover == WHITE ? rank - steps : rank + steps);
}

// Cuts the token at the first occurrence of mark; true when it was there.
bool CutAt(std::string& token, std::string_view mark) {
  const std::size_t at = token.find(mark);
  if (at == std::string::npos) return false;
  token.erase(at);
  return true;
}

// Removes everything up to and including the first double quote. Without a quote nothing is
// removed.
void DropThroughQuote(std::string& text) {
  const std::size_t quote = text.find('"');
  if (quote != std::string::npos) text.erase(0, quote + 1);
}

// The position of word, or else of its lower-case form, or npos.
std::size_t FindWord(const std::string& text, std::string_view word, std::string_view lower) {
  const std::size_t at = text.find(word);
  return at != std::string::npos ? at : text.find(lower);
}

}  // namespace

PGNParser::PGNParser(std::istream& stream) : stream(stream) { board.Reset(); }

bool PGNParser::getNextMatch() {
  if (failed) return false;
  board.Reset();
  whiteName.clear();
  blackName.clear();
  ++matchNo;
  result = RESULT_UNKNOWN;
  moveNo = 0;
  setUpPosition = false;
  variationDepth = 0;
  tags.clear();
  startError.clear();
  if (!ReadTags()) return false;
  // A game set up from another position starts there.
  for (const auto& [name, value] : tags) {
    if (name != "FEN") continue;
    Board start;
    if (ReadFen(value, start, startError)) board = start;
  }
  return true;
}

bool PGNParser::ReadTags() {
  std::string token;
  bool tagSeen = false;

  char byte;
  while (stream.get(byte)) {
    const unsigned char c = static_cast<unsigned char>(byte);
    if (OpensEscapeLine(c)) continue;
    if (c == 0xFF) continue;
    if (lineComment) {
      lineComment = c != '\n' && c != '\r';
      continue;
    }
    // Inside a comment only the braces count: brackets, quotes and backslashes are plain text
    // there ({ [%clk 0:05:00] }).
    if (commentDepth > 0 && !inQuotes) {
      if (c == '{') ++commentDepth;
      if (c == '}') --commentDepth;
      if (tagSeen && c == '.') return true;  // the dot of a move number, as outside
      continue;
    }
    if (escaped) {
      token += byte;
      escaped = false;
      continue;
    }
    if (c == '\\') {
      escaped = true;
      continue;
    }
    if (c == '"') inQuotes = !inQuotes;
    if (inQuotes) {
      if (c == '\n' || c == '\r') {
        // An unterminated quote ends at the line end, and with it any open tag or comment.
        inQuotes = false;
        tagDepth = 0;
        commentDepth = 0;
      } else {
        token += byte;
      }
      continue;
    }
    if (c == '{') {
      ++commentDepth;
    } else if (c == '}') {
      --commentDepth;
    } else if (c == ';' && tagDepth == 0) {
      lineComment = true;  // a comment to the end of the line
    } else if (c == '[') {
      ++tagDepth;
      tagSeen = true;
    } else if (c == ']') {
      --tagDepth;
      if (tagDepth == 0) InterpretTag(token);
      token.clear();
    } else {
      // Blanks outside quotes vanish: [Result "1-0"] gives the token Result"1-0".
      if (tagDepth > 0) {
        if (c != ' ' && c != '\n' && c != '\r') token += byte;
      } else {
        token.clear();
      }
      // The dot of the first move number starts the move text; so does the first move of a
      // text without move numbers, which is left for getNextMove.
      if (tagDepth == 0 && tagSeen && c == '.') return true;
      if (tagDepth == 0 && tagSeen && IsLetter(byte)) {
        stream.unget();
        return true;
      }
    }
  }
  return false;
}

// Plain substring search, so any tag containing one of the words counts (WhiteElo overwrites
// the name of White with the rating).
void PGNParser::InterpretTag(std::string token) {
  // A game set up from another position cannot be replayed from the initial one.
  if (token.starts_with("SetUp\"1\"") || token.starts_with("FEN\"")) setUpPosition = true;
  // Every tag by its name, the value without the blanks around it (the log writes
  // [Result " 1-0" ]).
  if (const std::size_t open = token.find('"'); open != std::string::npos && open > 0) {
    const std::size_t close = token.find('"', open + 1);
    std::string value =
        token.substr(open + 1, close == std::string::npos ? close : close - open - 1);
    value.erase(0, value.find_first_not_of(' '));
    value.erase(value.find_last_not_of(' ') + 1);
    tags.emplace_back(token.substr(0, open), value);
  }
  constexpr std::string_view RESULT = "Result";
  if (const std::size_t at = FindWord(token, RESULT, "result"); at != std::string::npos) {
    token.erase(0, at + RESULT.size());
    const std::size_t open = token.find('"');
    if (open != std::string::npos) {
      token.erase(0, open + 1);
      const std::size_t close = token.find('"');
      if (close != std::string::npos) {
        token.erase(close);
        token.erase(0, token.find_first_not_of(' '));
        token.erase(token.find_last_not_of(' ') + 1);
        if (token == "*") result = RESULT_UNKNOWN;
        if (token == "1-0") result = RESULT_WHITE_WINS;
        if (token == "0-1") result = RESULT_BLACK_WINS;
        if (token == "1/2-1/2") result = RESULT_DRAW;
      }
    }
  }
  const auto takeName = [&token](std::string_view word, std::string_view lower, std::string& name) {
    const std::size_t at = FindWord(token, word, lower);
    if (at == std::string::npos) return;
    token.erase(0, at + word.size());
    DropThroughQuote(token);
    name = token.substr(0, token.find('"'));
    name.erase(0, name.find_first_not_of(' '));
    name.erase(name.find_last_not_of(' ') + 1);
  };
  takeName("White", "white", whiteName);
  takeName("Black", "black", blackName);
}

bool PGNParser::getNextMove(const Move*& move, int& outcome) {
  Move* found = nullptr;
  const bool ok = getNextMove(found, outcome);
  if (ok) move = found;
  return ok;
}

bool PGNParser::getNextMove(Move*& move, int& outcome) {
  if (failed) return false;
  moves.Generate(board);
  ++moveNo;
  std::string token;

  for (;;) {
    char byte = ' ';
    // The end of the input counts as a blank, so that a last pending token is still processed.
    const bool atEnd = !stream.get(byte);
    const unsigned char c = atEnd ? ' ' : static_cast<unsigned char>(byte);
    if (!atEnd) {
      if (OpensEscapeLine(c)) continue;
      if (c == 0xFF) return false;
      if (lineComment) {
        lineComment = c != '\n' && c != '\r';
        continue;
      }
      if (c == '{') {
        ++commentDepth;
        continue;
      }
      if (c == '}') {
        --commentDepth;
        continue;
      }
      // Inside a comment everything else is plain text.
      if (commentDepth > 0) continue;
      if (c == ';') {
        lineComment = true;
        continue;
      }
      // Variations are skipped with everything in them.
      if (c == '(' || c == ')') {
        variationDepth += c == '(' ? 1 : -1;
        if (variationDepth < 0) variationDepth = 0;
        continue;
      }
      if (variationDepth == 0 && c == '[') {
        // The next game's tags begin: this game had no result marker.
        ++tagDepth;
        return false;
      }
      if (variationDepth == 0 && c == ']') {
        --tagDepth;
        return Fail("Error found in PGNParser::getNextMove...");
      }
    }
    if (tagDepth != 0 || commentDepth != 0 || variationDepth != 0) {
      if (atEnd) return false;
      continue;
    }
    const bool lineBreak = c == '\n' || c == '\r' || c == '\t';
    const bool afterNumber = !token.empty() && token.back() == '.';
    // "12." at a line end followed by "Nf3" becomes "12.Nf3".
    if (lineBreak && afterNumber) continue;
    if (c != ' ' && !lineBreak) {
      token += byte;
      continue;
    }
    if (afterNumber) {
      token.clear();  // a move number such as "12." or "12..."
    } else if (!token.empty()) {
      // A move number glued to its move ("1...e5") goes with all its dots; numeric annotation
      // glyphs ($1) and the en-passant suffix carry no move.
      const bool noMove = token[0] == '$' || token == "e.p." || token == "ep";
      if (const std::size_t dot = token.find('.'); dot != std::string::npos && !noMove) {
        token.erase(0, dot + 1);
        token.erase(0, token.find_first_not_of('.'));
      }
      if (noMove || token.empty()) {
        token.clear();
      } else {
        return ProcessToken(token, move, outcome);
      }
    }
    if (atEnd) return false;
  }
}

bool PGNParser::ProcessToken(std::string token, Move*& move, int& outcome) {
  if (token == "*" || token == "1-0" || token == "0-1" || token == "1/2" || token == "1/2-1/2")
    return false;

  std::string coordinates;
  bool annotated = false;
  sanToCoordinates(token, coordinates, annotated);
  if (failed) return false;

  const Color mover = board.sideToMove;
  if (annotated || result == mover) {
    outcome = OUTCOME_GOOD;
  } else if ((mover == WHITE && result == RESULT_BLACK_WINS) ||
             (mover == BLACK && result == RESULT_WHITE_WINS)) {
    outcome = OUTCOME_BAD;
  } else {
    outcome = OUTCOME_NEUTRAL;
  }

  int from = -1;
  int to = -1;
  char promotion = '\0';
  std::string error;
  if (!CoordToSquares(coordinates, from, to, promotion, error)) notes += error;
  moves.Generate(board);
  Move* found = moves.Find(from, to);
  if (found == nullptr) {
    return Fail("\n>> Fehler in PGNParser::getNextMove MatchNo: " + std::to_string(matchNo) +
                " MoveNo:" + std::to_string(moveNo) + "\n");
  }

  // The first generated promotion to the square becomes the promotion the text names.
  if (found->Promotion() != 0) {
    // Upper-case letters only: the resolver has written the letter in upper case.
    const PromotionPiece* named =
        promotion >= 'A' && promotion <= 'Z' ? PromotionOfLetter(promotion) : nullptr;
    if (named == nullptr) return Fail("Promotion not found\n");
    found->flags = found->Kind() + named->flag;
  }

  move = found;
  if (!board.MakeMove(found)) {
    return Fail("\n>> Fehler in PGNParser::getNextMove ( 2 ) MatchNo: " + std::to_string(matchNo) +
                " MoveNo:" + std::to_string(moveNo) + "\n");
  }
  return true;
}

bool PGNParser::OpensEscapeLine(unsigned char c) {
  const bool first = lineStart;
  lineStart = c == '\n' || c == '\r';
  if (!first || c != '%' || commentDepth > 0 || inQuotes || escaped) return false;
  lineComment = true;
  return true;
}

void PGNParser::Recover() {
  failed = false;
  notes.clear();
  error.clear();
}

bool PGNParser::Fail(const std::string& reason) {
  failed = true;
  error += reason;
  return false;
}

namespace {

// Takes the check, mate and annotation marks off a SAN token; true when it bore one of the
// annotations ! !! ? ?? (!? and ?! are no annotation for the book).
bool TakeOffMarks(std::string& token) {
  // Marks after a + or # go with it.
  CutAt(token, "+");
  CutAt(token, "#");
  CutAt(token, "!?");
  CutAt(token, "?!");
  bool annotated = CutAt(token, "!");
  if (CutAt(token, "?")) annotated = true;
  return annotated;
}

// A promotion written without its "=" (e8Q) or with a lower-case letter (e8=q) is written the
// standard way (e8=Q).
void StandardPromotion(std::string& token) {
  const std::size_t n = token.size();
  if (n >= 3 && std::string_view("QRBNqrbn").find(token[n - 1]) != std::string_view::npos &&
      (token[n - 2] == '8' || token[n - 2] == '1' || token[n - 2] == '=')) {
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(token[n - 1])));
    token.erase(token[n - 2] == '=' ? n - 2 : n - 1);
    token += '=';
    token += letter;
  }
}

}  // namespace

bool PGNParser::sanToCoordinates(std::string token, std::string& coordinates, bool& annotated) {
  coordinates.clear();
  annotated = TakeOffMarks(token);
  if (token.size() == 2) return PawnAdvance(token, coordinates);
  if (token == "O-O" || token == "0-0" || token == "O-O-O" || token == "0-0-0") {
    const bool white = board.sideToMove == WHITE;
    coordinates = token.size() == 3 ? (white ? "e1g1" : "e8g8") : (white ? "e1c1" : "e8c8");
    return true;
  }

  // The target square stands after an "x", or else at the end of the token.
  std::string target;
  std::string prefix;
  const std::size_t capture = token.find('x');
  if (capture != std::string::npos) {
    target = token.substr(capture + 1, 2);
    prefix = token.substr(0, capture);
  }
  StandardPromotion(token);
  if (token.find('=') != std::string::npos) return Promotion(token, coordinates);
  if (capture == std::string::npos) {
    const std::size_t split = token.size() >= 2 ? token.size() - 2 : 0;
    target = token.substr(split);
    prefix = token.substr(0, split);
  }
  if (!prefix.empty() && IsLower(prefix[0])) return PawnCapture(token, prefix, coordinates);
  return PieceMove(prefix, target, coordinates);
}

bool PGNParser::PawnAdvance(const std::string& token, std::string& coordinates) const {
  // One step when the mover's pawn stands right behind the target, else two.
  const Color mover = board.sideToMove;
  const char file = token[0];
  const char rank = token[1];
  const Square behind = ParseSquare(std::string{file, RankBehind(rank, mover, 1)});
  const int pawn = behind < 0       ? NO_PIECE
                   : mover == WHITE ? board.WhitePieceAt(behind)
                                    : board.BlackPieceAt(behind);
  const bool oneStep = pawn == (mover == WHITE ? WP : BP);
  coordinates = {file, RankBehind(rank, mover, oneStep ? 1 : 2), file, rank};
  return true;
}

bool PGNParser::Promotion(const std::string& token, std::string& coordinates) const {
  // The target is the square before the "=", the pawn comes from the file the token begins
  // with.
  if (token.size() < 4) return false;
  const std::size_t equals = token.find('=');
  const char toFile = token[token.size() - 4];
  const char toRank = token[token.size() - 3];
  coordinates = {token[0], RankBehind(toRank, board.sideToMove, 1), toFile, toRank};
  if (equals + 1 < token.size()) coordinates += token[equals + 1];
  return true;
}

bool PGNParser::PawnCapture(const std::string& token, const std::string& prefix,
                            std::string& coordinates) {
  // The program's own log writes pawn moves in full: e2e4, e5xd6.
  if (prefix.size() == 2 && IsDigit(prefix[1])) {
    coordinates = prefix + token.substr(token.size() - 2);
    return true;
  }
  // "exd5": the prefix is the file the pawn comes from.
  if (prefix.size() != 1) return Fail("watt is datt ?\n");
  // A non-empty prefix leaves at least two characters in the token.
  const char toFile = token[token.size() - 2];
  const char toRank = token[token.size() - 1];
  coordinates = {token[0], RankBehind(toRank, board.sideToMove, 1), toFile, toRank};
  return true;
}

bool PGNParser::PieceMove(const std::string& prefix, const std::string& target,
                          std::string& coordinates) {
  // Optionally narrowed by file, rank or both ("Nbd2", "R1e2", "Ng1e2"). A filter out of range
  // (a rank digit 0 or 9, an upper-case file letter) lets no square pass.
  std::optional<int> rankFilter;
  std::optional<int> fileFilter;
  if (prefix.size() > 1) {
    if (IsDigit(prefix[1])) rankFilter = prefix[1] - '1';
    if (prefix.size() > 2 && IsDigit(prefix[2])) rankFilter = prefix[2] - '1';
    if (IsLetter(prefix[1])) fileFilter = prefix[1] - 'a';
  }
  // SAN names no pawn by its letter: a pawn move starts with its file.
  const char letter = prefix.empty() ? '\0' : prefix[0];
  const int kind = letter == 'P' ? -1 : KindOfLetter(letter);
  if (kind < 0) {
    notes += "Piece not found, PGN Error!\n";
    return false;
  }

  // The first square from a8 to h1 whose piece can make the move legally.
  const Color mover = board.sideToMove;
  const Square to = ParseSquare(target);
  if (to >= 0) {
    moves.Generate(board);
    for (Square from = 0; from < 64; ++from) {
      int color = -1;
      if (board.PieceAt(from, &color) != kind || color != mover) continue;
      if (rankFilter && *rankFilter != 7 - from / 8) continue;
      if (fileFilter && *fileFilter != from % 8) continue;
      const Move* candidate = moves.Find(from, to);
      if (candidate == nullptr || !IsLegal(board, *candidate)) continue;
      coordinates = SquareName(from) + SquareName(to);
      return true;
    }
  }
  notes += "ERROR!!! PGN file is ill-formed!\n";
  return false;
}
