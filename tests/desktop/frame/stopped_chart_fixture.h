// The real main frame on the offscreen platform with the collector stopped: eight plain axes,
// names and values shown, and samples stored into the engine by hand and handed to the view
// through its engine window, as the collector does. Test (GUI) thread only.
#pragma once

#include <QCoreApplication>
#include <QSize>
#include <QTest>
#include <string>
#include <vector>

#include "core/counter_item.h"
#include "desktop/frame/corvane_view.h"
#include "tests/desktop/accessibility/accessibility_events.h"
#include "tests/desktop/desktop_test_support.h"

namespace corvane::desktop::testing {

class StoppedChartFixture : public DesktopFixture {
 protected:
  static constexpr int kAxes = 8;

  explicit StoppedChartFixture(QSize window) : window_(window) {}

  void SetUp() override {
    ASSERT_TRUE(StartProgram());
    QTRY_VERIFY_WITH_TIMEOUT(engine().PollStop(), 8000);
    engine().SetStatusText({});
    engine().RemoveAllAxes();
    for (int i = 0; i < kAxes; ++i) {
      ASSERT_TRUE(engine().AddAxis(
          "Axis " + std::to_string(i + 1), "", false, 0, 100, 80, 1,
          new CounterItem("\\Processor(" + std::to_string(i) + ")\\% Processor Time")));
    }
    engine().SetShowNames(1);
    engine().SetShowValues(1);
    engine().PrepareStatistics();
    frame().resize(window_);
    frame().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame()));
    Q_EMIT doc().updateAllViews();
    Settle();
  }

  void TearDown() override {
    SetAccessibilityActive(false);
    DesktopFixture::TearDown();
  }

  CCorvaneView& view() { return *frame().view(); }

  static void Settle() {
    for (int i = 0; i < 5; ++i) {
      QCoreApplication::processEvents();
      QTest::qWait(5);
    }
  }

  // One sample of the readings; the view hears of it through its engine window.
  void Sample(const std::vector<double>& readings) {
    for (std::size_t i = 0; i < readings.size(); ++i) {
      engine().SetValue(static_cast<int>(i), readings[i]);
    }
    engine().EndSample();
    view().engine_window().Invalidate(true);
    Settle();
  }

 private:
  QSize window_;
};

}  // namespace corvane::desktop::testing
