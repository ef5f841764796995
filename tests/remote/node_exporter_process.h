// A real prometheus-node-exporter (the Debian package's binary) run by a test or a benchmark on
// 127.0.0.1 and a free port, started with an argument vector (never a shell) and stopped with
// SIGTERM. Header-only so the benchmarks can use it too.
//
// Threads: the thread that owns it; the process is stopped and reaped by its destructor.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace corvane::remote::testing {

class NodeExporterProcess {
 public:
  static constexpr const char* kBinary = "/usr/bin/prometheus-node-exporter";

  static bool Installed() { return ::access(kBinary, X_OK) == 0; }

  NodeExporterProcess() = default;
  NodeExporterProcess(const NodeExporterProcess&) = delete;
  NodeExporterProcess& operator=(const NodeExporterProcess&) = delete;
  ~NodeExporterProcess() { Stop(); }

  // Starts the exporter with the extra arguments on a free port (or on `port` when not 0) and
  // returns once it accepts connections. False, with the reason, when it does not.
  bool Start(const std::vector<std::string>& extra, std::string* error, std::uint16_t port = 0) {
    Stop();
    for (int attempt = 0; attempt < 5; ++attempt) {
      port_ = port != 0 ? port : FreePort();
      if (port_ == 0) {
        *error = std::string("no free port: ") + std::strerror(errno);
        return false;
      }
      std::vector<std::string> args = {kBinary,
                                       "--web.listen-address=127.0.0.1:" + std::to_string(port_)};
      args.insert(args.end(), extra.begin(), extra.end());
      if (!Spawn(args, error)) return false;
      if (WaitUntilListening()) return true;
      Stop();
      if (port != 0) break;  // a given port is not replaced by another
    }
    *error =
        std::string(kBinary) + " did not start listening on 127.0.0.1:" + std::to_string(port_);
    return false;
  }

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

  std::uint16_t port() const { return port_; }
  std::string Machine() const { return "\\\\127.0.0.1:" + std::to_string(port_); }

 private:
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

  bool Spawn(const std::vector<std::string>& args, std::string* error) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The exporter logs every start and every failed collector; the test output stays clean.
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int failed = ::posix_spawn(&pid_, kBinary, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
      pid_ = -1;
      *error = std::string("cannot start ") + kBinary + ": " + std::strerror(failed);
      return false;
    }
    return true;
  }

  bool WaitUntilListening() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;  // exited: the port was taken, or a bad argument
        return false;
      }
      const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
      sockaddr_in address{};
      address.sin_family = AF_INET;
      address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      address.sin_port = htons(port_);
      const bool up = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
      ::close(fd);
      if (up) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  pid_t pid_ = -1;
  std::uint16_t port_ = 0;
};

}  // namespace corvane::remote::testing
