// The engine as a front end runs it, and what the tests of both protocols judge its answers by.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "protocol/EngineSession.h"
#include "support/ChildProcess.h"
#include "support/ConsoleCapture.h"

// A search report: UCI's "info depth" line or xboard's thinking line (depth, score, time, nodes
// and variation, tab-separated).
inline bool IsReport(const std::string& line) {
  return line.starts_with("info depth ") ||
         (!line.empty() && std::isdigit(static_cast<unsigned char>(line[0])) &&
          line.find('\t') != std::string::npos);
}

// The depth of a report of the search's score; 0 for any other line.
inline int ReportDepth(const std::string& line) {
  if (line.starts_with("info depth "))
    return line.find(" score ") == std::string::npos ? 0 : std::atoi(line.c_str() + 11);
  return IsReport(line) ? std::atoi(line.c_str()) : 0;
}

// Field `index` of a thinking line (0 depth, 1 score, 2 time, 3 nodes, 4 the variation).
inline std::string Field(const std::string& line, int index) {
  std::istringstream fields(line);
  std::string field;
  for (int i = 0; i <= index; ++i) std::getline(fields, field, '\t');
  return field;
}

// The program in mode "uci" or "xboard" (or with other arguments, or none) in a fresh folder;
// its standard error goes to stderr.txt there.
struct EngineProcess {
  explicit EngineProcess(const char* mode) : EngineProcess(std::vector<std::string>{mode}) {}
  explicit EngineProcess(std::vector<std::string> arguments)
      : session(directory.Path(), WithProgram(std::move(arguments))) {}
  // Reads up to the first line that starts with `prefix` and returns it ("<end>" or "<timeout>"
  // when none comes); the search reports on the way are kept.
  std::string Until(const std::string& prefix) {
    for (std::string line = session.ReadLine();; line = session.ReadLine()) {
      if (IsReport(line)) reports.push_back(line);
      if (line.starts_with(prefix) || line == "<timeout>" || line == "<end>") return line;
    }
  }
  // The front end's first words; the engine's answers up to the line `last`.
  std::vector<std::string> Greet(const std::string& hello, const std::string& last) {
    session.Send(hello);
    std::vector<std::string> lines;
    do lines.push_back(session.ReadLine());
    while (lines.back() != last && lines.back() != "<end>" && lines.back() != "<timeout>");
    return lines;
  }
  // Quits; the exit status.
  int Quit() {
    session.Send("quit");
    return session.Wait();
  }
  // The names of the files in its folder, sorted.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory.Path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  TemporaryDirectory directory;
  ChildProcess session;
  std::vector<std::string> reports;

 private:
  static std::vector<std::string> WithProgram(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), VELMORA_BINARY);
    return arguments;
  }
};

// Whether the engine's move ("bestmove X ..." or "move X") is legal in the FEN's position.
inline bool MoveIsLegal(const std::string& line, const std::string& fen) {
  const std::size_t at = line.starts_with("bestmove ") ? 9 : line.starts_with("move ") ? 5 : 0;
  EngineSession game("");
  std::string error;
  Move move;
  return at > 0 && game.SetUp(fen, error) &&
         game.FindMove(line.substr(at, line.find(' ', at) - at), move);
}

// The game's own search of the FEN's position after `moves` to `depth`, with the strength
// named: the report of its last iteration.
inline IterationReport ReferenceSearch(const char* strength, const std::string& fen,
                                       std::initializer_list<const char*> moves, int depth) {
  ConsoleCapture console;
  EngineSession game("");
  std::string error;
  EXPECT_TRUE(game.SetUp(fen, error) && game.SetStrength(strength)) << error;
  for (const char* text : moves) {
    Move move;
    EXPECT_TRUE(game.FindMove(text, move)) << text;
    game.Play(move);
  }
  SearchRequest request;
  request.options = game.GameOptions();
  SearchOrder order;
  order.depth = depth;
  ApplyOrder(order, request);
  IterationReport last;
  request.onIteration = [&last](const IterationReport& report) { last = report; };
  game.Think(std::move(request));
  return last;
}
