// The xboard (WinBoard) protocol's transport: the handshake and the feature line on top of
// the line channel.
#pragma once

#include <ostream>
#include <string>

#include "protocol/ProtocolChannel.h"

class XboardConnection : public ProtocolChannel {
 public:
  XboardConnection(ProtocolInput& in, std::ostream& out, const std::string& traceFileName = "");

  // The handshake: the front end's first line must begin with xboard. A second line protover
  // is answered with the features; any other second line is held for the session, as a front
  // end of protocol version 1 sends no protover. False, with the reason, for a first line that
  // is no xboard or an input that ends before the second line.
  bool Handshake(std::string& error);
  // The line held by the handshake, once.
  bool TakeHeldLine(std::string& line);

  void SendFeatures();
  // The greatest value of the option MultiPV: the search finds at most eight best lines.
  static constexpr int MOST_LINES = 8;

 private:
  std::string heldLine_;
};
