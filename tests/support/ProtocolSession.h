// The program under test as a front end runs it: pipes to standard input and from standard
// output, a line at a time, with timeouts so that a hang fails the test instead of blocking.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

class ProtocolSession {
 public:
  // Runs arguments[0] in the directory; its standard error goes to the file stderr.txt there.
  ProtocolSession(const std::filesystem::path& directory, std::vector<std::string> arguments) {
    int toChild[2], fromChild[2];
    if (pipe(toChild) != 0 || pipe(fromChild) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(toChild[0], STDIN_FILENO);
      dup2(fromChild[1], STDOUT_FILENO);
      for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) close(fd);
      if (chdir(directory.c_str()) != 0 || !std::freopen("stderr.txt", "w", stderr)) _exit(127);
      std::vector<char*> argv;
      for (std::string& argument : arguments) argv.push_back(argument.data());
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
    close(out_);
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
    if (in_ >= 0) close(std::exchange(in_, -1));
  }
  // Closes the test's end of the program's standard output, as a front end that stops reading.
  void CloseOutput() {
    if (out_ >= 0) close(std::exchange(out_, -1));
  }

  // The next line of standard output, or "<timeout>" after a minute / "<end>".
  std::string ReadLine() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    std::size_t end;
    if (out_ < 0) return "<end>";
    while ((end = buffer_.find('\n')) == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return "<timeout>";
      pollfd ready{out_, POLLIN, 0};
      if (poll(&ready, 1, static_cast<int>(left.count())) <= 0) continue;
      char chunk[4096];
      const ssize_t n = read(out_, chunk, sizeof chunk);
      if (n <= 0) return buffer_.empty() ? "<end>" : std::exchange(buffer_, std::string());
      buffer_.append(chunk, static_cast<std::size_t>(n));
    }
    std::string line = buffer_.substr(0, end);
    buffer_.erase(0, end + 1);
    return line;
  }
  // Reads lines until one starts with `prefix`; that line, or "<timeout>" / "<end>".
  std::string ReadUntil(const std::string& prefix) {
    std::string line = ReadLine();
    while (!line.starts_with(prefix) && line != "<timeout>" && line != "<end>") line = ReadLine();
    return line;
  }

  // The exit status, once the program has ended (after its input is closed, unless asked to
  // keep it open), or -1 on timeout.
  int Wait(bool closeInput = true) {
    if (closeInput) CloseInput();
    for (std::string line; line != "<end>"; line = ReadLine())
      if (line == "<timeout>") return -1;
    // Output closed: the program has a minute to end, or the test fails (the destructor kills it).
    int status = 0;
    for (int waited = 0; waitpid(pid_, &status, WNOHANG) != pid_; waited += 10) {
      if (waited > 60000) return -1;
      usleep(10000);
    }
    return status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
  }

 private:
  pid_t pid_ = -1;
  int in_ = -1;
  int out_ = -1;
  int status_ = -1;
  std::string buffer_;
};
