// corvsnap's PNG pictures, drawn through the QPainter surface and written to a real file.
#include "tools/corvsnap/png_snapshot.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QString>
#include <filesystem>

#include "core/engine.h"
#include "platform/fake/fake_provider.h"
#include "tests/render/qt_test_app.h"
#include "tests/render/temp_folder.h"

namespace corvane::corvsnap {
namespace {

TEST(PngSnapshot, WritesTheStatusTextOnTheProfileBackground) {
  render_test::EnsureGuiApplication();
  render_test::TempFolder folder;
  fake::FakeProvider provider;
  Corvane engine(provider, false);
  engine.SetUpNewProfile();
  CorvaneSettings settings = engine.GetSettings();
  settings.BackColor = 0x402010;  // blue 0x40, green 0x20, red 0x10
  engine.SetSettings(settings);
  engine.SetStatusText("Loading...");

  SnapOptions options;
  options.output = folder.path() / "rose.png";
  options.format = ImageFormat::kPng;
  options.width = 320;
  options.height = 200;
  std::string error;
  ASSERT_TRUE(WritePngSnapshot(engine, options, &error)) << error;

  QImage image;
  ASSERT_TRUE(image.load(QString::fromStdString(options.output.string()), "PNG"));
  EXPECT_EQ(image.size(), QSize(320, 200));
  EXPECT_EQ(image.pixelColor(0, 0), QColor(0x10, 0x20, 0x40));
  // The status text is drawn in white across the middle row band.
  bool text_found = false;
  for (int y = 90; y < 110 && !text_found; ++y) {
    for (int x = 100; x < 220 && !text_found; ++x) {
      text_found = image.pixelColor(x, y).lightness() > 200;
    }
  }
  EXPECT_TRUE(text_found);
}

TEST(PngSnapshot, UnwritableOutputIsReportedWithItsPath) {
  render_test::EnsureGuiApplication();
  render_test::TempFolder folder;
  fake::FakeProvider provider;
  Corvane engine(provider, false);
  SnapOptions options;
  options.output = folder.path() / "missing" / "rose.png";
  options.format = ImageFormat::kPng;
  std::string error;
  EXPECT_FALSE(WritePngSnapshot(engine, options, &error));
  EXPECT_NE(error.find(options.output.string()), std::string::npos) << error;
}

}  // namespace
}  // namespace corvane::corvsnap
