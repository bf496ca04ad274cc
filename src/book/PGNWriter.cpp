#include "book/PGNWriter.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "board/Fen.h"
#include "console/Files.h"

namespace {

// printf-style formatting appended to `text`.
[[gnu::format(printf, 2, 3)]] void Append(std::string& text, const char* format, ...) {
  char buffer[256];
  va_list arguments;
  va_start(arguments, format);
  const int length = std::vsnprintf(buffer, sizeof buffer, format, arguments);
  va_end(arguments);
  if (length < 0) return;
  if (static_cast<std::size_t>(length) < sizeof buffer) {
    text.append(buffer, static_cast<std::size_t>(length));
    return;
  }
  std::string longer(static_cast<std::size_t>(length) + 1, '\0');
  va_start(arguments, format);
  std::vsnprintf(longer.data(), longer.size(), format, arguments);
  va_end(arguments);
  text.append(longer.data(), static_cast<std::size_t>(length));
}

// The result of a game that goes on.
const std::string UNDECIDED = "*";

// A name as a tag's value: quotes and backslashes escaped, control bytes as blanks.
std::string TagValue(const std::string& name) {
  std::string value;
  for (const char c : name) {
    if (c == '"' || c == '\\') value += '\\';
    value += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? ' ' : c;
  }
  return value;
}

std::string WriteError(const std::string& fileName, int number) {
  return "Can't write the game to logfile '" + fileName + "' (" + std::strerror(number) +
         ")! The log is left as it was.";
}

}  // namespace

PGNWriter::~PGNWriter() {
  // A game that never finished leaves nothing of itself in the log.
  if (descriptor >= 0) close(descriptor);
}

bool PGNWriter::Open(const std::string& fileName) {
  const int opened = open(fileName.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (opened < 0) {
    error = WriteError(fileName, errno);
    return false;
  }
  if (descriptor >= 0) close(descriptor);
  descriptor = opened;
  logFileName = fileName;
  recordedMoves.clear();
  plyCount = 0;
  return true;
}

void PGNWriter::StartFrom(const Board& start) {
  recordedMoves.clear();
  plyCount = 0;
  roundTag = 0;
  resultText = UNDECIDED;
  startSide = start.sideToMove == BLACK ? BLACK : WHITE;
  recordSide = startSide;
  const std::string fen = WriteFen(start);
  // The FEN's own move number; the initial position needs no tags.
  startMoveNumber = std::stoi(fen.substr(fen.rfind(' ') + 1));
  startFen = fen == WriteFen(Board()) ? "" : fen;
}

void PGNWriter::AddMove(const Move& move) {
  recordedMoves.push_back(move);
  ++plyCount;
  roundTag = plyCount / 2;

  switch (move.Kind()) {
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
}

bool PGNWriter::RemoveLastMove() {
  if (recordedMoves.empty()) return false;
  recordedMoves.pop_back();
  --plyCount;
  roundTag = plyCount / 2;
  resultText = UNDECIDED;
  recordSide = recordSide == WHITE ? BLACK : WHITE;
  return true;
}

void PGNWriter::SetResult(const std::string& result) { resultText = result; }

std::string PGNWriter::TagText(const std::string& result) const {
  // The values stand behind a blank; "% i" puts a further blank before the round number.
  std::string text;
  Append(text, "[Event \" %s\" ]\n", event.c_str());
  Append(text, "[Site \" %s\" ]\n", site.c_str());
  Append(text, "[Date \" %s\" ]\n", date.ToText(".").c_str());
  Append(text, "[Round \" % i\" ]\n", roundTag);
  Append(text, "[White \" %s\" ]\n", TagValue(whiteName).c_str());
  Append(text, "[Black \" %s\" ]\n", TagValue(blackName).c_str());
  Append(text, "[Result \" %s\" ]\n", result.c_str());
  if (!startFen.empty()) Append(text, "[SetUp \"1\"]\n[FEN \"%s\"]\n", startFen.c_str());
  return text + "\n";
}

std::string PGNWriter::MoveText() const {
  // Every move is followed by a blank, except that the blank after the 10th, 21st, 32nd, ...
  // move is a line break: the first line holds 10 moves, every further line 11. The counter
  // starts at 1, so White's moves are the odd ones and carry the move number ("  1. "). When
  // Black moves first, "..." stands in White's place.
  int counter = startSide == WHITE ? 1 : 2;
  const int numberOffset = startMoveNumber - 1;
  std::string text;
  if (startSide == BLACK && !recordedMoves.empty()) Append(text, " % i. ... ", startMoveNumber);
  std::string move;
  for (const Move& recorded : recordedMoves) {
    recorded.ToText(&move);  // empty for a resignation or stalemate: two blanks in the move text
    if (counter % 2 == 1) Append(text, " % i. ", (counter + 1) / 2 + numberOffset);
    ++counter;
    text += ' ' + move + (counter % 11 == 0 ? "\n" : " ");
  }
  return text;
}

std::string PGNWriter::GameText(const std::string& result) const {
  // The result ends its line and an empty line follows, so that the next game appended to the
  // log starts on a line of its own.
  return TagText(result) + MoveText() + " " + result + "\n\n";
}

bool PGNWriter::Finish() {
  if (descriptor < 0) {
    error = WriteError(logFileName, EBADF);
    return false;
  }
  const std::string text = GameText(resultText);
  const int failure = AppendWhole(descriptor, text.data(), text.size());
  // The text is on the disk (or taken out again): closing has nothing left to report.
  close(descriptor);
  descriptor = -1;
  if (failure != 0) error = WriteError(logFileName, failure);
  return failure == 0;
}
