// The line transport of an engine protocol: command lines from the front end, the engine's
// messages, and, when asked, a trace of both directions ("ConnTrace.txt" with the start option
// --trace).
#pragma once

#include <charconv>
#include <deque>
#include <fstream>
#include <ostream>
#include <string>

#include "protocol/ProtocolInput.h"

inline constexpr const char* CONNECTION_TRACE_FILE = "ConnTrace.txt";

class ProtocolChannel {
 public:
  // `traceFileName`: the trace's file, emptied first; none without a name.
  ProtocolChannel(ProtocolInput& in, std::ostream& out, const std::string& traceFileName = "");
  virtual ~ProtocolChannel() = default;
  ProtocolChannel(const ProtocolChannel&) = delete;
  ProtocolChannel& operator=(const ProtocolChannel&) = delete;

  // The next line from the front end, traced; false at the end of input.
  bool ReadLine(std::string& line);
  // The lines that have arrived and wait to be read, without waiting for more.
  const std::deque<std::string>& Waiting() { return in_.Waiting(); }
  // Takes the waiting lines (traced), without waiting for more.
  std::deque<std::string> TakeWaiting();
  // Whether the front end has closed its end of the pipe and every line has been read, or no
  // longer reads what the engine sends: the session ends either way.
  bool InputEnded() { return outputClosed_ || (in_.Waiting().empty() && in_.Ended()); }
  // One line to the front end, with copies to the console text and the trace; bytes outside
  // printable ASCII are shown as \xNN. When the front end's end of the pipe is closed nothing
  // more is sent, and the next ReadLine reports the end of input.
  void Send(const std::string& text);
  // The trace goes on in `fileName` (emptied first), or, for an empty name, back where it went
  // from the start (appended) or nowhere. False, with the reason and no trace, for a file that
  // cannot be written.
  bool TraceInto(const std::string& fileName, std::string& error);

 protected:
  std::ostream& out_;
  std::ofstream trace_;

 private:
  bool outputClosed_ = false;
  ProtocolInput& in_;
  std::string startTrace_;  // the trace's file from the start
  std::string traceFile_;   // the one it goes to now
  bool startTraceBegun_ = false;
};

// The first word of a command line, lowercased, and the rest after the blanks behind it.
void SplitCommand(const std::string& line, std::string& word, std::string& rest);

// A whole decimal number that is the entire text, or false.
template <typename Number>
bool ParseNumber(const std::string& text, Number& value) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && stop == end;
}
