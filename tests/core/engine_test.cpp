// The engine without its collector: set-up, settings, statistics operations and series.
#include "core/engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "platform/fake/fake_provider.h"
#include "tests/core/engine_test_support.h"

namespace corvane {
namespace {

using chart::ValueState;
using testing_support::AddCounterAxis;
using testing_support::FixedScreen;
using testing_support::SeriesAt;
using testing_support::Shown;

// No screen, no sinks, not interactive.
using EngineTest = testing_support::EngineFixture;

TEST_F(EngineTest, ConstructionTakesDefaultsFromTheHostsScreen) {
  const FixedScreen screen({1920, 1080});
  Corvane engine(fake_, true, EngineHost{nullptr, &screen});
  const CorvaneSettings s = engine.GetSettings();
  EXPECT_EQ(s, DefaultSettings({1920, 1080}));
  EXPECT_EQ(s.WndRight, 780);
  EXPECT_TRUE(engine.IsInteractive());
  EXPECT_EQ(engine.GetAxisCount(), 0);
  EXPECT_EQ(engine.GetAxisCapacity(), 32);
  EXPECT_EQ(engine.GetSeriesCapacity(), 4);
  EXPECT_EQ(engine.GetWindow(), nullptr);

  // A host without a screen counts as 1024 x 768.
  EXPECT_EQ(engine_.GetSettings(), DefaultSettings(kNoScreenSize));
  EXPECT_FALSE(engine_.IsInteractive());
}

TEST_F(EngineTest, SetUpNewProfile) {
  fake_.ScriptObjectItems("", "Processor", {}, {"0", "_Total"});
  engine_.SetUpNewProfile();
  std::vector<std::string> series;
  for (int s = 0; s < engine_.GetSeriesCount(); ++s) {
    std::string_view name;
    engine_.GetSeriesName(s, &name);
    series.emplace_back(name);
  }
  EXPECT_EQ(series,
            (std::vector<std::string>{"Max Values", "Historical Values", "Current Values"}));
  ASSERT_NE(engine_.GetFont(), nullptr);
  EXPECT_EQ(*engine_.GetFont(), (chart::FontSpec{"MS Sans Serif", 12}));
  EXPECT_EQ(
      testing_support::AxisNames(engine_),
      (std::vector<std::string>{"% CPU", "# Processes", "# Threads", "% Memory", "% Virtual Memory",
                                "% Disk Space Used", "% Hard Drive Time"}));
  EXPECT_FALSE(engine_.IsModified());
  // The settings reach the chart: the average line is bold by default, the maximum hidden.
  std::optional<chart::Pen> pen;
  engine_.GetSeriesPen(Corvane::kAverageSeries, &pen);
  EXPECT_EQ(pen, (chart::Pen{chart::PenStyle::kSolid, 2, 0x00CC00}));
  bool visible = true;
  engine_.GetSeriesVisible(Corvane::kMaxSeries, &visible);
  EXPECT_FALSE(visible);

  // Running it again gives the same three series, not six.
  engine_.SetUpNewProfile();
  EXPECT_EQ(engine_.GetSeriesCount(), 3);
}

TEST_F(EngineTest, ApplySettingsToChart) {
  SetUpEngine(1);
  CorvaneSettings s = engine_.GetSettings();
  s.BoldCur = 1;
  s.BoldAvg = 0;
  s.BoldMax = 1;
  s.BoldCrit = 1;
  s.ShowMax = 1;
  s.ShowCurrent = 0;
  s.CurColor = 0x010203;
  s.AvgColor = 0x040506;
  s.MaxColor = 0x070809;
  s.LineColor = 0x0A0B0C;
  s.CritColor = 0x0D0E0F;
  s.TextColor = 0x111111;
  s.BackColor = 0x222222;
  engine_.SetSettings(s);
  engine_.ApplySettingsToChart();

  struct SeriesCase {
    int series;
    chart::Pen pen;
    bool visible;
  };
  for (const SeriesCase& c :
       {SeriesCase{Corvane::kMaxSeries, {chart::PenStyle::kSolid, 2, 0x070809}, true},
        SeriesCase{Corvane::kAverageSeries, {chart::PenStyle::kSolid, 1, 0x040506}, true},
        SeriesCase{Corvane::kCurrentSeries, {chart::PenStyle::kSolid, 2, 0x010203}, false}}) {
    std::optional<chart::Pen> pen;
    bool visible = false;
    chart::Colour text = 0;
    chart::Colour back = 0;
    engine_.GetSeriesPen(c.series, &pen);
    engine_.GetSeriesVisible(c.series, &visible);
    engine_.GetSeriesTextColors(c.series, &text, &back);
    EXPECT_EQ(pen, c.pen) << c.series;
    EXPECT_EQ(visible, c.visible) << c.series;
    EXPECT_EQ(text, c.pen.colour) << c.series;
    EXPECT_EQ(back, chart::kNoColour) << c.series;
  }
  EXPECT_EQ(engine_.GetAxisPen(), (chart::Pen{chart::PenStyle::kSolid, 1, 0x0A0B0C}));
  EXPECT_EQ(engine_.GetGridPen(), (chart::Pen{chart::PenStyle::kSolid, 1, 0x0A0B0C}));
  EXPECT_EQ(engine_.GetCriticalPen(), (chart::Pen{chart::PenStyle::kSolid, 2, 0x0D0E0F}));
  EXPECT_EQ(engine_.GetTextColor(), 0x111111);
  EXPECT_EQ(engine_.GetBackColor(), 0x222222);
}

TEST_F(EngineTest, SetSettingsModifiedFlagRules) {
  SetUpEngine(1);
  struct Case {
    const char* name;
    void (*change)(CorvaneSettings&);
    bool modified;
  };
  const Case cases[] = {
      {"nothing", [](CorvaneSettings&) {}, false},
      {"interval", [](CorvaneSettings& s) { s.Interval = 5; }, true},
      {"interval out of range", [](CorvaneSettings& s) { s.Interval = 0; }, false},
      {"history", [](CorvaneSettings& s) { s.History = 10; }, true},
      {"history out of range", [](CorvaneSettings& s) { s.History = 121; }, false},
      {"log file size", [](CorvaneSettings& s) { s.LogFileSize = 128; }, true},
      {"log mode", [](CorvaneSettings& s) { s.LogMode = 1; }, true},
      {"log format", [](CorvaneSettings& s) { s.LogFormat = 1; }, true},
      {"colour", [](CorvaneSettings& s) { s.BackColor = 0x123456; }, false},
      {"display flags",
       [](CorvaneSettings& s) {
         s.ShowMax = 1;
         s.BoldCrit = 1;
         s.Caption = 0;
       },
       false},
      {"window",
       [](CorvaneSettings& s) {
         s.WndLeft = 100;
         s.WndRight = 300;
       },
       false},
      {"alert after", [](CorvaneSettings& s) { s.AlertAfter = 5; }, true},
      {"alert clear", [](CorvaneSettings& s) { s.AlertClear = 4; }, true},
      {"alert number out of range", [](CorvaneSettings& s) { s.AlertAfter = 0; }, false},
      {"notify on critical", [](CorvaneSettings& s) { s.NotifyCritical = 1; }, false},
  };
  for (const Case& c : cases) {
    engine_.SetModified(false);
    CorvaneSettings s = engine_.GetSettings();
    c.change(s);
    engine_.SetSettings(s);
    EXPECT_EQ(engine_.IsModified(), c.modified) << c.name;
  }
}

TEST_F(EngineTest, SetSettingsKeepsIntervalAndHistoryInRange) {
  SetUpEngine(1);
  CorvaneSettings s = engine_.GetSettings();
  s.Interval = 0;
  s.History = 500;
  s.TextColor = 0x00ABCDEF;
  engine_.SetSettings(s);
  const CorvaneSettings taken = engine_.GetSettings();
  EXPECT_EQ(taken.Interval, 2);
  EXPECT_EQ(taken.History, 30);
  EXPECT_EQ(taken.TextColor, 0x00ABCDEF);  // the rest of the record is taken over
  s.Interval = 120;
  s.History = 2;
  engine_.SetSettings(s);
  EXPECT_EQ(engine_.GetInterval(), 120);
  EXPECT_EQ(engine_.GetSettings().History, 2);
}

TEST_F(EngineTest, ChangedHistoryRestartsTheAveraging) {
  SetUpEngine(1);
  engine_.PrepareStatistics();
  for (const double x : {10.0, 20.0}) {
    engine_.SetValue(0, x);
    engine_.EndSample();
  }
  ASSERT_EQ(engine_.GetSampleCount(), 2);
  CorvaneSettings s = engine_.GetSettings();
  s.History = 5;
  engine_.SetSettings(s);
  EXPECT_EQ(engine_.GetSampleCount(), 0);
  engine_.SetValue(0, 40.0);  // written to slot 0, averaged alone
  EXPECT_DOUBLE_EQ(SeriesAt(engine_, 0, Corvane::kAverageSeries).value, 40.0);
  EXPECT_DOUBLE_EQ(SeriesAt(engine_, 0, Corvane::kMaxSeries).value, 40.0);
}

TEST_F(EngineTest, ResetToDefaults) {
  SetUpEngine(0);
  CorvaneSettings s = engine_.GetSettings();
  s.Interval = 9;
  s.BoldCrit = 1;
  engine_.SetSettings(s);
  engine_.SetGridStep(50);
  engine_.ResetToDefaults();
  EXPECT_EQ(engine_.GetSettings(), DefaultSettings(kNoScreenSize));
  EXPECT_EQ(engine_.GetGridStep(), 20);
  EXPECT_EQ(engine_.GetCriticalPen(), (chart::Pen{chart::PenStyle::kSolid, 1, 0x0000FF}));
}

TEST_F(EngineTest, ValuesReachTheThreeSeries) {
  SetUpEngine(3);
  // Axis 1: inverse, axis 2: multiplier 1024 with max 1000 and critical 500.
  engine_.RemoveAllAxes();
  AddCounterAxis(engine_, "plain", "\\A\\p");
  AddCounterAxis(engine_, "inverse", "\\A\\i", 100, 80, 1, true);
  AddCounterAxis(engine_, "kb", "\\A\\k", 1000, 500, 1024);
  ASSERT_EQ(engine_.PrepareStatistics(), 3);

  struct Step {
    double plain, inverse, kb;
  };
  const Step steps[] = {{50, 15, 1024 * 400}, {90, 30, 1024 * 600}, {80, 50, 1024 * 200}};
  for (const Step& step : steps) {
    EXPECT_TRUE(engine_.SetValue(0, step.plain));
    EXPECT_TRUE(engine_.SetValue(1, step.inverse));
    EXPECT_TRUE(engine_.SetValue(2, step.kb));
    engine_.EndSample();
  }
  struct Expect {
    int axis, series;
    double value;
    ValueState state;
  };
  const Expect expected[] = {
      {0, Corvane::kCurrentSeries, 80, ValueState::kNormal},  // equal to critical: not critical
      {0, Corvane::kAverageSeries, 220.0 / 3, ValueState::kNormal},
      {0, Corvane::kMaxSeries, 90, ValueState::kCritical},
      {1, Corvane::kCurrentSeries, 50, ValueState::kNormal},  // 100 - 50
      {1, Corvane::kAverageSeries, 100 - 95.0 / 3, ValueState::kNormal},
      {1, Corvane::kMaxSeries, 50, ValueState::kNormal},  // maximum raw 50 shows as 50
      {2, Corvane::kCurrentSeries, 200, ValueState::kNormal},
      {2, Corvane::kAverageSeries, 400, ValueState::kNormal},
      {2, Corvane::kMaxSeries, 600, ValueState::kCritical},
  };
  for (const Expect& e : expected) {
    const Shown shown = SeriesAt(engine_, e.axis, e.series);
    EXPECT_NEAR(shown.value, e.value, 1e-9) << e.axis << "/" << e.series;
    EXPECT_EQ(shown.state, e.state) << e.axis << "/" << e.series;
  }
  // The first inverse reading (raw 15, shown as 85) was critical.
  EXPECT_EQ(engine_.GetSampleCount(), 3);
}

TEST_F(EngineTest, UnavailableReadingsAndTheirRingSlots) {
  SetUpEngine(2);
  engine_.PrepareStatistics();
  engine_.SetValue(0, 10);
  engine_.SetValue(1, 70);
  engine_.EndSample();
  EXPECT_TRUE(engine_.SetUnavailable(0));
  engine_.SetValue(1, 70);
  engine_.EndSample();
  for (const int series : {0, 1, 2}) {
    const Shown shown = SeriesAt(engine_, 0, series);
    EXPECT_EQ(shown.state, ValueState::kNotAvailable) << series;
    EXPECT_EQ(shown.value, 0.0) << series;
    EXPECT_EQ(SeriesAt(engine_, 1, series).state, ValueState::kNormal) << series;
  }
  // The skipped slot still holds 0 and counts: (10 + 0 + 20) / 3.
  engine_.SetValue(0, 20);
  EXPECT_DOUBLE_EQ(SeriesAt(engine_, 0, Corvane::kAverageSeries).value, 10.0);
  EXPECT_DOUBLE_EQ(SeriesAt(engine_, 0, Corvane::kMaxSeries).value, 20.0);
}

TEST_F(EngineTest, ReadingsThatAreNoNumberShowAsUnavailable) {
  SetUpEngine(1);
  engine_.PrepareStatistics();
  engine_.SetValue(0, 30);
  for (const double bad :
       {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity()}) {
    EXPECT_FALSE(engine_.SetValue(0, bad));
    EXPECT_EQ(SeriesAt(engine_, 0, Corvane::kCurrentSeries).state, ValueState::kNotAvailable);
  }
  engine_.EndSample();
  engine_.SetValue(0, 10);
  EXPECT_DOUBLE_EQ(SeriesAt(engine_, 0, Corvane::kMaxSeries).value, 30.0);
  EXPECT_DOUBLE_EQ(SeriesAt(engine_, 0, Corvane::kAverageSeries).value, 20.0);
}

TEST_F(EngineTest, StatisticsOperationsRefuseCountersTheyDoNotHave) {
  SetUpEngine(2);
  // Before preparation there are no statistics at all.
  EXPECT_FALSE(engine_.SetValue(0, 1.0));
  EXPECT_FALSE(engine_.SetUnavailable(0));
  engine_.PrepareStatistics();
  for (const int i : {-1, 2, 1000}) {
    EXPECT_FALSE(engine_.SetValue(i, 1.0)) << i;
    EXPECT_FALSE(engine_.SetUnavailable(i)) << i;
  }
  // An axis added after preparation has no statistics either.
  AddCounterAxis(engine_, "late", "\\A\\late");
  EXPECT_FALSE(engine_.SetValue(2, 1.0));
  // Axes removed under prepared statistics are not written.
  engine_.RemoveAllAxes();
  EXPECT_FALSE(engine_.SetValue(0, 1.0));
  engine_.EndSample();
  engine_.ResetMax();
}

TEST_F(EngineTest, ResetMaxShowsTheCurrentValueAndRestartsTheMaxima) {
  SetUpEngine(2);
  engine_.PrepareStatistics();
  engine_.SetValue(0, 95);  // critical maximum
  engine_.SetValue(1, 40);
  engine_.EndSample();
  engine_.SetValue(0, 30);
  engine_.SetUnavailable(1);
  engine_.EndSample();
  engine_.ResetMax();
  const Shown max0 = SeriesAt(engine_, 0, Corvane::kMaxSeries);
  EXPECT_EQ(max0.value, 30.0);
  EXPECT_EQ(max0.state, ValueState::kCritical);  // the state shown before stays
  EXPECT_EQ(SeriesAt(engine_, 1, Corvane::kMaxSeries).state, ValueState::kNotAvailable);
  engine_.SetValue(0, 20);
  EXPECT_EQ(SeriesAt(engine_, 0, Corvane::kMaxSeries).value, 20.0);
}

TEST_F(EngineTest, ReleaseStatisticsLeavesEveryAxisUnavailable) {
  SetUpEngine(3);
  engine_.PrepareStatistics();
  for (int i = 0; i < 3; ++i) engine_.SetValue(i, 50);
  engine_.EndSample();
  engine_.ReleaseStatistics();
  for (int i = 0; i < 3; ++i) {
    for (const int series : {0, 1, 2})
      EXPECT_EQ(SeriesAt(engine_, i, series).state, ValueState::kNotAvailable) << i;
  }
  EXPECT_FALSE(engine_.SetValue(0, 1.0));
  EXPECT_EQ(engine_.GetSampleCount(), 0);
}

TEST_F(EngineTest, StatusTextAndCounterPaths) {
  SetUpEngine(1);
  EXPECT_EQ(engine_.GetStatusText(), "");
  engine_.SetStatusText("Loading...");
  EXPECT_EQ(engine_.GetStatusText(), "Loading...");
  EXPECT_EQ(engine_.GetCounterPath(0), "\\A\\c0");
  EXPECT_EQ(engine_.GetCounterPath(1), "");
  engine_.AddAxis("no item", "", false, 0, 1, 1, 1, nullptr);
  EXPECT_EQ(engine_.GetCounterPath(1), "");
}

TEST_F(EngineTest, MessagesReachTheHostOnlyFromAnInteractiveEngine) {
  testing_support::RecordingSink sink;
  Corvane interactive(fake_, true, EngineHost{&sink, nullptr});
  Corvane silent(fake_, false, EngineHost{&sink, nullptr});
  silent.ShowMessage(EngineMessage{0, "silent"});
  interactive.ShowMessage(EngineMessage{0, "shown"});
  const auto messages = sink.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, "shown");
  // An interactive engine without a sink drops its messages.
  Corvane no_sink(fake_, true);
  no_sink.ShowMessage(EngineMessage{0, "nowhere"});
}

}  // namespace
}  // namespace corvane
