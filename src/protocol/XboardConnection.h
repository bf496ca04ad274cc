// The xboard (WinBoard) protocol's transport: the handshake and the feature line on top of
// the line channel.
#pragma once

#include <ostream>
#include <string>

#include "protocol/ProtocolChannel.h"

class XboardConnection : public ProtocolChannel {
 public:
  XboardConnection(ProtocolInput& in, std::ostream& out,
                   const std::string& traceFileName = CONNECTION_TRACE_FILE);

  // The handshake: the front end's first two lines must begin with xboard and protover; the
  // engine answers with its features. False, with the reason, for anything else.
  bool Handshake(std::string& error);

  void SendFeatures();
};
