#include "search/TranspositionTable.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <iomanip>
#include <iostream>

#include "console/Console.h"

namespace {

// Both histograms have this many counters; depths are shifted so that -500..499 fit.
constexpr int HISTOGRAM_SIZE = 1000;
constexpr int DEPTH_OFFSET = 500;

using Histogram = std::array<std::int32_t, HISTOGRAM_SIZE>;

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
    : entries_(new TTEntry[static_cast<std::size_t>(std::max(size, 1))]),
      size_(std::max(size, 1)),
      colour_(colour) {}

void TranspositionTable::Clear() { std::fill_n(entries_.get(), size_, TTEntry{}); }

int TranspositionTable::SlotIndex(std::int64_t hashKey, int size) {
  return static_cast<int>(std::llabs(hashKey % size));
}

void TranspositionTable::PrintStatistics() const {
  std::ostream& out = *ConsoleOut;
  out << std::endl << " S T A T S  -  TranspositionTable ";
  if (colour_ == WHITE) out << " white";
  if (colour_ == BLACK) out << " black";
  out << std::endl;

  Histogram byDepth{};
  Histogram byPly{};
  std::int64_t occupied = 0;
  for (const TTEntry* entry = entries_.get(); entry != entries_.get() + size_; ++entry) {
    if (entry->type == TT_EMPTY) continue;
    ++occupied;
    if (entry->ply < 0 || entry->ply >= HISTOGRAM_SIZE || entry->depth < -DEPTH_OFFSET ||
        entry->depth >= HISTOGRAM_SIZE - DEPTH_OFFSET) {
      std::cerr << " TRANSPOSITIONTABLE IS CORRUPTED ";
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
}
