#include "search/Evaluate.h"

#include <algorithm>
#include <bit>
#include <cstdlib>

#include "board/PawnSpans.h"
#include "board/SquareText.h"

namespace {

// The weights of the evaluation, in centipawns.
constexpr int ROOK_OPEN_FILE = 10;        // a rook on a file without pawns
constexpr int ROOK_HALF_OPEN_FILE = 4;    // ... without own pawns
constexpr int ROOK_ON_SEVENTH = 22;       // a rook on the seventh row, seen from its side
constexpr int KNIGHT_ON_EDGE_RANK = -10;  // for at most two knights on the edge,
constexpr int KNIGHT_ON_EDGE_FILE = -20;  // ranks counted before files
constexpr int BISHOP_OWN_PAWN = -8;       // per bishop and own pawn on the bishop's colour
constexpr int CENTRE_PAWN_AT_HOME = -15;  // the d- or e-pawn on its start square
constexpr int MINOR_AT_HOME = -10;        // per knight or bishop on the back rank
constexpr int EARLY_QUEEN = -8;           // per piece at home while the queen is out
constexpr int CASTLED = 10;               // king safety while the enemy has a queen:
constexpr int LONG_CASTLING_LEFT = -24;   // not castled, the queen-side right kept
constexpr int SHORT_CASTLING_LEFT = -40;  // only the king-side right kept
constexpr int NO_CASTLING_LEFT = -120;    // no right kept
constexpr int ROOK_NEARER_KING = -2;      // per step of the nearer distance to the enemy king
constexpr int KNIGHT_NEAR_KING = 5;       // less the sum of the distances
constexpr int QUEEN_NEARER_KING = -1;     // per step of the nearer distance
constexpr int DOUBLED_PAWNS = -8;         // once per file
constexpr int ISOLATED_PAWN = -15;        // per file
constexpr int ALL_EIGHT_PAWNS = -10;      // all eight pawns still on the board
constexpr int RAMMED_PAWN = -8;           // per pawn blocked by an enemy pawn in front
// Material: the difference up to a cap, and a share that grows as material comes off.
constexpr int MATERIAL_DIFFERENCE_CAP = 2400;
constexpr int MATERIAL_FULL = 12000;
constexpr int MATERIAL_SCALE = 6400;

// Rows 1 to 6 (ranks 7 down to 2): the squares the pawn survey visits.
constexpr Bitboard INNER_ROWS = ~(RANK_8 | RANK_1);
// Squares whose row and file have the same parity (a8, h1, ...).
constexpr Bitboard LIGHT = 0xAA55AA55AA55AA55ULL;

constexpr int Count(Bitboard set) { return std::popcount(set); }

// The squares where WhitePieceAt / BlackPieceAt answer `piece`. Those queries test the colour
// set first and then king, queen, rook, knight, bishop, pawn; a square in two sets (a castling
// path square holds the king and the rook) answers the earlier one.
Bitboard AnsweredAs(const Board& board, int piece) {
  const Color color = piece % 2;
  Bitboard set = board.bitboards[piece] & board.bitboards[ALL_WHITE + color];
  for (int kind : {KIND_KING, KIND_QUEEN, KIND_ROOK, KIND_KNIGHT, KIND_BISHOP}) {
    if (kind + color == piece) break;
    set &= ~board.bitboards[kind + color];
  }
  return set;
}

// AnsweredAs for every piece code at once. Only a castling path puts a square into two sets of
// a colour; without one every piece set answers as it stands and is read from the board itself.
class AnswerSets {
 public:
  explicit AnswerSets(const Board& board) : of(board.bitboards) {
    if (!(board.castlePath[WHITE] | board.castlePath[BLACK])) return;
    for (Color c : {WHITE, BLACK}) {
      Bitboard left = board.bitboards[ALL_WHITE + c];
      for (int kind : {KIND_KING, KIND_QUEEN, KIND_ROOK, KIND_KNIGHT, KIND_BISHOP, KIND_PAWN}) {
        answered_[kind + c] = board.bitboards[kind + c] & left;
        left &= ~board.bitboards[kind + c];
      }
    }
    of = answered_;
  }
  AnswerSets(const AnswerSets&) = delete;
  AnswerSets& operator=(const AnswerSets&) = delete;

  const Bitboard* of;  // by piece code

