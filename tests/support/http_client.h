// A minimal HTTP/1.0 client for tests that talk to a real server on this machine: one request,
// the whole answer read until the server closes. Plus raw connections for tests that play a
// slow or hostile client. Test thread only.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane::test_support {

// A TCP connection to 127.0.0.1:port, from `source` (another loopback address such as
// "127.0.0.2", for a server that limits connections per address) when given; closed when the
// object goes.
class Connection {
 public:
  explicit Connection(std::uint16_t port, const char* source = nullptr)
      : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    if (fd_ < 0) return;
    if (source != nullptr) {
      sockaddr_in from{};
      from.sin_family = AF_INET;
      if (::inet_pton(AF_INET, source, &from.sin_addr) != 1 ||
          ::bind(fd_, reinterpret_cast<const sockaddr*>(&from), sizeof from) != 0) {
        return;
      }
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  }
  ~Connection() {
    if (fd_ >= 0) ::close(fd_);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool connected() const { return connected_; }

  // False when the server closed or reset the connection.
  bool Send(std::string_view data) {
    while (!data.empty()) {
      const ssize_t sent = ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
      if (sent <= 0) return false;
      data.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
  }

  // Everything the server sends until it closes, or until `limit` passes.
  std::string ReadToEnd(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    char buffer[16384];
    while (true) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      pollfd poll_fd{fd_, POLLIN, 0};
      if (::poll(&poll_fd, 1, static_cast<int>(left.count())) <= 0) break;
      const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
  }

  // What the server sends until `needle` has come (true) or it closes or `limit` passes
  // (false); everything read is appended to *text.
  bool ReadUntil(std::string* text, std::string_view needle,
                 std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    char buffer[16384];
    while (text->find(needle) == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      pollfd poll_fd{fd_, POLLIN, 0};
      if (::poll(&poll_fd, 1, static_cast<int>(left.count())) <= 0) return false;
      const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
      if (got <= 0) return false;
      text->append(buffer, static_cast<std::size_t>(got));
    }
    return true;
  }

  // Whether the server has closed the connection within `limit`.
  bool ClosedWithin(std::chrono::milliseconds limit) {
    pollfd poll_fd{fd_, POLLIN, 0};
    if (::poll(&poll_fd, 1, static_cast<int>(limit.count())) <= 0) return false;
    char byte;
    return ::recv(fd_, &byte, 1, MSG_PEEK) <= 0;
  }

 private:
  int fd_;
  bool connected_ = false;
};

struct HttpAnswer {
  int status = 0;       // 0: no answer
  std::string headers;  // the header block, lines ending in CRLF
  std::string body;
};

inline HttpAnswer SplitAnswer(const std::string& text) {
  HttpAnswer answer;
  const std::size_t end = text.find("\r\n\r\n");
  if (text.rfind("HTTP/1.", 0) != 0 || end == std::string::npos) return answer;
  answer.status = std::atoi(text.c_str() + text.find(' ') + 1);
  answer.headers = text.substr(0, end + 2);
  answer.body = text.substr(end + 4);
  return answer;
}

// One request ("GET", "/metrics") over HTTP/1.0, so the server closes after answering.
inline HttpAnswer HttpRequest(std::uint16_t port, std::string_view method, std::string_view path) {
  Connection connection(port);
  if (!connection.connected()) return {};
  std::string request(method);
  request.append(" ").append(path).append(" HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
  if (!connection.Send(request)) return {};
  return SplitAnswer(connection.ReadToEnd());
}

inline HttpAnswer HttpGet(std::uint16_t port, std::string_view path) {
  return HttpRequest(port, "GET", path);
}

// Asks until the answer has `status` or `limit` passes; whether it came.
inline bool WaitForStatus(std::uint16_t port, std::string_view path, int status,
                          std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (HttpGet(port, path).status != status) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    ::usleep(50 * 1000);
  }
  return true;
}

}  // namespace corvane::test_support
