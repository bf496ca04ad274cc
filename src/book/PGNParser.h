// Reads PGN game collections one game after another and hands out every game's moves as board
// moves, each with the outcome for the side that made it. Only the subset of PGN found in
// ordinary collections and downloads is understood: tag pairs (Result, White, Black, SetUp and
// FEN are interpreted), brace and line comments, variations (skipped), numeric annotation glyphs
// (skipped), move numbers, SAN moves with check, mate and annotation marks, the
// game-termination markers, and escape lines (a line that begins with "%" is passed over, except
// inside a brace comment or a tag's quotes, where it is text).
//
// The reader is a character-level state machine, not a tokenizer with a grammar. Its bracket,
// brace, quote and escape state belongs to the reader, not to a game, and carries over from one
// game to the next. A move that cannot be resolved ends the reading: getNextMove answers false
// and Failed() tells why.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <utility>
#include <vector>

#include "board/Board.h"
#include "board/Move.h"
#include "board/MoveList.h"
#include "book/Outcome.h"

// The result of the current game, from its Result tag. The two wins equal the winner's colour.
inline constexpr int RESULT_WHITE_WINS = 0;
inline constexpr int RESULT_BLACK_WINS = 1;
inline constexpr int RESULT_DRAW = 2;
inline constexpr int RESULT_UNKNOWN = 3;  // "*", any other value, or no Result tag

class PGNParser {
 public:
  // The stream is not owned; it must outlive the reader.
  explicit PGNParser(std::istream& stream);
  virtual ~PGNParser() = default;
  PGNParser(const PGNParser&) = delete;
  PGNParser& operator=(const PGNParser&) = delete;

  // Skips to the next game and reads its tags; true when its move text begins (the first move
  // number has been consumed), false at the end of the input.
  bool getNextMatch();

  // The next move of the current game, already made on the reader's board, and its outcome
  // (OUTCOME_*). The move lives in the reader's move list and stays valid until the next call.
  // False when the game's moves end: a result marker, the next game's first tag, or the end of
  // the input (a last move standing right before the end is still handed out); false too when
  // the reading fails (see Failed).
  bool getNextMove(Move*& move, int& outcome);
  bool getNextMove(const Move*& move, int& outcome);

  // Turns a SAN token into coordinate text ("e2e4", "e7e8Q") for the reader's board, and tells
  // whether the token bears one of the annotations ! !! ? ??. False, with an empty text and a
  // note, when the token names no piece or no piece of the side to move can make the move.
  bool sanToCoordinates(std::string token, std::string& coordinates, bool& annotated);

  int MatchNo() const { return matchNo; }  // 1 for the first game
  int MoveNo() const { return moveNo; }    // the ply number of the move read last
  int Result() const { return result; }    // RESULT_*
  const std::string& WhiteName() const { return whiteName; }
  const std::string& BlackName() const { return blackName; }
  const Board& CurrentBoard() const { return board; }
  // Whether the current game's tags say it starts from a set-up position (SetUp "1" or a FEN).
  bool StartsFromSetUpPosition() const { return setUpPosition; }

  // The tags of the current game in their order, by name, each value without the blanks
  // around it; and why its FEN tag, if it has a bad one, was not used (the game then starts
  // from the initial position).
  const std::vector<std::pair<std::string, std::string>>& Tags() const { return tags; }
  const std::string& StartError() const { return startError; }

  // Whether the reading ended on input it cannot go on with; it reads nothing more then, unless
  // the caller recovers: the reading goes on with the next game.
  bool Failed() const { return failed; }
  void Recover();
  // What the reader has to say about bad move text, for standard output, in order, and the
  // reason the reading failed, for standard error; said in this order.
  const std::string& Notes() const { return notes; }
  const std::string& Error() const { return error; }

 private:
  // Reads the tags up to the game's move text; false at the end of the input.
  bool ReadTags();
  void InterpretTag(std::string token);
  // The forms of SAN, each into coordinate text: "e4", "e8=Q", "exd5", "Nbd2".
  bool PawnAdvance(const std::string& token, std::string& coordinates) const;
  bool Promotion(const std::string& token, std::string& coordinates) const;
  bool PawnCapture(const std::string& token, const std::string& prefix, std::string& coordinates);
  bool PieceMove(const std::string& prefix, const std::string& target, std::string& coordinates);
  // Turns a complete move-text token into the next move; see getNextMove.
  bool ProcessToken(std::string token, Move*& move, int& outcome);
  // Notes where `c`, the byte just read, stands in its line; true when it opens an escape line
  // outside comments and quotes, which is then skipped like a line comment.
  bool OpensEscapeLine(unsigned char c);
  // Ends the reading for `reason`; false, for the caller to answer.
  bool Fail(const std::string& reason);

  std::istream& stream;
  Board board;  // the current game's position
  std::int32_t tagDepth = 0;
  std::int32_t commentDepth = 0;
  bool inQuotes = false;
  bool escaped = false;             // the previous byte was a backslash
  bool lineComment = false;         // inside a comment from ";", or an escape line, to its end
  bool lineStart = true;            // the next byte is the first of a line
  std::int32_t variationDepth = 0;  // nesting depth of ( ) in move text
  bool setUpPosition = false;
  MoveList moves;  // the moves of board, regenerated for every move read
  std::int32_t result = RESULT_UNKNOWN;
  std::int32_t matchNo = 0;  // +1 at every getNextMatch
  std::int32_t moveNo = 0;   // +1 at every getNextMove, 0 at the start of a game
  std::string whiteName;
  std::string blackName;
  std::vector<std::pair<std::string, std::string>> tags;
  std::string startError;
  bool failed = false;
  std::string notes;
  std::string error;
};