 private:
  Bitboard answered_[12];
};

// White's square for White, the square mirrored across the middle of the board for Black.
constexpr Bitboard HomeSquare(const char* coord, Color color) {
  const Square square = ParseSquare(coord);
  return MaskOf(color == WHITE ? square : square ^ 56);
}

// The home squares the development term looks at, per colour.
struct HomeSquares {
  Bitboard d2, e2, d1, bishops, knights, rooks, king, backRank;
};
constexpr HomeSquares HomesOf(Color color) {
  const auto home = [color](const char* coord) { return HomeSquare(coord, color); };
  return {home("d2"),
          home("e2"),
          home("d1"),
          home("c1") | home("f1"),
          home("b1") | home("g1"),
          home("a1") | home("h1"),
          home("e1"),
          color == WHITE ? RANK_1 : RANK_8};
}
constexpr HomeSquares HOMES[2] = {HomesOf(WHITE), HomesOf(BLACK)};

// Per pair of squares: the smaller of the row and file distances, and their sum.
struct Distances {
  std::int8_t nearer[64][64];
  std::int8_t sum[64][64];
};
constexpr Distances DISTANCES = [] {
  Distances table{};
  for (int a = 0; a < 64; ++a) {
    for (int b = 0; b < 64; ++b) {
      const int rows = a / 8 > b / 8 ? a / 8 - b / 8 : b / 8 - a / 8;
      const int files = a % 8 > b % 8 ? a % 8 - b % 8 : b % 8 - a % 8;
      table.nearer[a][b] = static_cast<std::int8_t>(rows < files ? rows : files);
      table.sum[a][b] = static_cast<std::int8_t>(rows + files);
    }
  }
  return table;
}();

}  // namespace

namespace {

void SurveyPawnSets(Bitboard ownPawns, Bitboard enemyPawns, Color color, PawnInfo& info) {
  const Bitboard own = ownPawns & INNER_ROWS;
  const Bitboard theirs = enemyPawns & INNER_ROWS;
  // White's survey runs from square 55 down to 8 and Black's from 8 up to 55, and the last
  // pawn visited on a file is the one kept: the lowest square for White, the highest for Black.
  const std::int32_t reset = color == WHITE ? 63 : 0;
  const auto lastVisited = [color](Bitboard set) {
    return color == WHITE ? LowestSquare(set) : HighestSquare(set);
  };
  for (int file = 0; file < 8; ++file) {
    const Bitboard ownHere = own & FileMask(file);
    const Bitboard theirsHere = theirs & FileMask(file);
    info.ownOnFile[file] = Count(ownHere);
    info.ownFront[file] = ownHere ? lastVisited(ownHere) : reset;
    info.enemyOnFile[file] = Count(theirsHere);
    info.enemyRear[file] = theirsHere ? lastVisited(theirsHere) : reset;
  }
  info.ownOnLight = Count(own & LIGHT);
  info.ownOnDark = Count(own & ~LIGHT);
  info.ownTotal = Count(own);
  // The square in front of a white pawn is 8 lower, of a black pawn 8 higher.
  const Bitboard blockers = color == WHITE ? enemyPawns << 8 : enemyPawns >> 8;
  info.ownRams = Count(own & blockers);
}

// The files a rook is rewarded on, from the files that hold own and enemy pawns.
void SetRookFiles(PawnScores& scores, unsigned ownFiles, unsigned theirFiles) {
  scores.openFiles = static_cast<std::uint8_t>(~ownFiles & ~theirFiles);
  scores.halfOpenFiles = static_cast<std::uint8_t>(~ownFiles & theirFiles);
}

PawnScores ScoresOf(const PawnInfo& info, Color color) {
  PawnScores scores;
  scores.structure = static_cast<std::int16_t>(EvaluatePawnStructure(info, color));
  scores.onLight = static_cast<std::int8_t>(info.ownOnLight);
  scores.onDark = static_cast<std::int8_t>(info.ownOnDark);
  unsigned ownFiles = 0, theirFiles = 0;
  for (int file = 0; file < 8; ++file) {
    ownFiles |= unsigned{info.ownOnFile[file] != 0} << file;
    theirFiles |= unsigned{info.enemyOnFile[file] != 0} << file;
  }
  SetRookFiles(scores, ownFiles, theirFiles);
  return scores;
}

// Every square of the files whose bits are set.
constexpr Bitboard SquaresOfFiles(std::uint8_t files) { return files * 0x0101010101010101ULL; }

// Bit f for every file f that holds a square of the set.
constexpr unsigned FilesOf(Bitboard set) {
  set |= set >> 32;
  set |= set >> 16;
  set |= set >> 8;
  return static_cast<unsigned>(set & 0xFF);
}

}  // namespace

