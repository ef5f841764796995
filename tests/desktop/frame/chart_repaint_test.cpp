// What a sample costs the program's window and its screen reader, as a user meets them: the
// real main frame on the offscreen platform, samples stored into the engine by hand while the
// collector is stopped and handed to the view through its engine window, as the collector does.
//   - a sample that changes nothing shown paints nothing; one changed axis paints its area only,
//     in the one call that brings the sample to the window's thread;
//   - with an assistive technology listening, the focused axis's value changes are spoken, the
//     others' are not, every axis's change of state is, the chart's summary changes once, and
//     walking the chart still reads every axis's current text.
#include <QAccessible>
#include <QTest>
#include <string>
#include <vector>

#include "tests/desktop/frame/stopped_chart_fixture.h"

namespace corvane::desktop::testing {
namespace {

class ChartRepaintTest : public StoppedChartFixture {
 protected:
  ChartRepaintTest() : StoppedChartFixture(QSize(500, 500)) {}
};

TEST_F(ChartRepaintTest, ASampleThatChangesNothingShownPaintsNothing) {
  const std::vector<double> steady = {10, 20, 30, 40, 50, 60, 70, 75};
  Sample(steady);
  Sample(steady);
  const int paints = view().paint_count();
  for (int i = 0; i < 5; ++i) Sample(steady);
  EXPECT_EQ(view().paint_count(), paints);

  std::vector<double> changed = steady;
  changed[0] = 11;
  Sample(changed);
  EXPECT_EQ(view().paint_count(), paints + 1);
}

TEST_F(ChartRepaintTest, ASampleIsPaintedInTheOneCallThatBringsIt) {
  std::vector<double> values(kAxes, 30);
  Sample(values);
  const int paints = view().paint_count();
  values[1] = 64;
  for (std::size_t i = 0; i < values.size(); ++i) {
    engine().SetValue(static_cast<int>(i), values[i]);
  }
  engine().EndSample();
  view().engine_window().Invalidate(true);
  // One pass over what was posted: the collector's request. A paint asked for from there
  // (update) would wait for another turn of the event loop.
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(view().paint_count(), paints + 1);
  Settle();
  EXPECT_EQ(view().paint_count(), paints + 1) << "and no second paint";
}

TEST_F(ChartRepaintTest, OneChangedAxisPaintsOnlyItsLinesAndTexts) {
  const std::vector<double> steady(kAxes, 40);
  for (int i = 0; i < 3; ++i) Sample(steady);
  const int paints = view().paint_count();
  const std::vector<chart::Point> before(engine().GetSeriesPoints(Corvane::kCurrentSeries).begin(),
                                         engine().GetSeriesPoints(Corvane::kCurrentSeries).end());

  std::vector<double> changed = steady;
  changed[0] = 70;  // the axis at twelve o'clock
  Sample(changed);
  ASSERT_EQ(view().paint_count(), paints + 1);
  const QRect painted = view().painted_region().boundingRect();
  const auto after = engine().GetSeriesPoints(Corvane::kCurrentSeries);

  // Its neighbours' points bound the lines that meet at it; its texts lie above its end.
  QRect allowed;
  for (int axis : {kAxes - 1, 0, 1}) {
    allowed |= QRect(QPoint(before[axis].x, before[axis].y), QSize(1, 1));
    allowed |= QRect(QPoint(after[axis].x, after[axis].y), QSize(1, 1));
  }
  const int centre_x = view().width() / 2;
  allowed |= QRect(centre_x - 60, 0, 120, 1);  // the value texts at the top
  allowed.adjust(-8, -8, 8, 8);
  EXPECT_TRUE(allowed.contains(painted))
      << painted.x() << "," << painted.y() << " " << painted.width() << "x" << painted.height()
      << " outside " << allowed.x() << "," << allowed.y() << " " << allowed.width() << "x"
      << allowed.height();
  EXPECT_LT(painted.height(), view().height() / 2) << "the lower half stays";
}

TEST_F(ChartRepaintTest, AScreenReaderHearsTheFocusedAxisTheStateChangesAndOneSummary) {
  if (!SetAccessibilityActive(true)) {
    GTEST_SKIP() << "Qt's accessibility cannot be switched on here";
  }
  AccessibilityEvents heard;
  QAccessibleInterface* chart = QAccessible::queryAccessibleInterface(&view());
  ASSERT_NE(chart, nullptr);
  auto count = [&](QAccessible::Event type, QAccessibleInterface* target) {
    return heard.Count(type, target);
  };
  auto count_type = [&](QAccessible::Event type) { return heard.Count(type); };

  Sample(std::vector<double>(kAxes, 10));  // the first call takes note
  view().setFocus();
  QTest::keyClick(&view(), Qt::Key_Down);
  QTest::keyClick(&view(), Qt::Key_Down);  // the third axis
  EXPECT_EQ(view().announcer().focused_axis(), 2);
  EXPECT_EQ(count(QAccessible::Focus, chart->child(2)), 1);
  EXPECT_TRUE(chart->child(2)->state().focused);
  EXPECT_FALSE(chart->child(0)->state().focused);

  // Every axis changes; axis 6 turns critical.
  heard.Clear();
  std::vector<double> values = {21, 22, 23, 24, 25, 26, 95, 28};
  Sample(values);
  EXPECT_EQ(count_type(QAccessible::ValueChanged), 1);
  EXPECT_EQ(count(QAccessible::ValueChanged, chart->child(2)), 1);
  EXPECT_EQ(count(QAccessible::Alert, chart->child(6)), 1);
  EXPECT_EQ(count(QAccessible::DescriptionChanged, chart->child(6)), 1);
  EXPECT_EQ(count_type(QAccessible::Alert), 1);
  EXPECT_EQ(count(QAccessible::DescriptionChanged, chart), 1) << "the summary";
  EXPECT_NE(chart->text(QAccessible::Description).indexOf(QStringLiteral("1 critical")), -1)
      << chart->text(QAccessible::Description).toStdString();

  // Changes again, axis 6 stays critical: the focused value only, no summary.
  heard.Clear();
  values = {31, 32, 33, 34, 35, 36, 96, 38};
  Sample(values);
  EXPECT_EQ(count_type(QAccessible::ValueChanged), 1);
  EXPECT_EQ(count(QAccessible::ValueChanged, chart->child(2)), 1);
  EXPECT_EQ(count_type(QAccessible::Alert), 0);
  EXPECT_EQ(count(QAccessible::DescriptionChanged, chart), 0);

  // Walking the chart reads every axis's current value.
  for (int i = 0; i < kAxes; ++i) {
    const std::string text = chart->child(i)->text(QAccessible::Description).toStdString();
    EXPECT_EQ(text.rfind(std::to_string(static_cast<int>(values[i])) + "%", 0), 0U)
        << i << ": " << text;
  }

  // Leaving critical is heard, on an axis without focus too.
  heard.Clear();
  values[6] = 5;
  Sample(values);
  EXPECT_EQ(count(QAccessible::Alert, chart->child(6)), 1);
  EXPECT_EQ(count(QAccessible::DescriptionChanged, chart), 1);
  EXPECT_EQ(count_type(QAccessible::ValueChanged),
            count(QAccessible::ValueChanged, chart->child(2)))
      << "the focused axis's average still moves; no other axis is spoken";

  QTest::keyClick(&view(), Qt::Key_End);
  EXPECT_EQ(view().announcer().focused_axis(), kAxes - 1);
  QTest::keyClick(&view(), Qt::Key_Right);
  EXPECT_EQ(view().announcer().focused_axis(), 0) << "round to the first axis";
}

}  // namespace
}  // namespace corvane::desktop::testing
