#include "tests/remote/fake_exporter.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace corvane::remote::testing {

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
  for (int connection : held_) ::close(connection);
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

std::string FakeExporter::LastRequest() const {
  std::lock_guard lock(mutex_);
  return last_request_;
}

void FakeExporter::Loop() {
  while (!stop_) {
    pollfd fds[2] = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) continue;
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
  ++requests_;
  std::string body;
  int status;
  std::chrono::milliseconds delay;
  bool silent;
  bool chunked;
  {
    std::lock_guard lock(mutex_);
    last_request_ = request.substr(0, request.find("\r\n\r\n"));
    body = body_;
    status = status_;
    delay = delay_;
    silent = silent_;
    chunked = chunked_;
  }
  if (silent) {
    held_.push_back(connection);
    return;
  }
  const auto until = std::chrono::steady_clock::now() + delay;
  while (!stop_ && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
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
  std::size_t sent = 0;
  while (sent < answer.size()) {
    const ssize_t wrote =
        ::send(connection, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
    if (wrote <= 0) break;
    sent += static_cast<std::size_t>(wrote);
  }
  ::close(connection);
}

}  // namespace corvane::remote::testing
