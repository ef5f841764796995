// The frameless window under the mouse: its edges and corners show the sizing cursors, the
// diagram inside them keeps the arrow (a press there moves the window, it does not size it),
// and a window with its caption leaves sizing to the window manager.
#include <QCursor>
#include <QGuiApplication>
#include <QTest>
#include <QWindow>

#include "desktop/frame/command_ids.h"
#include "desktop/frame/corvane_view.h"
#include "tests/desktop/desktop_test_support.h"

namespace corvane::desktop::testing {
namespace {

using WindowDragTest = DesktopFixture;

struct Spot {
  const char* where;
  double x, y;  // share of the window's width and height
  Qt::CursorShape frameless;
};

constexpr Spot kSpots[] = {
    {"top left corner", 0, 0, Qt::SizeFDiagCursor},
    {"bottom right corner", 1, 1, Qt::SizeFDiagCursor},
    {"top right corner", 1, 0, Qt::SizeBDiagCursor},
    {"bottom left corner", 0, 1, Qt::SizeBDiagCursor},
    {"left edge", 0, 0.5, Qt::SizeHorCursor},
    {"right edge", 1, 0.5, Qt::SizeHorCursor},
    {"top edge", 0.5, 0, Qt::SizeVerCursor},
    {"bottom edge", 0.5, 1, Qt::SizeVerCursor},
    {"middle of the diagram", 0.5, 0.5, Qt::ArrowCursor},
    {"diagram, just inside the top edge", 0.5, 0.05, Qt::ArrowCursor},
};

// One pixel in from the window's border: QTest takes the point 0,0 for "the middle".
QPoint At(const QWidget& window, const Spot& spot) {
  return {1 + static_cast<int>(spot.x * (window.width() - 3)),
          1 + static_cast<int>(spot.y * (window.height() - 3))};
}

// A button an earlier test in the same process left down as Qt sees it is still down for
// QTest, and moves would be drags: a double-click that brings the caption back remakes the
// window between its press and its release, so the release never reaches the window that saw
// the press.
void ReleaseHeldButtons(QWidget& window) {
  for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
    if (QGuiApplication::mouseButtons() & button) {
      QTest::mouseRelease(window.windowHandle(), button, {}, window.rect().center());
    }
  }
}

TEST_F(WindowDragTest, FramelessEdgesShowTheSizingCursorsAndTheDiagramTheArrow) {
  ASSERT_TRUE(StartProgram());
  frame().action(cmd::kCaption)->trigger();
  ASSERT_TRUE(frame().windowFlags().testFlag(Qt::FramelessWindowHint));
  ReleaseHeldButtons(frame());
  // From the middle: a move to where the mouse already is would be no move.
  QTest::mouseMove(frame().windowHandle(), frame().rect().center());
  for (const Spot& spot : kSpots) {
    // The mouse reaches the window through whatever child lies there, the diagram mostly.
    QTest::mouseMove(frame().windowHandle(), At(frame(), spot));
    EXPECT_EQ(frame().cursor().shape(), spot.frameless) << spot.where;
  }
}

TEST_F(WindowDragTest, WithTheCaptionTheEdgesAreTheWindowManagers) {
  ASSERT_TRUE(StartProgram());
  ASSERT_FALSE(frame().windowFlags().testFlag(Qt::FramelessWindowHint));
  ReleaseHeldButtons(frame());
  for (const Spot& spot : kSpots) {
    QTest::mouseMove(frame().windowHandle(), At(frame(), spot));
    EXPECT_EQ(frame().cursor().shape(), Qt::ArrowCursor) << spot.where;
  }
}

}  // namespace
}  // namespace corvane::desktop::testing
