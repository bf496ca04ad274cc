// Command lines from a front end, read from a file descriptor so that the engine can look for
// waiting commands while it thinks, without blocking.
#pragma once

#include <deque>
#include <string>

class ProtocolInput {
 public:
  explicit ProtocolInput(int descriptor);

  // The next line without its line end (a carriage return before it is dropped too); waits
  // for it. False at the end of input once every line has been read.
  bool ReadLine(std::string& line);
  // Collects what has arrived, without waiting; the whole lines waiting to be read.
  const std::deque<std::string>& Waiting();
  // Takes the lines that are waiting, without waiting for more.
  std::deque<std::string> TakeWaiting();
  // Whether the input has ended (lines may still be waiting).
  bool Ended() const { return ended_; }

 private:
  // Reads what the descriptor holds; waits for it when `wait` is set. False at its end.
  bool Fill(bool wait);

  int descriptor_;
  std::string partial_;
  std::deque<std::string> lines_;
  bool ended_ = false;
};
