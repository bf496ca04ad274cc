#include "protocol/EngineSession.h"

#include <algorithm>
#include <cctype>
#include <iostream>

#include "board/Fen.h"
#include "board/MoveList.h"
#include "board/SquareText.h"
#include "book/PGNWriter.h"

namespace {

const std::string UNDECIDED = "*";

// The promotion named by the letter of coordinate text; "k" is the console's knight.
int PromotionOf(char letter) {
  const PromotionPiece* promotion = PromotionOfLetter(letter == 'k' ? 'n' : letter);
  return promotion && letter >= 'a' ? promotion->flag : -1;
}

// Whether `move`, made on a copy of `board`, leaves the mover's king safe.
bool Legal(const Board& board, const Move& move) {
  Board after = board;
  after.MakeMove(&move);
  MoveList replies;
  return replies.Generate(after);
}

}  // namespace

std::string CoordinateText(const Move& move) {
  std::string text;
  Board::SquareToCoord(move.from, move.to, text);
  return text + move.PromotionLetter();
}

std::string ResultLine(BoardOutcome outcome) {
  switch (outcome) {
    case BoardOutcome::WHITE_MATES:
      return "1-0 {White mates}";
    case BoardOutcome::BLACK_MATES:
      return "0-1 {Black mates}";
    case BoardOutcome::STALEMATE:
      return "1/2-1/2 {Stalemate}";
    default:
      return "";
  }
}

EngineSession::EngineSession(const OpeningBook* book, std::string logFileName)
    : book_(book), logFileName_(std::move(logFileName)) {
  Board initial;
  Restart(initial, false);
}

void EngineSession::Restart(const Board& start, bool sameEngine) {
  WriteRecord();
  if (!sameEngine || !engine_) engine_ = std::make_unique<NegaScout>(book_);
  start_ = start;
  board_ = start;
  before_.clear();
  moves_.clear();
  result_ = UNDECIDED;
  written_ = false;
}

void EngineSession::NewGame(bool sameEngine) {
  Board initial;
  Restart(initial, sameEngine);
}

bool EngineSession::SetUp(const std::string& fen, std::string& error, bool sameEngine) {
  Board position;
  if (!ReadFen(fen, position, error)) return false;
  Restart(position, sameEngine);
  return true;
}

bool EngineSession::FindMove(const std::string& text, Move& move) {
  std::string coords;
  for (char c : text) coords += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (coords.size() != 4 && coords.size() != 5) return false;
  const Square from = ParseSquare(std::string_view(coords).substr(0, 2));
  const Square to = ParseSquare(std::string_view(coords).substr(2, 2));
  const int promotion = coords.size() == 5 ? PromotionOf(coords[4]) : 0;
  if (from < 0 || to < 0 || promotion < 0) return false;

  Board position = board_;
  MoveList moves;
  if (!moves.Generate(position)) return false;
  for (int i = 0; i < moves.Size(); ++i) {
    const Move& candidate = moves[i];
    if (candidate.from == from && candidate.to == to && candidate.Promotion() == promotion &&
        Legal(position, candidate)) {
      move = candidate;
      return true;
    }
  }
  return false;
}

bool EngineSession::FirstLegalMove(Move& move) {
  Board position = board_;
  MoveList moves;
  if (!moves.Generate(position)) return false;
  for (int i = 0; i < moves.Size(); ++i) {
    if (Legal(position, moves[i])) {
      move = moves[i];
      return true;
    }
  }
  return false;
}

void EngineSession::Play(const Move& move) {
  before_.push_back(board_);
  moves_.push_back(move);
  board_.MakeMove(&move);
  // As in the console game: castling paths count only for the move right after castling.
  board_.RemoveCastlePath(WHITE);
  board_.RemoveCastlePath(BLACK);
  written_ = false;
}

bool EngineSession::TakeBack(int plies) {
  if (plies < 1 || plies > MovesPlayed()) return false;
  board_ = before_[before_.size() - static_cast<std::size_t>(plies)];
  before_.resize(before_.size() - static_cast<std::size_t>(plies));
  moves_.resize(moves_.size() - static_cast<std::size_t>(plies));
  result_ = UNDECIDED;
  written_ = false;
  return true;
}

BoardOutcome EngineSession::Outcome() {
  Board position = board_;
  MoveList moves;
  if (moves.Generate(position) && HasPlayableMove(position, moves)) return BoardOutcome::ONGOING;
  Board turned = board_;
  turned.sideToMove = 1 - turned.sideToMove;
  MoveList replies;
  const bool inCheck = !replies.Generate(turned);
  if (!inCheck) return BoardOutcome::STALEMATE;
  return board_.sideToMove == WHITE ? BoardOutcome::BLACK_MATES : BoardOutcome::WHITE_MATES;
}

Move EngineSession::Think(const SearchLimits& limits, SearchControl control, bool useBook,
                          std::function<void(const std::string&)> thinking) {
  engine_->SetLimits(limits);
  control.maxNodes = std::min(control.maxNodes, nodeCap_);
  engine_->SetControl(std::move(control));
  engine_->SetBook(useBook ? book_ : nullptr);
  engine_->SetThinkingOutput(std::move(thinking));
  Move move;
  engine_->Think(board_, &move);
  engine_->SetControl(SearchControl());
  return move;
}

bool EngineSession::WriteRecord() {
  if (written_ || moves_.empty() || logFileName_.empty()) return false;
  written_ = true;
  PGNWriter record;
  if (!record.Open(logFileName_)) {
    std::cerr << "Can't create logfile '" << logFileName_ << "'! Logging canceled!" << std::endl;
    return false;
  }
  record.whiteName = whiteName;
  record.blackName = blackName;
  record.StartFrom(start_);
  for (const Move& move : moves_) record.AddMove(move);
  record.SetResult(result_);
  if (!record.Finish()) return false;
  logged_ = true;
  return true;
}
