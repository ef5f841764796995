// A real Prometheus server (the Debian package's binary) run by a test or a benchmark on
// 127.0.0.1 and a free port, with its own storage folder in a temporary folder, scraping the
// given targets every second. Started with an argument vector (never a shell), stopped with
// SIGTERM, frozen with SIGSTOP to stand for a hanging server. Header-only so the benchmarks can
// use it too.
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

#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace corvane::remote::testing {

class PrometheusProcess {
 public:
  static constexpr const char* kBinary = "/usr/bin/prometheus";

  static bool Installed() { return ::access(kBinary, X_OK) == 0; }

  PrometheusProcess() = default;
  PrometheusProcess(const PrometheusProcess&) = delete;
  PrometheusProcess& operator=(const PrometheusProcess&) = delete;
  ~PrometheusProcess() {
    Stop();
    if (!folder_.empty()) {
      std::error_code ignored;
      std::filesystem::remove_all(folder_, ignored);
    }
  }

  // Starts the server scraping the targets ("127.0.0.1:9100") under job "node" every
  // `interval`, each scrape given `timeout`, and returns once it answers. False, with the
  // reason, when it does not.
  bool Start(const std::vector<std::string>& targets, std::string* error,
             const std::string& interval = "1s", const std::string& timeout = "900ms") {
    Stop();
    if (folder_.empty()) {
      char name[] = "/tmp/corvane-prometheus-XXXXXX";
      if (::mkdtemp(name) == nullptr) {
        *error = std::string("no temporary folder: ") + std::strerror(errno);
        return false;
      }
      folder_ = name;
    }
    {
      std::ofstream config(folder_ + "/prometheus.yml");
      config << "global:\n  scrape_interval: " << interval << "\n  scrape_timeout: " << timeout
             << "\n"
             << "scrape_configs:\n  - job_name: node\n    static_configs:\n      - targets: [";
      for (std::size_t i = 0; i < targets.size(); ++i)
        config << (i > 0 ? ", " : "") << "'" << targets[i] << "'";
      config << "]\n";
    }
    port_ = FreePort();
    const std::vector<std::string> args = {
        kBinary, "--config.file=" + folder_ + "/prometheus.yml",
        "--storage.tsdb.path=" + folder_ + "/data",
        "--web.listen-address=127.0.0.1:" + std::to_string(port_), "--log.level=error"};
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int failed = ::posix_spawn(&pid_, kBinary, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
      pid_ = -1;
      *error = std::string("cannot start ") + kBinary + ": " + std::strerror(failed);
      return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        *error = std::string(kBinary) + " exited at start";
        return false;
      }
      if (Listening()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    *error = std::string(kBinary) + " did not start listening";
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

  void Freeze() {
    if (pid_ > 0) ::kill(pid_, SIGSTOP);
  }
  void Resume() {
    if (pid_ > 0) ::kill(pid_, SIGCONT);
  }

  std::uint16_t port() const { return port_; }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_); }

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

  bool Listening() const {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port_);
    const bool up = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return up;
  }

  std::string folder_;
  pid_t pid_ = -1;
  std::uint16_t port_ = 0;
};

}  // namespace corvane::remote::testing
