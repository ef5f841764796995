// What the engine adds to a profile: header, settings, counter paths, and the checks after a
// load. Hooks are driven directly with an in-memory writer; Load and Save on real files.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/counter_item.h"
#include "core/engine.h"
#include "platform/fake/fake_provider.h"
#include "tests/core/engine_test_support.h"
#include "tests/core/file_text.h"

namespace corvane {
namespace {

using testing_support::AddCounterAxis;
using testing_support::MemoryProfileWriter;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

class EngineProfileTest : public testing_support::EngineFixture {
 protected:
  EngineProfileTest() : EngineFixture(testing_support::kBareEngine, ScreenSize{1280, 1024}) {}
};

TEST_F(EngineProfileTest, HeaderLines) {
  MemoryProfileWriter file;
  EXPECT_TRUE(engine_.WriteHeader(file));
  EXPECT_EQ(file.lines,
            (std::vector<std::string>{"", "# CORVANE CONFIGURATION FILE. DO NOT MODIFY!", ""}));
}

TEST_F(EngineProfileTest, SettingsLinesInTheFilesOrder) {
  CorvaneSettings s = engine_.GetSettings();
  s.Interval = 7;
  s.History = 45;
  s.CurColor = 16777215;
  s.WndLeft = 1;
  s.WndTop = 2;
  s.WndRight = 3;
  s.WndBottom = 4;
  s.LogFileSize = -5;
  s.LogMode = 0;
  engine_.SetSettings(s);
  MemoryProfileWriter file;
  EXPECT_TRUE(engine_.WriteSettings(file));
  EXPECT_EQ(file.lines,
            (std::vector<std::string>{
                "History=45",         "Interval=7",        "AlwaysOntop=0",     "EnableTray=1",
                "Caption=1",          "ShowCurrent=1",     "ShowAverage=1",     "ShowMax=0",
                "CurColor=16777215",  "AvgColor=52224",    "MaxColor=16777087", "BackColor=0",
                "TextColor=16777215", "LineColor=8421504", "CritColor=255",     "BoldCur=0",
                "BoldAvg=1",          "BoldMax=0",         "BoldCrit=0",        "WndLeft=1",
                "WndRight=3",         "WndTop=2",          "WndBottom=4",       "LogMode=0",
                "LogFormat=0",        "LogFileSize=-5",    "AlertAfter=3",      "AlertClear=2",
                "NotifyCritical=0"}));
}

TEST_F(EngineProfileTest, WritersFailureEndsTheSettings) {
  MemoryProfileWriter file;
  file.fail_after = 3;
  EXPECT_FALSE(engine_.WriteSettings(file));
  EXPECT_EQ(file.lines.size(), 3u);
  file.fail_after = 0;
  EXPECT_FALSE(engine_.WriteHeader(file));
}

TEST_F(EngineProfileTest, CounterItems) {
  MemoryProfileWriter file;
  EXPECT_TRUE(engine_.WriteItem(file, CounterItem("\\\\host\\Processor(0)\\% Processor Time")));
  EXPECT_TRUE(engine_.WriteItem(file, CounterItem("")));
  // An item of another kind has nothing to write.
  EXPECT_TRUE(engine_.WriteItem(file, chart::AxisItem()));
  EXPECT_EQ(file.lines, (std::vector<std::string>{
                            "Counter=\\\\host\\Processor(0)\\% Processor Time", "Counter="}));

  chart::AxisItem* item = engine_.ReadItem("Counter", "\\Memory\\x=y");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(*CounterPathOf(item), "\\Memory\\x=y");
  engine_.FreeItem(item);
  item = engine_.ReadItem("Counter", "");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(*CounterPathOf(item), "");
  engine_.FreeItem(item);
  EXPECT_EQ(engine_.ReadItem("counter", "x"), nullptr);
  EXPECT_EQ(engine_.ReadItem("Name", "x"), nullptr);
  engine_.FreeItem(nullptr);
}

TEST_F(EngineProfileTest, ReadSettingRules) {
  struct Case {
    const char* key;
    const char* value;
    std::int32_t CorvaneSettings::*member;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"History", "1", &CorvaneSettings::History, 30},    // below 2: ignored
      {"History", "150", &CorvaneSettings::History, 30},  // above 120: ignored
      {"History", "120", &CorvaneSettings::History, 120},
      {"History", "2", &CorvaneSettings::History, 2},
      {"Interval", "0", &CorvaneSettings::Interval, 2},  // below 1: ignored
      {"Interval", "121", &CorvaneSettings::Interval, 2},
      {"Interval", "1", &CorvaneSettings::Interval, 1},
      {"Interval", "x", &CorvaneSettings::Interval, 2},          // reads 0: ignored
      {"LogFileSize", "-5", &CorvaneSettings::LogFileSize, -5},  // any integer
      {"LogMode", "7", &CorvaneSettings::LogMode, 7},
      {"Caption", "0", &CorvaneSettings::Caption, 0},
      {"CurColor", " 255xyz", &CorvaneSettings::CurColor, 255},
      {"BackColor", "", &CorvaneSettings::BackColor, 0},  // no value: kept
      {"WndLeft", "abc", &CorvaneSettings::WndLeft, 0},   // text without digits reads 0
      {"caption", "0", &CorvaneSettings::Caption, 1},     // case matters
      {"AlertAfter", "5", &CorvaneSettings::AlertAfter, 5},
      {"AlertAfter", "0", &CorvaneSettings::AlertAfter, 3},    // below 1: ignored
      {"AlertClear", "121", &CorvaneSettings::AlertClear, 2},  // above 120: ignored
      {"AlertClear", "1", &CorvaneSettings::AlertClear, 1},
      {"NotifyCritical", "1", &CorvaneSettings::NotifyCritical, 1},
      {"Counter", "5", &CorvaneSettings::Interval, 2},
      {"GridStep", "5", &CorvaneSettings::Interval, 2},
  };
  for (const Case& c : cases) {
    fake::FakeProvider fake;
    Corvane engine(fake, false);
    engine.ReadSetting(c.key, c.value);
    const CorvaneSettings s = engine.GetSettings();
    EXPECT_EQ(s.*c.member, c.expected) << c.key << "=" << c.value;
  }
}

TEST_F(EngineProfileTest, LoadChecksTheWindowRectangle) {
  TempDir dir;
  struct Case {
    const char* rect;
    int left, top, right, bottom;
  };
  const Case cases[] = {
      {"WndLeft=100\nWndTop=50\nWndRight=1280\nWndBottom=1024\n", 100, 50, 1280, 1024},
      // Reaching beyond the 1280 x 1024 screen: all four return to the defaults.
      {"WndLeft=100\nWndTop=50\nWndRight=1281\nWndBottom=600\n", 12, 9, 524, 417},
      {"WndLeft=-1\nWndTop=50\nWndRight=400\nWndBottom=600\n", 12, 9, 524, 417},
      {"WndLeft=500\nWndTop=50\nWndRight=400\nWndBottom=600\n", 12, 9, 524, 417},
  };
  for (const Case& c : cases) {
    const auto path = dir.path() / "window.crvn";
    WriteFile(path, std::string("Interval=9\nLogMode=0\n") + c.rect);
    engine_.ResetToDefaults();
    engine_.SetModified(true);
    ASSERT_TRUE(engine_.Load(path)) << engine_.GetLastProfileError();
    const CorvaneSettings s = engine_.GetSettings();
    EXPECT_EQ(s.WndLeft, c.left) << c.rect;
    EXPECT_EQ(s.WndTop, c.top) << c.rect;
    EXPECT_EQ(s.WndRight, c.right) << c.rect;
    EXPECT_EQ(s.WndBottom, c.bottom) << c.rect;
    EXPECT_EQ(s.Interval, 9);
    EXPECT_FALSE(engine_.IsModified());
  }
}

TEST_F(EngineProfileTest, FailedLoadStillChecksTheWindowAndClearsModified) {
  CorvaneSettings s = engine_.GetSettings();
  s.WndRight = 5000;
  engine_.SetSettings(s);
  engine_.SetModified(true);
  TempDir dir;
  EXPECT_FALSE(engine_.Load(dir.path() / "missing.crvn"));
  EXPECT_EQ(engine_.GetSettings().WndRight, 524);
  EXPECT_FALSE(engine_.IsModified());
  EXPECT_EQ(engine_.GetLogPath(), "");  // no log location from a failed load
}

TEST_F(EngineProfileTest, LoadPlacesTheLogBesideTheProfileWithoutABanner) {
  TempDir dir;
  const auto path = dir.path() / "Watch.crvn";
  WriteFile(path, "LogMode=1\nLogFormat=1\n");
  ASSERT_TRUE(engine_.Load(path));
  const std::filesystem::path log = dir.path() / "Logs" / "Watch-log.csv";
  EXPECT_EQ(engine_.GetLogPath(), log.string());
  ASSERT_TRUE(std::filesystem::exists(log));
  // The header of a new file, and no banner yet: that comes when collecting starts.
  EXPECT_EQ(ReadFile(log), "Corvane Log: Watch\n");
}

// A profile may carry a multiplier of 0, which no setter accepts: the chart and the activity
// log show the same value for it (the reading itself), and neither is critical below 80.
TEST_F(EngineProfileTest, ZeroMultiplierShowsTheSameValueInTheChartAndTheLog) {
  TempDir dir;
  const auto path = dir.path() / "Zero.crvn";
  WriteFile(path,
            "LogMode=1\nLogFormat=1\nBeginAxis\nName=zero\nMinValue=0\nMaxValue=100\n"
            "CriticalValue=80\nMultiplier=0.000000\nInverse=0\nCounter=\\A\\c\nEndAxis\n");
  engine_.SetUpNewProfile();
  engine_.RemoveAllAxes();
  ASSERT_TRUE(engine_.Load(path)) << engine_.GetLastProfileError();
  ASSERT_EQ(engine_.PrepareStatistics(), 1);
  for (const double reading : {42.0, 0.0}) {
    ASSERT_TRUE(engine_.SetValue(0, reading));
    double shown = -1;
    ASSERT_TRUE(engine_.GetSeriesValue(0, &shown, Corvane::kCurrentSeries));
    EXPECT_EQ(shown, reading);
    engine_.EndSample();
  }
  const std::string log = ReadFile(dir.path() / "Logs" / "Zero-log.csv");
  EXPECT_NE(log.find(",42.00\n"), std::string::npos) << log;
  EXPECT_NE(log.find(",0.00\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("inf"), std::string::npos) << log;
  EXPECT_EQ(log.find("nan"), std::string::npos) << log;
}

TEST_F(EngineProfileTest, SavedProfileLoadsAndSavesToTheSameBytes) {
  TempDir dir;
  engine_.SetUpNewProfile();
  engine_.RemoveAllAxes();
  AddCounterAxis(engine_, "% CPU", "\\Processor(0)\\% Processor Time");
  AddCounterAxis(engine_, "Net", "\\\\box:9100\\Network Interface(eth0)\\Bytes Total/sec", 12207,
                 2441, 1024);
  engine_.AddAxis("no counter", "desc", true, 0, 100, 80, 1, nullptr);
  CorvaneSettings s = engine_.GetSettings();
  s.Interval = 5;
  s.History = 60;
  s.LogMode = 0;
  s.BoldCrit = 1;
  engine_.SetSettings(s);

  const auto first = dir.path() / "first.crvn";
  const auto second = dir.path() / "second.crvn";
  ASSERT_TRUE(engine_.Save(first)) << engine_.GetLastProfileError();

  fake::FakeProvider fake;
  Corvane reloaded(fake, false, EngineHost{nullptr, &screen_});
  reloaded.SetUpNewProfile();
  reloaded.RemoveAllAxes();
  reloaded.ResetToDefaults();
  ASSERT_TRUE(reloaded.Load(first));
  EXPECT_EQ(reloaded.GetSettings(), engine_.GetSettings());
  EXPECT_EQ(testing_support::Axes(reloaded), testing_support::Axes(engine_));
  ASSERT_TRUE(reloaded.Save(second));
  const std::string bytes = ReadFile(first);
  EXPECT_EQ(ReadFile(second), bytes);
  EXPECT_TRUE(bytes.starts_with("\r\n# CORVANE CONFIGURATION FILE. DO NOT MODIFY!\r\n\r\n"));
  EXPECT_NE(bytes.find("Counter=\\\\box:9100\\Network Interface(eth0)\\Bytes Total/sec\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace corvane

namespace corvane {
namespace {

TEST_F(EngineProfileTest, PrometheusServerIsWrittenLastAndOnlyWhenSet) {
  TempDir dir;
  engine_.SetUpNewProfile();
  engine_.RemoveAllAxes();
  AddCounterAxis(engine_, "web", "\\\\web-03:9100\\Processor(_Total)\\% Processor Time");
  const auto plain = dir.path() / "plain.crvn";
  ASSERT_TRUE(engine_.Save(plain));
  EXPECT_EQ(ReadFile(plain).find("PrometheusServer"), std::string::npos);

  engine_.SetRemoteServer("https://prom.example:9090");
  EXPECT_TRUE(engine_.IsModified());
  const auto fleet = dir.path() / "fleet.crvn";
  ASSERT_TRUE(engine_.Save(fleet));
  const std::string bytes = ReadFile(fleet);
  // Right after the last of the other settings, before the empty line and the axes.
  EXPECT_NE(bytes.find("\r\nPrometheusServer=https://prom.example:9090\r\n\r\nBeginAxis"),
            std::string::npos)
      << bytes;
  // Apart from that line, the bytes of the same profile without a server.
  std::string without = bytes;
  without.erase(without.find("PrometheusServer="),
                std::string("PrometheusServer=https://prom.example:9090\r\n").size());
  EXPECT_EQ(without, ReadFile(plain));

  fake::FakeProvider fake;
  Corvane reloaded(fake, false, EngineHost{nullptr, &screen_});
  reloaded.SetUpNewProfile();
  reloaded.RemoveAllAxes();
  ASSERT_TRUE(reloaded.Load(fleet));
  EXPECT_EQ(reloaded.GetRemoteServer(), "https://prom.example:9090");
  EXPECT_FALSE(reloaded.IsModified());
  // A profile without the key, opened as the document opens one, scrapes directly again.
  reloaded.RemoveAllAxes();
  reloaded.ResetToDefaults();
  ASSERT_TRUE(reloaded.Load(plain));
  EXPECT_EQ(reloaded.GetRemoteServer(), "");
}

}  // namespace
}  // namespace corvane
