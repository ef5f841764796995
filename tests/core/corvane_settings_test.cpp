#include "core/corvane_settings.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace corvane {
namespace {

TEST(CorvaneSettingsTest, DefaultWindowFollowsThePrimaryScreen) {
  struct Case {
    ScreenSize screen;
    int right;
    int bottom;
  };
  const Case cases[] = {
      {{1024, 768}, 420, 315},  // 1024 / 5 = 204 (integer division), x 2 + 12
      {{1920, 1080}, 780, 441},
      {{1366, 768}, 558, 315},  // 1366 / 5 = 273
      {{0, 0}, 12, 9},
  };
  for (const Case& c : cases) {
    const CorvaneSettings s = DefaultSettings(c.screen);
    EXPECT_EQ(s.WndLeft, 12);
    EXPECT_EQ(s.WndTop, 9);
    EXPECT_EQ(s.WndRight, c.right) << c.screen.width;
    EXPECT_EQ(s.WndBottom, c.bottom) << c.screen.height;
  }
}

TEST(CorvaneSettingsTest, WindowRectangleSoundness) {
  const ScreenSize screen{800, 600};
  struct Case {
    int left, top, right, bottom;
    bool sound;
  };
  const Case cases[] = {
      {0, 0, 800, 600, true},                             // the whole screen
      {12, 9, 332, 249, true},  {10, 10, 10, 20, false},  // left == right
      {10, 20, 30, 20, false},                            // top == bottom
      {30, 10, 20, 20, false},                            // left > right
      {0, 0, 801, 600, false},                            // beyond the right edge
      {0, 0, 800, 601, false},                            // beyond the bottom edge
      {-1, 0, 100, 100, false},                           // left of the screen
      {0, -1, 100, 100, false},                           // above the screen
  };
  for (const Case& c : cases) {
    CorvaneSettings s;
    s.WndLeft = c.left;
    s.WndTop = c.top;
    s.WndRight = c.right;
    s.WndBottom = c.bottom;
    EXPECT_EQ(WindowRectIsSound(s, screen), c.sound)
        << c.left << "," << c.top << "," << c.right << "," << c.bottom;
  }
}

TEST(CorvaneSettingsTest, FileOrderNamesEverySettingOnce) {
  const std::vector<std::string> expected = {
      "History",     "Interval",    "AlwaysOntop", "EnableTray", "Caption",       "ShowCurrent",
      "ShowAverage", "ShowMax",     "CurColor",    "AvgColor",   "MaxColor",      "BackColor",
      "TextColor",   "LineColor",   "CritColor",   "BoldCur",    "BoldAvg",       "BoldMax",
      "BoldCrit",    "WndLeft",     "WndRight",    "WndTop",     "WndBottom",     "LogMode",
      "LogFormat",   "LogFileSize", "AlertAfter",  "AlertClear", "NotifyCritical"};
  std::vector<std::string> keys;
  CorvaneSettings record;
  std::set<const std::int32_t*> members;
  for (const SettingKey& setting : SettingsInFileOrder()) {
    keys.emplace_back(setting.key);
    members.insert(&(record.*setting.member));
  }
  EXPECT_EQ(keys, expected);
  EXPECT_EQ(members.size(), static_cast<std::size_t>(kSettingCount));
  // Each key reaches the member of its own name.
  CorvaneSettings s;
  EXPECT_EQ(FindSetting(s, "WndRight"), &s.WndRight);
  EXPECT_EQ(FindSetting(s, "Caption"), &s.Caption);
  EXPECT_EQ(FindSetting(s, "interval"), nullptr);  // keys are case-sensitive
  EXPECT_EQ(FindSetting(s, "Counter"), nullptr);
}

}  // namespace
}  // namespace corvane
