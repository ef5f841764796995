// A program a test or a benchmark runs beside itself on the loopback (an exporter, a server):
// started with an argument vector (never a shell) and its output sent to /dev/null, waited for
// until it accepts connections on its port, frozen with SIGSTOP to stand for a hung host, and
// stopped with SIGTERM and reaped. Header-only so the benchmarks can use it too.
//
// Threads: the thread that owns it; the destructor stops the process.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace corvane::test_support {

class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() { Stop(); }

  // A port on 127.0.0.1 that was free a moment ago; 0 when none could be had.
  static std::uint16_t FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    std::uint16_t port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
      port = ntohs(address.sin_port);
    ::close(fd);
    return port;
  }

  // Starts args[0] with the arguments. False, with the reason, when it cannot be started.
  bool Spawn(const std::vector<std::string>& args, std::string* error) {
    Stop();
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Such programs log their start and every failure; the test output stays clean.
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int failed = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
      pid_ = -1;
      *error = "cannot start " + args[0] + ": " + std::strerror(failed);
      return false;
    }
    return true;
  }

  // Waits until the process accepts connections on 127.0.0.1:`port`: true once it does; false
  // when it exited first (a taken port, a bad argument) or did not within `limit`.
  bool WaitUntilListening(std::uint16_t port, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      if (pid_ <= 0 || ::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
      }
      if (Accepts(port)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  bool running() const { return pid_ > 0; }

  void Stop() {
    if (pid_ <= 0) return;
    Resume();
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
  }

  // A hung host: the kernel still accepts connections, nobody answers.
  void Freeze() {
    if (pid_ > 0) ::kill(pid_, SIGSTOP);
  }
  void Resume() {
    if (pid_ > 0) ::kill(pid_, SIGCONT);
  }

 private:
  static bool Accepts(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool up = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return up;
  }

  pid_t pid_ = -1;
};

}  // namespace corvane::test_support
