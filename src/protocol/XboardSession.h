// The engine under a front end that speaks the xboard protocol: which side the engine plays,
// the clocks, analysis, and every command of protocol version 2 for normal chess.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "protocol/EngineSession.h"
#include "protocol/XboardConnection.h"
#include "search/TimeBudget.h"

class OpeningBook;

class XboardSession {
 public:
  XboardSession(XboardConnection& connection, const OpeningBook* book,
                const std::string& logFileName);

  // Answers the front end until it quits or closes the pipe. The game that is running then is
  // written to the log, unfinished.
  void Run();
  // Whether a game was written to the log.
  bool Logged() const { return game_.Logged(); }
  // Ends every search after this many nodes (see EngineSession::CapNodes).
  void CapSearchNodes(std::int64_t nodes) { game_.CapNodes(nodes); }
  // Keeps the tables at most this big (see EngineSession::CapHashMegabytes).
  void CapHashMegabytes(int megabytes) { game_.CapHashMegabytes(megabytes); }

 private:
  // The engine plays neither side.
  static constexpr int NEITHER = -1;

  void Dispatch(const std::string& line);
  // The next line to handle: one that pondering read and left, else the front end's next.
  bool NextLine(std::string& line);
  void OnUserMove(const std::string& text);
  void OnLevel(const std::string& arguments);
  void OnResult(const std::string& arguments);
  void OnSetBoard(const std::string& fen);
  void OnTakeBack(int plies, const std::string& command);
  void OnNew();
  void OnExclude(bool exclude, const std::string& arguments);

  // The engine's move: searched within the clock, sent and made, and then, with pondering on,
  // the position after the expected reply is searched until the front end's reply comes.
  // Nothing happens when a command that changes the game stops the search.
  void EngineMove();
  // Searches the engine's move under the clock; false when a command voided the search.
  bool SearchMove(SearchAnswer& answer);
  // Sends and makes the move of the answer (or resigns); true when the game goes on.
  bool PlayAnswer(const SearchAnswer& answer, std::int64_t started);
  // Plays the reply that the answer's variation expects and searches on from there until the
  // front end's reply arrives. When it is the expected one the search goes on as the engine's
  // own and `answer` is its move (true); otherwise the guess is taken back (false).
  bool Ponder(SearchAnswer& answer, std::int64_t& started);
  // Searches the position without end until a command arrives.
  void Analyze();
  // A request with the game's options, the order's limits and the thinking output.
  SearchRequest RequestFor(const SearchOrder& order);
  // The order of the engine's own search: the clock and the depth limit.
  SearchOrder ClockOrder() const;
  bool HasClock() const { return fixedMoveMs_ >= 0 || remainingMs_ >= 0; }
  // Whether a waiting line should stop the running search; `firstStop` gets that line.
  bool StopRequested(bool analyzing, std::string* firstStop);
  // After a move: the game's end on the board, or a draw the engine claims, is announced and
  // recorded.
  void CheckGameEnd();
  void EndGame(const std::string& result);
  void SendThinking(const std::string& line);
  GameClock ClockForMove() const;
  void NameThePlayers();

  XboardConnection& connection_;
  const OpeningBook* book_;
  EngineSession game_;
  int engineSide_ = BLACK;
  int lastEngineSide_ = BLACK;
  bool gameOver_ = false;
  bool noPosition_ = false;  // a setboard was refused: no position until the next one or new
  bool analyzing_ = false;
  bool post_ = true;
  bool quit_ = false;
  bool needAnalysis_ = false;  // the position has changed since it was last analysed
  bool awaitingGo_ = false;    // after "white" or "black": the engine does not move before "go"
  bool firstCommand_ = true;   // a first "white" makes the engine White, as it always has
  bool ponder_ = false;        // "hard": the engine thinks on the opponent's time
  std::optional<std::string> pending_;
  // Root moves left out of the analysis until the position changes.
  std::vector<Move> excluded_;
  std::string opponentName_ = "Winboard - Human";

  // The clock, as the front end sets it.
  int levelMoves_ = 0;
  std::int64_t levelBaseMs_ = -1;
  std::int64_t incrementMs_ = 0;
  std::int64_t fixedMoveMs_ = -1;
  std::int64_t remainingMs_ = -1;
  int depthLimit_ = 0;
};

// The thinking line of a finished iteration: "depth\tscore\ttime\tnodes\tvariation", with the
// time since the search began in centiseconds and the nodes of that iteration. A mate in N
// moves scores 100000 + N for the side that mates, -100000 - N for the side that is mated.
std::string ThinkingLine(const IterationReport& report);
