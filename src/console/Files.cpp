#include "console/Files.h"

#include <sys/stat.h>

bool IsRegularFile(const std::string& name) {
  struct stat status {};
  return stat(name.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}
