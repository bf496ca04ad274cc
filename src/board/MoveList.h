// The pseudo-legal moves of a position in their fixed generation order, with a cursor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>

#include "board/Board.h"
#include "board/Move.h"

// Why the last generation returned false.
enum class GenerationFailure : std::uint8_t {
  NONE,          // it succeeded
  KING_CAPTURE,  // the side to move can capture the enemy king: the position is illegal
  NO_KING,       // the side to move has no king
  NO_MOVES,      // no move (or, for captures-only generation, no capture) at all
};

class MoveList {
 public:
  MoveList() = default;
  MoveList(const MoveList& other) { *this = other; }
  MoveList& operator=(const MoveList& other);

  // All pseudo-legal moves of the side to move. False when the enemy king can be captured, the
  // own king is missing or there is no move; the list then holds what was generated before.
  // Removes the mover's castling path from the board first.
  bool Generate(Board& board);
  // The same for captures, capturing promotions and en passant only.
  bool GenerateCaptures(Board& board);
  GenerationFailure LastFailure() const { return failure_; }

  // Generates (whatever the result) and leaves the cursor on the first move from -> to.
  bool Select(Board& board, int from, int to);
  // The first move from -> to, or null; the cursor is left on it (at the end when none).
  Move* Find(int from, int to);
  // Leaves the cursor on the move equal to the given one.
  bool Contains(const Move& move);

  // Move::Line of every move, in order.
  std::string Lines() const;

  int Size() const { return size_; }
  bool Empty() const { return size_ == 0; }
  Move& operator[](int i) { return data_[i]; }
  const Move& operator[](int i) const { return data_[i]; }
  Move* begin() { return data_; }
  Move* end() { return data_ + size_; }
  const Move* begin() const { return data_; }
  const Move* end() const { return data_ + size_; }

  // The cursor: an index into the list, Size() when it designates no move.
  int Cursor() const { return cursor_; }
  void SetCursor(int index) { cursor_ = index; }
  Move* Current() { return cursor_ < size_ ? data_ + cursor_ : nullptr; }

  void Clear() {
    size_ = 0;
    cursor_ = 0;
  }
  void Add(const Move& move) {
    if (size_ == capacity_) Grow();
    ::new (static_cast<void*>(data_ + size_)) Move(move);
    ++size_;
  }

 private:
  // Room for the moves of nearly every position; a longer list moves to the heap.
  static constexpr int INLINE_CAPACITY = 112;

  void Grow();
  template <bool CapturesOnly>
  bool Run(Board& board);

  // Raw storage: a list is made at every search node, and only the moves added are written.
  alignas(Move) std::byte inline_[INLINE_CAPACITY * sizeof(Move)];
  std::unique_ptr<Move[]> heap_;
  Move* data_ = reinterpret_cast<Move*>(inline_);
  int size_ = 0;
  int capacity_ = INLINE_CAPACITY;
  int cursor_ = 0;
  GenerationFailure failure_ = GenerationFailure::NONE;
};
