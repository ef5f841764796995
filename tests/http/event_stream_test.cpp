// Event streams on a real socket: a stream's source is asked again only after Wake, what it
// gives reaches the client at once, a stream ends when its source ends or its reader stops
// reading, and a server with streams open still stops.
#include <gtest/gtest.h>
#include <netinet/in.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "platform/linux/http/http_server.h"
#include "tests/support/http_client.h"

namespace corvane::http {
namespace {

using test_support::Connection;
using std::chrono_literals::operator""ms;

// A source that gives "piece N" for every N below `available` it has not given, or a block
// of `filler` bytes with each piece; it ends once `ended` is set.
struct Pieces {
  std::atomic<int> available{1};
  std::atomic<bool> ended{false};
  std::atomic<int> asked{0};
  std::size_t filler = 0;
};

class PieceStream final : public EventStream {
 public:
  explicit PieceStream(Pieces* pieces) : pieces_(pieces) {}
  bool Next(std::shared_ptr<const std::string>* piece) override {
    ++pieces_->asked;
    if (pieces_->ended) return false;
    if (given_ >= pieces_->available) return true;
    auto out = std::make_shared<std::string>();
    while (given_ < pieces_->available) {
      out->append("piece ").append(std::to_string(given_++)).append("\n");
      out->append(pieces_->filler, 'x');
    }
    *piece = std::move(out);
    return true;
  }

 private:
  Pieces* pieces_;
  int given_ = 0;
};

class StreamHandler final : public RequestHandler {
 public:
  Reply Get(std::string_view path, std::string* body) override {
    if (path != "/events") return {404, "text/plain"};
    body->append("start\n");
    return {200, "text/event-stream", {}, std::make_unique<PieceStream>(&pieces)};
  }
  Pieces pieces;
};

ListenAddress Loopback() {
  std::string error;
  ListenAddress address = *ParseListenAddress("127.0.0.1:1", &error);
  reinterpret_cast<sockaddr_in*>(&address.socket_address)->sin_port = 0;
  return address;
}

template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(30)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

class EventStreamTest : public ::testing::Test {
 protected:
  void Start(const HttpLimits& limits = {}) {
    StartError error;
    server_ = HttpServer::Start(Loopback(), &handler_, limits, &error);
    ASSERT_NE(server_, nullptr) << error.text;
  }
  std::unique_ptr<Connection> OpenStream() {
    auto connection = std::make_unique<Connection>(server_->port());
    EXPECT_TRUE(connection->Send("GET /events HTTP/1.1\r\nHost: x\r\n\r\n"));
    return connection;
  }

  StreamHandler handler_;
  std::unique_ptr<HttpServer> server_;
};

TEST_F(EventStreamTest, GivesTheBodyThenWhatTheSourceHasAfterEachWake) {
  Start();
  const auto connection = OpenStream();
  std::string text;
  ASSERT_TRUE(connection->ReadUntil(&text, "piece 0\n")) << text;
  EXPECT_NE(text.find("Content-Type: text/event-stream\r\n"), std::string::npos) << text;
  EXPECT_LT(text.find("start\n"), text.find("piece 0\n"));
  EXPECT_EQ(server_->StreamCount(), 1u);

  // Without news the source is not asked in a loop: it sleeps until woken.
  ASSERT_TRUE(WaitFor([&] { return handler_.pieces.asked >= 2; }));
  const int asked = handler_.pieces.asked;
  std::this_thread::sleep_for(200ms);
  EXPECT_LE(handler_.pieces.asked, asked + 1);

  for (int n = 1; n <= 3; ++n) {
    handler_.pieces.available = n + 1;
    server_->Wake();
    ASSERT_TRUE(connection->ReadUntil(&text, "piece " + std::to_string(n) + "\n")) << text;
  }

  handler_.pieces.ended = true;
  server_->Wake();
  text = connection->ReadToEnd(std::chrono::seconds(20));
  EXPECT_NE(text.find("0\r\n\r\n"), std::string::npos) << "the last chunk: " << text;
  EXPECT_TRUE(WaitFor([&] { return server_->StreamCount() == 0; }));
}

TEST_F(EventStreamTest, AStreamWaitingForNewsLongerThanTheIdleTimeoutStaysOpen) {
  HttpLimits limits;
  limits.idle_timeout_s = 1;
  Start(limits);
  const auto connection = OpenStream();
  std::string text;
  ASSERT_TRUE(connection->ReadUntil(&text, "piece 0\n"));
  // Samples further apart than the idle timeout (a 10 s interval against 10 s) must not cut
  // the stream of a reader who reads everything.
  std::this_thread::sleep_for(std::chrono::milliseconds(3000));
  handler_.pieces.available = 2;
  server_->Wake();
  EXPECT_TRUE(connection->ReadUntil(&text, "piece 1\n")) << text;
}

TEST_F(EventStreamTest, AHeadOfAStreamGetsItsHeadersAndNoStream) {
  Start();
  const test_support::HttpAnswer head =
      test_support::HttpRequest(server_->port(), "HEAD", "/events");
  EXPECT_EQ(head.status, 200);
  EXPECT_EQ(head.body, "");
  EXPECT_EQ(server_->StreamCount(), 0u);
  EXPECT_EQ(handler_.pieces.asked, 0);
}

TEST_F(EventStreamTest, AReaderThatStopsReadingIsClosedOnceNothingMovesForTheIdleTimeout) {
  HttpLimits limits;
  limits.idle_timeout_s = 1;
  Start(limits);
  handler_.pieces.filler = 64 * 1024;
  const auto connection = OpenStream();
  std::string text;
  ASSERT_TRUE(connection->ReadUntil(&text, "piece 0\n"));
  // From now on the client reads nothing while news keeps coming: the socket's buffers fill,
  // the server can send no more and gives up on the connection.
  EXPECT_TRUE(WaitFor([&] {
    handler_.pieces.available = handler_.pieces.available + 1;
    server_->Wake();
    return server_->StreamCount() == 0;
  }));
  // Others are served meanwhile and after.
  EXPECT_EQ(test_support::HttpGet(server_->port(), "/other").status, 404);
}

TEST_F(EventStreamTest, StopsWithStreamsWaitingForNews) {
  Start();
  const auto first = OpenStream();
  const auto second = OpenStream();
  std::string text;
  ASSERT_TRUE(first->ReadUntil(&text, "piece 0\n"));
  text.clear();
  ASSERT_TRUE(second->ReadUntil(&text, "piece 0\n"));
  ASSERT_TRUE(WaitFor([&] { return server_->StreamCount() == 2; }));
  server_.reset();
  EXPECT_TRUE(first->ClosedWithin(std::chrono::seconds(10)));
  EXPECT_TRUE(second->ClosedWithin(std::chrono::seconds(10)));
}

}  // namespace
}  // namespace corvane::http
