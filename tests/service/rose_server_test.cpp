// The rose's pages on a real socket: headers that forbid anything from elsewhere, sizes that
// are checked, one drawing per picture, format and size however many ask, a PNG of the size
// asked (and a plain answer when none can be made), a stream event for every repaint, and
// streams held below the listener's connection limit.
#include <gtest/gtest.h>
#include <netinet/in.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "chart/svg_surface.h"
#include "service/metrics_server.h"
#include "tests/platform/linux/cairo/png_image.h"
#include "tests/support/http_client.h"

namespace corvane::service {
namespace {

using test_support::HttpGet;
using test_support::HttpRequest;

http::ListenAddress AnyPort() {
  std::string error;
  http::ListenAddress address = *http::ParseListenAddress("127.0.0.1:1", &error);
  reinterpret_cast<sockaddr_in*>(&address.socket_address)->sin_port = 0;
  return address;
}

class RoseServerTest : public ::testing::Test {
 protected:
  void Start(const http::HttpLimits& limits = {}, RosePicture::Render png = nullptr) {
    const auto copy = [this](MetricsSnapshot* snapshot) {
      snapshot->axes.resize(1);
      snapshot->axis_count = 1;
      snapshot->axes[0].name = "<img src=x onerror=alert(1)>";
      snapshot->axes[0].current = {static_cast<double>(value_.load()),
                                   chart::ValueState::kCritical};
      snapshot->axes[0].critical_value = 5;
      snapshot->timing = {};
      snapshot->timing.NoteSampleEnd(1700000000);
    };
    MetricsServer::RoseSource rose;
    rose.draw = [this](chart::DrawingSurface& surface, const chart::Rect& rect) {
      ++draws_;
      surface.FillRect(rect, still_colour_.load());
      surface.SetLayer(chart::DrawingLayer::kMoving);
      surface.DrawText(chart::Point{2, 2}, "value " + std::to_string(value_.load()));
      surface.SetLayer(chart::DrawingLayer::kStill);
    };
    rose.profile_name = [] { return std::string("night shift"); };
    rose.png = std::move(png);
    http::StartError error;
    server_ = MetricsServer::Start(AnyPort(), copy, &error, limits, nullptr, std::move(rose));
    ASSERT_NE(server_, nullptr) << error.text;
  }
  std::uint16_t port() const { return server_->port(); }

  std::atomic<int> value_{10};
  std::atomic<chart::Colour> still_colour_{0x123456};
  std::atomic<int> draws_{0};
  std::unique_ptr<MetricsServer> server_;
};

TEST_F(RoseServerTest, ThePageForbidsAnythingFromElsewhereAndOnlyGetAndHeadAreAnswered) {
  Start();
  const test_support::HttpAnswer page = HttpGet(port(), "/");
  ASSERT_EQ(page.status, 200);
  EXPECT_NE(page.headers.find("Content-Security-Policy: default-src 'none'; script-src 'self'; "
                              "style-src 'self'; img-src 'self'; connect-src 'self';"),
            std::string::npos)
      << page.headers;
  EXPECT_NE(page.headers.find("X-Content-Type-Options: nosniff\r\n"), std::string::npos);
  EXPECT_NE(page.body.find("&lt;img src=x onerror=alert(1)&gt;"), std::string::npos);
  EXPECT_NE(page.body.find("<h1>night shift</h1>"), std::string::npos);
  EXPECT_NE(page.body.find("<td>10.00</td>"), std::string::npos);

  const struct {
    const char* path;
    std::string_view type;
  } assets[] = {
      {"/rose.js", "text/javascript"}, {"/rose.css", "text/css"}, {"/rose.svg", "image/svg+xml"}};
  std::size_t weight = page.body.size();
  for (const auto& asset : assets) {
    const test_support::HttpAnswer answer = HttpGet(port(), asset.path);
    EXPECT_EQ(answer.status, 200) << asset.path;
    EXPECT_NE(answer.headers.find("Content-Type: " + std::string(asset.type)), std::string::npos)
        << asset.path;
    if (asset.type != "image/svg+xml") weight += answer.body.size();
  }
  EXPECT_LT(weight, 30u * 1024) << "the page with its script and style";

  for (const char* method : {"POST", "PUT", "DELETE", "OPTIONS"}) {
    for (const char* path : {"/", "/events", "/rose.svg", "/rose.png"}) {
      const test_support::HttpAnswer answer = HttpRequest(port(), method, path);
      EXPECT_EQ(answer.status, 405) << method << " " << path;
      EXPECT_NE(answer.headers.find("Allow: GET, HEAD\r\n"), std::string::npos);
    }
  }
}

TEST_F(RoseServerTest, APictureIsDrawnOncePerRepaintAndSizeWhoeverAsks) {
  Start();
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(HttpGet(port(), "/").status, 200);
    ASSERT_EQ(HttpGet(port(), "/rose.svg").status, 200);
  }
  EXPECT_EQ(draws_, 1);
  const test_support::HttpAnswer small = HttpGet(port(), "/rose.svg?size=100x50");
  ASSERT_EQ(small.status, 200);
  EXPECT_NE(small.body.find("width=\"100\" height=\"50\""), std::string::npos) << small.body;
  EXPECT_NE(small.body.find("#563412"), std::string::npos);  // colours are 0x00BBGGRR
  EXPECT_EQ(HttpGet(port(), "/rose.svg?size=100x50").status, 200);
  EXPECT_EQ(draws_, 2);

