// The program's icon looks as the scalable picture draws it, pixel for pixel, at every size
// the window and the tray ask for, at scale 1 and 2, in every mode; and drawing it at the
// window's own sizes needs no SVG icon engine.
#include "desktop/app/program_icon.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <cstdlib>
#include <fstream>
#include <string>

namespace corvane::desktop {
namespace {

// Premultiplied, as the window system and the tray are handed it.
QImage Pixels(const QPixmap& pixmap) {
  return pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

struct Ask {
  int width, height;
  qreal scale;
  QIcon::Mode mode;
};

class ProgramIconTest : public ::testing::TestWithParam<Ask> {};

TEST_P(ProgramIconTest, LooksAsThePictureDrawsIt) {
  const Ask ask = GetParam();
  const QIcon icon = ProgramIcon();
  const QIcon picture(ProgramIconPicturePath());  // Qt's SVG icon engine
  const QSize size(ask.width, ask.height);
  const QPixmap shown = icon.pixmap(size, ask.scale, ask.mode);
  const QPixmap drawn = picture.pixmap(size, ask.scale, ask.mode);
  ASSERT_FALSE(drawn.isNull());
  ASSERT_FALSE(shown.isNull());
  EXPECT_EQ(shown.size(), drawn.size());
  EXPECT_EQ(shown.devicePixelRatio(), drawn.devicePixelRatio());
  EXPECT_TRUE(Pixels(shown) == Pixels(drawn))
      << ask.width << "x" << ask.height << " at scale " << ask.scale;
}

INSTANTIATE_TEST_SUITE_P(Sizes, ProgramIconTest,
                         ::testing::Values(
                             // The window icon's sizes, at 100 % and 200 %.
                             Ask{16, 16, 1, QIcon::Normal}, Ask{32, 32, 1, QIcon::Normal},
                             Ask{64, 64, 1, QIcon::Normal}, Ask{128, 128, 1, QIcon::Normal},
                             Ask{16, 16, 2, QIcon::Normal}, Ask{32, 32, 2, QIcon::Normal},
                             Ask{64, 64, 2, QIcon::Normal}, Ask{128, 128, 2, QIcon::Normal},
                             // The tray's.
                             Ask{22, 22, 1, QIcon::Normal}, Ask{24, 24, 1, QIcon::Normal},
                             Ask{22, 22, 2, QIcon::Normal}, Ask{24, 24, 2, QIcon::Normal},
                             // Sizes nobody drew ahead, a scale of 150 %, a space wider than high.
                             Ask{40, 40, 1, QIcon::Normal}, Ask{32, 32, 1.5, QIcon::Normal},
                             Ask{64, 32, 1, QIcon::Normal},
                             // Other looks.
                             Ask{32, 32, 1, QIcon::Disabled}, Ask{32, 32, 1, QIcon::Selected}),
                         [](const ::testing::TestParamInfo<Ask>& info) {
                           const Ask& ask = info.param;
                           const char* mode = ask.mode == QIcon::Normal     ? "Normal"
                                              : ask.mode == QIcon::Disabled ? "Disabled"
                                                                            : "Selected";
                           return std::to_string(ask.width) + "x" + std::to_string(ask.height) +
                                  "At" + std::to_string(static_cast<int>(ask.scale * 100)) + mode;
                         });

// X11 is handed the sizes it picks for a scalable icon (16, 32, 64 and 128), not a list of
// the icon's own.
TEST(ProgramIconSizesTest, NamesNoSizesOfItsOwn) {
  EXPECT_TRUE(ProgramIcon().availableSizes().isEmpty());
  EXPECT_FALSE(ProgramIcon().isNull());
}

TEST(ProgramIconSizesTest, EveryBuildTimeSizeIsInTheResources) {
  for (const int side : ProgramIconSizes()) {
    const QImage image(QStringLiteral(":/corvane/icons/corvane-%1.png").arg(side));
    EXPECT_EQ(image.size(), QSize(side, side)) << side;
  }
}

bool SvgIconEngineLoaded() {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    if (line.find("libqsvgicon") != std::string::npos) return true;
  }
  return false;
}

// In a process of its own, so that no earlier test has loaded the engine.
TEST(ProgramIconCostTest, TheWindowSizesNeedNoSvgIconEngine) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const QIcon icon = ProgramIcon();
        bool drawn = true;
        for (const int side : {16, 32, 64, 128}) drawn = drawn && !icon.pixmap(side).isNull();
        std::_Exit(drawn && !SvgIconEngineLoaded() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace corvane::desktop
