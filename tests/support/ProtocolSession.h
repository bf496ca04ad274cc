// The program under test as a front end runs it: pipes to standard input and from standard
// output, a line at a time, with timeouts so that a hang fails the test instead of blocking.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

class ProtocolSession {
 public:
  ProtocolSession(const std::filesystem::path& directory, const std::vector<std::string>& arguments) {
    int toChild[2], fromChild[2];
    if (pipe(toChild) != 0 || pipe(fromChild) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(toChild[0], STDIN_FILENO);
      dup2(fromChild[1], STDOUT_FILENO);
      for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) close(fd);
      if (chdir(directory.c_str()) != 0) _exit(127);
      const int errors = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);  // kept for the test to read
      if (errors >= 0) dup2(errors, STDERR_FILENO);
      std::vector<char*> argv;
      for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    in_ = toChild[1];
    out_ = fromChild[0];
    signal(SIGPIPE, SIG_IGN);
  }
  ~ProtocolSession() {
    CloseInput();
    if (out_ >= 0) close(out_);
    if (pid_ > 0 && status_ < 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  ProtocolSession(const ProtocolSession&) = delete;
  ProtocolSession& operator=(const ProtocolSession&) = delete;

  void Send(const std::string& line) {
    const std::string text = line + "\n";
    if (in_ >= 0 && write(in_, text.data(), text.size()) < 0) CloseInput();
  }
  void CloseInput() {
    if (in_ >= 0) close(in_);
    in_ = -1;
  }

  // The next line of standard output, or "<timeout>" / "<end>".
  std::string ReadLine(int timeoutMs = 60000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      if (const auto end = buffer_.find('\n'); end != std::string::npos) {
        std::string line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return "<timeout>";
      pollfd ready{out_, POLLIN, 0};
      if (poll(&ready, 1, static_cast<int>(left.count())) <= 0) continue;
      char chunk[4096];
      const ssize_t n = read(out_, chunk, sizeof chunk);
      if (n <= 0) return buffer_.empty() ? "<end>" : std::exchange(buffer_, std::string());
      buffer_.append(chunk, static_cast<std::size_t>(n));
    }
  }
  // Reads lines until one starts with `prefix`; that line, or "<timeout>" / "<end>".
  std::string ReadUntil(const std::string& prefix, int timeoutMs = 60000) {
    for (;;) {
      std::string line = ReadLine(timeoutMs);
      if (line.starts_with(prefix) || line == "<timeout>" || line == "<end>") return line;
      skipped_.push_back(line);
    }
  }
  const std::vector<std::string>& Skipped() const { return skipped_; }

  // The exit status, once the program has ended (after its input is closed), or -1 on timeout.
  int Wait(int timeoutMs = 60000) {
    CloseInput();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (status_ < 0 && std::chrono::steady_clock::now() < deadline) {
      ReadLine(50);  // keep the pipe drained
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    }
    return status_;
  }

 private:
  pid_t pid_ = -1;
  int in_ = -1;
  int out_ = -1;
  int status_ = -1;
  std::string buffer_;
  std::vector<std::string> skipped_;
};
