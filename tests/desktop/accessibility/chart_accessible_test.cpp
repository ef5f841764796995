// The wind rose through the accessibility interfaces, as a screen reader reads it: the chart's
// name and description, one child per axis with its spoken value, the events a sample sends
// while an assistive technology listens and the silence while none does. Offscreen platform,
// fake provider; samples are stored into the engine by hand while the collector is stopped.
#include <QAccessible>
#include <QTest>
#include <optional>
#include <vector>

#include "core/counter_item.h"
#include "desktop/accessibility/chart_speech.h"
#include "desktop/frame/corvane_view.h"
#include "tests/desktop/accessibility/accessibility_events.h"
#include "tests/desktop/desktop_test_support.h"

namespace corvane::desktop::testing {
namespace {

// ---- The unit of an axis. ----

struct UnitCase {
  const char* name;
  const char* path;
  const char* axis;
  double multiplier;
  const char* unit;
};

class AxisUnitTest : public ::testing::TestWithParam<UnitCase> {};

TEST_P(AxisUnitTest, FollowsTheCounterAndTheMultiplier) {
  const UnitCase& c = GetParam();
  EXPECT_EQ(AxisUnit(c.path, c.axis, c.multiplier).toStdString(), c.unit);
}

INSTANTIATE_TEST_SUITE_P(
    Units, AxisUnitTest,
    ::testing::Values(
        UnitCase{"Percent", "\\Processor(0)\\% Processor Time", "% CPU-1", 1, "%"},
        UnitCase{"PercentOfRemoteMachine", "\\\\srv\\Memory\\% Committed Bytes In Use", "Mem", 1,
                 "%"},
        UnitCase{"ByteRateInKilobytes", "\\Network Interface(eth0)\\Bytes Total/sec",
                 "Network KB/s", 1024, "KB/s"},
        UnitCase{"ByteRate", "\\Network Interface(eth0)\\Bytes Total/sec", "Net", 1, "B/s"},
        UnitCase{"BytesInMegabytes", "\\Memory\\Available Bytes", "Free", 1048576, "MB"},
        UnitCase{"OtherRate", "\\Memory\\Pages/sec", "Paging", 1, "per second"},
        UnitCase{"ScaledRate", "\\Memory\\Pages/sec", "Paging", 10, "× 10 per second"},
        UnitCase{"PlainCount", "\\Objects\\Processes", "Processes", 1, ""},
        UnitCase{"ScaledCount", "\\Objects\\Threads", "Threads", 100, "× 100"},
        UnitCase{"NoPathPercentName", "", "% Disk Space Used", 1, "%"},
        UnitCase{"NoPathKilobyteName", "", "Network KB/s", 1024, "KB/s"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SpokenNumberTest, WholeNumbersHaveNoDecimalsAndOthersTwo) {
  EXPECT_EQ(SpokenNumber(42, QStringLiteral("%")).toStdString(), "42%");
  EXPECT_EQ(SpokenNumber(12.345, QStringLiteral("KB/s")).toStdString(), "12.35 KB/s");
  EXPECT_EQ(SpokenNumber(-3, QString()).toStdString(), "-3");
  EXPECT_EQ(SpokenNumber(5e12, QString()).toStdString(), "5000000000000.00");
}

// ---- The interfaces of a running program. ----

#define ASSERT_ACCESSIBILITY_ON()                                                      \
  if (!SetAccessibilityActive(true))                                                   \
  GTEST_SKIP() << "Qt's accessibility cannot be switched on here (needs Qt's private " \
                  "GUI headers)"

class ChartAccessibleTest : public DesktopFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartProgram());
    // A collector still starting refuses to stop; it is asked again until it has started.
    QTRY_VERIFY_WITH_TIMEOUT(engine().Stop(), 8000);
    engine().SetStatusText({});
    engine().RemoveAllAxes();
    AddAxis("% CPU", "\\Processor(0)\\% Processor Time", 100, 80, 1);
    AddAxis("Network KB/s", "\\Network Interface(eth0)\\Bytes Total/sec", 12000, 2400, 1024);
    AddAxis("Processes", "\\Objects\\Processes", 1000, 800, 1);
    AddAxis("Pages", "\\Memory\\Pages/sec", 100, 50, 1);
    engine().PrepareStatistics();
    events_.emplace();
  }

  void TearDown() override {
    events_.reset();
    DesktopFixture::TearDown();
  }

