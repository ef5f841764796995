#include "tests/platform/remote/fake_exporter.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace corvane::remote::testing {

void HeldRequests::Opened() {
  std::lock_guard lock(mutex_);
  peak_ = std::max(peak_, ++open_);
}

void HeldRequests::Closed() {
  std::lock_guard lock(mutex_);
  --open_;
}

int HeldRequests::open() const {
  std::lock_guard lock(mutex_);
  return open_;
}

int HeldRequests::peak() const {
  std::lock_guard lock(mutex_);
  return peak_;
}

std::uint16_t RefusingPort() {
  // Bound but never listening: the kernel refuses connections to it while the socket lives,
  // and no other test can take the port meanwhile. Kept open for the whole test program.
  static const std::uint16_t port = [] {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      throw std::runtime_error(std::string("refusing port: ") + std::strerror(errno));
    return ntohs(address.sin_port);
  }();
  return port;
}

FakeExporter::FakeExporter() {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof(address);
  if (listener_ < 0 ||
      ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      ::listen(listener_, 16) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
      ::pipe2(wake_, O_CLOEXEC) != 0)
    throw std::runtime_error(std::string("fake exporter: ") + std::strerror(errno));
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Loop(); });
}

FakeExporter::~FakeExporter() {
  stop_ = true;
  const char byte = 0;
  (void)!::write(wake_[1], &byte, 1);
  thread_.join();
  for (int connection : held_) {
    ::close(connection);
    if (shared_held_) shared_held_->Closed();
  }
  ::close(listener_);
  ::close(wake_[0]);
  ::close(wake_[1]);
}

std::string FakeExporter::Machine() const { return "\\\\127.0.0.1:" + std::to_string(port_); }

void FakeExporter::Serve(std::string body, int status) {
  std::lock_guard lock(mutex_);
  body_ = std::move(body);
  status_ = status;
}

void FakeExporter::SetDelay(std::chrono::milliseconds delay) {
  std::lock_guard lock(mutex_);
  delay_ = delay;
}

void FakeExporter::SetChunked(bool chunked) {
  std::lock_guard lock(mutex_);
  chunked_ = chunked;
}

void FakeExporter::SetSilent(bool silent) {
  std::lock_guard lock(mutex_);
  silent_ = silent;
}

void FakeExporter::SetHangAfter(int answers) {
  std::lock_guard lock(mutex_);
  hang_after_ = answers;
}

void FakeExporter::SetTrickle(std::chrono::milliseconds pause) {
  std::lock_guard lock(mutex_);
  trickle_ = pause;
}

void FakeExporter::SetRaw(std::string bytes) {
  std::lock_guard lock(mutex_);
  raw_ = std::move(bytes);
}

void FakeExporter::SetEndless(bool endless) {
  std::lock_guard lock(mutex_);
  endless_ = endless;
}

void FakeExporter::ShareHeld(std::shared_ptr<HeldRequests> held) {
  std::lock_guard lock(mutex_);
  shared_held_ = std::move(held);
}

void FakeExporter::Hold(int connection) {
  held_.push_back(connection);
  if (shared_held_) shared_held_->Opened();
}

void FakeExporter::DropClosedHeld() {
  for (auto it = held_.begin(); it != held_.end();) {
    pollfd fd{*it, POLLRDHUP, 0};
    if (::poll(&fd, 1, 0) > 0 && (fd.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0) {
      ::close(*it);
      if (shared_held_) shared_held_->Closed();
      it = held_.erase(it);
    } else {
      ++it;
    }
  }
}

bool FakeExporter::SendAll(int connection, const std::string& bytes) {
  std::chrono::milliseconds trickle;
  {
    std::lock_guard lock(mutex_);
    trickle = trickle_;
  }
  const std::size_t step = trickle.count() > 0 ? 1 : bytes.size();
  std::size_t sent = 0;
  while (sent < bytes.size() && !stop_) {
    const ssize_t wrote =
        ::send(connection, bytes.data() + sent, std::min(step, bytes.size() - sent), MSG_NOSIGNAL);
    if (wrote <= 0) return false;
    sent += static_cast<std::size_t>(wrote);
    if (trickle.count() > 0) {
      // Sleep in short steps so that the exporter's end is not held up.
      const auto until = std::chrono::steady_clock::now() + trickle;
      while (!stop_ && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  return sent == bytes.size();
}

std::string FakeExporter::LastRequest() const {
  std::lock_guard lock(mutex_);
  return last_request_;
}

void FakeExporter::Loop() {
  while (!stop_) {
    pollfd fds[2] = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    // Held connections are looked at every few milliseconds, so their closing is seen.
    const int ready = ::poll(fds, 2, held_.empty() ? -1 : 5);
    DropClosedHeld();
    if (ready <= 0) continue;
    if (stop_ || (fds[1].revents & POLLIN) != 0) break;
    if ((fds[0].revents & POLLIN) == 0) continue;
    const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection >= 0) Answer(connection);
  }
}

void FakeExporter::Answer(int connection) {
  std::string request;
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos) {
    pollfd fd{connection, POLLIN, 0};
    if (::poll(&fd, 1, 2000) <= 0) break;
    const ssize_t got = ::read(connection, buffer, sizeof(buffer));
    if (got <= 0) break;
    request.append(buffer, static_cast<std::size_t>(got));
  }
  const int answered = requests_++;
  std::string body;
  int status;
  std::chrono::milliseconds delay;
  bool silent;
  bool chunked;
  std::string raw;
  bool endless;
  {
    std::lock_guard lock(mutex_);
    last_request_ = request.substr(0, request.find("\r\n\r\n"));
    body = body_;
    status = status_;
    delay = delay_;
    silent = silent_ || (hang_after_ >= 0 && answered >= hang_after_);
    chunked = chunked_;
    raw = raw_;
    endless = endless_;
  }
  if (silent) {
    Hold(connection);
    return;
  }
  const auto until = std::chrono::steady_clock::now() + delay;
  while (!stop_ && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  if (!raw.empty()) {
    SendAll(connection, raw);
    ::close(connection);
    return;
  }
  if (endless) {
    std::string head =
        "HTTP/1.1 200 OK\r\nContent-Type: text/plain; version=0.0.4\r\n"
        "Transfer-Encoding: chunked\r\n\r\n";
    std::string chunk;
    for (int line = 0; line < 200; ++line) chunk += "node_load1 0.5\n";
    char size[32];
    std::snprintf(size, sizeof(size), "%zx\r\n", chunk.size());
    chunk = size + chunk + "\r\n";
    for (bool ok = SendAll(connection, head); ok && !stop_;) ok = SendAll(connection, chunk);
    ::close(connection);
    return;
  }
  std::string answer = "HTTP/1.1 " + std::to_string(status) + (status == 200 ? " OK" : " Error") +
                       "\r\nContent-Type: text/plain; version=0.0.4; charset=utf-8"
                       "\r\nConnection: close\r\n";
  if (chunked) {
    answer += "Transfer-Encoding: chunked\r\n\r\n";
    constexpr std::size_t kChunk = 1000;
    for (std::size_t at = 0; at < body.size(); at += kChunk) {
      const std::string part = body.substr(at, kChunk);
      char size[32];
      std::snprintf(size, sizeof(size), "%zx\r\n", part.size());
      answer += size + part + "\r\n";
    }
    answer += "0\r\n\r\n";
  } else {
    answer += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
  }
  SendAll(connection, answer);
  ::close(connection);
}

}  // namespace corvane::remote::testing
