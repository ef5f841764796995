// The HTTP server on real sockets: what it answers, and that a client who sends too much,
// too little or too many connections gets nothing from the handler and cannot keep others out.
#include "platform/linux/http/http_server.h"

#include <gtest/gtest.h>
#include <netinet/in.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/http_client.h"

namespace corvane::http {
namespace {

using test_support::Connection;
using test_support::HttpAnswer;
using test_support::HttpGet;
using test_support::HttpRequest;
using test_support::SplitAnswer;

class RecordingHandler final : public RequestHandler {
 public:
  Reply Get(std::string_view path, std::string* body) override {
    std::lock_guard lock(mutex_);
    paths_.emplace_back(path);
    body->append("page of ").append(path);
    return {path == "/missing" ? 404u : 200u, "text/x-test"};
  }
  std::vector<std::string> paths() const {
    std::lock_guard lock(mutex_);
    return paths_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> paths_;
};

ListenAddress Loopback(std::uint16_t port = 0) {
  std::string error;
  ListenAddress address = *ParseListenAddress("127.0.0.1:1", &error);
  reinterpret_cast<sockaddr_in*>(&address.socket_address)->sin_port = htons(port);
  address.text = "127.0.0.1:" + std::to_string(port);
  return address;
}

class HttpServerTest : public ::testing::Test {
 protected:
  void Start(const HttpLimits& limits = {}) {
    StartError error;
    server_ = HttpServer::Start(Loopback(), &handler_, limits, &error);
    ASSERT_NE(server_, nullptr) << error.text;
    ASSERT_NE(server_->port(), 0);
  }
  std::uint16_t port() const { return server_->port(); }

