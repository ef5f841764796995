// Helpers for tests of the host stand-ins: a temporary folder that removes itself, a
// datagram socket standing in for systemd's notification socket, and environment variables
// set for one scope. Test thread only.
#pragma once

#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/temp_folder.h"

namespace corvane::testing_support {

using TempFolder = test_support::TempFolder;

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// Sets (or, with nullopt, unsets) an environment variable until the end of the scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;
  ~ScopedEnv() {
    if (old_) {
      setenv(name_.c_str(), old_->c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// A datagram socket bound in a folder, as systemd binds NOTIFY_SOCKET. A thread of its own
// reads every message as it comes, as systemd does: a unix datagram socket holds only a few
// unread messages (net.unix.max_dgram_qlen, often 10) before senders block.
class NotifySocket {
 public:
  explicit NotifySocket(const std::string& path) : path_(path) {
    fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (fd_ < 0 || path.size() >= sizeof address.sun_path) throw std::runtime_error("socket");
    path.copy(address.sun_path, path.size());
    if (bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      throw std::runtime_error("bind " + path);
    }
    // Wakes up now and then to see whether the socket is being closed.
    timeval timeout{0, 50000};
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    reader_ = std::thread([this] { Read(); });
  }
  NotifySocket(const NotifySocket&) = delete;
  NotifySocket& operator=(const NotifySocket&) = delete;
  ~NotifySocket() {
    closing_ = true;
    reader_.join();
    close(fd_);
    unlink(path_.c_str());
  }

  const std::string& path() const { return path_; }

  // The next message, or nothing when none comes within `timeout_ms`.
  std::optional<std::string> Receive(int timeout_ms) {
    std::unique_lock<std::mutex> hold(mutex_);
    if (!arrived_.wait_for(hold, std::chrono::milliseconds(timeout_ms),
                           [this] { return !messages_.empty(); })) {
      return std::nullopt;
    }
    std::string message = std::move(messages_.front());
    messages_.pop_front();
    return message;
  }

  // Messages until one contains `wanted` (included), or until none comes in time.
  std::vector<std::string> ReceiveUntil(const std::string& wanted, int timeout_ms) {
    std::vector<std::string> messages;
    while (std::optional<std::string> message = Receive(timeout_ms)) {
      messages.push_back(*message);
      if (message->find(wanted) != std::string::npos) break;
    }
    return messages;
  }

 private:
  void Read() {
    char buffer[4096];
    while (!closing_) {
      const ssize_t got = recv(fd_, buffer, sizeof buffer, 0);
      if (got < 0) continue;  // the time-out, or an interruption
      {
        const std::lock_guard<std::mutex> hold(mutex_);
        messages_.emplace_back(buffer, static_cast<std::size_t>(got));
      }
      arrived_.notify_all();
    }
  }

  std::string path_;
  int fd_ = -1;
  std::atomic<bool> closing_{false};
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<std::string> messages_;
  std::thread reader_;
};

}  // namespace corvane::testing_support
