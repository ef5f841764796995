// A stand-in HTTPS server for tests: 127.0.0.1 and a free port, the certificate and key of
// tests/fixtures/exporters/tls (made for 127.0.0.1), answering every request with the JSON body
// it is given, or with a redirect, and keeping the request line and headers of the last
// request. One connection at a time, "Connection: close".
//
// Threads: its own server thread; the test thread may read what arrived at any time.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace corvane::remote::testing {

class TlsTestServer {
 public:
  // Throws std::runtime_error when the certificate cannot be loaded or no port can be had.
  TlsTestServer(const std::string& cert_file, const std::string& key_file, std::string body);
  ~TlsTestServer();
  TlsTestServer(const TlsTestServer&) = delete;
  TlsTestServer& operator=(const TlsTestServer&) = delete;

  std::uint16_t port() const { return port_; }
  std::string url() const { return "https://127.0.0.1:" + std::to_string(port_); }
  // The following requests are answered "307 Temporary Redirect" to `location`.
  void SetRedirect(std::string location);
  int requests() const { return requests_.load(); }
  std::string LastRequest() const;

 private:
  void Loop();
  void Answer(int connection);

  void* context_ = nullptr;  // SSL_CTX*
  int listener_ = -1;
  int wake_[2] = {-1, -1};
  std::uint16_t port_ = 0;
  const std::string body_;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_{0};
  mutable std::mutex mutex_;
  std::string last_request_;
  std::string redirect_;  // empty: answer with the body
  std::thread thread_;
};

}  // namespace corvane::remote::testing