  RecordingHandler handler_;
  std::unique_ptr<HttpServer> server_;
};

TEST_F(HttpServerTest, AnswersGetAndHeadThroughTheHandlerAndNoOtherMethod) {
  Start();
  const HttpAnswer page = HttpGet(port(), "/metrics?name=x");
  EXPECT_EQ(page.status, 200);
  EXPECT_EQ(page.body, "page of /metrics");  // the query is not part of the path
  EXPECT_NE(page.headers.find("Content-Type: text/x-test\r\n"), std::string::npos) << page.headers;

  const HttpAnswer missing = HttpGet(port(), "/missing");
  EXPECT_EQ(missing.status, 404);

  const HttpAnswer head = HttpRequest(port(), "HEAD", "/metrics");
  EXPECT_EQ(head.status, 200);
  EXPECT_EQ(head.body, "");
  EXPECT_NE(head.headers.find("Content-Length: 16\r\n"), std::string::npos) << head.headers;

  for (const char* method : {"POST", "PUT", "DELETE", "OPTIONS", "PATCH", "BREW"}) {
    const HttpAnswer refused = HttpRequest(port(), method, "/metrics");
    EXPECT_EQ(refused.status, 405) << method;
    EXPECT_NE(refused.headers.find("Allow: GET, HEAD\r\n"), std::string::npos) << method;
  }
  EXPECT_EQ(handler_.paths(), (std::vector<std::string>{"/metrics", "/missing", "/metrics"}));
}

TEST_F(HttpServerTest, RefusesAnAddressInUseWithTheSystemsReason) {
  Start();
  RecordingHandler other;
  StartError error;
  EXPECT_EQ(HttpServer::Start(Loopback(port()), &other, {}, &error), nullptr);
  EXPECT_EQ(error.code, EADDRINUSE);
  EXPECT_EQ(error.text,
            "cannot listen on 127.0.0.1:" + std::to_string(port()) + ": Address already in use");
  EXPECT_EQ(HttpGet(port(), "/").status, 200);  // the first one serves on
}

TEST_F(HttpServerTest, AHugeRequestIsRefusedWithoutReachingTheHandler) {
  HttpLimits limits;
  limits.request_bytes = 8 * 1024;
  Start(limits);
  {
    Connection client(port());
    ASSERT_TRUE(client.connected());
    std::string request = "GET /metrics HTTP/1.1\r\nHost: x\r\n";
    for (int i = 0; i < 2000; ++i)
      request += "X-Filler-" + std::to_string(i) + ": " + std::string(100, 'a') + "\r\n";
    request += "\r\n";
    client.Send(request);  // the server may close before it has all of it
    const HttpAnswer answer = SplitAnswer(client.ReadToEnd(std::chrono::seconds(5)));
    EXPECT_TRUE(answer.status == 0 || (answer.status >= 400 && answer.status < 500))
        << answer.status;
  }
  {
    // A huge body is never read into memory: the answer comes at once.
    Connection client(port());
    ASSERT_TRUE(client.connected());
    client.Send("POST /metrics HTTP/1.1\r\nHost: x\r\nContent-Length: 1000000000\r\n\r\n");
    client.Send(std::string(64 * 1024, 'b'));
    EXPECT_EQ(SplitAnswer(client.ReadToEnd(std::chrono::seconds(5))).status, 405);
  }
  EXPECT_TRUE(handler_.paths().empty());
  EXPECT_EQ(HttpGet(port(), "/metrics").status, 200);
}

TEST_F(HttpServerTest, ConnectionsBeyondTheLimitWaitOutsideTheServerUntilSlotsFree) {
  HttpLimits limits;
  limits.connections = 4;
  limits.per_client = 4;
  Start(limits);
  std::vector<std::unique_ptr<Connection>> idle;
  for (int i = 0; i < 12; ++i) {
    idle.push_back(std::make_unique<Connection>(port()));
    ASSERT_TRUE(idle.back()->connected());  // the kernel's backlog takes them
  }
  // While idle clients hold every slot, a request waits unanswered in the kernel's queue...
  Connection waiting(port());
  ASSERT_TRUE(waiting.connected());
  ASSERT_TRUE(waiting.Send("GET /metrics HTTP/1.0\r\n\r\n"));
  EXPECT_EQ(waiting.ReadToEnd(std::chrono::milliseconds(1500)), "");
  EXPECT_TRUE(handler_.paths().empty());
  // ...and is served once they have gone.
  idle.clear();
  EXPECT_EQ(SplitAnswer(waiting.ReadToEnd(std::chrono::seconds(5))).status, 200);
  EXPECT_EQ(handler_.paths(), std::vector<std::string>{"/metrics"});
}

TEST_F(HttpServerTest, ClosesAnIdleConnectionAfterItsTimeout) {
  HttpLimits limits;
  limits.idle_timeout_s = 1;
  Start(limits);
  Connection silent(port());
  ASSERT_TRUE(silent.connected());
  Connection partial(port());
  ASSERT_TRUE(partial.connected());
  ASSERT_TRUE(partial.Send("GET /metr"));  // a request that never ends
  EXPECT_TRUE(silent.ClosedWithin(std::chrono::seconds(4)));
  EXPECT_TRUE(partial.ClosedWithin(std::chrono::seconds(4)));
  EXPECT_TRUE(handler_.paths().empty());
}

// Sends one byte of a request that never ends to each connection in turn, every `pace`, until
// told to stop, and opens a new one in place of each the server closes: a client that holds
// slots by being slow rather than silent.
class Dribblers {
 public:
  Dribblers(std::uint16_t port, std::vector<const char*> sources, bool reconnect)
      : port_(port), sources_(std::move(sources)), reconnect_(reconnect) {
    for (const char* source : sources_)
      connections_.push_back(std::make_unique<Connection>(port_, source));
  }
  ~Dribblers() { Stop(); }

