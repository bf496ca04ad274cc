#include "book/PolyglotBook.h"

#include <algorithm>
#include <fstream>

#include "board/Castling.h"
#include "board/Rules.h"
#include "book/Outcome.h"
#include "book/PolyglotRandom.h"

namespace {

constexpr std::size_t ENTRY_SIZE = 16;

// Squares in polyglot books count from a1 = 0 along the ranks to h8 = 63.
int PolyglotSquare(Square square) { return (7 - square / 8) * 8 + FileOf(square); }

// The kinds in the key: black pawn 0, white pawn 1, black knight 2, ... white king 11.
std::size_t PolyglotPiece(int piece) {
  return static_cast<std::size_t>(piece / 2 * 2 + (piece % 2 == WHITE ? 1 : 0));
}

// The castling rights in the key: White short, White long, Black short, Black long.
constexpr int POLYGLOT_RIGHTS[4] = {CASTLE_WHITE_SHORT, CASTLE_WHITE_LONG, CASTLE_BLACK_SHORT,
                                    CASTLE_BLACK_LONG};

// The promotions in a move: none, knight, bishop, rook, queen.
constexpr int POLYGLOT_PROMOTIONS[5] = {0, PROMOTE_KNIGHT, PROMOTE_BISHOP, PROMOTE_ROOK,
                                        PROMOTE_QUEEN};

template <typename T>
T GetBigEndian(const unsigned char* bytes) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) value = value << 8 | bytes[i];
  return static_cast<T>(value);
}

template <typename T>
void PutBigEndian(std::ostream& out, T value) {
  for (std::size_t i = sizeof(T); i-- > 0;)
    out.put(static_cast<char>(static_cast<std::uint64_t>(value) >> (8 * i) & 0xFF));
}

}  // namespace

std::uint64_t PolyglotKey(const Board& position) {
  // Right after castling the king's set still holds the squares it crossed.
  Board board = position;
  board.RemoveCastlePaths();
  std::uint64_t key = 0;
  for (int piece = WP; piece <= BK; ++piece)
    for (Square square = 0; square < 64; ++square)
      if (board.bitboards[piece] & MaskOf(square))
        key ^= POLYGLOT_RANDOM[64 * PolyglotPiece(piece) +
                               static_cast<std::size_t>(PolyglotSquare(square))];
  for (std::size_t i = 0; i < 4; ++i)
    if (board.castleRights[POLYGLOT_RIGHTS[i]]) key ^= POLYGLOT_RANDOM[POLYGLOT_CASTLE + i];
  if (board.enPassant) {
    // The pawn that made the double step stands beside the skipped square's file, one rank on.
    const Square skipped = LowestSquare(board.enPassant);
    const Square pushed = board.sideToMove == WHITE ? skipped + 8 : skipped - 8;
    const int ownPawn = board.sideToMove == WHITE ? WP : BP;
    bool ready = false;
    for (int side : {-1, 1}) {
      const int file = FileOf(pushed) + side;
      if (file >= 0 && file < 8 && (board.bitboards[ownPawn] & MaskOf(pushed + side))) ready = true;
    }
    if (ready)
      key ^= POLYGLOT_RANDOM[POLYGLOT_EN_PASSANT + static_cast<std::size_t>(FileOf(skipped))];
  }
  if (board.sideToMove == WHITE) key ^= POLYGLOT_RANDOM[POLYGLOT_TURN];
  return key;
}

std::uint16_t PolyglotMove(const Move& move) {
  int to = move.to;
  if (move.Kind() == MOVE_CASTLE_SHORT || move.Kind() == MOVE_CASTLE_LONG) {
    const Color color = move.piece % 2;
    to = CASTLING[move.Kind() == MOVE_CASTLE_SHORT ? ShortCastling(color) : LongCastling(color)]
             .rook;
  }
  int promotion = 0;
  for (int i = 1; i < 5; ++i)
    if (move.Promotion() == POLYGLOT_PROMOTIONS[i]) promotion = i;
  return static_cast<std::uint16_t>(PolyglotSquare(to) | PolyglotSquare(move.from) << 6 |
                                    promotion << 12);
}

