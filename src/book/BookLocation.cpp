#include "book/BookLocation.h"

#include <filesystem>
#include <system_error>

namespace {

bool IsFile(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

}  // namespace

std::string FindOpeningBook(const std::string& fileName) {
  if (IsFile(fileName)) return fileName;
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) {
    const std::filesystem::path beside = program.parent_path() / fileName;
    if (IsFile(beside)) return beside.string();
    // An installed program, wherever its installation was moved to.
    const std::filesystem::path shared =
        program.parent_path().parent_path() / "share" / "velmora" / fileName;
    if (IsFile(shared)) return shared.string();
  }
#ifdef VELMORA_BOOK_DIR
  const std::filesystem::path installed = std::filesystem::path(VELMORA_BOOK_DIR) / fileName;
  if (IsFile(installed)) return installed.string();
#endif
  return fileName;
}
