#include "search/TranspositionTable.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iomanip>
#include <new>
#include <ostream>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

// Both histograms have this many counters; depths are shifted so that -500..499 fit.
constexpr int HISTOGRAM_SIZE = 1000;
constexpr int DEPTH_OFFSET = 500;

using Histogram = std::array<std::int32_t, HISTOGRAM_SIZE>;

// The entries lie on pages of this size where the system offers them: a search touches the
// tables all over, and small pages would make most accesses miss the address cache.
constexpr std::size_t LARGE_PAGE = std::size_t{2} << 20;

// One line per non-zero counter, highest index first.
void PrintHistogram(std::ostream& out, const char* title, const Histogram& counts, int offset) {
  out << title << std::endl;
  for (int index = HISTOGRAM_SIZE - 1; index >= 0; --index) {
    const std::int32_t count = counts[static_cast<std::size_t>(index)];
    if (count == 0) continue;
    out << "  ^- " << std::setw(3) << index - offset << ": " << std::setw(7) << count << std::endl;
  }
}

}  // namespace

int TTEntry::CorrectedScore(int moveNumber) const {
  if (score >= TT_MATE_SCORE) return score - (moveNumber - ply);
  if (score <= -TT_MATE_SCORE) return score + (moveNumber - ply);
  return score;
}

TranspositionTable::TranspositionTable(int colour, int size)
    : size_(std::max(size, 1)), colour_(colour) {}

TranspositionTable::~TranspositionTable() { Release(); }

void TranspositionTable::Allocate() {
  // Fresh zeroed memory: every entry empty and of age 0, and nothing written before the search
  // writes it, so that even the largest tables cost no time to set up.
  marks_.reset(static_cast<Mark*>(std::calloc(static_cast<std::size_t>(size_), sizeof(Mark))));
  if (!marks_) throw std::bad_alloc();
  age_ = 0;
  scrubbed_ = 0;
  const std::size_t bytes = static_cast<std::size_t>(size_) * sizeof(TTEntry);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // Fresh anonymous memory reads as zero bytes, which is an empty table: nothing is written
  // until the search writes an entry. One extra page leaves room to align the start.
  const std::size_t rounded = (bytes + LARGE_PAGE - 1) / LARGE_PAGE * LARGE_PAGE;
  void* mapped = mmap(nullptr, rounded + LARGE_PAGE, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped != MAP_FAILED) {
    const auto address = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (address + LARGE_PAGE - 1) / LARGE_PAGE * LARGE_PAGE;
    madvise(reinterpret_cast<void*>(aligned), rounded, MADV_HUGEPAGE);  // only advice
    mapping_ = mapped;
    mappedBytes_ = rounded + LARGE_PAGE;
    entries_ = reinterpret_cast<TTEntry*>(aligned);
    return;
  }
#endif
  void* memory = ::operator new (bytes, std::align_val_t{64});
  std::memset(memory, 0, bytes);
  entries_ = static_cast<TTEntry*>(memory);
}

void TranspositionTable::Release() {
  if (!entries_) return;
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  if (mapping_) {
    munmap(mapping_, mappedBytes_);
    mapping_ = nullptr;
    entries_ = nullptr;
    return;
  }
#endif
  ::operator delete (static_cast<void*>(entries_), std::align_val_t{64});
  entries_ = nullptr;
}

void TranspositionTable::Clear() {
  if (!entries_) return;
  age_ = static_cast<std::uint8_t>(age_ + 1);
  // An age comes round again after 256 clears. Each clear empties one share of the entries
  // for good, all of them within SCRUB_SHARE clears, so that no entry is ever that old.
  const auto begin = static_cast<int>(std::int64_t{size_} * scrubbed_ / SCRUB_SHARE);
  const auto end = static_cast<int>(std::int64_t{size_} * (scrubbed_ + 1) / SCRUB_SHARE);
  for (int index = begin; index < end; ++index) Refresh(index);
  scrubbed_ = (scrubbed_ + 1) % SCRUB_SHARE;
}

int TableEntriesFor(int megabytes) {
  if (megabytes == TT_DEFAULT_MEGABYTES) return TT_SIZE;
  const std::int64_t bytes = std::int64_t{std::clamp(megabytes, 1, TT_MAX_MEGABYTES)} << 20;
  return static_cast<int>(bytes / (2 * (sizeof(TTEntry) + sizeof(std::uint8_t[2]))));
}

void TranspositionTable::Resize(int size) {
  Release();
  marks_.reset();
  size_ = std::max(size, 1);
}

int TranspositionTable::SlotIndex(std::int64_t hashKey, int size) {
  return static_cast<int>(std::llabs(hashKey % size));
}

int TranspositionTable::WriteStatistics(std::ostream& out) const {
  out << std::endl << " S T A T S  -  TranspositionTable ";
  if (colour_ == WHITE) out << " white";
  if (colour_ == BLACK) out << " black";
  out << std::endl;

  Histogram byDepth{};
  Histogram byPly{};
  std::int64_t occupied = 0;
  int corrupted = 0;
  for (int index = 0; entries_ && index < size_; ++index) {
    const TTEntry* entry = &EntryAt(index);
    if (entry->type == TT_EMPTY) continue;
    ++occupied;
    // Every depth an entry can hold fits the histogram; only the ply can be out of range.
    static_assert(-DEPTH_OFFSET <= INT8_MIN && INT8_MAX < HISTOGRAM_SIZE - DEPTH_OFFSET);
    if (entry->ply < 0 || entry->ply >= HISTOGRAM_SIZE) {
      ++corrupted;
      continue;
    }
    ++byDepth[static_cast<std::size_t>(entry->depth + DEPTH_OFFSET)];
    ++byPly[static_cast<std::size_t>(entry->ply)];
  }

  // The share is cut to whole hundredths of a percent before it is printed.
  const std::int64_t hundredths = occupied * 10000 / size_;
  const std::ios_base::fmtflags flags = out.flags();
  const std::streamsize precision = out.precision();
  out << "total number of entries: " << std::setw(7) << occupied << " of " << std::setw(7) << size_
      << " ( " << std::fixed << std::setprecision(2) << static_cast<double>(hundredths) / 100.0
      << "% )" << std::endl;
  out.flags(flags);
  out.precision(precision);

  PrintHistogram(out, "- depth", byDepth, DEPTH_OFFSET);
  PrintHistogram(out, "- ply", byPly, 0);
  return corrupted;
}
