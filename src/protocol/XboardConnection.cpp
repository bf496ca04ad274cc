#include "protocol/XboardConnection.h"

#include <cstdlib>
#include <iostream>

#include "game/Console.h"

XboardConnection* CurrentConnection = nullptr;
bool XboardMode = false;

namespace {

[[noreturn]] void HandshakeFailed(const char* message) {
  std::cerr << message << std::flush;
  std::exit(1);
}

}  // namespace

XboardConnection::XboardConnection(std::istream& in, std::ostream& out,
                                   const std::string& traceFileName)
    : in_(in), out_(out) {
  CommandTable = {"",         "",        "new",          "usermove", "protover", "xboard",
                  "quit",     "feature", "Illegal move", "Error",    "move",     "resign",
                  "thinking", "remove",  "white",        "",         "",         "",
                  "",         ""};
  XboardMode = true;
  CurrentConnection = this;
  trace.open(traceFileName, std::ios::out | std::ios::trunc);
  trace << "Trace started...\n\n";

  int code = CMD_NONE;
  std::string text;
  ReadCommand(code, text);
  if (code != CMD_XBOARD) HandshakeFailed("'xboard' command expected");
  ReadCommand(code, text);
  if (code != CMD_PROTOVER) HandshakeFailed("'protover' command expected");
  SendFeatures();
}

XboardConnection::~XboardConnection() {
  XboardMode = false;
  if (CurrentConnection == this) CurrentConnection = nullptr;
}

void XboardConnection::SendFeatures() {
  const std::string features =
      " ping=0 setboard=1 playother=0 san=0 usermove=1 time=0 draw=0 sigint=0 sigterm=0 reuse=0 "
      "analyze=1"
      " myname=\"Velmora\" variants=\"losers\" color=0 ics=0 name=0 pause=0 done=1";
  out_ << "feature" << features << '\n' << std::flush;
  trace << "Out: feature" << features << '\n' << std::flush;
}

bool XboardConnection::ReadLine(std::string& line) {
  line.clear();
  int c = in_.get();
  if (c == std::char_traits<char>::eof()) return false;
  for (; c != std::char_traits<char>::eof() && c != '\n'; c = in_.get())
    line += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  trace << "In: " << line << '\n' << std::flush;
  return true;
}

bool XboardConnection::ReadCommand(int& code, std::string& text) {
  std::string line;
  if (!ReadLine(line)) {
    // The front end has closed the pipe: the game cannot go on, as after a quit.
    code = CMD_QUIT;
    text.clear();
    return true;
  }
  code = CMD_UNKNOWN;
  text = line;
  if (line.empty()) return false;
  for (int i = 0; i < static_cast<int>(CommandTable.size()); ++i) {
    const std::string& word = CommandTable[static_cast<std::size_t>(i)];
    if (word.empty() || line.compare(0, word.size(), word) != 0) continue;
    code = i;
    text = line.size() > word.size() + 1 ? line.substr(word.size() + 1) : "";
    break;
  }
  return code != CMD_NONE && code != CMD_UNKNOWN;
}

void XboardConnection::Send(int code, const std::string& text) {
  const std::string& word = CommandTable[static_cast<std::size_t>(code)];
  trace << "Out: " << word << ' ' << text << '\n' << std::flush;
  const std::string argument = text.empty() ? text : " " + text;
  *ConsoleOut << word << argument << std::endl;
  if (code == CMD_THINKING) {
    out_ << text << std::endl;
  } else {
    out_ << word << argument << std::endl;
  }
  out_.flush();
}