bool PolyglotBook::Load(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in.is_open()) return false;
  std::vector<Entry> read;
  unsigned char bytes[ENTRY_SIZE];
  std::streamsize got;
  while ((got = in.rdbuf()->sgetn(reinterpret_cast<char*>(bytes), ENTRY_SIZE)) ==
         static_cast<std::streamsize>(ENTRY_SIZE)) {
    Entry entry;
    entry.key = GetBigEndian<std::uint64_t>(bytes);
    entry.move = GetBigEndian<std::uint16_t>(bytes + 8);
    entry.weight = GetBigEndian<std::uint16_t>(bytes + 10);
    entry.learn = GetBigEndian<std::uint32_t>(bytes + 12);
    // Probes find a key by bisection: the keys must not fall. A move names two different
    // squares and at most a queen, or is the null move books may hold.
    if (!read.empty() && entry.key < read.back().key) return false;
    const bool sameSquare = (entry.move & 0x3F) == (entry.move >> 6 & 0x3F);
    if (entry.move >= 0x5000 || (sameSquare && entry.move != 0)) return false;
    read.push_back(entry);
  }
  if (got != 0 || read.empty()) return false;
  entries = std::move(read);
  return true;
}

std::vector<BookCandidate> PolyglotBook::Candidates(const Board& board) const {
  std::vector<BookCandidate> candidates;
  const std::uint64_t key = PolyglotKey(board);
  const auto [first, last] =
      std::equal_range(entries.begin(), entries.end(), Entry{key},
                       [](const Entry& a, const Entry& b) { return a.key < b.key; });
  if (first == last) return candidates;
  const std::vector<Move> legal = LegalMoves(board);
  for (auto entry = first; entry != last; ++entry) {
    if (entry->weight == 0) continue;
    // Books made elsewhere may write castling as the king's two steps: both are taken.
    const auto named = std::find_if(legal.begin(), legal.end(), [&](const Move& move) {
      if (PolyglotMove(move) == entry->move) return true;
      const bool castling = move.Kind() == MOVE_CASTLE_SHORT || move.Kind() == MOVE_CASTLE_LONG;
      return castling && (PolyglotSquare(move.to) | PolyglotSquare(move.from) << 6) == entry->move;
    });
    if (named == legal.end()) continue;
    const bool repeated = std::any_of(candidates.begin(), candidates.end(),
                                      [&](const BookCandidate& c) { return c.move == *named; });
    if (!repeated) candidates.push_back({*named, entry->weight});
  }
  return candidates;
}

void PolyglotBook::AddMove(const Board& board, const Move& move, int outcome) {
  if (outcome == OUTCOME_BAD) return;
  auto [place, added] =
      observed.try_emplace({PolyglotKey(board), PolyglotMove(move)}, Count{0, entryCount});
  if (added) ++entryCount;
  place->second.weight += outcome == OUTCOME_GOOD ? 2 : 1;
}

bool PolyglotBook::Save(const std::string& fileName, std::string& error) const {
  struct Written {
    Entry entry;
    std::int64_t order;
  };
  std::vector<Written> written;
  written.reserve(observed.size());
  std::int64_t largest = 0;
  for (const auto& [what, count] : observed) largest = std::max(largest, count.weight);
  for (const auto& [what, count] : observed) {
    Entry entry;
    entry.key = what.key;
    entry.move = what.move;
    const std::int64_t scaled = largest > 0xFFFF ? count.weight * 0xFFFF / largest : count.weight;
    entry.weight = static_cast<std::uint16_t>(std::max<std::int64_t>(scaled, 1));
    written.push_back({entry, count.order});
  }
  std::sort(written.begin(), written.end(), [](const Written& a, const Written& b) {
    if (a.entry.key != b.entry.key) return a.entry.key < b.entry.key;
    if (a.entry.weight != b.entry.weight) return a.entry.weight > b.entry.weight;
    return a.order < b.order;
  });
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  if (!out.is_open()) {
    error = "Can't open destfile for creating OpeningBook!";
    return false;
  }
  for (const auto& [entry, order] : written) {
    PutBigEndian(out, entry.key);
    PutBigEndian(out, entry.move);
    PutBigEndian(out, entry.weight);
    PutBigEndian(out, entry.learn);
  }
  out.close();
  if (out.fail()) {
    error = "Can't write OpeningBook file " + fileName + "!";
    return false;
  }
  return true;
}
