#include "tests/platform/remote/tls_test_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

namespace corvane::remote::testing {
namespace {

SSL_CTX* Context(void* context) { return static_cast<SSL_CTX*>(context); }

}  // namespace

TlsTestServer::TlsTestServer(const std::string& cert_file, const std::string& key_file,
                             std::string body)
    : body_(std::move(body)) {
  SSL_CTX* context = SSL_CTX_new(TLS_server_method());
  context_ = context;
  if (context == nullptr || SSL_CTX_use_certificate_chain_file(context, cert_file.c_str()) != 1 ||
      SSL_CTX_use_PrivateKey_file(context, key_file.c_str(), SSL_FILETYPE_PEM) != 1) {
    SSL_CTX_free(context);
    throw std::runtime_error("TLS test server: cannot load " + cert_file + " and " + key_file);
  }
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  if (listener_ < 0 ||
      ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      ::listen(listener_, 16) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
      ::pipe2(wake_, O_CLOEXEC) != 0) {
    SSL_CTX_free(context);
    throw std::runtime_error(std::string("TLS test server: ") + std::strerror(errno));
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Loop(); });
}

TlsTestServer::~TlsTestServer() {
  stop_ = true;
  const char byte = 0;
  (void)!::write(wake_[1], &byte, 1);
  thread_.join();
  ::close(listener_);
  ::close(wake_[0]);
  ::close(wake_[1]);
  SSL_CTX_free(Context(context_));
}

std::string TlsTestServer::LastRequest() const {
  std::lock_guard lock(mutex_);
  return last_request_;
}

void TlsTestServer::SetRedirect(std::string location) {
  std::lock_guard lock(mutex_);
  redirect_ = std::move(location);
}

void TlsTestServer::Loop() {
  while (!stop_) {
    pollfd fds[2] = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents != 0) break;
    const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) continue;
    // A client that stops half way never holds the server thread for long.
    const timeval limit{30, 0};
    ::setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
    ::setsockopt(connection, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof(limit));
    Answer(connection);
    ::close(connection);
  }
}

void TlsTestServer::Answer(int connection) {
  SSL* ssl = SSL_new(Context(context_));
  if (ssl == nullptr) return;
  SSL_set_fd(ssl, connection);
  if (SSL_accept(ssl) != 1) {
    SSL_free(ssl);
    ERR_clear_error();
    return;
  }
  // The headers, then as much of the body as Content-Length announces.
  std::string request;
  char buffer[4096];
  std::size_t header_end = std::string::npos;
  std::size_t wanted = 0;
  while (header_end == std::string::npos || request.size() < wanted) {
    const int got = SSL_read(ssl, buffer, sizeof(buffer));
    if (got <= 0) break;
    request.append(buffer, static_cast<std::size_t>(got));
    if (header_end != std::string::npos) continue;
    header_end = request.find("\r\n\r\n");
    if (header_end == std::string::npos) continue;
    wanted = header_end + 4;
    const std::size_t field = request.find("Content-Length: ");
    if (field != std::string::npos && field < header_end)
      wanted += std::stoul(request.substr(field + 16));
  }
  std::string answer;
  {
    std::lock_guard lock(mutex_);
    last_request_ =
        request.substr(0, header_end == std::string::npos ? request.size() : header_end + 4);
    answer = redirect_.empty()
                 ? "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                       std::to_string(body_.size()) + "\r\nConnection: close\r\n\r\n" + body_
                 : "HTTP/1.1 307 Temporary Redirect\r\nLocation: " + redirect_ +
                       "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
  }
  ++requests_;
  SSL_write(ssl, answer.data(), static_cast<int>(answer.size()));
  SSL_shutdown(ssl);
  SSL_free(ssl);
  ERR_clear_error();
}

}  // namespace corvane::remote::testing