PawnScores PawnScoresBesidePassers(Bitboard ownPawns, Bitboard enemyPawns, Color color) {
  const Bitboard own = ownPawns & INNER_ROWS;
  const Bitboard theirs = enemyPawns & INNER_ROWS;
  const unsigned ownFiles = FilesOf(own);
  const unsigned theirFiles = FilesOf(theirs);

  PawnScores scores;
  scores.onLight = static_cast<std::int8_t>(Count(own & LIGHT));
  scores.onDark = static_cast<std::int8_t>(Count(own & ~LIGHT));
  SetRookFiles(scores, ownFiles, theirFiles);

  // Files with two pawns or more: a row's pawns on files already seen.
  unsigned seen = 0, doubled = 0;
  for (int row = 1; row <= 6; ++row) {
    const auto rowFiles = static_cast<unsigned>((own >> (8 * row)) & 0xFF);
    doubled |= seen & rowFiles;
    seen |= rowFiles;
  }
  const unsigned withNeighbour = (ownFiles << 1) | (ownFiles >> 1);
  int score = DOUBLED_PAWNS * Count(doubled) + ISOLATED_PAWN * Count(ownFiles & ~withNeighbour);
  if (Count(own) == 8) score += ALL_EIGHT_PAWNS;
  const Bitboard blockers = color == WHITE ? enemyPawns << 8 : enemyPawns >> 8;
  score += RAMMED_PAWN * Count(own & blockers);
  scores.structure = static_cast<std::int16_t>(score);
  return scores;
}

int RookScore(Bitboard rooks, Bitboard seventh, const PawnScores& pawns) {
  return ROOK_ON_SEVENTH * Count(rooks & seventh) +
         ROOK_OPEN_FILE * Count(rooks & SquaresOfFiles(pawns.openFiles)) +
         ROOK_HALF_OPEN_FILE * Count(rooks & SquaresOfFiles(pawns.halfOpenFiles));
}

int BishopScore(Bitboard bishops, int ownOnLight, int ownOnDark) {
  return BISHOP_OWN_PAWN *
         (Count(bishops & LIGHT) * ownOnLight + Count(bishops & ~LIGHT) * ownOnDark);
}

