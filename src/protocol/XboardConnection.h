// The xboard (WinBoard) protocol's transport: the handshake and the feature line on top of
// the line channel.
#pragma once

#include <ostream>
#include <string>

#include "protocol/ProtocolChannel.h"

class XboardConnection : public ProtocolChannel {
 public:
  // Performs the handshake: the front end's first two lines must begin with xboard and
  // protover; the engine answers with its features. Otherwise it throws FatalInput (status 1).
  XboardConnection(ProtocolInput& in, std::ostream& out,
                   const std::string& traceFileName = CONNECTION_TRACE_FILE);

  void SendFeatures();
};
