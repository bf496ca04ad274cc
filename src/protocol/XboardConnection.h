// The xboard (WinBoard) protocol's transport: the handshake, the feature line, command lines
// from the front end, the engine's messages, and a trace of both directions.
#pragma once

#include <array>
#include <fstream>
#include <istream>
#include <ostream>
#include <string>

enum XboardCommand : int {
  CMD_NONE = 0,
  CMD_UNKNOWN = 1,
  CMD_NEW = 2,
  CMD_USERMOVE = 3,
  CMD_PROTOVER = 4,
  CMD_XBOARD = 5,
  CMD_QUIT = 6,
  CMD_FEATURE = 7,
  CMD_ILLEGAL_MOVE = 8,
  CMD_ERROR = 9,
  CMD_MOVE = 10,
  CMD_RESIGN = 11,
  CMD_THINKING = 12,
  CMD_REMOVE = 13,
  CMD_WHITE = 14,
};

inline constexpr const char* CONNECTION_TRACE_FILE = "ConnTrace.txt";

class XboardConnection {
 public:
  // Performs the handshake: the front end's first two lines must begin with xboard and
  // protover; the engine answers with its features. Otherwise the program ends (status 1).
  explicit XboardConnection(std::istream& in, std::ostream& out,
                            const std::string& traceFileName = CONNECTION_TRACE_FILE);
  virtual ~XboardConnection();
  XboardConnection(const XboardConnection&) = delete;
  XboardConnection& operator=(const XboardConnection&) = delete;

  // The next line from the front end: its command code and the text after the command word.
  // False for an empty or unknown line. The end of input reads as quit.
  bool ReadCommand(int& code, std::string& text);
  // One message to the front end, with copies to the console text and the trace.
  void Send(int code, const std::string& text);
  void SendFeatures();

 private:
  // One line, lowercased, without its line end; false at the end of input.
  bool ReadLine(std::string& line);

  std::array<std::string, 20> CommandTable;
  std::istream& in_;
  std::ostream& out_;
  std::ofstream trace;
};

// The connection of this run, when the program plays under a front end.
extern XboardConnection* CurrentConnection;
// Whether the program plays under a front end.
extern bool XboardMode;
