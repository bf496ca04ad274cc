#include "console/Files.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

bool IsRegularFile(const std::string& name) {
  struct stat status {};
  return stat(name.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

int WriteWhole(int descriptor, const char* data, std::size_t size) {
  // Ignored, the signal of a file-size limit turns into an error of the write itself.
  struct sigaction ignore {};
  struct sigaction previous {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  const bool ignored = sigaction(SIGXFSZ, &ignore, &previous) == 0;
  int failure = 0;
  while (size > 0) {
    const ssize_t written = write(descriptor, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      failure = written < 0 ? errno : EIO;
      break;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  if (ignored) sigaction(SIGXFSZ, &previous, nullptr);
  return failure;
}

int AppendWhole(int descriptor, const char* data, std::size_t size) {
  // A file that cannot be locked (some network file systems) is written all the same.
  const bool locked = flock(descriptor, LOCK_EX) == 0;
  struct stat before {};
  const bool regular = fstat(descriptor, &before) == 0 && S_ISREG(before.st_mode);
  int failure = WriteWhole(descriptor, data, size);
  // A full disk may show only when the text reaches it. Devices (/dev/null) cannot be synced.
  if (failure == 0 && fsync(descriptor) != 0 && errno != EINVAL && errno != EROFS) failure = errno;
  if (failure != 0 && regular) {
    // Nothing better is left to do when even this fails.
    while (ftruncate(descriptor, before.st_size) != 0 && errno == EINTR) {
    }
  }
  if (locked) flock(descriptor, LOCK_UN);
  return failure;
}

mode_t ReplacementMode(const std::string& destination) {
  if (struct stat old{}; stat(destination.c_str(), &old) == 0) return old.st_mode & 07777;
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

int ReplaceFile(const std::string& name, const std::string& content) {
  std::string destination = name;
  std::error_code error;
  if (std::filesystem::is_symlink(name, error)) {
    const std::filesystem::path target = std::filesystem::canonical(name, error);
    if (!error) destination = target.string();
  }
  const mode_t mode = ReplacementMode(destination);
  std::string temporary = destination + ".tmp-XXXXXX";
  const int file = mkstemp(temporary.data());
  if (file < 0) return errno;
  int failure = WriteWhole(file, content.data(), content.size());
  if (failure == 0 && (fchmod(file, mode) != 0 || fsync(file) != 0)) failure = errno;
  if (close(file) != 0 && failure == 0) failure = errno;
  if (failure == 0 && std::rename(temporary.c_str(), destination.c_str()) != 0) failure = errno;
  if (failure != 0) unlink(temporary.c_str());
  return failure;
}
