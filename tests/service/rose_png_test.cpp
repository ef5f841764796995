// The service's PNG pictures drawn from a real engine and profile: the polylines' vertices, as
// a recording of the same drawing places them, have the profile's series colours in the PNG;
// the layout is the SVG picture's; an axis name that is not UTF-8 draws; and a recorded moment
// is drawn as PNG too, from a real log, with a missing moment told from a missing picture.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "chart/recording_surface.h"
#include "chart/svg_surface.h"
#include "core/engine.h"
#include "core/engine_picture.h"
#include "core/recording/local_seconds.h"
#include "platform/fake/fake_provider.h"
#include "platform/linux/cairo/cairo_surface.h"
#include "service/metrics_server.h"
#include "service/recorded_rose.h"
#include "service/rose_picture.h"
#include "tests/platform/linux/cairo/png_image.h"
#include "tests/support/http_client.h"
#include "tests/support/temp_folder.h"

namespace corvane::service {
namespace {

using chart::RecordedCall;
using test_support::PngImage;
using test_support::Rgba;

constexpr chart::Colour kCurrent = 0x0000FF;  // red, as 0x00BBGGRR
constexpr chart::Colour kAverage = 0x00CC00;  // green
constexpr chart::Colour kMax = 0xFF0000;      // blue
constexpr chart::Colour kLine = 0x808080;
constexpr chart::Colour kText = 0xFFFFFF;

std::string Profile() {
  std::string text =
      "\n# CORVANE CONFIGURATION FILE. DO NOT MODIFY!\n\nGridStep=0\nCriticalBorder=0\n"
      "ShowNames=1\nShowNumbers=0\nShowValues=1\nLabelTrunc=0\nHistory=30\nInterval=1\n"
      "AlwaysOntop=0\nEnableTray=0\nCaption=1\nShowCurrent=1\nShowAverage=1\nShowMax=1\n"
      "CurColor=" +
      std::to_string(kCurrent) + "\nAvgColor=" + std::to_string(kAverage) +
      "\nMaxColor=" + std::to_string(kMax) + "\nBackColor=0\nTextColor=" + std::to_string(kText) +
      "\nLineColor=" + std::to_string(kLine) +
      "\nCritColor=255\nBoldCur=1\nBoldAvg=1\nBoldMax=1\nBoldCrit=0\nWndLeft=0\nWndRight=400\n"
      "WndTop=0\nWndBottom=400\nLogMode=0\nLogFormat=0\nLogFileSize=64\n";
  // The third name holds a stray byte, a cut sequence and an encoded surrogate.
  for (const char* name : {"CPU", "Memory", "Disk \xFF\xC3 \xED\xA0\x80 end", "Net", "Swap"}) {
    text += std::string("\nBeginAxis\nName=") + name +
            "\nDesc=\nMinValue=0.000000\nMaxValue=100.000000\nCriticalValue=95.000000\n"
            "Multiplier=1.000000\nInverse=0\nCounter=\\Processor(_Total)\\% Processor Time\n"
            "EndAxis\n";
  }
  return text;
}

// Hands every call to two surfaces: the one measured and drawn into, and a recording of it.
class TeeSurface final : public chart::DrawingSurface {
 public:
  TeeSurface(chart::DrawingSurface& drawn, chart::RecordingSurface& recording)
      : drawn_(drawn), recording_(recording) {}
  chart::Pen SelectPen(const chart::Pen& pen) override {
    recording_.SelectPen(pen);
    return drawn_.SelectPen(pen);
  }
  chart::FontSpec SelectFont(const chart::FontSpec& font) override {
    recording_.SelectFont(font);
    return drawn_.SelectFont(font);
  }
  chart::Colour SetTextColour(chart::Colour colour) override {
    recording_.SetTextColour(colour);
    return drawn_.SetTextColour(colour);
  }
  chart::Colour SetBackColour(chart::Colour colour) override {
    recording_.SetBackColour(colour);
    return drawn_.SetBackColour(colour);
  }
  chart::TextBackground SetTextBackground(chart::TextBackground mode) override {
    recording_.SetTextBackground(mode);
    return drawn_.SetTextBackground(mode);
  }
  void MoveTo(chart::Point to) override {
    recording_.MoveTo(to);
    drawn_.MoveTo(to);
  }
  void LineTo(chart::Point to) override {
    recording_.LineTo(to);
    drawn_.LineTo(to);
  }
  void Polyline(std::span<const chart::Point> points) override {
    recording_.Polyline(points);
    drawn_.Polyline(points);
  }
  void FullArc(const chart::Rect& box) override {
    recording_.FullArc(box);
    drawn_.FullArc(box);
  }
  void FillRect(const chart::Rect& rect, chart::Colour colour) override {
    recording_.FillRect(rect, colour);
    drawn_.FillRect(rect, colour);
  }
  chart::TextSize MeasureText(std::string_view text) override { return drawn_.MeasureText(text); }
  void DrawText(chart::Point top_left, std::string_view text) override {
    recording_.DrawText(top_left, text);
    drawn_.DrawText(top_left, text);
  }

