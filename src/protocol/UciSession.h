// The engine under a front end that speaks UCI: positions, searches under the front end's
// limits, and the answers the protocol expects, also while the engine thinks.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "protocol/EngineSession.h"
#include "protocol/ProtocolChannel.h"
#include "search/SearchControl.h"
#include "search/SearchLimits.h"
#include "search/TimeBudget.h"

class OpeningBook;

class UciSession {
 public:
  // `bookFile` is the book the engine uses until the front end names another one.
  UciSession(ProtocolChannel& channel, std::string bookFile);
  ~UciSession();

  // Answers the front end until it quits or closes the pipe.
  void Run();
  // Keeps the front end's searches small (see EngineSession::Caps).
  void Cap(const EngineSession::Caps& caps) { game_.Cap(caps); }

 private:
  void Dispatch(const std::string& line);
  void OnPosition(const std::string& arguments);
  void OnGo(const std::string& arguments);
  void OnSetOption(const std::string& arguments);
  // A line that arrives while the engine thinks: "isready" is answered, "stop" and "quit"
  // are noted, the rest waits until the search is over.
  void WhileSearching(std::string line);
  // Reads on after a search until "stop" when `untilStopped`, and while pondering until
  // "ponderhit"; the end of input ends the session.
  void AwaitEnd(bool untilStopped);
  // Takes the lines that have arrived; sets the stop request when the search is to stop.
  void Poll();
  void SendInfo(const IterationReport& report);
  void SendProgress(const SearchProgress& progress);
  // The words after "searchmoves" up to the next word of "go": the legal moves among them.
  std::vector<Move> ReadSearchMoves(const std::vector<std::string>& words, std::size_t& next);
  // The move to announce: the engine's, or a legal one when it gave up; "0000" when the game
  // is over.
  std::string BestMoveText(const Move& move);
  // The book for a game move: read when first asked, after every change of the file.
  const OpeningBook* Book();
  // Reads the book file; says why when it cannot (on standard error and to the front end).
  bool LoadBook();
  void Report(const std::string& text) { channel_.Send("info string " + text); }

  ProtocolChannel& channel_;
  EngineSession game_;
  std::string bookFile_;
  std::unique_ptr<OpeningBook> book_;
  bool ownBook_ = true;
  int lines_ = 1;             // MultiPV
  bool analyseMode_ = false;  // UCI_AnalyseMode: every search is an analysis
  bool showWdl_ = false;      // UCI_ShowWDL
  std::int64_t moveOverheadMs_ = GameClock::DEFAULT_OVERHEAD_MS;
  // While "go ponder" searches: the clock that counts once the front end says "ponderhit".
  bool pondering_ = false;
  GameClock ponderClock_;
  bool quit_ = false;
  bool noPosition_ = false;  // a position was refused: no search until the next one
  std::atomic<bool> stop_ = false;
  std::deque<std::string> pending_;
};