namespace {

// ScoresOf the survey of the two pawn sets, worked out on the sets at once: the evaluation asks
// for it whenever the pawn cache misses.
PawnScores ScoresOfPawnSets(Bitboard ownPawns, Bitboard enemyPawns, Color color) {
  PawnScores scores = PawnScoresBesidePassers(ownPawns, enemyPawns, color);
  const Bitboard own = ownPawns & INNER_ROWS;
  const Bitboard theirs = enemyPawns & INNER_ROWS;
  int score = scores.structure;
  for (unsigned files = FilesOf(own); files; files &= files - 1) {
    const int file = std::countr_zero(files);
    const Square front = FrontPawn(color, own & FileMask(file));
    // Passed, and in this evaluation also not beside an enemy pawn on the neighbouring square
    // numbered one lower (White) or one higher (Black) on its row. White earns the square of
    // the rank, Black the square of its row (one step short).
    const int beside = color == WHITE ? front - 1 : front + 1;
    const bool besideOnRow = beside >= 0 && beside < 64 && RowOf(beside) == RowOf(front);
    if (!IsPassedPawn(color, front, theirs) || (besideOnRow && (theirs & MaskOf(beside)))) continue;
    const int row = RowOf(front);
    score += color == WHITE ? (8 - row) * (8 - row) : row * row;
  }
  scores.structure = static_cast<std::int16_t>(score);
  return scores;
}

int Knights(const Board& board, Color color) {
  // Edge squares are scanned rank 8, rank 1, file a, file h. Only the first two edge knights
  // are charged, and every rank square comes before every file square in that order.
  const Bitboard knights = board.bitboards[WN + color];
  const int onRanks = std::min(Count(knights & (RANK_8 | RANK_1)), 2);
  const int onFiles = std::min(Count(knights & (FILE_A | FILE_H) & INNER_ROWS), 2 - onRanks);
  return KNIGHT_ON_EDGE_RANK * onRanks + KNIGHT_ON_EDGE_FILE * onFiles;
}

int Bishops(const Board& board, Color color, int onLight, int onDark) {
  return BishopScore(board.bitboards[WB + color], onLight, onDark);
}

[[gnu::always_inline]] inline int Development(const Board& board, Color color,
                                              const AnswerSets& answers) {
  const Color enemy = color ^ 1;
  const HomeSquares& home = HOMES[color];
  const Bitboard pawns = answers.of[WP + color];
  const Bitboard knights = answers.of[WN + color];
  const Bitboard bishops = answers.of[WB + color];
  const Bitboard rooks = answers.of[WR + color];
  const Bitboard queens = answers.of[WQ + color];
  const Bitboard kings = answers.of[WK + color];

  int score = 0;
  if (pawns & home.d2) score += CENTRE_PAWN_AT_HOME;
  if (pawns & home.e2) score += CENTRE_PAWN_AT_HOME;
  score += MINOR_AT_HOME * Count((knights | bishops) & home.backRank);

  // A queen out early while the back rank is still at home. Right after castling the king's
  // start square still answers as the king, so it counts as "king on e1".
  if (queens && !(queens & home.d1)) {
    const int atHome = Count(bishops & home.bishops) + Count(knights & home.knights) +
                       Count(rooks & home.rooks) + Count(kings & home.king);
    score += EARLY_QUEEN * atHome;
  }

  // King safety counts only while the enemy has a queen. The queen-side right is looked at
  // before the king-side right.
  if (answers.of[WQ + enemy]) {
    if (board.castled[color]) {
      score += CASTLED;
    } else if (board.castleRights[LongCastling(color)]) {
      score += LONG_CASTLING_LEFT;
    } else if (board.castleRights[ShortCastling(color)]) {
      score += SHORT_CASTLING_LEFT;
    } else {
      score += NO_CASTLING_LEFT;
    }
  }
  return score;
}

int Rooks(const Board& board, Color color, const PawnScores& pawns) {
  // The seventh row seen from White: rank 7 for White, rank 1 for Black.
  return RookScore(board.bitboards[WR + color], color == WHITE ? RANK_7 : RANK_1, pawns);
}

[[gnu::always_inline]] inline int KingProximity(Color color, const AnswerSets& answers) {
  const Color enemy = color ^ 1;
  // The first square, counted from a8, that answers as the enemy king; a8 when there is none.
  const Bitboard enemyKings = answers.of[WK + enemy];
  const Square king = enemyKings ? LowestSquare(enemyKings) : 0;
  const std::int8_t* nearer = DISTANCES.nearer[king];
  const std::int8_t* sum = DISTANCES.sum[king];

  int score = 0;
  for (Bitboard rest = answers.of[WR + color]; rest; rest &= rest - 1)
    score += ROOK_NEARER_KING * nearer[LowestSquare(rest)];
  for (Bitboard rest = answers.of[WN + color]; rest; rest &= rest - 1)
    score += KNIGHT_NEAR_KING - sum[LowestSquare(rest)];
  for (Bitboard rest = answers.of[WQ + color]; rest; rest &= rest - 1)
    score += QUEEN_NEARER_KING * nearer[LowestSquare(rest)];
  return score;
}

// The terms that do not look at the pawn survey, and those that do.
[[gnu::always_inline]] inline int TermsWithoutSurvey(const Board& board, Color color,
                                                     const AnswerSets& answers) {
  return Knights(board, color) + Development(board, color, answers) +
         KingProximity(color, answers) + EvaluateMaterial(board, color);
}
int TermsFromSurvey(const Board& board, Color color, const PawnScores& pawns) {
  return Bishops(board, color, pawns.onLight, pawns.onDark) + Rooks(board, color, pawns) +
         pawns.structure;
}

// The pawn scores of a cache entry for the pawn sets, worked out when it holds others.
const PawnScores& Filled(PawnCache::Entry& entry, Bitboard own, Bitboard enemy, Color color) {
  if (entry.own != own || entry.enemy != enemy || entry.color != color)
    entry = PawnCache::Entry{own, enemy, ScoresOfPawnSets(own, enemy, color),
                             static_cast<std::int8_t>(color)};
  return entry.scores;
}

}  // namespace

