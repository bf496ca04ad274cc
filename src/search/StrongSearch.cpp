#include "search/StrongSearch.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <memory>
#include <thread>

#include "board/Exchange.h"
#include "board/Rules.h"
#include "search/MoveOrdering.h"
#include "search/SearchTrace.h"
#include "search/StrongEvaluate.h"

namespace {

// The margins. A quiet move one or two plies above the capture search is left
// out when even this much over the static score would not reach alpha; a node this close to
// the capture search whose static score beats beta by the margin per ply is cut off at once; a
// capture that leaves the side this far below alpha even with its victim is not looked at.
constexpr int FUTILITY_MARGIN[3] = {0, 150, 300};
constexpr int REVERSE_FUTILITY_MARGIN = 120;
constexpr int REVERSE_FUTILITY_DEPTH = 3;
constexpr int DELTA_MARGIN = 200;
// Near the capture search, outside the principal variation, a move that loses more than this
// on its square once both sides have taken back is left out: a quiet move by the square of
// the depth, a capture by the depth.
constexpr int EXCHANGE_PRUNING_DEPTH = 6;
constexpr int QUIET_LOSS_MARGIN = 20;
constexpr int CAPTURE_LOSS_MARGIN = 100;
// The depth from which a node without a move from the table is searched a ply less.
constexpr int IIR_DEPTH = 4;

// Late quiet moves: how much less deep they are looked at by the node's depth and the move's
// place in the order, and from which place on a node near the capture search leaves them out.
constexpr int LATE_MOVE_PRUNING_DEPTH = 3;
constexpr int LATE_MOVE_COUNT[LATE_MOVE_PRUNING_DEPTH + 1] = {0, 5, 8, 13};
int LateMoveReduction(int depth, int place) {
  static const auto table = [] {
    std::array<std::array<std::int8_t, 64>, 64> reductions{};
    for (int d = 1; d < 64; ++d)
      for (int p = 1; p < 64; ++p)
        reductions[d][p] = static_cast<std::int8_t>(0.5 + std::log(d) * std::log(p) / 2.0);
    return reductions;
  }();
  return table[static_cast<std::size_t>(std::min(depth, 63))]
              [static_cast<std::size_t>(std::min(place, 63))];
}

// The order priorities of a node's moves: on the stack for any usual number of moves.
class PriorityBuffer {
 public:
  explicit PriorityBuffer(int moves) {
    if (moves > INLINE) heap_ = std::make_unique<std::int32_t[]>(static_cast<std::size_t>(moves));
  }
  std::int32_t* Data() { return heap_ ? heap_.get() : inline_; }

 private:
  static constexpr int INLINE = 256;
  std::int32_t inline_[INLINE];
  std::unique_ptr<std::int32_t[]> heap_;
};

// What a capture or promotion takes: the victim's value (a pawn taken en passant).
int VictimValue(const Move& move) {
  if (move.Kind() == MOVE_EN_PASSANT) return PieceValue[WP];
  return (move.flags & MOVE_CAPTURE) && IsPieceCode(move.captured)
             ? PieceValue[static_cast<std::size_t>(move.captured)]
             : 0;
}

// What Black to move, the castling rights and an en passant capture add to the placement's
// key and lock: a pair of random words for Black, for each set of rights and for each file.
struct StateKeys {
  std::uint32_t black[2];
  std::uint32_t rights[16][2];
  std::uint32_t enPassant[8][2];
};
constexpr StateKeys STATE_KEYS = [] {
  StateKeys keys{};
  std::uint64_t seed = 0x5EED0F5EA7C4E5ULL;
  const auto next = [&seed] {
    seed += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = seed;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return static_cast<std::uint32_t>(z ^ (z >> 31));
  };
  for (std::uint32_t& word : keys.black) word = next();
  // No rights and no en passant add nothing.
  for (int rights = 1; rights < 16; ++rights)
    for (std::uint32_t& word : keys.rights[rights]) word = next();
  for (auto& file : keys.enPassant)
    for (std::uint32_t& word : file) word = next();
  return keys;
}();

int RightsIndex(const Board& board) {
  int rights = 0;
  for (int right = 0; right < 4; ++right) rights |= int{board.castleRights[right]} << right;
  return rights;
}

// The slot key of a move's position, as far as it can be told before the move is made: the
// rights as they are and no en passant. Only for fetching the entry ahead.
std::int64_t ChildKeyGuess(const Board& board, const Move& move) {
  const std::uint32_t key = static_cast<std::uint32_t>(board.HashKeyAfter(move)) ^
                            STATE_KEYS.rights[RightsIndex(board)][0] ^
                            (board.sideToMove == WHITE ? STATE_KEYS.black[0] : 0);
  return static_cast<std::int32_t>(key);
}

}  // namespace

