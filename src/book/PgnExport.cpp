#include "book/PgnExport.h"

#include "board/Fen.h"
#include "board/Rules.h"
#include "board/San.h"

namespace {

std::string TagValue(const PgnTags& tags, const std::string& name, const std::string& unknown) {
  for (const auto& [tag, value] : tags)
    if (tag == name && !value.empty()) return value;
  return unknown;
}

// A tag value between quotes, its quotes and backslashes escaped.
std::string Quoted(const std::string& value) {
  std::string quoted = "\"";
  for (char c : value) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

// The move numbers and the moves in standard algebraic notation.
std::vector<std::string> MoveTokens(const Board& start, const std::vector<Move>& moves) {
  std::vector<std::string> tokens;
  Board position = start;
  int number = (position.moveNumber - 1 - position.sideToMove) / 2 + 1;
  if (position.sideToMove == BLACK && !moves.empty())
    tokens.push_back(std::to_string(number) + "...");
  for (const Move& move : moves) {
    if (position.sideToMove == WHITE) tokens.push_back(std::to_string(number) + ".");
    tokens.push_back(SanText(position, move));
    PlayMove(position, move);
    if (position.sideToMove == WHITE) ++number;
  }
  return tokens;
}

// Tokens one blank apart, a line break before a token that would pass 79 characters.
std::string Lines(const std::vector<std::string>& tokens) {
  std::string text, line;
  for (const std::string& token : tokens) {
    if (!line.empty() && line.size() + 1 + token.size() > 79) {
      text += line + '\n';
      line.clear();
    }
    line += (line.empty() ? "" : " ") + token;
  }
  return text + line + '\n';
}

}  // namespace

std::string ExportGame(const PgnTags& tags, const Board& start, const std::vector<Move>& moves) {
  const std::string result = TagValue(tags, "Result", "*");
  std::string text;
  for (const auto& [name, unknown] :
       std::vector<std::pair<std::string, std::string>>{{"Event", "?"},
                                                        {"Site", "?"},
                                                        {"Date", "????.??.??"},
                                                        {"Round", "?"},
                                                        {"White", "?"},
                                                        {"Black", "?"}}) {
    text += "[" + name + " " + Quoted(TagValue(tags, name, unknown)) + "]\n";
  }
  text += "[Result " + Quoted(result) + "]\n";
  const std::string fen = WriteFen(start);
  if (fen != WriteFen(Board())) text += "[SetUp \"1\"]\n[FEN " + Quoted(fen) + "]\n";
  text += '\n';

  std::vector<std::string> tokens = MoveTokens(start, moves);
  tokens.push_back(result);
  return text + Lines(tokens);
}

std::string MoveText(const Board& start, const std::vector<Move>& moves) {
  return moves.empty() ? std::string() : Lines(MoveTokens(start, moves));
}
