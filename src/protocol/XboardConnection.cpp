#include "protocol/XboardConnection.h"

#include <cctype>
#include <cstdlib>
#include <iostream>

#include "game/Console.h"

namespace {

[[noreturn]] void HandshakeFailed(const char* message) {
  std::cerr << message << std::flush;
  std::exit(1);
}

}  // namespace

void SplitCommand(const std::string& line, std::string& word, std::string& rest) {
  const auto begin = line.find_first_not_of(" \t");
  const auto end = begin == std::string::npos ? begin : line.find_first_of(" \t", begin);
  word = begin == std::string::npos ? "" : line.substr(begin, end - begin);
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const auto restBegin = end == std::string::npos ? end : line.find_first_not_of(" \t", end);
  rest = restBegin == std::string::npos ? "" : line.substr(restBegin);
  while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.pop_back();
}

XboardConnection::XboardConnection(ProtocolInput& in, std::ostream& out,
                                   const std::string& traceFileName)
    : in_(in), out_(out) {
  trace.open(traceFileName, std::ios::out | std::ios::trunc);
  trace << "Trace started...\n\n";

  std::string line, word, rest;
  ReadLine(line);
  SplitCommand(line, word, rest);
  if (word != "xboard") HandshakeFailed("'xboard' command expected");
  ReadLine(line);
  SplitCommand(line, word, rest);
  if (word != "protover") HandshakeFailed("'protover' command expected");
  SendFeatures();
}

void XboardConnection::SendFeatures() {
  const std::string features =
      " ping=1 setboard=1 playother=0 san=0 usermove=1 time=1 draw=0 sigint=0 sigterm=0 reuse=0 "
      "analyze=1"
      " myname=\"Velmora\" variants=\"normal\" color=0 ics=0 name=0 pause=0 done=1";
  out_ << "feature" << features << '\n' << std::flush;
  trace << "Out: feature" << features << '\n' << std::flush;
}

bool XboardConnection::ReadLine(std::string& line) {
  if (!in_.ReadLine(line)) {
    line.clear();
    trace << "In: (end of input)\n" << std::flush;
    return false;
  }
  trace << "In: " << line << '\n' << std::flush;
  return true;
}

void XboardConnection::Send(const std::string& line) {
  trace << "Out: " << line << '\n' << std::flush;
  *ConsoleOut << line << std::endl;
  out_ << line << std::endl;
}
