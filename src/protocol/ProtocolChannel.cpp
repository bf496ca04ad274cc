#include "protocol/ProtocolChannel.h"

#include <cctype>

#include "console/Console.h"

void SplitCommand(const std::string& line, std::string& word, std::string& rest) {
  const auto begin = line.find_first_not_of(" \t");
  const auto end = begin == std::string::npos ? begin : line.find_first_of(" \t", begin);
  word = begin == std::string::npos ? "" : line.substr(begin, end - begin);
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const auto restBegin = end == std::string::npos ? end : line.find_first_not_of(" \t", end);
  rest = restBegin == std::string::npos ? "" : line.substr(restBegin);
  while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.pop_back();
}

ProtocolChannel::ProtocolChannel(ProtocolInput& in, std::ostream& out,
                                 const std::string& traceFileName)
    : out_(out), in_(in) {
  trace_.open(traceFileName, std::ios::out | std::ios::trunc);
  trace_ << "Trace started...\n\n";
}

bool ProtocolChannel::ReadLine(std::string& line) {
  if (!in_.ReadLine(line)) {
    line.clear();
    trace_ << "In: (end of input)\n" << std::flush;
    return false;
  }
  trace_ << "In: " << line << '\n' << std::flush;
  return true;
}

std::deque<std::string> ProtocolChannel::TakeWaiting() {
  std::deque<std::string> lines = in_.TakeWaiting();
  for (const std::string& line : lines) trace_ << "In: " << line << '\n';
  trace_ << std::flush;
  return lines;
}

void ProtocolChannel::Send(const std::string& line) {
  trace_ << "Out: " << line << '\n' << std::flush;
  *ConsoleOut << line << std::endl;
  out_ << line << std::endl;
}