PositionKey FullPositionKey(const Board& board) {
  std::uint32_t key = static_cast<std::uint32_t>(board.HashKey());
  std::uint32_t lock = board.HashLock();
  const std::uint32_t* rights = STATE_KEYS.rights[RightsIndex(board)];
  key ^= rights[0];
  lock ^= rights[1];
  if (board.sideToMove == BLACK) {
    key ^= STATE_KEYS.black[0];
    lock ^= STATE_KEYS.black[1];
  }
  // An en passant square counts only when a pawn of the side to move can take there: else the
  // position is the same as without it.
  const int side = board.sideToMove;
  if (board.enPassant && (PawnAttacks(board.bitboards[WP + side], side) & board.enPassant)) {
    const std::uint32_t* file = STATE_KEYS.enPassant[LowestSquare(board.enPassant) % 8];
    key ^= file[0];
    lock ^= file[1];
  }
  return {static_cast<std::int32_t>(key), lock};
}

struct StrongSearch::Helper {
  explicit Helper(StrongSearch& main) {
    search.tables_[WHITE] = main.tables_[WHITE];
    search.tables_[BLACK] = main.tables_[BLACK];
  }
  StrongSearch search;
  // Its nodes so far, as it last told them (every few thousand nodes).
  std::atomic<std::int64_t> nodes = 0;
};

StrongSearch::StrongSearch(SearchLimits limits, Clock clock)
    : IterativeSearch(limits, std::move(clock)), followUps_(std::make_unique<FollowUpTable>()) {}

StrongSearch::~StrongSearch() = default;

void StrongSearch::SetThreads(int threads) {
  const auto helpers = static_cast<std::size_t>(std::clamp(threads, 1, MAX_THREADS) - 1);
  helpers_.resize(std::min(helpers, helpers_.size()));
  while (helpers_.size() < helpers) helpers_.push_back(std::make_unique<Helper>(*this));
}

std::int64_t StrongSearch::HelperNodes() const {
  std::int64_t nodes = 0;
  for (const auto& helper : helpers_) nodes += helper->nodes.load(std::memory_order_relaxed);
  return nodes;
}

void StrongSearch::Think(const Board& board, Move* out) {
  if (helpers_.empty()) {
    IterativeSearch::Think(board, out);
    return;
  }
  // The helpers search without limits and without reports, one best line each, until this
  // search ends; every second one begins a ply deeper, so that they spread over the depths.
  tables_[WHITE]->AllocateNow();
  tables_[BLACK]->AllocateNow();
  SearchOptions options = options_;
  options.lines = 1;
  options.mateMoves = 0;
  options.progress = nullptr;
  SearchLimits limits = SearchLimits::Unlimited(1, MAX_SEARCH_DEPTH);
  limits.endAtMate = false;
  std::atomic<bool> ended = false;
  std::vector<std::thread> threads;
  // The helpers end with this search, also when it ends by an exception.
  struct Join {
    std::atomic<bool>& ended;
    std::vector<std::thread>& threads;
    ~Join() {
      ended = true;
      for (std::thread& thread : threads) thread.join();
    }
  } join{ended, threads};
  for (std::size_t index = 0; index < helpers_.size(); ++index) {
    Helper& helper = *helpers_[index];
    limits.firstDepth = 1 + static_cast<int>(index % 2);
    helper.search.SetLimits(limits);
    helper.search.SetOptions(options);
    SearchControl control;
    control.interrupted = [&helper, &ended] {
      helper.nodes.store(helper.search.NodesSoFar(), std::memory_order_relaxed);
      return ended.load(std::memory_order_relaxed);
    };
    helper.search.SetControl(std::move(control));
    helper.nodes = 0;
    threads.emplace_back([&helper, &board] {
      Move move;
      helper.search.IterativeSearch::Think(board, &move);
      helper.nodes = helper.search.TotalNodes();
    });
  }
  IterativeSearch::Think(board, out);
}

void StrongSearch::BeginSearch(const Board& /*root*/) {
  options_.gameRules = true;
  for (OrderingCounters& side : history_)
    for (auto& row : side)
      for (std::int32_t& counter : row) counter /= 2;
  for (auto& byPiece : *followUps_)
    for (FollowUps& rows : byPiece)
      for (auto& row : rows)
        for (std::int16_t& counter : row) counter = static_cast<std::int16_t>(counter / 2);
  for (auto& killers : killers_) killers = {};
}

