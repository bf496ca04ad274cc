// An input so damaged that the program cannot go on. The reader that finds it has already given
// its message; it throws this instead of ending the process, and the program entry ends with
// the status carried here. Tools and tests that feed the readers simply go on.
#pragma once

#include <stdexcept>

class FatalInput : public std::runtime_error {
 public:
  FatalInput(int status, const char* reader) : std::runtime_error(reader), status_(status) {}
  // The process's exit status.
  int Status() const { return status_; }

 private:
  int status_;
};