  bool all_connected() const {
    for (const auto& connection : connections_) {
      if (!connection->connected()) return false;
    }
    return true;
  }
  void Start(std::chrono::milliseconds pace) {
    thread_ = std::thread([this, pace] {
      static constexpr std::string_view kRequest = "GET /metrics HTTP/1.1\r\nX-Slow: ";
      std::vector<std::size_t> sent(connections_.size(), 0);
      while (!stop_.load()) {
        for (std::size_t i = 0; i < connections_.size(); ++i) {
          if (connections_[i] == nullptr) continue;
          const std::size_t at = sent[i]++;
          const char byte = at < kRequest.size() ? kRequest[at] : 'a';
          if (connections_[i]->Send(std::string_view(&byte, 1)) &&
              !connections_[i]->ClosedWithin(std::chrono::milliseconds(0))) {
            continue;
          }
          ++closed_;
          sent[i] = 0;
          connections_[i] = reconnect_ ? std::make_unique<Connection>(port_, sources_[i]) : nullptr;
        }
        std::this_thread::sleep_for(pace);
      }
    });
  }
  void Stop() {
    stop_.store(true);
    if (thread_.joinable()) thread_.join();
  }
  // How many connections the server has closed so far.
  std::size_t closed() const { return closed_.load(); }

 private:
  const std::uint16_t port_;
  const std::vector<const char*> sources_;
  const bool reconnect_;
  std::vector<std::unique_ptr<Connection>> connections_;  // the dribbling thread's once started
  std::atomic<bool> stop_{false};
  std::atomic<std::size_t> closed_{0};
  std::thread thread_;
};

// Waits, generously, until `done` holds; whether it did.
template <typename Done>
bool Eventually(Done done, std::chrono::seconds limit = std::chrono::seconds(60)) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

TEST_F(HttpServerTest, ARequestThatTricklesInIsCutOffAtItsDeadline) {
  HttpLimits limits;
  limits.idle_timeout_s = 120;  // never the reason here: the dribblers are never silent
  limits.request_deadline = std::chrono::milliseconds(500);
  Start(limits);
  Dribblers dribblers(port(), {"127.0.0.1", "127.0.0.1", "127.0.0.1"}, false);
  ASSERT_TRUE(dribblers.all_connected());
  dribblers.Start(std::chrono::milliseconds(50));
  EXPECT_TRUE(Eventually([&] { return dribblers.closed() == 3; })) << dribblers.closed();
  dribblers.Stop();
  EXPECT_TRUE(handler_.paths().empty());
}

TEST_F(HttpServerTest, AScrapeIsAnsweredWhileDribblersTryToHoldEverySlot) {
  HttpLimits limits;  // 32 connections, 8 from one address
  limits.idle_timeout_s = 120;
  limits.request_deadline = std::chrono::seconds(1);
  Start(limits);
  std::vector<const char*> sources;
  for (const char* source : {"127.0.0.2", "127.0.0.3", "127.0.0.4", "127.0.0.5"}) {
    for (unsigned i = 0; i < limits.per_client; ++i) sources.push_back(source);
  }
  ASSERT_EQ(sources.size(), limits.connections);
  Dribblers dribblers(port(), sources, true);
  ASSERT_TRUE(dribblers.all_connected());
  dribblers.Start(std::chrono::milliseconds(100));

  Connection scrape(port());
  ASSERT_TRUE(scrape.connected());
  ASSERT_TRUE(scrape.Send("GET /metrics HTTP/1.0\r\n\r\n"));
  const HttpAnswer answer = SplitAnswer(scrape.ReadToEnd(std::chrono::seconds(60)));
  EXPECT_EQ(answer.status, 200);
  EXPECT_EQ(answer.body, "page of /metrics");
  // The scrape got its slot because dribblers were cut off (they reconnect at once, so more of
  // them than the 32 first ones).
  EXPECT_TRUE(Eventually([&] { return dribblers.closed() >= sources.size(); }))
      << dribblers.closed();
  dribblers.Stop();
  EXPECT_EQ(handler_.paths(), std::vector<std::string>{"/metrics"});
}

}  // namespace
}  // namespace corvane::http