  server_->Repainted();
  ASSERT_EQ(HttpGet(port(), "/rose.svg").status, 200);
  ASSERT_EQ(HttpGet(port(), "/").status, 200);
  EXPECT_EQ(draws_, 3);

  for (const char* size : {"10x10", "5000x100", "100", "axb", "100x100x1"}) {
    const test_support::HttpAnswer answer = HttpGet(port(), std::string("/rose.svg?size=") + size);
    EXPECT_EQ(answer.status, 400) << size;
    const test_support::HttpAnswer png = HttpGet(port(), std::string("/rose.png?size=") + size);
    EXPECT_EQ(png.status, 400) << size;
    EXPECT_EQ(png.body, answer.body) << size;
  }
  EXPECT_EQ(draws_, 3);
}

TEST_F(RoseServerTest, APngHasTheSizeAskedAndIsDrawnOncePerRepaintAndSize) {
  Start();
  const struct {
    const char* query;
    int width;
    int height;
  } sizes[] = {{"", 480, 480}, {"?size=100x50", 100, 50}, {"?size=16x4096", 16, 4096}};
  int drawn = 0;
  for (const auto& size : sizes) {
    for (int i = 0; i < 3; ++i) {
      const test_support::HttpAnswer png = HttpGet(port(), std::string("/rose.png") + size.query);
      ASSERT_EQ(png.status, 200) << size.query << ": " << png.body;
      EXPECT_NE(png.headers.find("Content-Type: image/png\r\n"), std::string::npos);
      int width = 0;
      int height = 0;
      ASSERT_TRUE(test_support::PngImage::ReadHeader(png.body, &width, &height)) << size.query;
      EXPECT_EQ(width, size.width);
      EXPECT_EQ(height, size.height);
      EXPECT_EQ(test_support::PngImage(png.body).At(width - 1, height - 1),
                test_support::OpaqueOf(0x123456))
          << size.query;
    }
    EXPECT_EQ(draws_, ++drawn) << size.query;
  }
  // The SVG of the same picture is a drawing of its own; a repaint draws again.
  ASSERT_EQ(HttpGet(port(), "/rose.svg").status, 200);
  EXPECT_EQ(draws_, ++drawn);
  server_->Repainted();
  ASSERT_EQ(HttpGet(port(), "/rose.png").status, 200);
  ASSERT_EQ(HttpGet(port(), "/rose.png").status, 200);
  EXPECT_EQ(draws_, ++drawn);
  EXPECT_EQ(server_->PictureDraws(), static_cast<std::size_t>(drawn));
}

TEST_F(RoseServerTest, KeptPicturesAreBoundedAndTheLeastRecentlyAskedForGoesFirst) {
  Start();
  // The page's picture stays kept while one size after another is asked for once.
  ASSERT_EQ(HttpGet(port(), "/rose.svg").status, 200);
  for (int side = 100; side < 100 + 3 * static_cast<int>(RosePicture::kKept); ++side) {
    const std::string size = std::to_string(side) + "x" + std::to_string(side);
    ASSERT_EQ(HttpGet(port(), "/rose.png?size=" + size).status, 200);
    ASSERT_EQ(HttpGet(port(), "/rose.svg").status, 200);
  }
  const int drawn = draws_;
  ASSERT_EQ(HttpGet(port(), "/rose.svg").status, 200);
  EXPECT_EQ(draws_, drawn) << "the default picture was kept";
  ASSERT_EQ(HttpGet(port(), "/rose.png?size=100x100").status, 200);
  EXPECT_EQ(draws_, drawn + 1) << "the first size was let go";
}

TEST_F(RoseServerTest, WhenNoPngCanBeMadeThePictureSaysWhyInOneLineAndTheRestIsServed) {
  std::atomic<int> tries{0};
  Start({}, [&tries](const RosePicture::Draw&, int, int, std::string*, std::string* error) {
    ++tries;
    *error = "libcairo.so.2 cannot be loaded: no such file (the package libcairo2 installs it)";
    return false;
  });
  const test_support::HttpAnswer png = HttpGet(port(), "/rose.png");
  EXPECT_EQ(png.status, 503);
  EXPECT_NE(png.headers.find("Content-Type: text/plain"), std::string::npos);
  EXPECT_EQ(png.body,
            "This service cannot draw PNG pictures: libcairo.so.2 cannot be loaded: no such file "
            "(the package libcairo2 installs it); /rose.svg has the same picture.\n");
  EXPECT_EQ(HttpGet(port(), "/rose.svg").status, 200);
  EXPECT_EQ(HttpGet(port(), "/").status, 200);
  EXPECT_EQ(HttpGet(port(), "/rose.png?size=10x10").status, 400) << "the size is checked first";
  EXPECT_EQ(tries, 1);
}

TEST_F(RoseServerTest, AStreamGetsTheCurrentSampleThenOneEventPerRepaint) {
  Start();
  test_support::Connection stream(port());
  ASSERT_TRUE(stream.Send("GET /events HTTP/1.1\r\nHost: x\r\n\r\n"));
  std::string text;
  ASSERT_TRUE(stream.ReadUntil(&text, "\"current\":\"10.00\"")) << text;
  EXPECT_NE(text.find("Content-Type: text/event-stream"), std::string::npos);
  EXPECT_NE(text.find("retry: 1000\n\n"), std::string::npos);
  EXPECT_NE(text.find("id: 0\nevent: sample\n"), std::string::npos);

  for (int n = 1; n <= 3; ++n) {
    value_ = 10 + n;
    server_->Repainted();
    ASSERT_TRUE(stream.ReadUntil(&text, "\"current\":\"" + std::to_string(10 + n) + ".00\""))
        << text;
    EXPECT_NE(text.find("id: " + std::to_string(n) + "\n"), std::string::npos);
  }
  EXPECT_EQ(server_->StreamCount(), 1u);
}

TEST_F(RoseServerTest, AStreamGetsThePictureWholeThenItsMovingGroupUntilTheRestChanges) {
  Start();
  test_support::Connection stream(port());
  ASSERT_TRUE(stream.Send("GET /events HTTP/1.1\r\nHost: x\r\n\r\n"));
  std::string text;
  ASSERT_TRUE(stream.ReadUntil(&text, "value 10</text>")) << text;
  EXPECT_NE(text.find("\"still\":true"), std::string::npos);
  EXPECT_NE(text.find("data: <svg"), std::string::npos);

  value_ = 11;
  server_->Repainted();
  text.clear();
  ASSERT_TRUE(stream.ReadUntil(&text, "value 11</text>")) << text;
  EXPECT_NE(text.find("\"still\":false"), std::string::npos) << text;
  EXPECT_EQ(text.find("<svg"), std::string::npos) << "only the moving group: " << text;
  EXPECT_EQ(text.find("#563412"), std::string::npos) << "no still element: " << text;
  EXPECT_NE(text.find("data: <g id=\"moving\">"), std::string::npos) << text;

  still_colour_ = 0x654321;
  value_ = 12;
  server_->Repainted();
  text.clear();
  ASSERT_TRUE(stream.ReadUntil(&text, "value 12</text>")) << text;
  EXPECT_NE(text.find("\"still\":true"), std::string::npos) << text;
  EXPECT_NE(text.find("#214365"), std::string::npos) << "the new background: " << text;

  // A stream that comes now gets the picture whole, whatever the others had.
  test_support::Connection late(port());
  ASSERT_TRUE(late.Send("GET /events HTTP/1.1\r\nHost: x\r\n\r\n"));
  std::string late_text;
  ASSERT_TRUE(late.ReadUntil(&late_text, "value 12</text>")) << late_text;
  EXPECT_NE(late_text.find("data: <svg"), std::string::npos) << late_text;
}

TEST_F(RoseServerTest, StreamsLeaveConnectionsForScrapesAndPages) {
  http::HttpLimits limits;
  limits.connections = 7;
  Start(limits);
  ASSERT_EQ(MetricsServer::StreamLimit(limits), 3u);
  std::vector<std::unique_ptr<test_support::Connection>> streams;
  for (int i = 0; i < 3; ++i) {
    streams.push_back(std::make_unique<test_support::Connection>(port()));
    ASSERT_TRUE(streams.back()->Send("GET /events HTTP/1.1\r\nHost: x\r\n\r\n"));
    std::string text;
    ASSERT_TRUE(streams.back()->ReadUntil(&text, "event: sample")) << i;
  }
  const test_support::HttpAnswer refused = HttpGet(port(), "/events");
  EXPECT_EQ(refused.status, 503);
  EXPECT_EQ(HttpGet(port(), "/metrics").status, 200);
  EXPECT_EQ(HttpGet(port(), "/").status, 200);

  streams.pop_back();  // a browser goes away: its slot is free again
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (server_->StreamCount() > 2 && std::chrono::steady_clock::now() < deadline) {
    server_->Repainted();  // the server learns of the closed socket when it writes to it
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(server_->StreamCount(), 2u);
}

TEST_F(RoseServerTest, WithoutALogThereAreNoRecordedMomentsAndNoSlider) {
  Start();
  EXPECT_EQ(HttpGet(port(), "/").body.find("type=\"range\""), std::string::npos);
  EXPECT_EQ(HttpGet(port(), "/?at=1700000000").status, 404);
  EXPECT_EQ(HttpGet(port(), "/rose.svg?at=1700000000").status, 404);
  EXPECT_EQ(HttpGet(port(), "/rose.png?at=1700000000").status, 404);
}

}  // namespace
}  // namespace corvane::service