  void AddAxis(const char* name, const char* path, double max, double critical, double multiplier) {
    ASSERT_TRUE(
        engine().AddAxis(name, "", false, 0, max, critical, multiplier, new CounterItem(path)));
  }

  // One sample: the readings (nullopt: no reading), then the view hears of it as it does from
  // the collector, through the engine window's repaint request.
  void Sample(std::initializer_list<std::optional<double>> readings) {
    int i = 0;
    for (const std::optional<double>& reading : readings) {
      if (reading) {
        engine().SetValue(i, *reading);
      } else {
        engine().SetUnavailable(i);
      }
      ++i;
    }
    engine().EndSample();
    view().engine_window().Invalidate(true);
    QCoreApplication::processEvents();
  }

  CCorvaneView& view() { return *frame().view(); }
  QAccessibleInterface* Chart() { return QAccessible::queryAccessibleInterface(&view()); }
  std::string Description(int axis) {
    return Chart()->child(axis)->text(QAccessible::Description).toStdString();
  }
  // The recorded events of one type about one axis (-1: about the chart).
  int Count(QAccessible::Event type, int axis) {
    return events_->Count(type, axis < 0 ? Chart() : Chart()->child(axis));
  }
  int CountOfType(QAccessible::Event type) { return events_->Count(type); }

