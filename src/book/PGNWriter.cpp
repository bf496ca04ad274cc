#include "book/PGNWriter.h"

PGNWriter::~PGNWriter() {
  // A game that never finished leaves nothing of itself in the log.
  if (file != nullptr) std::fclose(file);
}

bool PGNWriter::Open(const std::string& fileName) {
  std::FILE* opened = std::fopen(fileName.c_str(), "a");
  if (opened == nullptr) return false;
  if (file != nullptr) std::fclose(file);
  file = opened;
  logFileName = fileName;
  recordedMoves.clear();
  plyCount = 0;
  return true;
}

bool PGNWriter::AddMove(const Move& move) {
  recordedMoves.push_back(move);
  ++plyCount;
  roundTag = plyCount / 2;

  switch (move.flags) {
    case MOVE_CHECKMATE:  // the side making the mating move wins
      resultText = recordSide == WHITE ? "1-0" : "0-1";
      break;
    case MOVE_STALEMATE:
      resultText = "1/2-1/2";
      break;
    case MOVE_RESIGN:  // the resigning side loses
      resultText = recordSide == WHITE ? "0-1" : "1-0";
      break;
    default:
      break;
  }
  recordSide = recordSide == WHITE ? BLACK : WHITE;
  return true;
}

bool PGNWriter::WriteTags() {
  if (file == nullptr) return false;
  // The values stand behind a blank; "% i" puts a further blank before the round number.
  return std::fprintf(file, "[Event \" %s\" ]\n", event.c_str()) >= 1 &&
         std::fprintf(file, "[Site \" %s\" ]\n", site.c_str()) >= 1 &&
         std::fprintf(file, "[Date \" %s\" ]\n", date.ToText(".").c_str()) >= 1 &&
         std::fprintf(file, "[Round \" % i\" ]\n", roundTag) >= 1 &&
         std::fprintf(file, "[White \" %s\" ]\n", whiteName.c_str()) >= 1 &&
         std::fprintf(file, "[Black \" %s\" ]\n", blackName.c_str()) >= 1 &&
         std::fprintf(file, "[Result \" %s\" ]\n\n", resultText.c_str()) >= 1;
}

bool PGNWriter::WriteMoves() {
  if (file == nullptr) return false;
  // Every move is followed by a blank, except that the blank after the 10th, 21st, 32nd, ...
  // move is a line break: the first line holds 10 moves, every further line 11. The counter
  // starts at 1, so White's moves are the odd ones and carry the move number ("  1. ").
  int counter = 1;
  std::string text;
  for (const Move& move : recordedMoves) {
    move.ToText(&text);  // empty for a resignation or stalemate: two blanks in the move text
    if (counter % 2 == 1 && std::fprintf(file, " % i. ", (counter + 1) / 2) < 1) return false;
    ++counter;
    const char* after = counter % 11 == 0 ? "\n" : " ";
    if (std::fprintf(file, " %s%s", text.c_str(), after) < 1) return false;
  }
  return true;
}

bool PGNWriter::Finish() {
  if (file == nullptr) return false;
  // The result ends its line and an empty line follows, so that the next game appended to the
  // log starts on a line of its own.
  const bool written =
      WriteTags() && WriteMoves() && std::fprintf(file, " %s\n\n", resultText.c_str()) >= 1;
  // Buffered text that cannot be written shows only when the file is closed.
  const bool closed = std::fclose(file) == 0;
  file = nullptr;
  return written && closed;
}
