// A stand-in exporter for tests: a small HTTP server on 127.0.0.1 and a free port that answers
// every request with the page, status and delay the test sets, or holds the connection without
// answering, like a hung host. One connection at a time, "Connection: close".
//
// Threads: its own server thread; the test thread may change the answer at any time.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace corvane::remote::testing {

class FakeExporter {
 public:
  FakeExporter();
  ~FakeExporter();
  FakeExporter(const FakeExporter&) = delete;
  FakeExporter& operator=(const FakeExporter&) = delete;

  std::uint16_t port() const { return port_; }
  // The machine part that reaches it: "\\127.0.0.1:PORT".
  std::string Machine() const;

  // What the following requests get.
  void Serve(std::string body, int status = 200);
  void SetDelay(std::chrono::milliseconds delay);
  void SetSilent(bool silent);  // accept, read the request, never answer
  // Send the page in chunks without announcing its length, as the exporters do.
  void SetChunked(bool chunked);

  int requests() const { return requests_.load(); }
  std::string LastRequest() const;  // the request line and headers of the last request

 private:
  void Loop();
  void Answer(int connection);

  int listener_ = -1;
  int wake_[2] = {-1, -1};  // a pipe that ends the server thread's wait
  std::uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_{0};
  mutable std::mutex mutex_;
  std::string body_;
  int status_ = 200;
  std::chrono::milliseconds delay_{0};
  bool silent_ = false;
  bool chunked_ = false;
  std::string last_request_;
  std::vector<int> held_;  // connections of a silent server, closed at the end
  std::thread thread_;
};

}  // namespace corvane::remote::testing