bool StrongSearch::TableMove(const Board& board, int& from, int& to) const {
  const PositionKey position = FullPositionKey(board);
  const TranspositionTable& table = *tables_[board.sideToMove];
  const TTEntry& entry = table.SlotAt(position.key);
  if (!entry.Answers(position.lock) || entry.from < 0) return false;
  from = entry.from;
  to = entry.to;
  return true;
}

std::int64_t StrongSearch::SoftLimit(const Settling& settling) const {
  const std::int64_t soft = Control().softMs;
  if (!Options().adaptTime) return soft;
  // In hundredths of the soft limit.
  int share = settling.sameBest >= 6 ? 75 : settling.sameBest >= 3 ? 95 : 120;
  if (settling.bestChanged) share = 180;
  if (settling.scoreDrop >= 30) share += 50;
  if (settling.scoreDrop >= 80) share += 50;
  return std::min(soft * share / 100, std::max(Control().hardMs / 2, soft));
}

bool StrongSearch::MateEndsSearch(int score, int depth) const {
  return SCORE_WINDOW - score <= depth;
}

int StrongSearch::SearchRoot(Board& board, int depth, Move* out, int alpha, int beta) {
  stats_.regularNodes += 1;
  std::uint32_t lock;
  const TableSlot slot = SlotOf(board, lock);

  RootMoves root;
  int score;
  if (!OpenRoot(board, root, out, score)) return score;
  MoveList& moves = root.Moves();
  Node node{alpha, beta};
  inCheck_[0] = InCheck(board);
  afterNull_[0] = false;
  // The kept tables may know a longer mate than the iteration sees: the root goes on to find
  // the quickest. It tries first the best move of the iteration before, or in the first
  // iteration the move the kept table knows for the root.
  int hashFrom = -1, hashTo = -1;
  if (completedDepth_ > 0) {
    hashFrom = LastBest().from;
    hashTo = LastBest().to;
  } else if (slot.MayBeUsed() && slot.MayAnswer(lock) && slot.Entry().Answers(lock)) {
    hashFrom = slot.Entry().from;
    hashTo = slot.Entry().to;
  }
  TryMoves(board, moves, hashFrom, hashTo, depth, node);
  if (stopped_) return 0;

  CloseRoot(board, root, node, out);
  // The root also replaces an entry of depth 0.
  const bool replace = slot.Entry().depth == 0;
  return Complete(board, slot, lock, depth, replace, out->from, out->to, moves, node);
}

int StrongSearch::Iterate(Board& board, int depth, Move* out, int previous) {
  constexpr int FIRST_WINDOW = 20;
  constexpr int WIDEST_WINDOW = 640;  // beyond it, the full window
  int delta = FIRST_WINDOW;
  int alpha = -SCORE_WINDOW, beta = SCORE_WINDOW;
  if (depth >= 4 && previous > -SCORE_MATE_FOUND && previous < SCORE_MATE_FOUND) {
    alpha = previous - delta;
    beta = previous + delta;
  }
  for (;;) {
    const int score = SearchRoot(board, depth, out, alpha, beta);
    if (stopped_) return score;
    delta *= 2;
    if (score <= alpha && alpha > -SCORE_WINDOW) {
      alpha = delta > WIDEST_WINDOW ? -SCORE_WINDOW : std::max(score - delta, -SCORE_WINDOW);
    } else if (score >= beta && beta < SCORE_WINDOW) {
      beta = delta > WIDEST_WINDOW ? SCORE_WINDOW : std::min(score + delta, SCORE_WINDOW);
    } else {
      out->score = score;
      return score;
    }
  }
}

TableSlot StrongSearch::SlotOf(const Board& board, std::uint32_t& lock) {
  const PositionKey position = FullPositionKey(board);
  lock = position.lock;
  return tables_[board.sideToMove]->PlaceAt(position.key);
}

int StrongSearch::TableScore(const TTEntry& entry, int nodePly) {
  if (entry.score >= SCORE_MATE_FOUND) return entry.score - nodePly;
  if (entry.score <= -SCORE_MATE_FOUND) return entry.score + nodePly;
  return entry.score;
}

int StrongSearch::StoredScore(int score, int nodePly) {
  if (score >= SCORE_MATE_FOUND) return score + nodePly;
  if (score <= -SCORE_MATE_FOUND) return score - nodePly;
  return score;
}

