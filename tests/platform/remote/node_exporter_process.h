// A real prometheus-node-exporter (the Debian package's binary) run by a test or a benchmark on
// 127.0.0.1 and a free port, started with an argument vector (never a shell) and stopped with
// SIGTERM. Header-only so the benchmarks can use it too.
//
// Threads: the thread that owns it; the process is stopped and reaped by its destructor.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace corvane::remote::testing {

class NodeExporterProcess {
 public:
  static constexpr const char* kBinary = "/usr/bin/prometheus-node-exporter";

  static bool Installed() { return ::access(kBinary, X_OK) == 0; }

  NodeExporterProcess() = default;
  NodeExporterProcess(const NodeExporterProcess&) = delete;
  NodeExporterProcess& operator=(const NodeExporterProcess&) = delete;

  // Starts the exporter with the extra arguments on a free port (or on `port` when not 0) and
  // returns once it accepts connections. False, with the reason, when it does not.
  bool Start(const std::vector<std::string>& extra, std::string* error, std::uint16_t port = 0) {
    Stop();
    for (int attempt = 0; attempt < 5; ++attempt) {
      port_ = port != 0 ? port : test_support::ChildProcess::FreePort();
      if (port_ == 0) {
        *error = std::string("no free port: ") + std::strerror(errno);
        return false;
      }
      std::vector<std::string> args = {kBinary,
                                       "--web.listen-address=127.0.0.1:" + std::to_string(port_)};
      args.insert(args.end(), extra.begin(), extra.end());
      if (!process_.Spawn(args, error)) return false;
      if (process_.WaitUntilListening(port_, std::chrono::seconds(15))) return true;
      Stop();
      if (port != 0) break;  // a given port is not replaced by another
    }
    *error =
        std::string(kBinary) + " did not start listening on 127.0.0.1:" + std::to_string(port_);
    return false;
  }

  void Stop() { process_.Stop(); }
  // A hung host: the kernel still accepts connections, nobody answers.
  void Freeze() { process_.Freeze(); }
  void Resume() { process_.Resume(); }

  std::uint16_t port() const { return port_; }
  std::string Machine() const { return "\\\\127.0.0.1:" + std::to_string(port_); }

 private:
  test_support::ChildProcess process_;
  std::uint16_t port_ = 0;
};

}  // namespace corvane::remote::testing
