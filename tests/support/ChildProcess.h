// The one way tests start a program (the real one, a tool, a script): in a directory of its
// own, with a pipe to its standard input and one from its standard output, read with a timeout so
// that a hang fails the test instead of blocking it.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/TemporaryDirectory.h"

class ChildProcess {
 public:
  // Where the program's standard error goes: into the file stderr.txt of its directory, or
  // into its standard output.
  enum class Errors { TO_FILE, WITH_OUTPUT };

  // Runs arguments[0] with the rest as its arguments. The files it writes cannot grow beyond
  // `fileSizeLimit` bytes: a write beyond fails, and SIGXFSZ ends a program that does not guard
  // its writes.
  ChildProcess(const std::filesystem::path& directory, std::vector<std::string> arguments,
               Errors errors = Errors::TO_FILE, rlim_t fileSizeLimit = RLIM_INFINITY) {
    // A program that ended early fails the test's next write, not the test process.
    signal(SIGPIPE, SIG_IGN);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    int toChild[2], fromChild[2];
    if (pipe(toChild) != 0 || pipe(fromChild) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {  // only calls that are safe after a fork, up to the exec
      dup2(toChild[0], STDIN_FILENO);
      dup2(fromChild[1], STDOUT_FILENO);
      for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) close(fd);
      signal(SIGPIPE, SIG_DFL);
      signal(SIGXFSZ, SIG_DFL);
      rlimit size{};
      getrlimit(RLIMIT_FSIZE, &size);
      size.rlim_cur = std::min(size.rlim_cur, fileSizeLimit);
      if (chdir(directory.c_str()) != 0 || setrlimit(RLIMIT_FSIZE, &size) != 0) _exit(127);
      const int error = errors == Errors::TO_FILE
                            ? open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644)
                            : STDOUT_FILENO;
      if (error < 0 || dup2(error, STDERR_FILENO) < 0) _exit(127);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    in_ = toChild[1];
    out_ = fromChild[0];
  }
  ~ChildProcess() {
    CloseInput();
    CloseOutput();
    if (pid_ > 0 && !ended_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Writes `text` as it is; Send adds the line end.
  void Write(const std::string& text) {
    if (in_ >= 0 && write(in_, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
      CloseInput();
  }
  void Send(const std::string& line) { Write(line + "\n"); }
  void CloseInput() {
    if (in_ >= 0) close(std::exchange(in_, -1));
  }
  // Closes the test's end of the program's standard output, as a front end that stops reading.
  void CloseOutput() {
    if (out_ >= 0) close(std::exchange(out_, -1));
  }
  void Signal(int signal) const { kill(pid_, signal); }

  // The output up to and including the first `text` not read yet; without it, all that comes
  // until the output ends or nothing more comes for a minute (all of it, once Wait is done).
  std::string ReadThrough(const std::string& text) {
    std::size_t at;
    while ((at = buffer_.find(text)) == std::string::npos)
      if (!Fill()) return std::exchange(buffer_, std::string());
    std::string head = buffer_.substr(0, at + text.size());
    buffer_.erase(0, at + text.size());
    return head;
  }
  // The next line, without its end; "<end>" at the end of the output, "<timeout>" after a
  // minute without a line.
  std::string ReadLine() {
    std::string line = ReadThrough("\n");
    if (line.ends_with('\n'))
      line.pop_back();
    else if (line.empty())
      return out_ < 0 ? "<end>" : "<timeout>";
    return line;
  }
  // How the program ended, once its output has (its input is closed first unless asked to
  // stay open): the exit status, -N when signal N ended it, or -1000 when it has not ended a
  // minute after its output (which stays to be read).
  int Wait(bool closeInput = true) {
    if (closeInput) CloseInput();
    while (Fill()) {
    }
    int status = 0;
    for (int waited = 0; waitpid(pid_, &status, WNOHANG) != pid_; waited += 10) {
      if (out_ >= 0 || waited > 60000) return -1000;  // it has not ended
      usleep(10000);
    }
    ended_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  }

 private:
  // Adds what the program writes next to the buffer; false at the end of the output, or after
  // a minute without any.
  bool Fill() {
    if (out_ < 0) return false;
    pollfd ready{out_, POLLIN, 0};
    if (poll(&ready, 1, 60000) <= 0) return false;
    char chunk[4096];
    const ssize_t n = read(out_, chunk, sizeof chunk);
    if (n <= 0) {
      CloseOutput();
      return false;
    }
    buffer_.append(chunk, static_cast<std::size_t>(n));
    return true;
  }

  pid_t pid_ = -1;
  int in_ = -1;
  int out_ = -1;
  bool ended_ = false;
  std::string buffer_;
};

struct ProgramRun {
  std::string output;  // standard output, with standard error when asked for
  int status = -1;     // as ChildProcess::Wait answers
};

// Runs a program in the directory to its end, with `input` on its standard input.
inline ProgramRun RunProgram(const TemporaryDirectory& directory,
                             std::vector<std::string> arguments, const std::string& input = "",
                             ChildProcess::Errors errors = ChildProcess::Errors::TO_FILE,
                             rlim_t fileSizeLimit = RLIM_INFINITY) {
  ChildProcess child(directory.Path(), std::move(arguments), errors, fileSizeLimit);
  child.Write(input);
  const int status = child.Wait();
  return {child.ReadThrough(std::string(1, '\0')), status};
}
