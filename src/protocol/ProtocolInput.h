// Command lines from a front end, read from a file descriptor so that the engine can look for
// waiting commands while it thinks, without blocking.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

class ProtocolInput {
 public:
  // `readAhead`: bytes already taken from the descriptor, read before anything that follows.
  explicit ProtocolInput(int descriptor, const std::string& readAhead = "");

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
  // Splits the bytes into lines.
  void Take(const char* bytes, std::size_t count);

  int descriptor_;
  std::string partial_;
  std::deque<std::string> lines_;
  bool ended_ = false;
};

// What a program started without a mode reads first, to know whether a front end started it.
struct FrontEndGreeting {
  enum class Protocol { NONE, UCI, XBOARD };
  // UCI when the first line is "uci", XBOARD when it is "xboard" (in any case, blanks around
  // it allowed), NONE for any other line or an input that ends before one.
  Protocol protocol = Protocol::NONE;
  // The bytes taken from the input: the whole first line with its line end for a greeting,
  // else those up to the first that showed it is none.
  std::string bytes;
};

// Reads the greeting one byte at a time, never beyond the first line and no further than it
// takes to tell, so that whoever reads the input next misses nothing but `bytes`.
FrontEndGreeting ReadGreeting(int descriptor);