 private:
  chart::DrawingSurface& drawn_;
  chart::RecordingSurface& recording_;
};

// How far `pixel` lies from the nearest shade of `colour` over black.
double DistanceFromShadeOf(const Rgba& pixel, chart::Colour colour) {
  const Rgba full = test_support::OpaqueOf(colour);
  const double c[3] = {double(full.r), double(full.g), double(full.b)};
  const double p[3] = {double(pixel.r), double(pixel.g), double(pixel.b)};
  const double along =
      (p[0] * c[0] + p[1] * c[1] + p[2] * c[2]) / (c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
  const double shade = std::clamp(along, 0.0, 1.0);
  double sum = 0;
  for (int i = 0; i < 3; ++i) sum += (p[i] - shade * c[i]) * (p[i] - shade * c[i]);
  return sum;
}

// Of the picture's colours, the one `pixel` is a shade of.
chart::Colour ShadeOf(const Rgba& pixel) {
  chart::Colour best = kLine;
  for (chart::Colour colour : {kCurrent, kAverage, kMax, kLine, kText}) {
    if (DistanceFromShadeOf(pixel, colour) < DistanceFromShadeOf(pixel, best)) best = colour;
  }
  return best;
}

// The brightest of the four pixels that meet at a two-pixel line's vertex.
Rgba AtVertex(const PngImage& image, chart::Point vertex) {
  Rgba best;
  for (int dy = -1; dy <= 0; ++dy) {
    for (int dx = -1; dx <= 0; ++dx) {
      const Rgba pixel = image.At(vertex.x + dx, vertex.y + dy);
      if (pixel.r + pixel.g + pixel.b > best.r + best.g + best.b) best = pixel;
    }
  }
  return best;
}

class RosePngTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::filesystem::path profile = folder_ / "Colours.crvn";
    std::string text = Profile();
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2)) {
      text.insert(at, 1, '\r');
    }
    std::ofstream(profile, std::ios::binary) << text;
    // As the service loads a profile: the three series and no axes first, then the file, then
    // its colours and shown series onto the chart.
    engine_.SetUpNewProfile();
    engine_.RemoveAllAxes();
    ASSERT_TRUE(engine_.Load(profile));
    engine_.ApplySettingsToChart();
    ASSERT_EQ(engine_.GetAxisCount(), 5);
    engine_.PrepareStatistics();
    // Current 10, average 50, maximum 90 on every axis but the last (30, 50, 70 there): no
    // two series meet at a vertex.
    for (const double value : {90.0, 10.0}) {
      for (int axis = 0; axis < 4; ++axis) ASSERT_TRUE(engine_.SetValue(axis, value));
      ASSERT_TRUE(engine_.SetValue(4, value == 90.0 ? 70.0 : 30.0));
      engine_.EndSample();
    }
  }
  RosePicture::Draw Draw() {
    return [this](chart::DrawingSurface& surface, const chart::Rect& rect) {
      DrawWholePicture(engine_, surface, rect);
    };
  }

  test_support::TempFolder folder_;
  fake::FakeProvider provider_;
  Corvane engine_{provider_, false};
};