  std::optional<AccessibilityEvents> events_;
};

TEST_F(ChartAccessibleTest, TheChartIsNamedAfterTheProfileWithOneChildPerAxis) {
  QAccessibleInterface* chart = Chart();
  ASSERT_NE(chart, nullptr);
  EXPECT_EQ(chart->role(), QAccessible::Chart);
  EXPECT_EQ(chart->text(QAccessible::Name), doc().Title());
  EXPECT_TRUE(chart->state().focusable);
  ASSERT_EQ(chart->childCount(), 4);
  const char* names[] = {"% CPU", "Network KB/s", "Processes", "Pages"};
  for (int i = 0; i < 4; ++i) {
    QAccessibleInterface* axis = chart->child(i);
    ASSERT_NE(axis, nullptr);
    EXPECT_EQ(axis->text(QAccessible::Name).toStdString(), names[i]);
    EXPECT_EQ(axis->role(), QAccessible::ListItem);
    EXPECT_EQ(axis->parent(), chart);
    EXPECT_EQ(chart->indexOfChild(axis), i);
    EXPECT_EQ(axis, chart->child(i)) << "children keep their identity";
  }
  EXPECT_EQ(chart->child(4), nullptr);

  engine().SetShowNumbers(1);
  EXPECT_EQ(chart->child(2)->text(QAccessible::Name).toStdString(), "3: Processes");
}

TEST_F(ChartAccessibleTest, EachAxisSpeaksItsValuesWithTheirUnits) {
  Sample({40, 1024.0 * 1000, 120, 10});
  Sample({50, 1024.0 * 1500, 130, 20.5});
  EXPECT_EQ(Description(0), "50%, average 45%, maximum 50%, critical value 80%");
  EXPECT_EQ(Description(1),
            "1500 KB/s, average 1250 KB/s, maximum 1500 KB/s, critical value 2400 KB/s");
  EXPECT_EQ(Description(2), "130, average 125, maximum 130, critical value 800");
  EXPECT_EQ(Description(3),
            "20.50 per second, average 15.25 per second, maximum 20.50 per second, "
            "critical value 50 per second");
  QAccessibleInterface* cpu = Chart()->child(0);
  EXPECT_EQ(cpu->text(QAccessible::Value), cpu->text(QAccessible::Description));
  ASSERT_NE(cpu->valueInterface(), nullptr);
  EXPECT_DOUBLE_EQ(cpu->valueInterface()->currentValue().toDouble(), 50.0);
  EXPECT_DOUBLE_EQ(cpu->valueInterface()->maximumValue().toDouble(), 100.0);
}

TEST_F(ChartAccessibleTest, ACriticalValueSaysSoAndAnAxisWithoutReadingIsNotAvailable) {
  Sample({92, std::nullopt, 5, 5});
  EXPECT_EQ(Description(0), "92%, critical, average 92%, maximum 92%, critical value 80%");
  EXPECT_EQ(Description(1),
            "not available, average not available, maximum not available, "
            "critical value 2400 KB/s");
  EXPECT_FALSE(Chart()->child(1)->valueInterface()->currentValue().isValid());
  Sample({10, 1024.0 * 10, 5, 5});
  EXPECT_EQ(Description(0).find("critical,"), std::string::npos) << Description(0);
  EXPECT_EQ(Description(1).rfind("10 KB/s,", 0), 0u) << Description(1);
}

TEST_F(ChartAccessibleTest, TheStatusTextIsTheChartsDescriptionWhileItShows) {
  engine().SetStatusText("Loading...");
  EXPECT_EQ(Chart()->text(QAccessible::Description).toStdString(), "Loading...");
  engine().SetStatusText("Connecting to srv1\n\nThis may take some time.");
  EXPECT_EQ(Chart()->text(QAccessible::Description).toStdString(),
            "Connecting to srv1\n\nThis may take some time.");
  engine().SetStatusText({});
  EXPECT_EQ(Chart()->text(QAccessible::Description).toStdString(), "Wind rose of 4 counters");
}

TEST_F(ChartAccessibleTest, NothingIsAnnouncedWhileNoAssistiveTechnologyListens) {
  ASSERT_TRUE(SetAccessibilityActive(false));
  ASSERT_FALSE(view().announcer().Listening());
  for (double load : {10.0, 95.0, 20.0}) Sample({load, load * 1024, load, load});
  EXPECT_EQ(view().announcer().events_sent(), 0);
  EXPECT_EQ(CountOfType(QAccessible::ValueChanged), 0);
  EXPECT_EQ(CountOfType(QAccessible::Alert), 0);
}

TEST_F(ChartAccessibleTest, ASampleSpeaksTheFocusedAxisValueAndAlertsOnCritical) {
  ASSERT_ACCESSIBILITY_ON();
  Sample({10, 1024.0 * 10, 100, 1});  // the first call only takes note
  EXPECT_EQ(CountOfType(QAccessible::ValueChanged), 0);

  events_->Clear();
  Sample({10, 1024.0 * 10, 100, 1});  // same readings: the averages and maxima stay as well
  EXPECT_EQ(CountOfType(QAccessible::ValueChanged), 0);

  events_->Clear();
  Sample({90, 1024.0 * 10, 100, 1.001});  // the CPU changes and turns critical; 1.001 reads 1
  EXPECT_EQ(Count(QAccessible::ValueChanged, 0), 1);
  EXPECT_EQ(CountOfType(QAccessible::ValueChanged), 1);
  EXPECT_EQ(Count(QAccessible::Alert, 0), 1);
  EXPECT_EQ(Count(QAccessible::DescriptionChanged, 0), 1);

  events_->Clear();
  Sample({85, 1024.0 * 20, 100, 1});  // still critical: no alert; the network changes unspoken
  EXPECT_EQ(Count(QAccessible::ValueChanged, 0), 1);
  EXPECT_EQ(Count(QAccessible::ValueChanged, 1), 0) << "only the focused axis is spoken";
  EXPECT_EQ(CountOfType(QAccessible::ValueChanged), 1);
  EXPECT_EQ(CountOfType(QAccessible::Alert), 0);

  events_->Clear();
  Sample({5, 1024.0 * 20, 100, 1});  // leaves critical
  EXPECT_EQ(Count(QAccessible::Alert, 0), 1);
}

TEST_F(ChartAccessibleTest, StatusNumbersAndAxisCountChangesReachTheListener) {
  ASSERT_ACCESSIBILITY_ON();
  Sample({1, 1, 1, 1});
  events_->Clear();
  engine().SetStatusText("Loading...");
  engine().SetShowNumbers(1);
  Sample({1, 1, 1, 1});
  EXPECT_EQ(Count(QAccessible::DescriptionChanged, -1), 1);
  EXPECT_EQ(CountOfType(QAccessible::NameChanged), 4);

  QAccessibleInterface* last = Chart()->child(3);
  const QAccessible::Id last_id = QAccessible::uniqueId(last);
  events_->Clear();
  engine().ReleaseStatistics();
  engine().RemoveAllAxes();
  AddAxis("Only", "\\Objects\\Threads", 10, 5, 1);
  engine().PrepareStatistics();
  Sample({3});
  EXPECT_EQ(Count(QAccessible::ObjectReorder, -1), 1);
  EXPECT_EQ(Chart()->childCount(), 1);
  EXPECT_EQ(QAccessible::accessibleInterface(last_id), nullptr) << "the gone axis is dropped";
  EXPECT_EQ(Chart()->child(0)->text(QAccessible::Name).toStdString(), "1: Only");
}

}  // namespace
}  // namespace corvane::desktop::testing