void StrongSearch::TryMoves(Board& board, MoveList& moves, int hashFrom, int hashTo, int depth,
                            Node& node) {
  // The table's move first, then captures, killers and the others by their counters.
  const int hashIndex = hashFrom >= 0 ? FindFromTo(moves, hashFrom, hashTo) : -1;
  PriorityBuffer priorities(moves.Size());
  Prioritise(board, moves, true, priorities.Data());
  MoveOrder order(moves, hashIndex, MoveOrder::Priorities{priorities.Data()});
  const TranspositionTable& childTable = *tables_[1 - board.sideToMove];
  const bool inCheck = inCheck_[static_cast<std::size_t>(ply_)];
  const bool variationNode = node.beta - node.alpha > 1;
  int nullBound = node.beta;
  int searched = 0;
  // The quiet moves tried so far, for the counters.
  constexpr int TRIED_ROOM = 64;
  int quietTried[TRIED_ROOM];
  int quietCount = 0;
  Move reply;
  // The first move's table entry is asked for at once; a later move is picked, and its entry
  // asked for, only when the node goes on to it.
  const int first = order.Next();
  childTable.Prefetch(ChildKeyGuess(board, moves[first]));
  for (int k = 0; k < moves.Size() && node.bestScore < node.beta; ++k) {
    const int index = k == 0 ? first : order.Next();
    if (k > 0) childTable.Prefetch(ChildKeyGuess(board, moves[index]));
    Board child = board;
    child.MakeMove(&moves[index]);
    searched += 1;
    if (ply_ == 0 && options_.progress)
      Report(SearchProgress::Kind::CURRENT_MOVE, &moves[index], searched);
    const std::size_t below = static_cast<std::size_t>(ply_ + 1);
    variationLength_[below] = 0;
    reversiblePlies_[below] = IsIrreversible(moves[index]) ? 0 : reversiblePlies_[below - 1] + 1;
    int childDepth = depth - 1;
    afterNull_[below] = false;
    // A check is searched a ply deeper, as far as the rows of the variations reach.
    const bool givesCheck = InCheck(child);
    if (givesCheck && ply_ + depth < MAX_SEARCH_DEPTH) childDepth += 1;
    // Next to the capture search, a quiet move cannot lift a hopeless static score: once a
    // move has been looked at, so that the side has one, the others are counted at the score
    // they could reach at best.
    const bool quiet = moves[index].flags == MOVE_NORMAL;
    const bool quietAfterFirst = ply_ > 0 && !inCheck && !givesCheck && quiet &&
                                 index != hashIndex && node.bestScore > -SCORE_WINDOW;
    if (depth <= 2 && quietAfterFirst) {
      const int futile = staticScores_[static_cast<std::size_t>(ply_)] + FUTILITY_MARGIN[depth];
      if (futile <= node.alpha) {
        node.bestScore = std::max(node.bestScore, futile);
        continue;
      }
    }
    // Outside the principal variation, the late quiet moves of a shallow node are left out.
    if (depth <= LATE_MOVE_PRUNING_DEPTH && quietAfterFirst && !variationNode &&
        k >= LATE_MOVE_COUNT[depth] && !IsKiller(moves[index]))
      continue;
    // Near the capture search, outside the principal variation, a move that loses material
    // on its square is left out once the side has another.
    const bool capture = (moves[index].flags & (MOVE_CAPTURE | MOVE_EN_PASSANT)) != 0 &&
                         !(moves[index].flags & PROMOTION_MASK);
    if (depth <= EXCHANGE_PRUNING_DEPTH && !variationNode && ply_ > 0 && !inCheck && !givesCheck &&
        (quiet || capture) && index != hashIndex && node.bestScore > -SCORE_WINDOW) {
      const int loss = quiet ? QUIET_LOSS_MARGIN * depth * depth : CAPTURE_LOSS_MARGIN * depth;
      const bool mayLose = quiet || PieceValue[static_cast<std::size_t>(moves[index].piece)] >
                                        VictimValue(moves[index]);
      if (mayLose && StaticExchange(board, moves[index]) < -loss) continue;
    }
    played_[static_cast<std::size_t>(ply_)] = moves[index];
    const auto searchChild = [&](int childAlpha, int childBeta, int searchDepth) {
      ply_ += 1;
      const int childScore = searchDepth >= 1
                                 ? -Search(child, searchDepth, &reply, childAlpha, childBeta)
                                 : -Quiesce(child, childAlpha, childBeta, 0);
      ply_ -= 1;
      return childScore;
    };
    int score;
    // A late quiet move is looked at less deep, the more so the deeper the node and the later
    // the move (a little less in the principal variation), and again at its full depth when it
    // turns out better than the moves before it. Never the first moves, a check or a move out
    // of check, the table's move or a killer.
    if (depth >= 3 && k >= 3 && ply_ > 0 && !inCheck && !givesCheck && quiet &&
        index != hashIndex && !IsKiller(moves[index])) {
      const int reduction = std::clamp(LateMoveReduction(depth, k) - (variationNode ? 1 : 0), 1,
                                       std::max(childDepth - 1, 1));
      score = searchChild(-node.alpha - 1, -node.alpha, childDepth - reduction);
      if (score > node.alpha) score = searchChild(-nullBound, -node.alpha, childDepth);
    } else {
      score = searchChild(-nullBound, -node.alpha, childDepth);
    }
    if (node.alpha < score && score < node.beta) {
      // Searched again in the node's own window, so that a move whose score the null window
      // found exactly brings its variation along.
      const int again = searchChild(-node.beta, -node.alpha, childDepth);
      if (again > score) score = again;
    }
    if (stopped_) return;
    if (quiet && score >= node.beta)
      RewardQuietCut(board.sideToMove, moves, index, quietTried, quietCount, depth);
    if (quiet && quietCount < TRIED_ROOM) quietTried[quietCount++] = index;
    if (score > node.bestScore) {
      node.bestScore = score;
      node.bestIndex = searched;
      node.bestMove = index;
      if (score > node.alpha) {
        node.alpha = score;
        // A cut needs no variation, but for the root's own.
        if (score < node.beta || ply_ == 0) ExtendVariation(moves[index]);
        if (ply_ == 0 && options_.progress && excluded_.empty())
          Report(SearchProgress::Kind::NEW_BEST, &moves[index], searched, score);
      }
    }
    nullBound = node.alpha + 1;
  }
}

