#include "protocol/ProtocolChannel.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "console/Console.h"
#include "console/Files.h"

void SplitCommand(const std::string& line, std::string& word, std::string& rest) {
  const auto begin = line.find_first_not_of(" \t");
  const auto end = begin == std::string::npos ? begin : line.find_first_of(" \t", begin);
  word = begin == std::string::npos ? "" : line.substr(begin, end - begin);
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const auto restBegin = end == std::string::npos ? end : line.find_first_not_of(" \t", end);
  rest = restBegin == std::string::npos ? "" : line.substr(restBegin);
  while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.pop_back();
}

ProtocolChannel::ProtocolChannel(ProtocolInput& in, std::ostream& out,
                                 const std::string& traceFileName)
    : out_(out), in_(in), startTrace_(traceFileName) {
  std::string ignored;
  TraceInto(traceFileName, ignored);
}

bool ProtocolChannel::TraceInto(const std::string& fileName, std::string& error) {
  const std::string& file = fileName.empty() ? startTrace_ : fileName;
  if (trace_.is_open() && file == traceFile_) return true;
  trace_.close();
  traceFile_.clear();
  if (file.empty()) return true;
  // Only a regular file, or a new one: a FIFO would hold the engine until some reader came.
  std::error_code ignored;
  if (std::filesystem::exists(file, ignored) && !IsRegularFile(file)) {
    error = file + " is no regular file";
    return false;
  }
  // Back in the trace of the start, after one elsewhere: it goes on where it stopped.
  const bool resumed = fileName.empty() && startTraceBegun_;
  trace_.open(file, std::ios::out | (resumed ? std::ios::app : std::ios::trunc));
  if (!trace_.is_open()) {
    error = "can't write " + file;
    return false;
  }
  traceFile_ = file;
  startTraceBegun_ = startTraceBegun_ || file == startTrace_;
  if (!resumed) trace_ << "Trace started...\n\n" << std::flush;
  return true;
}

namespace {

// The line with every byte outside printable ASCII (tabs kept) shown as \xNN: what the front
// end sent is echoed in replies, and a NUL or a stray byte of UTF-8 is no text to send back.
std::string Printable(const std::string& line) {
  constexpr char HEX[] = "0123456789abcdef";
  std::string shown;
  shown.reserve(line.size());
  for (const char c : line) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 0x20 && byte < 0x7F) || byte == '\t') {
      shown += c;
    } else {
      shown += "\\x";
      shown += HEX[byte >> 4];
      shown += HEX[byte & 0xF];
    }
  }
  return shown;
}

}  // namespace

bool ProtocolChannel::ReadLine(std::string& line) {
  // A front end that no longer reads has ended the session as surely as one that no longer
  // writes.
  if (outputClosed_) {
    line.clear();
    return false;
  }
  if (!in_.ReadLine(line)) {
    line.clear();
    trace_ << "In: (end of input)\n" << std::flush;
    return false;
  }
  trace_ << "In: " << line << '\n' << std::flush;
  return true;
}

std::deque<std::string> ProtocolChannel::TakeWaiting() {
  std::deque<std::string> lines = in_.TakeWaiting();
  for (const std::string& line : lines) trace_ << "In: " << line << '\n';
  trace_ << std::flush;
  return lines;
}

void ProtocolChannel::Send(const std::string& text) {
  const std::string line = Printable(text);
  trace_ << "Out: " << line << '\n' << std::flush;
  *ConsoleOut << line << std::endl;
  if (outputClosed_) return;
  out_ << line << std::endl;
  if (!out_) {
    outputClosed_ = true;
    trace_ << "Out: (the front end no longer reads)\n" << std::flush;
  }
}
