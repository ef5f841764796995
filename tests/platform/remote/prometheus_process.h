// A real Prometheus server (the Debian package's binary) run by a test or a benchmark on
// 127.0.0.1 and a free port, with its own storage folder in a temporary folder, scraping the
// given targets every second. Started with an argument vector (never a shell), stopped with
// SIGTERM, frozen with SIGSTOP to stand for a hanging server. Header-only so the benchmarks can
// use it too.
//
// Threads: the thread that owns it; the process is stopped and reaped by its destructor.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace corvane::remote::testing {

class PrometheusProcess {
 public:
  static constexpr const char* kBinary = "/usr/bin/prometheus";

  static bool Installed() { return ::access(kBinary, X_OK) == 0; }

  PrometheusProcess() = default;
  PrometheusProcess(const PrometheusProcess&) = delete;
  PrometheusProcess& operator=(const PrometheusProcess&) = delete;
  ~PrometheusProcess() {
    process_.Stop();
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
    port_ = test_support::ChildProcess::FreePort();
    const std::vector<std::string> args = {
        kBinary, "--config.file=" + folder_ + "/prometheus.yml",
        "--storage.tsdb.path=" + folder_ + "/data",
        "--web.listen-address=127.0.0.1:" + std::to_string(port_), "--log.level=error"};
    if (!process_.Spawn(args, error)) return false;
    if (process_.WaitUntilListening(port_, std::chrono::seconds(30))) return true;
    *error = std::string(kBinary) +
             (process_.running() ? " did not start listening" : " exited at start");
    Stop();
    return false;
  }

  void Stop() { process_.Stop(); }
  void Freeze() { process_.Freeze(); }
  void Resume() { process_.Resume(); }

  std::uint16_t port() const { return port_; }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_); }

 private:
  test_support::ChildProcess process_;
  std::string folder_;
  std::uint16_t port_ = 0;
};

}  // namespace corvane::remote::testing
