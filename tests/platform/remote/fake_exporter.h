// A stand-in exporter for tests: a small HTTP server on 127.0.0.1 and a free port that answers
// every request with the page, status and delay the test sets, or misbehaves as broken hosts
// do: holds the connection without answering (from the start, or after some answers), sends
// its answer one byte at a time, sends bytes that are no HTTP, or never ends its page. One
// connection at a time, "Connection: close".
//
// Threads: its own server thread; the test thread may change the answer at any time.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace corvane::remote::testing {

// Counts the requests held open without an answer over several exporters, and the most that
// were open at once: requests sent one after another never overlap.
class HeldRequests {
 public:
  void Opened();
  void Closed();
  int open() const;
  int peak() const;

 private:
  mutable std::mutex mutex_;
  int open_ = 0;
  int peak_ = 0;
};

// A port on 127.0.0.1 where nothing listens: connecting is refused.
std::uint16_t RefusingPort();

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
  // Answer this many requests, then hold every later one without answering.
  void SetHangAfter(int answers);
  // Send the answer one byte at a time, `pause` apart.
  void SetTrickle(std::chrono::milliseconds pause);
  // Answer with these bytes alone, no status line or headers.
  void SetRaw(std::string bytes);
  // Send a page that never ends, until the client goes.
  void SetEndless(bool endless);
  // Held requests are counted there too.
  void ShareHeld(std::shared_ptr<HeldRequests> held);
  // Send the page in chunks without announcing its length, as the exporters do.
  void SetChunked(bool chunked);

  int requests() const { return requests_.load(); }
  std::string LastRequest() const;  // the request line and headers of the last request

 private:
  void Loop();
  void Answer(int connection);
  void Hold(int connection);
  void DropClosedHeld();
  bool SendAll(int connection, const std::string& bytes);

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
  int hang_after_ = -1;  // -1: never
  std::chrono::milliseconds trickle_{0};
  std::string raw_;
  bool endless_ = false;
  std::shared_ptr<HeldRequests> shared_held_;
  std::string last_request_;
  std::vector<int> held_;  // connections of a silent server, closed at the end
  std::thread thread_;
};

}  // namespace corvane::remote::testing
