#include "protocol/XboardConnection.h"

#include <string>
#include <utility>

#include "protocol/EngineSession.h"

XboardConnection::XboardConnection(ProtocolInput& in, std::ostream& out,
                                   const std::string& traceFileName)
    : ProtocolChannel(in, out, traceFileName) {}

bool XboardConnection::Handshake(std::string& error) {
  std::string line, word, rest;
  ReadLine(line);
  SplitCommand(line, word, rest);
  if (word != "xboard") {
    error = "'xboard' command expected";
    return false;
  }
  if (!ReadLine(line)) {
    error = "'protover' command expected";
    return false;
  }
  SplitCommand(line, word, rest);
  if (word == "protover") {
    SendFeatures();
  } else {
    // A front end of protocol version 1 (gnome-chess starts with "xboard", "random") knows no
    // features: its second line is a command of the game.
    heldLine_ = line;
  }
  return true;
}

bool XboardConnection::TakeHeldLine(std::string& line) {
  if (heldLine_.empty()) return false;
  line = std::exchange(heldLine_, std::string());
  return true;
}

void XboardConnection::SendFeatures() {
  // xboard 4.9 takes an option only as a feature line of its own: within a line of other
  // features, it crashes.
  const std::string lines[] = {
      " ping=1 setboard=1 playother=1 san=0 usermove=1 time=1 draw=0 sigint=0 sigterm=0 reuse=0 "
      "analyze=1 memory=1 exclude=1"
      " myname=\"Velmora\" variants=\"normal\" color=0 ics=0 name=1 pause=0 nps=1 smp=1",
      std::string(" option=\"Strength -combo *") + EngineSession::STRENGTH_CLASSIC + " /// " +
          EngineSession::STRENGTH_FULL + "\"",
      " option=\"Limit strength -check 0\"",
      " option=\"Elo -spin " + std::to_string(EngineSession::DEFAULT_ELO) + " " +
          std::to_string(LEVEL_MIN) + " " + std::to_string(LEVEL_MAX) + "\"",
      " option=\"OwnBook -check 1\"",
      " option=\"MultiPV -spin 1 1 " + std::to_string(MOST_LINES) + "\"",
      " done=1"};
  for (const std::string& features : lines) {
    out_ << "feature" << features << '\n';
    trace_ << "Out: feature" << features << '\n';
  }
  out_ << std::flush;
  trace_ << std::flush;
}