bool StrongSearch::NullMoveCuts(const Board& board, int depth, int beta, int staticScore,
                                int& score) {
  const int side = board.sideToMove;
  const Bitboard pieces = board.bitboards[WN + side] | board.bitboards[WB + side] |
                          board.bitboards[WR + side] | board.bitboards[WQ + side];
  const std::size_t here = static_cast<std::size_t>(ply_);
  if (depth < 3 || ply_ == 0 || afterNull_[here] || inCheck_[here] || pieces == 0 ||
      beta >= SCORE_MATE_FOUND || beta <= -SCORE_MATE_FOUND || ply_ + 1 >= MAX_PLY)
    return false;
  if (staticScore < beta) return false;

  Board passed = board;
  passed.RemoveCastlePaths();
  passed.sideToMove = 1 - side;
  passed.enPassant = 0;
  passed.moveNumber += 1;
  const std::size_t below = here + 1;
  variationLength_[below] = 0;
  reversiblePlies_[below] = 0;  // no repetition reaches back across a pass
  afterNull_[below] = true;
  played_[here] = Move();
  const int reduced = depth - 1 - (depth >= 6 ? 3 : 2);
  Move reply;
  ply_ += 1;
  const int passScore = reduced >= 1 ? -Search(passed, reduced, &reply, -beta, -beta + 1)
                                     : -Quiesce(passed, -beta, -beta + 1, 0);
  ply_ -= 1;
  if (stopped_ || passScore < beta) return false;
  stats_.regularCutoffs += 1;
  // A mate seen after a pass proves no mate.
  score = passScore >= SCORE_MATE_FOUND ? beta : passScore;
  return true;
}

void StrongSearch::Prioritise(const Board& board, const MoveList& moves, bool weighLosses,
                              std::int32_t* priorities) const {
  constexpr std::int32_t CAPTURES = 1 << 28;
  constexpr std::int32_t KILLERS = 1 << 27;
  constexpr std::int32_t LOSSES = -(1 << 28);
  const auto& counters = history_[board.sideToMove];
  const std::array<FollowUps*, 2> followed = FollowUpRows();
  for (int i = 0; i < moves.Size(); ++i) {
    const Move& move = moves[i];
    const std::size_t mover = static_cast<std::size_t>(move.piece);
    if (move.flags & (MOVE_CAPTURE | MOVE_EN_PASSANT | PROMOTION_MASK)) {
      const int victim = VictimValue(move);
      const int promotion = (move.flags & PROMOTE_QUEEN) ? PieceValue[WQ] : 0;
      const bool loses = weighLosses && !(move.flags & PROMOTION_MASK) &&
                         PieceValue[mover] > victim && StaticExchange(board, move) < 0;
      priorities[i] =
          (loses ? LOSSES : CAPTURES) + (victim + promotion) * 16 - PieceValue[mover] / 100;
    } else if (IsKiller(move)) {
      const Killer& first = killers_[static_cast<std::size_t>(ply_)][0];
      priorities[i] = KILLERS + (first.from == move.from && first.to == move.to ? 1 : 0);
    } else if (IsCounterMove(move)) {
      priorities[i] = KILLERS - 1;
    } else {
      std::int32_t counter = counters[move.from][move.to];
      for (const FollowUps* rows : followed)
        if (rows) counter += (*rows)[mover][static_cast<std::size_t>(move.to)];
      priorities[i] = std::min(counter, KILLERS - 2);
    }
  }
}