TEST_F(RosePngTest, ThePolylinesVerticesHaveTheProfilesSeriesColours) {
  for (const auto& [width, height] : {std::pair{480, 480}, std::pair{640, 360}}) {
    std::string png;
    std::string error;
    ASSERT_TRUE(RosePicture::RenderPng(Draw(), width, height, &png, &error)) << error;
    const PngImage image(png);
    ASSERT_TRUE(image.valid());
    ASSERT_EQ(image.width(), width);
    ASSERT_EQ(image.height(), height);

    // The same drawing, recorded as it is drawn into a surface of the same kind.
    std::unique_ptr<cairo::CairoSurface> same = cairo::CairoSurface::Create(width, height, &error);
    ASSERT_NE(same, nullptr) << error;
    chart::RecordingSurface recording;
    TeeSurface tee(*same, recording);
    DrawWholePicture(engine_, tee, chart::Rect{0, 0, width, height});
    const std::vector<RecordedCall> polylines = recording.CallsOf(RecordedCall::Kind::kPolyline);
    ASSERT_EQ(polylines.size(), 3u);
    std::vector<chart::Colour> colours;
    for (const RecordedCall& polyline : polylines) {
      colours.push_back(polyline.pen.colour);
      ASSERT_EQ(polyline.points.size(), 6u) << "five axes, closed";
      for (std::size_t i = 0; i + 1 < polyline.points.size(); ++i) {
        const chart::Point vertex = polyline.points[i];
        EXPECT_EQ(ShadeOf(AtVertex(image, vertex)), polyline.pen.colour)
            << width << "x" << height << " vertex " << i << " at (" << vertex.x << ", " << vertex.y
            << ")";
      }
    }
    EXPECT_THAT(colours, ::testing::UnorderedElementsAre(kCurrent, kAverage, kMax));
  }
}

TEST_F(RosePngTest, ThePngIsLaidOutAsTheSvgPicture) {
  std::string error;
  std::unique_ptr<cairo::CairoSurface> png = cairo::CairoSurface::Create(480, 480, &error);
  ASSERT_NE(png, nullptr) << error;
  chart::SvgSurface svg(480, 480);
  chart::RecordingSurface png_calls;
  chart::RecordingSurface svg_calls;
  TeeSurface png_tee(*png, png_calls);
  TeeSurface svg_tee(svg, svg_calls);
  DrawWholePicture(engine_, png_tee, chart::Rect{0, 0, 480, 480});
  DrawWholePicture(engine_, svg_tee, chart::Rect{0, 0, 480, 480});
  const auto points = [](const chart::RecordingSurface& calls) {
    std::vector<std::vector<chart::Point>> all;
    for (const RecordedCall& call : calls.CallsOf(RecordedCall::Kind::kPolyline)) {
      all.push_back(call.points);
    }
    return all;
  };
  ASSERT_EQ(points(png_calls).size(), 3u);
  EXPECT_EQ(points(png_calls), points(svg_calls));
  EXPECT_EQ(png_calls.Texts(), svg_calls.Texts());
}

