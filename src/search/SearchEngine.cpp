#include "search/SearchEngine.h"

#include "search/NegaScout.h"

SearchEngine::SearchEngine()
    : whiteTable_(-1), blackTable_(-1), tables_{&whiteTable_, &blackTable_} {
  whiteTable_.SetColour(WHITE);
  blackTable_.SetColour(BLACK);
}

std::istream& SearchEngine::LoadState(std::istream& in) {
  unsigned char bytes[4];
  if (in.read(reinterpret_cast<char*>(bytes), sizeof bytes)) {
    searchCount_ =
        static_cast<std::int32_t>(std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                                  std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24);
  }
  ClearTables();
  ClearHistory(history_);
  return in;
}

void SearchEngine::Think(const Board& /*board*/, Move* /*out*/) {}

void SearchEngine::PrintStatistics() {}

std::ostream& SearchEngine::SaveState(std::ostream& out) {
  const auto count = static_cast<std::uint32_t>(searchCount_);
  const char bytes[4] = {static_cast<char>(count & 0xFF), static_cast<char>(count >> 8 & 0xFF),
                         static_cast<char>(count >> 16 & 0xFF),
                         static_cast<char>(count >> 24 & 0xFF)};
  return out.write(bytes, sizeof bytes);
}

std::unique_ptr<SearchEngine> SearchEngine::Create(int kind, const OpeningBook* book) {
  // Kinds 0 and 1 name two further engines that this program does not have.
  if (kind == ENGINE_NEGASCOUT) return std::make_unique<NegaScout>(book);
  return nullptr;
}

void SearchEngine::ClearTables() {
  whiteTable_.Clear();
  blackTable_.Clear();
}