std::array<StrongSearch::FollowUps*, 2> StrongSearch::FollowUpRows() const {
  std::array<FollowUps*, 2> rows{};
  for (int back = 1; back <= 2 && back <= ply_; ++back) {
    const Move& before = played_[static_cast<std::size_t>(ply_ - back)];
    if (IsPieceCode(before.piece))
      rows[static_cast<std::size_t>(back - 1)] = &(
          *followUps_)[static_cast<std::size_t>(before.piece)][static_cast<std::size_t>(before.to)];
  }
  return rows;
}

bool StrongSearch::IsKiller(const Move& move) const {
  for (const Killer& killer : killers_[static_cast<std::size_t>(ply_)])
    if (killer.from == move.from && killer.to == move.to) return true;
  return false;
}

bool StrongSearch::IsCounterMove(const Move& move) const {
  if (ply_ == 0) return false;
  const Move& before = played_[static_cast<std::size_t>(ply_ - 1)];
  if (!IsPieceCode(before.piece)) return false;
  const Killer& answer =
      counterMoves_[static_cast<std::size_t>(before.piece)][static_cast<std::size_t>(before.to)];
  return answer.from == move.from && answer.to == move.to;
}

void StrongSearch::RewardQuietCut(int side, const MoveList& moves, int cut, const int* tried,
                                  int triedCount, int depth) {
  // Each change shrinks as the counter nears the bound, which it never passes.
  constexpr int BOUND = 1 << 14;
  const int change = std::min(depth * depth, BOUND);
  const std::array<FollowUps*, 2> followed = FollowUpRows();
  const auto gravity = [](int counter, int by) { return by - counter * std::abs(by) / BOUND; };
  const auto update = [&](const Move& move, int by) {
    std::int32_t& counter = history_[side][move.from][move.to];
    counter += gravity(counter, by);
    for (FollowUps* rows : followed) {
      if (!rows) continue;
      std::int16_t& follow =
          (*rows)[static_cast<std::size_t>(move.piece)][static_cast<std::size_t>(move.to)];
      follow = static_cast<std::int16_t>(follow + gravity(follow, by));
    }
  };
  update(moves[cut], change);
  for (int i = 0; i < triedCount; ++i) update(moves[tried[i]], -change);
  if (ply_ > 0) {
    const Move& before = played_[static_cast<std::size_t>(ply_ - 1)];
    if (IsPieceCode(before.piece))
      counterMoves_[static_cast<std::size_t>(before.piece)][static_cast<std::size_t>(before.to)] =
          Killer{moves[cut].from, moves[cut].to};
  }
}

void StrongSearch::RememberKiller(const Move& move) {
  if (move.flags != MOVE_NORMAL) return;
  auto& killers = killers_[static_cast<std::size_t>(ply_)];
  if (killers[0].from == move.from && killers[0].to == move.to) return;
  killers[1] = killers[0];
  killers[0] = Killer{move.from, move.to};
}

int StrongSearch::Complete(const Board& board, const TableSlot& slot, std::uint32_t lock, int depth,
                           bool replace, int bestFrom, int bestTo, const MoveList& moves,
                           const Node& node) {
  const int type = BoundType(node.bestScore, node.alphaBefore, node.beta);
  if (type == TT_LOWER) {
    stats_.regularCutoffs += 1;
    // The quiet cuts were counted as they happened.
    if (node.bestMove >= 0) RememberKiller(moves[node.bestMove]);
  }
  if (replace || !slot.MayBeUsed() ||
      slot.Entry().TakesSearchResult(type, depth, lock, board.moveNumber)) {
    slot.Store(type, StoredScore(node.bestScore, ply_), depth, lock, board.moveNumber, bestFrom,
               bestTo, stats_.regularNodes);
  }
  stats_.regularMoveSum += moves.Size() - 1;
  stats_.regularBestIndexSum += node.bestIndex - 1;
  return node.bestScore;
}

