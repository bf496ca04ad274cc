// The xboard (WinBoard) protocol's transport: the handshake, the feature line, command lines
// from the front end, the engine's messages, and a trace of both directions.
#pragma once

#include <deque>
#include <fstream>
#include <ostream>
#include <string>

#include "protocol/ProtocolInput.h"

inline constexpr const char* CONNECTION_TRACE_FILE = "ConnTrace.txt";

class XboardConnection {
 public:
  // Performs the handshake: the front end's first two lines must begin with xboard and
  // protover; the engine answers with its features. Otherwise the program ends (status 1).
  XboardConnection(ProtocolInput& in, std::ostream& out,
                   const std::string& traceFileName = CONNECTION_TRACE_FILE);
  virtual ~XboardConnection() = default;
  XboardConnection(const XboardConnection&) = delete;
  XboardConnection& operator=(const XboardConnection&) = delete;

  // The next line from the front end, traced; false at the end of input.
  bool ReadLine(std::string& line);
  // The lines that have arrived and wait to be read, without waiting for more.
  const std::deque<std::string>& Waiting() { return in_.Waiting(); }
  // Whether the front end has closed its end of the pipe.
  bool InputEnded() { return in_.Waiting().empty() && in_.Ended(); }
  // One line to the front end, with copies to the console text and the trace.
  void Send(const std::string& line);
  void SendFeatures();

 private:
  ProtocolInput& in_;
  std::ostream& out_;
  std::ofstream trace;
};

// The first word of a command line, lowercased, and the rest after the blanks behind it.
void SplitCommand(const std::string& line, std::string& word, std::string& rest);
