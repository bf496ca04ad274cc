#include "search/SearchEngine.h"

#include "board/LittleEndian.h"
#include "search/NegaScout.h"

SearchEngine::SearchEngine()
    : whiteTable_(-1), blackTable_(-1), tables_{&whiteTable_, &blackTable_} {
  whiteTable_.SetColour(WHITE);
  blackTable_.SetColour(BLACK);
}

std::istream& SearchEngine::LoadState(std::istream& in) {
  ReadLittleEndian(in, searchCount_);
  ClearTables();
  ClearHistory(history_);
  return in;
}

void SearchEngine::Think(const Board& /*board*/, Move* /*out*/) {}

std::string SearchEngine::StatisticsReport(int& corruptedEntries) const {
  corruptedEntries = 0;
  return "";
}

std::ostream& SearchEngine::SaveState(std::ostream& out) {
  return WriteLittleEndian(out, searchCount_);
}

std::unique_ptr<SearchEngine> SearchEngine::Create(int kind) {
  // NegaScout is the one kind of engine; any other kind gives none.
  if (kind == ENGINE_NEGASCOUT) return std::make_unique<NegaScout>();
  return nullptr;
}

void SearchEngine::ResizeTables(int entries) {
  whiteTable_.Resize(entries);
  blackTable_.Resize(entries);
}

void SearchEngine::ClearTables() {
  whiteTable_.Clear();
  blackTable_.Clear();
}