int StrongSearch::Search(Board& board, int depth, Move* out, int alpha, int beta) {
  stats_.regularNodes += 1;
  if (--pollCountdown_ == 0) Poll();
  if (stopped_) return 0;
  // A draw by rule ends the line, and a node of the principal variation is searched even
  // when the table knows its result.
  const std::uint64_t repetitionKey = RepetitionKey(board);
  // Only a lawful position is drawn (a move into check stays refused), and the fiftieth move
  // may still mate. A position where no mate is possible is drawn whatever the material.
  if ((DrawnByRule(repetitionKey) || IsDeadPosition(board)) && !KingCanBeTaken(board) &&
      (!InCheck(board) || HasLegalMove(board)))
    return 0;
  pathKeys_[static_cast<std::size_t>(ply_)] = repetitionKey;
  const bool variationNode = beta - alpha > 1;
  std::uint32_t lock;
  const TableSlot slot = SlotOf(board, lock);
  const TTEntry& entry = slot.Entry();

  int bestScore = SCORE_NONE;
  int bestFrom = -1, bestTo = -1;
  int hashFrom = -1, hashTo = -1;
  if (!slot.MayBeUsed()) {
    // An empty slot: nothing to learn.
  } else if (!slot.MayAnswer(lock)) {
    stats_.regularCollisions += 1;  // another position's entry, known from the mark alone
  } else if (entry.Answers(lock)) {
    if (variationNode) {
      hashFrom = entry.from;
      hashTo = entry.to;
    } else if (entry.depth >= depth) {
      stats_.regularTtHits += 1;
      const TableAnswer answer = Consult(entry, TableScore(entry, ply_), alpha, beta);
      if (answer.ends) {
        out->from = entry.from;
        out->to = entry.to;
        stats_.regularCutoffs += 1;
        return answer.score;
      }
      if (answer.raisedAlpha) {
        bestScore = answer.score;
        bestFrom = answer.from;
        bestTo = answer.to;
      }
      hashFrom = answer.from;
      hashTo = answer.to;
    } else {
      // Too shallow to answer, the entry still knows which move to try first.
      hashFrom = entry.from;
      hashTo = entry.to;
    }
  } else if (entry.type != TT_EMPTY) {
    stats_.regularCollisions += 1;
  }

  MoveList moves;
  if (!moves.Generate(board)) {
    if constexpr (Tracing(10)) SearchTraceLog() << "illegal position\n";
    return SCORE_ILLEGAL;
  }
  // A pass is made only in a lawful position: the generation above has shown it.
  {
    const std::size_t here = static_cast<std::size_t>(ply_);
    inCheck_[here] = InCheck(board);
    // A node of the principal variation uses its static score only next to the capture
    // search (futility).
    const bool needsStaticScore = !inCheck_[here] && (!variationNode || depth <= 2);
    staticScores_[here] = needsStaticScore ? EvaluateStrong(board, pawns_) : -SCORE_WINDOW;
    // Close to the capture search, a static score far above beta is trusted.
    const int margin = REVERSE_FUTILITY_MARGIN * depth;
    if (!variationNode && !inCheck_[here] && depth <= REVERSE_FUTILITY_DEPTH &&
        beta < SCORE_MATE_FOUND && beta > -SCORE_MATE_FOUND && staticScores_[here] - margin >= beta)
      return staticScores_[here] - margin;
    int nullScore = 0;
    if (!variationNode && NullMoveCuts(board, depth, beta, staticScores_[here], nullScore))
      return nullScore;
    // A deep node the table knows no move for is searched a ply less: the search of it is
    // as much a way to find the move as to score it.
    if (hashFrom < 0 && depth >= IIR_DEPTH) depth -= 1;
  }
  Node node{alpha, beta};
  node.bestScore = bestScore;
  TryMoves(board, moves, hashFrom, hashTo, depth, node);
  if (stopped_) return 0;

  // Every move was refused: mate when in check, else stalemate. A mate scores by its
  // distance from the root, so that the quicker mate is the better one.
  if (node.bestScore <= -SCORE_WINDOW) return InCheck(board) ? -SCORE_WINDOW + ply_ : 0;

  if (node.bestMove >= 0) {
    bestFrom = moves[node.bestMove].from;
    bestTo = moves[node.bestMove].to;
  }
  out->from = bestFrom;
  out->to = bestTo;
  return Complete(board, slot, lock, depth, false, bestFrom, bestTo, moves, node);
}