void SurveyPawns(const Board& board, Color color, PawnInfo& info) {
  SurveyPawnSets(AnsweredAs(board, WP + color), AnsweredAs(board, WP + (color ^ 1)), color, info);
}

int EvaluateKnights(const Board& board, Color color) { return Knights(board, color); }

int EvaluateBishops(const Board& board, Color color, const PawnInfo& info) {
  return Bishops(board, color, info.ownOnLight, info.ownOnDark);
}

int EvaluateDevelopment(const Board& board, Color color) {
  return Development(board, color, AnswerSets(board));
}

int EvaluateRooks(const Board& board, Color color, const PawnInfo& info) {
  return Rooks(board, color, ScoresOf(info, color));
}

int EvaluateKingProximity(const Board& board, Color color) {
  return KingProximity(color, AnswerSets(board));
}

int EvaluatePawnStructure(const PawnInfo& info, Color color) {
  int score = 0;
  for (int file = 0; file < 8; ++file) {
    const int count = info.ownOnFile[file];
    if (count == 0) continue;
    if (count > 1) score += DOUBLED_PAWNS;
    const int first = std::max(file - 1, 0);
    const int last = std::min(file + 1, 7);
    if ((file == first || info.ownOnFile[first] == 0) &&
        (file == last || info.ownOnFile[last] == 0)) {
      score += ISOLATED_PAWN;
    }
    // Passed: the front pawn is ahead of the enemy's rearmost pawn on this and both
    // neighbouring files. A file without enemy pawns keeps the reset value and never stops it.
    const int front = info.ownFront[file];
    bool passed = true;
    for (int other = first; other <= last; ++other) {
      const int rear = info.enemyRear[other];
      if (color == WHITE ? front >= rear : front <= rear) passed = false;
    }
    if (passed) {
      const int row = front / 8;
      // White earns the square of its rank, Black the square of its row (one step short).
      score += color == WHITE ? (8 - row) * (8 - row) : row * row;
    }
  }
  if (info.ownTotal == 8) score += ALL_EIGHT_PAWNS;
  score += RAMMED_PAWN * info.ownRams;
  return score;
}

int EvaluateMaterial(const Board& board, Color color) {
  const int white = board.material[WHITE];
  const int black = board.material[BLACK];
  // Equal material needs no test: the difference is 0, and so is every part below.
  const Color ahead = white > black ? WHITE : BLACK;
  const int total = white + black;
  const int difference = std::abs(white - black);
  const int pawns = board.pawnCount[ahead];
  // The second part grows as material comes off, the more so the more pawns the leader keeps.
  const int amount =
      std::min(difference, MATERIAL_DIFFERENCE_CAP) +
      ((MATERIAL_FULL - total) * pawns * difference) / (MATERIAL_SCALE * (pawns + 1));
  return ahead == color ? amount : -amount;
}

int Evaluate(const Board& board, Color color, PawnInfo& info, bool roundDown) {
  SurveyPawns(board, color, info);
  const int sum = TermsWithoutSurvey(board, color, AnswerSets(board)) +
                  TermsFromSurvey(board, color, ScoresOf(info, color));
  return roundDown ? sum & ~7 : sum;  // toward minus infinity: -1 becomes -8
}

int Evaluate(const Board& board, Color color, PawnCache& cache, bool roundDown) {
  const AnswerSets answers(board);
  const Bitboard own = answers.of[WP + color];
  const Bitboard enemy = answers.of[WP + (color ^ 1)];
  // The other terms are worked out while the cache entry is on its way.
  PawnCache::Entry& entry = cache.SlotFor(own, enemy, color);
  __builtin_prefetch(&entry);
  const int withoutSurvey = TermsWithoutSurvey(board, color, answers);
  const int sum = withoutSurvey + TermsFromSurvey(board, color, Filled(entry, own, enemy, color));
  return roundDown ? sum & ~7 : sum;
}

double ScoreForWhite(const Board& board) {
  PawnInfo info;
  const int white = Evaluate(board, WHITE, info, true);
  const int black = Evaluate(board, BLACK, info, true);
  return (white - black) / 200.0;
}
