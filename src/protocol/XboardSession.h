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

// Where an analysis's search is: the time since it began, its nodes so far, the depth of the
// running iteration, the root moves the iteration has not begun yet of those it searches, and
// the move it searches (empty while that is not known).
struct SearchStatus {
  std::int64_t elapsedMs = 0;
  std::int64_t nodes = 0;
  int depth = 0;
  int movesLeft = 0;
  int rootMoves = 0;
  std::string move;
};
// The answer to "." in an analysis: "stat01: TIME NODES DEPTH MOVESLEFT TOTALMOVES MOVE", the
// time in centiseconds, without MOVE while it is not known.
std::string StatusLine(const SearchStatus& status);

class XboardSession {
 public:
  XboardSession(XboardConnection& connection, const OpeningBook* book,
                const std::string& logFileName);

  // Answers the front end until it quits or closes the pipe. The game that is running then is
  // written to the log, unfinished.
  void Run();
  // Whether a game was written to the log.
  bool Logged() const { return game_.Logged(); }
  // Keeps the front end's searches small (see EngineSession::Caps).
  void Cap(const EngineSession::Caps& caps) { game_.Cap(caps); }

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
  void OnOption(const std::string& line, const std::string& arguments);
  void OnNodeRate(const std::string& line, const std::string& arguments);

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
  // A request with the game's options, the order's limits and the thinking output of that
  // many best lines.
  SearchRequest RequestFor(const SearchOrder& order, int lines = 1);
  // The order of the engine's own search: the clock (in nodes after "nps") and the depth limit.
  SearchOrder ClockOrder() const;
  bool HasClock() const { return fixedMoveMs_ >= 0 || remainingMs_ >= 0; }
  // Whether the wall clock times the engine's moves: a clock is set and no node rate.
  bool WallClockTimed() const { return HasClock() && nodeRate_ == 0; }
  // Milliseconds of the clock as nodes at the node rate.
  std::int64_t NodesFor(std::int64_t ms) const;
  // Answers the front end's "." in an analysis with the search's status (stat01).
  void SendStatus();
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
  bool ownBook_ = true;  // the option OwnBook: game moves may come from the book
  int lines_ = 1;        // the option MultiPV: the best lines an analysis shows

  // Where the analysis's search is, for ".": the status of the last report, and while the
  // search runs the time it began and whether an iteration has just been reported.
  SearchStatus status_;
  std::int64_t analysisStartedMs_ = 0;
  bool analysisRunning_ = false;
  bool iterationJustEnded_ = false;

  // The clock, as the front end sets it.
  int levelMoves_ = 0;
  std::int64_t levelBaseMs_ = -1;
  std::int64_t incrementMs_ = 0;
  std::int64_t fixedMoveMs_ = -1;
  std::int64_t remainingMs_ = -1;
  int depthLimit_ = 0;
  // "nps": the clock counts this many nodes a second instead of the wall clock's time (0: off).
  std::int64_t nodeRate_ = 0;
};

// The thinking line of a finished iteration: "depth\tscore\ttime\tnodes\tvariation", with the
// time and the nodes since the search began, the time in centiseconds. A mate in N moves scores
// 100000 + N for the side that mates, -100000 - N for the side that is mated.
std::string ThinkingLine(const IterationReport& report);
// The thinking line for the root's new best move in the middle of an iteration, or none when
// its score is a mate: xboard has no mark for a bound, and a mate that a move tried first is
// found to allow, or one a new best move seems to give, is often not the position's. The
// iteration's own line follows with the exact score.
std::optional<std::string> NewBestLine(const SearchProgress& progress, const Board& root,
                                       const IterativeSearch& engine);