int StrongSearch::Quiesce(Board& board, int alpha, int beta, int qdepth) {
  stats_.quiescenceNodes += 1;
  if (ply_ - qdepth > selectiveDepth_) selectiveDepth_ = ply_ - qdepth;
  if (--pollCountdown_ == 0) Poll();
  if (stopped_) return 0;
  // A move that left its own king in check is refused here as it is a ply above, and a side
  // in check has to get out of it.
  if (KingCanBeTaken(board)) return SCORE_ILLEGAL;
  if (IsDeadPosition(board)) return 0;
  if (InCheck(board)) return Evade(board, alpha, beta, qdepth);
  std::uint32_t lock;
  const TableSlot slot = SlotOf(board, lock);
  const TTEntry& entry = slot.Entry();
  // The static score and the captures do not depend on the table: they are worked out while
  // the entry is on its way from memory, and so are the entries of the captures' positions.
  // The table can only lower beta, so a stand-pat score at or above it needs no captures.
  // With a castling path the generation changes the board, which a search of the same child
  // again would see: then it keeps its place after the table.
  __builtin_prefetch(&entry);
  const int standPat = EvaluateStrong(board, pawns_);
  MoveList captures;
  const bool early = standPat < beta && board.castlePath[board.sideToMove] == 0;
  bool anyCapture = early && captures.GenerateCaptures(board);
  if (anyCapture) {
    for (const Move& capture : captures)
      tables_[1 - board.sideToMove]->Prefetch(ChildKeyGuess(board, capture));
  }

  int hashFrom = -1, hashTo = -1;
  int tableScore = 0;
  const int nodePly = ply_ - qdepth;
  const auto fromNode = [nodePly](const TTEntry& stored) { return TableScore(stored, nodePly); };
  if (ProbeForCaptures(slot, lock, fromNode, alpha, beta, tableScore, hashFrom, hashTo))
    return tableScore;
  const int alphaBefore = alpha;

  if (!early) {
    if (standPat >= beta) {
      board.RemoveCastlePath(board.sideToMove);  // what the generation would have done
      return standPat;
    }
    anyCapture = captures.GenerateCaptures(board);
  }
  if (!anyCapture || standPat >= beta) return standPat;

  int bestScore = standPat;
  if (standPat > alpha) alpha = standPat;
  const int hashIndex = hashFrom >= 0 ? FindFromTo(captures, hashFrom, hashTo) : -1;
  PriorityBuffer priorities(captures.Size());
  Prioritise(board, captures, false, priorities.Data());
  MoveOrder order(captures, hashIndex, MoveOrder::Priorities{priorities.Data()});

  int searched = 0;
  int bestIndex = 0;
  int bestFrom = -1, bestTo = -1;
  for (int k = 0; k < captures.Size() && bestScore < beta; ++k) {
    const Move& capture = captures[order.Next()];
    // A capture that cannot bring the score up to alpha is left out, and one that loses
    // material once the square's defenders have taken back. Against a mate found already no
    // material is enough: there only a mate counts, and the capture may be one.
    if (!(capture.flags & PROMOTION_MASK)) {
      const int victim = VictimValue(capture);
      if (standPat + victim + DELTA_MARGIN <= alpha && alpha < SCORE_MATE_FOUND) continue;
      if (PieceValue[static_cast<std::size_t>(capture.piece)] > victim &&
          StaticExchange(board, capture) < 0)
        continue;
    }
    Board child = board;
    child.MakeMove(&capture);
    searched += 1;
    const int score = -Quiesce(child, -beta, -alpha, qdepth - 1);
    if (stopped_) return 0;
    if (score > bestScore) {
      bestScore = score;
      bestIndex = searched;
      bestFrom = capture.from;
      bestTo = capture.to;
      if (score > alpha) alpha = score;
    }
  }

  // Cannot happen, since the stand-pat score is the floor; kept for the mate formula's sake.
  if (bestScore <= -SCORE_WINDOW) return InCheck(board) ? bestScore + qdepth : 0;

  const int type = BoundType(bestScore, alphaBefore, beta);
  if (type == TT_LOWER) stats_.quiescenceCutoffs += 1;
  // The captures' searches may have filled the slot meanwhile. An entry of another lock is
  // not empty.
  if (!slot.MayBeUsed() || (slot.MayAnswer(lock) && entry.TakesQuiescenceResult()))
    slot.Store(type, StoredScore(bestScore, ply_ - qdepth), qdepth, lock, board.moveNumber,
               bestFrom, bestTo, stats_.regularNodes);
  if (bestIndex != 0) {
    stats_.quiescenceMoveSum += captures.Size() - 1;
    stats_.quiescenceBestIndexSum += bestIndex - 1;
  }
  return bestScore;
}

int StrongSearch::Evade(Board& board, int alpha, int beta, int qdepth) {
  MoveList moves;
  moves.Generate(board);
  PriorityBuffer priorities(moves.Size());
  Prioritise(board, moves, false, priorities.Data());
  MoveOrder order(moves, -1, MoveOrder::Priorities{priorities.Data()});
  // Mated, unless a move turns out lawful.
  int bestScore = -SCORE_WINDOW + (ply_ - qdepth);
  for (int k = 0; k < moves.Size() && bestScore < beta; ++k) {
    Board child = board;
    child.MakeMove(&moves[order.Next()]);
    const int score = -Quiesce(child, -beta, -std::max(alpha, bestScore), qdepth - 1);
    if (stopped_) return 0;
    bestScore = std::max(bestScore, score);
  }
  return bestScore;
}