TEST(RecordedRosePng, ARecordedMomentIsDrawnAsPngOrSaysWhyNot) {
  constexpr std::int64_t kStart = 1796896800;  // 2026-12-10 10:00:00 on the recording's line
  test_support::TempFolder folder;
  const std::string log = (folder / "Night-log.csv").string();
  std::ofstream(log) << "Corvane Log: Night\n\nStarted on Thursday 12/10/2026 at 10:00:00\n"
                        "Date,Time,Load,Free\n12/10,10:00:00,10.00,50.00\n";
  RecordedRose rose([] { return std::make_unique<fake::FakeProvider>(); }, log, "");
  RecordedRose::Picture picture;
  std::string error;
  ASSERT_TRUE(rose.Draw(kStart, 300, 200, RosePicture::RenderPng, &picture, &error)) << error;
  int width = 0;
  int height = 0;
  ASSERT_TRUE(PngImage::ReadHeader(picture.image, &width, &height));
  EXPECT_EQ(width, 300);
  EXPECT_EQ(height, 200);
  EXPECT_EQ(picture.rows.at(0).current, "10.00");

  const auto refuse = [](const RosePicture::Draw&, int, int, std::string*, std::string* why) {
    *why = "no raster library";
    return false;
  };
  EXPECT_FALSE(rose.Draw(kStart, 300, 200, refuse, &picture, &error));
  EXPECT_EQ(error, "no raster library");
}

TEST(RecordedRosePng, TheServerAnswersAMomentAsPngAndTellsAMissingMomentFromAMissingPicture) {
  constexpr std::int64_t kStart = 1796896800;  // 2026-12-10 10:00:00 on the recording's line
  test_support::TempFolder folder;
  const std::string log = (folder / "Night-log.csv").string();
  std::ofstream(log) << "Corvane Log: Night\n\nStarted on Thursday 12/10/2026 at 10:00:00\n"
                        "Date,Time,Load,Free\n12/10,10:00:00,10.00,50.00\n";
  const auto refuse = [](const RosePicture::Draw&, int, int, std::string*, std::string* why) {
    *why = "libcairo.so.2 cannot be loaded (the package libcairo2 installs it)";
    return false;
  };
  const struct {
    const char* what;
    RosePicture::Render png;
    std::int64_t at;
    int status;
  } cases[] = {
      {"a moment of the log", nullptr, kStart, 200},
      {"a moment before the log", nullptr, kStart - 100, 404},
      {"a moment of the log without cairo", refuse, kStart, 503},
      {"a moment before the log without cairo", refuse, kStart - 100, 404},
  };
  for (const auto& c : cases) {
    MetricsServer::RoseSource rose;
    rose.draw = [](chart::DrawingSurface& surface, const chart::Rect& rect) {
      surface.FillRect(rect, 0x000000);
    };
    rose.log_place = [&log] { return MonitorEngine::LogPlace{log, ""}; };
    rose.make_provider = [] { return std::make_unique<fake::FakeProvider>(); };
    rose.png = c.png;
    const auto copy = [](MetricsSnapshot* snapshot) {
      snapshot->timing = {};
      snapshot->timing.NoteSampleEnd(1796900400);  // an hour after the log began, UTC or not
    };
    std::string error;
    http::ListenAddress address = *http::ParseListenAddress("127.0.0.1:1", &error);
    reinterpret_cast<sockaddr_in*>(&address.socket_address)->sin_port = 0;
    http::StartError start_error;
    const std::unique_ptr<MetricsServer> server =
        MetricsServer::Start(address, copy, &start_error, {}, nullptr, std::move(rose));
    ASSERT_NE(server, nullptr) << start_error.text;
    const test_support::HttpAnswer answer =
        test_support::HttpGet(server->port(), "/rose.png?size=320x240&at=" + std::to_string(c.at));
    EXPECT_EQ(answer.status, c.status) << c.what << ": " << answer.body;
    if (c.status == 200) {
      int width = 0;
      int height = 0;
      ASSERT_TRUE(PngImage::ReadHeader(answer.body, &width, &height)) << c.what;
      EXPECT_EQ(width, 320);
      EXPECT_EQ(height, 240);
    } else {
      EXPECT_EQ(answer.body.find('\n'), answer.body.size() - 1) << c.what << ": " << answer.body;
    }
    if (c.status == 503) {
      EXPECT_NE(answer.body.find("libcairo2"), std::string::npos) << answer.body;
    }
  }
}

}  // namespace
}  // namespace corvane::service
