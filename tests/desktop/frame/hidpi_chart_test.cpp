// The chart on a 200 % screen: the window is painted at the device pixel ratio, so a line one
// pixel wide in the chart is two device pixels wide and sharp (one colour, no blur), not one
// pixel scaled up. Leaves the picture in the build folder (chart-scale-2.png).
#include <QImage>
#include <QPixmap>
#include <QTest>
#include <algorithm>
#include <map>

#include "core/counter_item.h"
#include "desktop/frame/corvane_view.h"
#include "tests/desktop/desktop_test_support.h"

namespace corvane::desktop::testing {
namespace {

using HiDpiChartTest = DesktopFixture;

constexpr QRgb kLines = qRgb(0x80, 0x80, 0x80);  // the default grid and axis colour

// Widths (device pixels) of the runs of `colour` in row y, with the columns they start at.
std::map<int, int> RunsInRow(const QImage& image, int y, QRgb colour) {
  std::map<int, int> runs;
  int x = 0;
  while (x < image.width()) {
    if (image.pixel(x, y) != colour) {
      ++x;
      continue;
    }
    const int start = x;
    while (x < image.width() && image.pixel(x, y) == colour) ++x;
    runs[start] = x - start;
  }
  return runs;
}

TEST_F(HiDpiChartTest, OnePixelLinesAreTwoSharpDevicePixelsWide) {
  ASSERT_TRUE(StartProgram());
  QTRY_VERIFY_WITH_TIMEOUT(engine().Stop(), 8000);
  engine().SetStatusText({});
  engine().RemoveAllAxes();
  for (const char* name : {"North", "East", "South", "West"}) {
    ASSERT_TRUE(engine().AddAxis(name, "", false, 0, 100, 80, 1, new CounterItem("\\Test\\A")));
  }
  CorvaneSettings settings = engine().GetSettings();
  settings.ShowCurrent = settings.ShowAverage = settings.ShowMax = 0;
  engine().SetSettings(settings);
  engine().ApplySettingsToChart();
  engine().SetShowNames(0);
  engine().SetShowValues(0);
  frame().resize(400, 400);

  const QPixmap picture = frame().view()->grab();
  ASSERT_EQ(picture.devicePixelRatio(), 2.0);
  const QImage image = picture.toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(image.width(), 2 * frame().view()->width());
  image.save(QStringLiteral(CORVANE_SCREENSHOT_DIR "/chart-scale-2.png"));

  // The north axis runs straight up from the centre: in a row between the centre and the top
  // it is the run of the line colour nearest the middle. Rows on a grid ring are skipped by
  // taking the narrowest run over several rows.
  int narrowest = image.width();
  int rows = 0;
  for (int y = image.height() / 8; y < image.height() / 2 - 8; y += 7) {
    const std::map<int, int> runs = RunsInRow(image, y, kLines);
    int best = -1;
    int best_distance = image.width();
    for (const auto& [start, width] : runs) {
      const int distance = std::abs(start + width / 2 - image.width() / 2);
      if (distance < best_distance) {
        best_distance = distance;
        best = width;
      }
    }
    if (best < 0 || best_distance > 8) continue;
    ++rows;
    narrowest = std::min(narrowest, best);
  }
  ASSERT_GT(rows, 10) << "the axis was not found";
  EXPECT_EQ(narrowest, 2);

  // Nothing between the line colour and the black background: no scaled-up blur.
  for (int y = image.height() / 8; y < image.height() / 2 - 8; y += 7) {
    for (int x = image.width() / 2 - 12; x < image.width() / 2 + 12; ++x) {
      const QRgb pixel = image.pixel(x, y);
      EXPECT_TRUE(pixel == kLines || pixel == qRgb(0, 0, 0))
          << "pixel " << x << "," << y << " is " << std::hex << pixel;
    }
  }
}

}  // namespace
}  // namespace corvane::desktop::testing
